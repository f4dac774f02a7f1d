#pragma once
// "Options du document": the page's title, meta lines, colours and
// background image. Init reads them from the page's lines; Result writes
// the fields back into those lines (after OK only).
#include "dialogs/DocumentHeader.h"
#include "dialogs/InsertDialog.h"

#include <QStringList>

class QLineEdit;
class QPushButton;
class TColourSwatch;

class TStartDialog : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TStartDialog(QWidget *owner);

    // The page's lines and its folder (the base of the background image's
    // relative path).
    void Init(const QStringList &lines, const QString &dossier);
    // The lines with the header rewritten; unchanged after Annuler.
    QStringList Result(const QStringList &lines) const;

    DocumentHeader::Fields fields() const;

    // "Parcourir": the picture chosen, relative to the page's folder.
    void browseBackground();

private:
    QLineEdit *m_titre;
    QLineEdit *m_description;
    QLineEdit *m_motsCles;
    QLineEdit *m_auteur;
    QLineEdit *m_imageFond;
    QPushButton *m_parcourir;
    TColourSwatch *m_texte;
    TColourSwatch *m_fond;
    TColourSwatch *m_lien;
    TColourSwatch *m_lienVisite;
    DocumentHeader::Fields m_read;
    QString m_dossier;
};
