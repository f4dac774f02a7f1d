#pragma once
// French typography in the page's text: the space before ; : ! ? and »,
// and after «. Only the text a reader sees is looked at: tag names,
// attributes, comments, scripts, styles, code samples (<code>, <pre>, <kbd>,
// <samp>) and addresses are left alone. Entities are decoded first, so
// "&nbsp;" counts as the no-break space it stands for.
//
// The expected spaces: U+202F (narrow no-break) before ; ! ?, U+00A0 before
// : and » and after «. Where the page has an ordinary space, or none, the
// place is a fault with its fix. A U+00A0 where the narrow one is expected is
// only a hint (it does not break either, it is only wider); a U+202F where
// U+00A0 is expected is accepted.
//
// The scanner reads one line at a time from the state open at its start,
// so that a painter can ask for the faults of the lines it draws.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace FrenchTypography {

constexpr QChar NarrowNoBreak = QChar(0x202F);
constexpr QChar NoBreak = QChar(0x00A0);

// What is open where a line starts.
struct LineState {
    enum class Mode : unsigned char { Text, Tag, Comment, Script, Style };
    Mode mode = Mode::Text;
    QChar quote;           // inside a tag: the quote of the attribute value being read
    bool closingTag = false;
    bool afterEquals = false; // inside a tag: an attribute value may start here
    unsigned char tagKind = 0; // inside a tag: what it opens or closes (internal)
    int codeDepth = 0;     // open <code>, <pre>, <kbd>, <samp> elements
    bool operator==(const LineState &) const = default;
};

enum class Kind {
    Missing,     // no space at all
    Ordinary,    // a breaking space
    NotNarrow,   // a U+00A0 where U+202F is wanted (a hint)
};

struct Fault {
    int line = 0;     // 0-based; set by scan()
    int start = 0;    // the stretch of the line to replace (UTF-16 units)
    int length = 0;   // 0: an insertion at start
    int mark = 0;     // the punctuation sign's place in the line
    QChar sign;       // ; : ! ? « »
    QChar space;      // the space the fix puts there
    Kind kind = Kind::Missing;
    bool hint() const { return kind == Kind::NotNarrow; }
    bool operator==(const Fault &) const = default;
};

struct LineResult {
    QList<Fault> faults;
    LineState end;
};

LineResult scanLine(QStringView line, const LineState &start = {});

// One character of the text a reader sees, with the stretch of the line it
// comes from (an entity is one character written with several).
struct TextUnit {
    QChar ch;
    int from = 0;
    int to = 0;
    bool checked = true; // false inside code samples and addresses
    bool opaque = false; // an unknown entity or a character beyond U+FFFF: ch is only a stand-in
};
// The line's text as a reader sees it, read from the state open at the
// line's start; answers the state at its end. The spell check reads the
// same text as the typography check.
LineState readText(QStringView line, const LineState &start, QList<TextUnit> &units);
// The state at the end of a line, as readText() gives it, without the units.
LineState endOf(QStringView line, const LineState &start);
QList<Fault> scan(const QStringList &lines);

// French description of a fault ("Espace manquante avant « ! »").
QString describe(const Fault &fault);
// The fix as source text: the space itself, or its numeric character
// reference when the page is written in Windows-1252 and cannot hold it.
QString fixText(const Fault &fault, bool windows1252);
// What the fix does ("espace fine insécable avant « ! »").
QString describeFix(const Fault &fault);
// A short excerpt of the line around the fault.
QString excerpt(const QString &line, const Fault &fault, int context = 20);

// The lines with the given faults fixed. Faults found by scan() on these
// lines; two faults asking for the same change make one change.
QStringList applyFixes(const QStringList &lines, QList<Fault> faults, bool windows1252);

} // namespace FrenchTypography
