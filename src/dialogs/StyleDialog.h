#pragma once
// "Section style": edits the rules of the page's style section one element
// at a time. "Appliquer" writes the fields into the chosen element's rule;
// OK gives the whole section.
#include "dialogs/InsertDialog.h"
#include "dialogs/StyleSection.h"

#include <QStringList>

class QLineEdit;
class QListWidget;
class TColourSwatch;

class TStyle : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TStyle(QWidget *owner);

    // The section's rule lines, joined with CR LF.
    void Init(const QString &rules);
    // "<style>", the rules, "</style>" after OK; empty otherwise.
    void Result(QString &text) const;

    const QStringList &rules() const { return m_rules; }

private:
    void elementChosen();
    void appliquer();
    void chooseFont();
    void showFields(const StyleSection::Fields &fields);
    StyleSection::Fields fields() const;

    QStringList m_rules;
    // The chosen element's fields as its rule gave them: what differs from
    // them on "Appliquer" is what the user changed.
    StyleSection::Fields m_shown;
    QListWidget *m_elements;
    QLineEdit *m_font;
    QLineEdit *m_pt;
    TColourSwatch *m_color;
    QLineEdit *m_left;
    QLineEdit *m_top;
    QLineEdit *m_right;
    QLineEdit *m_bottom;
    TColourSwatch *m_background;
};
