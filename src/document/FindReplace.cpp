#include "FindReplace.h"

#include <algorithm>

namespace FindReplace {

QString findNotFound(const QString &s)
{
    return QStringLiteral("Chaîne recherchée \"") + s + QStringLiteral("\" non trouvée");
}

QString replaceNotFound(const QString &s)
{
    return QStringLiteral("Chaîne recherchée \"") + s + QStringLiteral("\"non trouvée");
}

bool sameIgnoringCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (TextSearch::upper1252(a.at(i)) != TextSearch::upper1252(b.at(i)))
            return false;
    return true;
}

int findFrom(QStringView text, const QString &s, int selStart, int selLength, SearchOptions options)
{
    const int n = int(text.size());
    const int m = int(s.size());
    if (!options.testFlag(SearchOption::Down) || m == 0)
        return TextSearch::find(text, s, selStart, selLength, options);
    // The search reads one character before its start (is the caret inside a
    // word?) and one after a match (does the word end there?). It is run on
    // a window of the text that grows until the answer cannot depend on what
    // lies beyond the window: a match that ends inside it, or no match in a
    // window that reaches the end of the text.
    const int from = selStart + selLength;
    if (from < 0 || from > n)
        return -1;
    const int base = std::max(0, from - 1);
    int window = std::max(256, 4 * m);
    for (;;) {
        const int length = std::min(n - base, window);
        const bool toEnd = base + length == n;
        const int found = TextSearch::find(text.mid(base, length), s, from - base, 0, options);
        if (found >= 0 && (toEnd || found + m < length))
            return base + found;
        if (found < 0 && toEnd)
            return -1;
        window *= 2;
    }
}

ReplaceAll replaceAll(QStringView text, const QString &s, const QString &replacement, int selStart,
                      int selLength, SearchOptions options)
{
    ReplaceAll result;
    if (s.isEmpty())
        return result;
    int pos = findFrom(text, s, selStart, selLength, options);
    if (pos < 0)
        return result;
    result.start = pos;
    const int m = int(s.size());
    int copied = pos;
    while (pos >= 0) {
        result.text += text.mid(copied, pos - copied);
        result.text += replacement;
        ++result.count;
        copied = pos + m;
        if (!options.testFlag(SearchOption::Down))
            break; // searching up from a replacement would go over it again
        pos = findFrom(text, s, copied, 0, options);
    }
    result.end = copied;
    return result;
}

} // namespace FindReplace
