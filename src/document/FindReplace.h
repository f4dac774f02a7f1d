#pragma once
// Widget-free side of find and replace: the messages, the selection test of
// the replace command, and replace-all computed over the text in one pass.
#include "colormemo/TextSearch.h"

#include <QString>
#include <QStringView>

namespace FindReplace {

// The message of a find that found nothing.
QString findNotFound(const QString &s);
// The replace command's own wording (no blank before "non").
QString replaceNotFound(const QString &s);

// The replace command replaces the selection when it reads as the search
// text, capitals or not, whatever the match-case option says.
bool sameIgnoringCase(QStringView a, QStringView b);

// Replace-all as repeated searches from the caret would do it: each search
// starts after the previous replacement, so a replacement that contains the
// search text is not searched again. Only the stretch from the first match
// to the end of the last one changes, so the caller sets it in one edit.
struct ReplaceAll {
    int count = 0;     // occurrences replaced
    int start = 0;     // offset of the first match
    int end = 0;       // offset just after the last match (in the old text)
    QString text;      // what replaces [start, end)
};
ReplaceAll replaceAll(QStringView text, const QString &s, const QString &replacement, int selStart,
                      int selLength, SearchOptions options);

// One search as the source pane makes it, reading only the text near the
// start position, so that replace-all stays linear in the size of the page.
int findFrom(QStringView text, const QString &s, int selStart, int selLength, SearchOptions options);

} // namespace FindReplace
