#pragma once
// Searches and replacements with a regular expression over the page, in the
// program's offsets (a line break counts two). The expression sees line
// breaks as one "\n", so that "." and "$" behave as in any line-oriented
// text; the offsets it answers are converted back.
#include "colormemo/TextSearch.h"
#include "document/FindReplace.h"

#include <QString>
#include <QStringView>

class QRegularExpression;

namespace RegexSearch {

// The French message for a pattern that does not compile; empty when the
// pattern is sound (an empty pattern is not an error, it only finds nothing).
QString patternError(const QString &pattern);

// The expression as the options ask for it: case-insensitive unless
// MatchCase, bounded by word edges when WholeWord.
QRegularExpression compile(const QString &pattern, SearchOptions options);

struct Match {
    int start = -1;  // offset, -1 when nothing was found
    int length = 0;
    QString replaced; // the replacement with its references filled in
};

// The next non-empty match after the selection (Down) or the last one that
// ends before the selection starts (up). The replacement is expanded for it.
Match find(QStringView text, const QString &pattern, const QString &replacement, int selStart, int selLength,
           SearchOptions options);

// Whether the selected text is, as a whole, a match of the pattern; when so,
// *replaced receives the expanded replacement.
bool selectionMatches(const QString &selected, const QString &pattern, const QString &replacement,
                      SearchOptions options, QString *replaced);

// "\1".."\9" and "$1".."$9" stand for the groups ("\0", "$0": the whole
// match), "\\" and "$$" for the character itself; anything else is kept.
QString expand(const QString &replacement, const QStringList &captures);

// Every non-empty match from the end of the selection to the end of the
// page, in one pass; the same stretch contract as the plain replace-all.
FindReplace::ReplaceAll replaceAll(QStringView text, const QString &pattern, const QString &replacement,
                                   int selStart, int selLength, SearchOptions options);

} // namespace RegexSearch
