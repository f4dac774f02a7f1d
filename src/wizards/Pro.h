#pragma once
// "Assistant projet" for a professional site: up to eight pages sharing a
// bar of GIF menu buttons. The buttons are written to the current folder
// when "Générer pages HTML" is pressed; the pages go to document windows.
#include "wizards/WizardDialog.h"

#include <QStringList>
#include <array>

class TPro : public TWizardDialog
{
    Q_OBJECT
public:
    explicit TPro(QWidget *owner);

    // The home page: clears lines; after generation appends its entries
    // and sets name to row 1's page name.
    void Result(QStringList &lines, QString &name) const;
    // Rows 2 to 8: clears lines; after generation, for an active row, sets
    // name to its page name and fills lines with its page (Genmenu).
    void Getmenu2(QStringList &lines, QString &name) const { Getmenu(2, lines, name); }
    void Getmenu3(QStringList &lines, QString &name) const { Getmenu(3, lines, name); }
    void Getmenu4(QStringList &lines, QString &name) const { Getmenu(4, lines, name); }
    void Getmenu5(QStringList &lines, QString &name) const { Getmenu(5, lines, name); }
    void Getmenu6(QStringList &lines, QString &name) const { Getmenu(6, lines, name); }
    void Getmenu7(QStringList &lines, QString &name) const { Getmenu(7, lines, name); }
    void Getmenu8(QStringList &lines, QString &name) const { Getmenu(8, lines, name); }
    void Getmenu(int row, QStringList &lines, QString &name) const;
    // Appends a secondary page titled title.
    void Genmenu(QStringList &lines, const QString &title) const;
    // Draws the button of label, writes it in the current folder under the
    // file name made from the label (WizardPages::buttonFileName) and adds
    // its width to the bar. Throws Platform::PemoError when the file cannot
    // be written.
    void Gengif(const QString &label);

    int barWidth() const { return m_barWidth; }
    WizardPages::ProSite fields() const;

    DocumentFields Options;
    std::array<QLineEdit *, 8> Intitules{};
    std::array<QLineEdit *, 8> Pages{};
    QLineEdit *AccueilTitre = nullptr;
    QPlainTextEdit *AccueilTexte = nullptr;
    FooterFields Pied;

protected:
    void generate() override;

private:
    void writeButton(const QString &label, const QString &fileName);
    int m_barWidth = 0;
};
