#pragma once
// TFGif: the animated GIF window. Steps through the frames of a GIF, changes
// the repeat count, the frame delay, background transparency and the size of
// every frame, and writes the animation back with our GIF writer. What the
// user leaves alone is written as it was read: each frame as a viewer
// composes it, with its own delay and colour table.
#include <QDialog>
#include <QImage>
#include <QList>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;
class TNumberField;

class TFGif : public QDialog
{
    Q_OBJECT
public:
    explicit TFGif(QWidget *parent = nullptr);
    ~TFGif() override;

    // Remembers name and clears the caller's copy; gives the name back when
    // the file exists, otherwise the one picked in a file dialog (empty when
    // the dialog was cancelled).
    void Init(QString &name);

    // Loads the file into the frames (run once when the window is shown).
    // A file that cannot be read is reported and the window closes.
    void FormShow();
    void AffBarre();
    void LitCadre();
    void EcritCadre();
    void Premier();
    void Precedent();
    void Suivant();
    void Dernier();
    void Proprietes();
    void Taille();
    // "Enregistrer": asks for a name, then Sauve.
    void Enregistrer();
    // Writes the frames to name (".gif" added to a name without a dot);
    // answers whether the file was written. Failures are reported.
    bool Sauve(QString name);

    QString fileName() const { return FileName; }
    // Composed frames; ARGB32 with GifReader::Clear where nothing is drawn.
    const QList<QImage> &frames() const { return Frames; }
    const QList<int> &delays() const { return Delays; }
    int currentFrame() const { return Current; }
    int repeatCount() const { return Repeat; }
    int delay() const { return Delay; }
    bool transparent() const { return Transparent; }
    QString statusText() const;

    QToolButton *EnregistrerBtn = nullptr;
    QToolButton *PremierBtn = nullptr;
    QToolButton *PrecedentBtn = nullptr;
    QToolButton *SuivantBtn = nullptr;
    QToolButton *DernierBtn = nullptr;
    QLabel *Barre = nullptr;
    QScrollArea *Scroll = nullptr;
    QLabel *Panel1 = nullptr;
    QGroupBox *Proprietes1 = nullptr;
    TNumberField *Largeur = nullptr;
    TNumberField *Hauteur = nullptr;
    TNumberField *Repetitions = nullptr;
    TNumberField *Duree = nullptr;
    QCheckBox *FondTransparent = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *Fermer = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeControls();
    void largeurExit();
    void hauteurExit();
    void okClick();
    void sizePanel(int w, int h);

    QString FileName;
    QList<QImage> Frames;
    // Per frame, as read; one delay for all once the user sets it, no
    // tables once the frames are resized.
    QList<int> Delays;
    QList<QVector<QRgb>> Palettes;
    // The file had a loop block, or the user set the count: without either
    // the animation plays once, as it did.
    bool Looped = false;
    bool RepeatSet = false;
    // The user set "Fond transparent": the bottom-left colour of every frame
    // becomes transparent (on), or nothing is (off). Until then the frames
    // keep the transparency they were read with.
    bool TransparentSet = false;
    int Current = 0;
    int Repeat = 0;
    int Delay = 0;
    bool Transparent = false;
    double Ratio = 1.0;
    QImage Picture;
    // Set by editing operations on the shown picture; EcritCadre stores it.
    bool PictureChanged = false;
    bool Shown = false;
};
