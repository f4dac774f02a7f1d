#pragma once
// Whole-text rewrites of a page's source: accents to entities, case of the
// selection, indentation, compaction, and the tag stripping used by the
// plain-text export. Plain values in, plain values out: the document window
// does the snapshot, the questions and the replacement in the source pane.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace TextTransforms {

// The 13 accented lower-case letters written as named entities, except
// inside comments ("<!--" to "-->", which may span lines).
QStringList convertAccents(const QStringList &lines);

// Three spaces before the selection and after each of its line breaks that
// is followed by at least two more characters. Line breaks are CR LF.
QString indent(const QString &selection);

// One line of the page compacted: trimmed, runs of spaces made single, the
// first strong pair turned into a b pair.
QString compactLine(const QString &line);
// The compacted page: the first line alone, then lines glued together while
// the glued line stays under 100 characters.
QStringList compact(const QStringList &lines);

// Where the reading of a page's text stands between two lines: in a tag,
// a comment, or the code of a script or a style sheet.
struct StripState {
    bool inText = true;
    bool inComment = false;
    bool readingName = false;
    QString tag;                // name of the tag being read, lower case
    QString closing;            // "</script" or "</style" inside their code
};

// The text of one line outside tags, comments, scripts and style sheets,
// its character references decoded. The state carries over to the next
// line, so that a tag or a script spread over several lines is removed
// whole.
QString VireBalises(const QString &line, StripState &state);
// The lines of the plain-text export: every line stripped, empty results
// left out.
QStringList exportLines(const QStringList &lines);

} // namespace TextTransforms
