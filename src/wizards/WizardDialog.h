#pragma once
// What the three site wizards share: a tabbed modal window with a generate
// flag (cleared when the window is shown and by "Annuler", set by the
// generate button), the base folder of relative image paths, the four
// colour swatches and their colours-chosen flag, and the accented-letter
// filter of the multi-line texts.
#include "platform/Paths.h"
#include "wizards/WizardPages.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TColourSwatch;
class TNumberField;

// Typing one of the accented letters of the entity table in a wizard's
// multi-line text puts its entity at the caret in place of the selection;
// answers whether the key was taken.
bool Accents(QChar key, QPlainTextEdit *memo);

class TWizardDialog : public QDialog
{
    Q_OBJECT
public:
    TWizardDialog(QWidget *owner, const QString &caption);

    bool generated() const { return m_generate; }
    bool coloursChosen() const { return m_coloursChosen; }
    // The current directory with a separator, taken when the window shows.
    QString baseFolder() const { return m_baseFolder; }

    QTabWidget *PageControl1 = nullptr;
    TColourSwatch *Texte = nullptr;
    TColourSwatch *Fond = nullptr;
    TColourSwatch *Lien = nullptr;
    TColourSwatch *LienVisite = nullptr;
    QPushButton *Annuler = nullptr;
    QPushButton *Generer = nullptr;

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The generate button: sets the flag and closes.
    virtual void generate();
    void setGenerated(bool on) { m_generate = on; }

    QWidget *addTab(const QString &title, const char *name);
    QLabel *labelFor(const QString &caption, QWidget *field, QWidget *parent);
    QLineEdit *lineField(const char *name, QWidget *parent);
    QPlainTextEdit *memoField(const char *name, QWidget *parent);
    TNumberField *spinField(const char *name, int value, QWidget *parent);
    // A heading-level list, "H1" ... "H6".
    QComboBox *levelList(const char *name, const QString &level, QWidget *parent);
    // A "..." button that fills field with a picture chosen in a file dialog
    // of that title, relative to the base folder; chosen, when given, is
    // then told the picture's full name.
    QPushButton *browseButton(const char *name, const QString &title, QLineEdit *field, QWidget *parent,
                              std::function<void(const QString &)> chosen = {});
    // The group of four swatches, preset to black, white, blue and lime.
    QGroupBox *colourGroup(QWidget *parent);
    // "Annuler" and the generate button, pushed to the right.
    QWidget *buttonRow(const QString &generateCaption, QWidget *parent);
    // A line in a large bold font.
    void makeLarge(QLineEdit *field);

    WizardPages::Colours colours() const;

    struct DocumentFields {
        QLineEdit *Titre = nullptr;
        QLineEdit *Description = nullptr;
        QLineEdit *Auteur = nullptr;
        QLineEdit *ImageFond = nullptr; // not on every wizard
    };
    // Titre, Description, Auteur ("Pemo HTML"), optionally "Image de fond"
    // with its "..." button, then the colours, on the given page.
    DocumentFields addDocumentFields(QWidget *page, bool withImage);
    WizardPages::Document documentValues(const DocumentFields &fields) const;

    struct FooterFields {
        QPlainTextEdit *Pied = nullptr;
        QLineEdit *LienMail = nullptr;
        QLineEdit *AdresseMail = nullptr;
        WizardPages::Footer values() const;
    };
    // The "Pied de page" tab, with the window's buttons.
    FooterFields addFooterTab(const QString &generateCaption);

private:
    bool m_generate = false;
    bool m_coloursChosen = false;
    QString m_baseFolder = Platform::currentDirWithSeparator();
};

