#pragma once
// The page's <style> section as the style editor sees it: one rule a line,
// "element {declarations}", declarations separated by ";", of which the
// editor reads and writes font, colour, margins and background.
#include <QColor>
#include <QString>
#include <QStringList>

namespace StyleSection {

// The elements the editor offers, in list order.
const QStringList &elements();

// The editor's fields for one element; the defaults are those of an
// element without a rule.
struct Fields {
    QString font = QStringLiteral("Arial");
    QString pt = QStringLiteral("10");
    QColor color = Qt::black;
    QString left, top, right, bottom;
    QColor background = Qt::white;

    bool operator==(const Fields &) const = default;
};

// Reads one declaration ("font: 10 pt Arial", "color: #FF0000",
// "margin: 1 2 3 4", "background: #FFFFFF") into the fields; others are
// ignored. Colours that cannot be read become black (color) or white
// (background).
void Analyse(const QString &declaration, Fields &fields);

// The entry of the element's rule, -1 when there is none. The rule is the
// first line whose selector is the element alone, so that "address {...}"
// is not taken for "a" nor "pre {...}" for "p".
qsizetype ruleIndex(const QStringList &rules, const QString &element);
// The fields shown for an element: the defaults, overwritten by what its
// rule declares.
Fields readRule(const QStringList &rules, const QString &element);

// "font: 10 pt Arial;color: #000000;background: #FFFFFF" and so on.
QString declarations(const Fields &fields);
// element + " {" + declarations + "}"
QString ruleLine(const QString &element, const Fields &fields);
// Replaces the element's rule, or adds it at the end.
void applyRule(QStringList &rules, const QString &element, const Fields &fields);

// The rule list from the text given to the editor (lines joined with CR LF).
QStringList rulesFromText(const QString &text);
// "<style>", the rules, "</style>", lines joined with CR LF.
QString sectionText(const QStringList &rules);

// The rule lines of the page's first section: the lines between the first
// line holding "<style>" and the next holding "</style>" (any case), and
// the rules written on those two lines themselves. A page without a closed
// section has none.
QStringList gatherRules(const QStringList &page);
// The page with its section replaced by the given one (as sectionText
// writes it). The new section goes just before the first "</head>" line;
// when the page has none, where the old section stood; failing that, before
// the "<body" line, or at the top. Text sharing a line with the old
// section's tags is kept on lines of its own.
QStringList rewrite(const QStringList &page, const QString &section);

} // namespace StyleSection
