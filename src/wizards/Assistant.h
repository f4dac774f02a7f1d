#pragma once
// "Assistant projet": the personal-site wizard. One page from the page
// header, three paragraphs (text, picture, link) and a footer.
#include "wizards/WizardDialog.h"

#include <QStringList>
#include <array>

class TAssistant : public TWizardDialog
{
    Q_OBJECT
public:
    explicit TAssistant(QWidget *owner);

    // Clears lines; after "Générer page HTML" appends the page's entries.
    void Result(QStringList &lines) const;
    WizardPages::PersonalSite fields() const;

    struct ParagraphFields {
        QPlainTextEdit *Texte = nullptr;
        QLineEdit *Image = nullptr;
        QPushButton *ImageBtn = nullptr;
        QComboBox *Emplacement = nullptr;
        TNumberField *Hauteur = nullptr;
        TNumberField *Largeur = nullptr;
        TNumberField *Cadre = nullptr;
        QLineEdit *LienTexte = nullptr;
        QLineEdit *Adresse = nullptr;
    };

    DocumentFields Options;
    QLineEdit *TitrePage = nullptr;
    QComboBox *NiveauTitre = nullptr;
    QLineEdit *SousTitre = nullptr;
    QComboBox *NiveauSousTitre = nullptr;
    std::array<ParagraphFields, 3> Paragraphes;
    FooterFields Pied;

private:
    ParagraphFields addParagraphTab(int number);
};
