#pragma once
// "Curriculum vitae": the CV wizard. One page from the page header, the
// identity with an optional photo, three texts and a footer.
#include "wizards/WizardDialog.h"

#include <QStringList>

class TCv : public TWizardDialog
{
    Q_OBJECT
public:
    explicit TCv(QWidget *owner);

    // Clears lines; after "Générer page HTML" appends the page's entries.
    void Result(QStringList &lines) const;
    WizardPages::Cv fields() const;

    // The "..." of "Photo": the full name of the picture chosen, shown in
    // the preview.
    void choosePhoto();
    // Loads the picture named in "Photo" into the preview.
    void showPhoto();

    DocumentFields Options;
    QLineEdit *Nom = nullptr;
    QLineEdit *Adresse1 = nullptr;
    QLineEdit *Adresse2 = nullptr;
    QLineEdit *CpVille = nullptr;
    QLineEdit *Telephone1 = nullptr;
    QLineEdit *Telephone2 = nullptr;
    QLineEdit *Photo = nullptr;
    QPushButton *PhotoBtn = nullptr;
    QLabel *Image1 = nullptr; // the photo's preview
    QLineEdit *Accroche = nullptr;
    QPlainTextEdit *Experience = nullptr;
    QPlainTextEdit *Etudes = nullptr;
    QPlainTextEdit *Divers = nullptr;
    FooterFields Pied;

private:
    // Each tab gives the keyboard to its first field.
    void PageControl1Change(int index);
};
