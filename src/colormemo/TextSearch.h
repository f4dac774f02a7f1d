#pragma once
// Text search of the source pane, free of widgets. Offsets are the program's
// own: a line break counts two characters (CR LF).
#include <QFlags>
#include <QString>
#include <QStringView>

#include <functional>

// The three flags of the find and replace dialogs.
enum class SearchOption {
    Down = 0x1,      // search forward from the end of the selection
    MatchCase = 0x2, // compare exactly; otherwise Windows-1252 letters compare upper-cased
    WholeWord = 0x4, // the match starts a word and is followed by a delimiter
};
Q_DECLARE_FLAGS(SearchOptions, SearchOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(SearchOptions)

namespace TextSearch {

// Upper-casing of the Windows-1252 code page: ASCII and accented letters
// (é -> É, ÿ -> Ÿ, œ -> Œ, š -> Š, ž -> Ž). Other characters are unchanged.
QChar upper1252(QChar c);

// True for "0".."9", "A".."Z", "a".."z"; everything else delimits words.
inline bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

// Supplies the text of offsets [from, to) into out (CR LF line breaks);
// lets the search walk a large document without copying all of it.
using Fetch = std::function<void(int from, int to, QString &out)>;

// Finds s from the selection (selStart, selLength) in a text of textLength
// offsets. Returns the offset of the match, or -1.
int find(int textLength, const Fetch &fetch, QStringView s, int selStart, int selLength,
         SearchOptions options);
// The same over text held in memory.
int find(QStringView text, QStringView s, int selStart, int selLength, SearchOptions options);

} // namespace TextSearch
