#pragma once
// The HTML written by the structure dialogs (table, list, horizontal rule,
// links to anchors and mailboxes, the tag picker). Plain text in, plain text
// out; line breaks are CR LF.
#include <QString>
#include <QStringList>

namespace StructureFragments {

// The largest table (cells, or rows when there are no columns) and list
// (items) built: beyond that a typo would make the page grow without end.
inline constexpr int MaxCells = 10000;
inline constexpr int MaxItems = 10000;

// "<table border=1>" with rows of "<td>Cellule<r><c></td>", centred on demand.
// The border is written as typed. Throws Platform::PemoError when the table
// would have more than MaxCells cells.
QString table(int rows, int columns, const QString &border, bool centred);

// "<ol>" or "<ul type=disc>" with " <li>Ligne<n>" items. Throws
// Platform::PemoError beyond MaxItems items.
QString list(int items, bool ordered);

enum class RuleAlign { Left, Center, Right };
// "<hr>" with only the attributes that differ from the defaults
// (size 1, width 100 %, centred), in the order alignment, width, size.
QString horizontalRule(int size, int widthPercent, RuleAlign align);

// Anchor names of the page, in document order: the first "<a name=" of each
// line, without regard to case.
QStringList anchorNames(const QStringList &lines);
// The value of the first "<a name=" of one line (empty when there is none).
QString anchorNameOf(const QString &line);
// The opening of a link to an anchor of the page: <a href="#name">. A target
// that already names its page ("page.htm#name", "#name") is kept as typed.
QString anchorLink(const QString &target);

// <a href="mailto:address">text</a>
QString mailLink(const QString &address, const QString &text);

// The tag picker's entries, sorted.
const QStringList &tagEntries();
// The selected text with the entry applied: a pair ("<b> </b>") goes around
// it, a single tag ("<br>", "<input type=text>") goes after it.
QString applyTagEntry(const QString &entry, const QString &selected);

} // namespace StructureFragments
