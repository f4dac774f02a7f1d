#pragma once
// The dialogs of the picture, link and print scripts. Pictures chosen with
// the "..." buttons are written relative to the page's folder, where the
// page's browser looks for them; a page not yet saved has none, and the
// current folder, taken each time the dialog is activated, stands in.
#include "dialogs/InsertDialog.h"

#include <QPixmap>

class QLabel;
class QLineEdit;
class QRadioButton;

class TImgalea : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TImgalea(QWidget *owner);
    // The page's folder; empty for a page without a file.
    void Init(const QString &pageFolder);
    void Result(QString &head, QString &body) const;

protected:
    bool event(QEvent *event) override;

private:
    void choose(int index);

    QString m_pageFolder;
    QString m_base;
    QList<QLineEdit *> m_images;
};

class TRollover : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TRollover(QWidget *owner);
    // The page's folder; empty for a page without a file.
    void Init(const QString &pageFolder);
    void Result(QString &head, QString &body) const;
    QLabel *previewBox() const { return m_box; }
    // Which picture the box shows: 1, 2, or 0 before any was loaded.
    int shownPicture() const { return m_shown; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void choose(int index);
    void showPicture(int picture);

    QString m_pageFolder;
    QString m_base;
    QLineEdit *m_image1;
    QLineEdit *m_image2;
    QLabel *m_box;
    QPixmap m_pictures[2];
    int m_shown = 0;
};

class TFavoris : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TFavoris(QWidget *owner);
    void Result(QString &head, QString &body) const;

private:
    QLineEdit *m_adresse;
    QLineEdit *m_titre;
};

class TImprime : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TImprime(QWidget *owner);
    void Result(QString &text) const;

private:
    QRadioButton *m_lien;
    QRadioButton *m_bouton;
};
