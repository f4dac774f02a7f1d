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

// Reads one declaration into the fields; others are ignored. Besides the
// editor's own "font: 10pt Arial", "color: #FF0000", "margin: 1px 2px 3px 4px"
// and "background: #FFFFFF", it reads what hand-written sections use: the
// whole font shorthand ("bold 12px/1.5 Georgia, serif"), font-size,
// font-family, background-color, the margin longhands, colour names, "#fff"
// and rgb(). Margins follow CSS order (top, right, bottom, left; one to four
// values); sizes in px are shown in points, other units as written. Colours
// that cannot be read become black (color) or white (background).
void Analyse(const QString &declaration, Fields &fields);

// The entry of the element's rule, -1 when there is none. The rule is the
// first line whose selector is the element alone, so that "address {...}"
// is not taken for "a" nor "pre {...}" for "p".
qsizetype ruleIndex(const QStringList &rules, const QString &element);
// The fields shown for an element: the defaults, overwritten by what its
// rule declares.
Fields readRule(const QStringList &rules, const QString &element);

// The declarations of a new rule, "font: 10pt Arial;color: #000000;
// background: #FFFFFF" and so on.
QString declarations(const Fields &fields);
// element + " {" + declarations + "}"
QString ruleLine(const QString &element, const Fields &fields);
// Writes what the user changed from `shown` (the fields as read from the
// rule) to `edited`. An element without a rule gets a new one, written
// whole. An existing rule keeps its text: only the declarations of changed
// fields are rewritten, in their place, or added at its end; everything
// else (other properties, spacing, comments of the line) stays as written.
void applyRule(QStringList &rules, const QString &element, const Fields &shown, const Fields &edited);

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
