#pragma once
// Deciding when a rebuilt page may be shown by replacing the content of the
// body already shown instead of loading the whole page again. The engine
// builds the same tree either way only for pages that run nothing, whose
// text before the body's content did not change, and whose body content
// cannot reach outside the body. No widgets here.
#include <QString>
#include <optional>

namespace BodySwap {

// True when nothing in the page runs or loads by itself: no script element,
// event attribute, script address, refresh, autofocus, nor embedded frame
// or object.
bool isStatic(const QString &html);

// The offset just past an explicit <body ...> start tag that only head
// material (doctype, comments, blanks, html, head, title, meta, link, base,
// style) precedes, so that the engine's body begins at that tag; -1 when
// the page is not so made.
qsizetype bodyContentStart(const QString &html);

// What to put into the shown page's body so that it becomes `next`, when
// that gives what loading `next` afresh would give; nothing otherwise.
std::optional<QString> newBody(const QString &shown, const QString &next);

// The same from what is kept of the shown page: its text up to the body's
// content (null when it has no such start) and whether it is static.
std::optional<QString> newBody(QStringView shownHead, bool shownStatic, const QString &next);

} // namespace BodySwap
