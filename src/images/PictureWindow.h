#pragma once
// TFImage: the small picture window. Opens a GIF or JPEG picture and offers
// quarter turns, flips, resizing with a choice of filter, cropping to a
// rectangle drawn with the mouse, a one-step undo, and saving as GIF or JPEG.
#include <QDialog>
#include <QImage>
#include <QLabel>

class QComboBox;
class QRubberBand;
class QScrollArea;
class QSpinBox;
class QToolButton;

// Shows the picture at its real size and lets the user draw a rectangle on it.
class TPictureView : public QLabel
{
    Q_OBJECT
public:
    explicit TPictureView(QWidget *parent = nullptr);
    void setPicture(const QImage &picture);
    // The drawn rectangle in picture pixels (empty when none).
    QRect selection() const { return m_selection; }
    void setSelection(const QRect &rect);

Q_SIGNALS:
    void selectionChanged(const QRect &rect);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPoint clampToPicture(QPoint p) const;
    QRubberBand *m_band;
    QPoint m_origin;
    QRect m_selection;
    QSize m_size;
};

class TFImage : public QDialog
{
    Q_OBJECT
public:
    explicit TFImage(QWidget *parent = nullptr);

    // The picture to open when the window is shown.
    void Init(const QString &name);
    // Opens the picture; a file that cannot be read is reported and the
    // window closes. Answers whether a picture was loaded.
    bool Charger();

    void RotationGauche();
    void RotationDroite();
    void RetournerHorizontal();
    void RetournerVertical();
    // Resizes to w x h with the filter chosen in the window.
    void Redimensionner(int w, int h);
    // Asks for the new size (keeping the proportions on request), then resizes.
    void RedimensionnerDialogue();
    void Recadrer();
    void AnnulerModif();
    // Saves under the current name, or asks for one; answers whether written.
    bool Enregistrer();
    bool EnregistrerSous();
    // Writes the picture as GIF or JPEG, by the name's extension (".jpg",
    // ".jpeg" for JPEG, anything else GIF); failures are reported.
    bool Sauve(const QString &name);

    QString fileName() const { return FileName; }
    const QImage &picture() const { return Picture; }
    bool modified() const { return Modifie; }

    TPictureView *View = nullptr;
    QScrollArea *Scroll = nullptr;
    QComboBox *Filtre = nullptr;
    QSpinBox *Qualite = nullptr;
    QLabel *Barre = nullptr;
    QToolButton *RecadrerBtn = nullptr;
    QToolButton *AnnulerBtn = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void change(const QImage &picture);
    void refresh();

    QString FileName;
    // The file opened and how many images it holds.
    QString Origine;
    int Images = 1;
    QImage Picture;
    QImage Avant;
    bool Modifie = false;
    bool Shown = false;
};
