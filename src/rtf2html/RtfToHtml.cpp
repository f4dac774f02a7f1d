#include "RtfToHtml.h"

#include "platform/Windows1252.h"

#include <QHash>
#include <QStringList>
#include <limits>
#include <string_view>
#include <vector>

namespace Rtf2Html {
namespace {

using namespace std::string_view_literals;

constexpr int maxFontName = 63;
constexpr int maxColourText = 10;

enum Toggle { Off = 0, SwitchOn = 1, On = 2, SwitchOff = 3 };
enum ListState { NoList = 0, ListOpened = 1, ListItem = 2, ItemEnded = 3, ListEnded = 4 };
enum Alignment { Left = 0, Right = 1, Centre = 2 };

bool isLetter(uchar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(uchar c) { return c >= '0' && c <= '9'; }

int hexValue(uchar c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// Characters that end a run of plain text copied straight to the output.
struct StopTable {
    bool stop[256] = {};
    constexpr StopTable()
    {
        for (int c = 0; c < 32; ++c)
            stop[c] = true;
        stop[uchar('<')] = stop[uchar('>')] = stop[uchar('&')] = true;
        stop[uchar('\\')] = stop[uchar('{')] = stop[uchar('}')] = true;
    }
};
constexpr StopTable stopTable;

// Groups holding no body text: style sheets, document properties, list
// definitions, pictures, headers and footers, and the tables that today's
// word processors add. Their content is skipped like that of "\*" groups.
constexpr std::string_view skippedDestinations[] = {
    "stylesheet"sv, "info"sv, "listtable"sv, "listoverridetable"sv, "pict"sv,
    "header"sv, "headerl"sv, "headerr"sv, "headerf"sv,
    "footer"sv, "footerl"sv, "footerr"sv, "footerf"sv,
    "revtbl"sv, "rsidtbl"sv, "themedata"sv, "colorschememapping"sv,
    "latentstyles"sv, "datastore"sv, "xmlnstbl"sv};

// Control words that stand for one character.
struct Symbol {
    std::string_view word;
    char16_t character;
};
constexpr Symbol symbols[] = {
    {"lquote"sv, u'\u2018'},   {"rquote"sv, u'\u2019'}, {"ldblquote"sv, u'\u201C'}, {"rdblquote"sv, u'\u201D'},
    {"endash"sv, u'\u2013'},   {"emdash"sv, u'\u2014'}, {"bullet"sv, u'\u2022'},    {"enspace"sv, u'\u2002'},
    {"emspace"sv, u'\u2003'},
};

struct Word {
    std::string_view name;
    bool hasNumber = false;
    long number = 0;
    qsizetype end = 0;          // first position after the word and its delimiters

    int value(int fallback) const { return hasNumber ? int(number) : fallback; }
};

class Converter
{
public:
    Converter(QByteArrayView rtf, PageCharset page)
        : s(reinterpret_cast<const uchar *>(rtf.data())), n(rtf.size()), unicodePage(page == PageCharset::Unicode)
    {
        out.reserve(n / 2 + 64);
    }

    QString run();

private:
    // --- reading
    qsizetype controlReader(qsizetype at);
    Word readWord(qsizetype at);
    qsizetype swallowSeparators(qsizetype k);
    qsizetype skipWord(qsizetype at) const;
    qsizetype skipRestOfGroup(qsizetype from, int level);
    qsizetype readFontEntry(qsizetype from, int number);
    qsizetype skipFallback(qsizetype from);
    void unicodeCharacter(long value);

    // --- groups and tables
    void openGroup();
    void closeGroup();
    void colourSeparator();

    // --- writing
    bool suppressed() const
    {
        return (fontTableMode && fontTableLevel != std::numeric_limits<int>::min()) || colourTableLevel >= 0;
    }
    void writeMarkup();
    void writeChar(QChar c);
    void writeText(const QString &text);
    void writeByte(uchar b);
    void writeFontTag();
    void writeCharacter(char32_t code);
    void openParagraph();
    void openCell();

    // --- actions of the control words
    void deflang();
    void plain();
    void toggle(int &state, const Word &w);
    void changeFont(int number);
    void changeColour(int number);
    void changeSize(int halfPoints);
    void setSize(int html);
    void colourComponent(const Word &w, bool first);
    void endParagraph();
    void firstLineIndent(int value);
    void markBulleted();
    void endCell();
    void endRow();
    void restoreToggle(int &state, bool wasOn);

    const uchar *s;
    const qsizetype n;
    const bool unicodePage;
    QString out;

    int depth = 0;
    bool fontTableMode = false;
    int fontTableLevel = 0;
    int colourTableLevel = -1;
    QHash<int, QString> fonts;
    QStringList colours;            // an empty text is the automatic colour
    QString colourBeingBuilt;
    enum { EntryFresh, EntryHasComponent, EntryClosed } colourEntry = EntryFresh;

    int defaultFont = 0;
    int font = 0;
    int size = 3;
    int colour = 0;
    bool fontPending = false;
    bool colourGiven = false;       // a FONT tag written so far carries a colour
    int bold = Off, italic = Off, underline = Off;
    bool formatWritten = false;
    int alignment = Left;
    int list = NoList;
    bool paragraphStarted = false;

    // A first-line indent makes a list item only in a paragraph marked as
    // bulleted; the mark may come after the indent, which then waits for it.
    bool bulleted = false;
    bool indentWaiting = false;
    int waitingIndent = 0;

    // Tables: "\intbl" marks the paragraphs of cells; the TABLE, TR and TD
    // tags are written before the first character of each.
    bool inTable = false;
    bool tableOpen = false;
    bool rowOpen = false;
    bool cellOpen = false;

    // Character formatting belongs to its group: what each open group will
    // give back when it closes.
    struct GroupFormat {
        bool bold, italic, underline;
        int font, size, colour;
    };
    std::vector<GroupFormat> groupFormats;

    // "\uc" holds for the rest of its group: the values it replaced, with
    // the depth at which each was set.
    int uc = 1;
    struct SavedUc { int depth; int uc; };
    std::vector<SavedUc> savedUc;
    char16_t pendingHigh = 0;
};

QString Converter::run()
{
    qsizetype i = 0;
    while (i < n) {
        const uchar c = s[i];
        if (c < 32) {
            ++i;
        } else if (c == '\\') {
            i = controlReader(i);
        } else if (c == '{') {
            openGroup();
            ++i;
        } else if (c == '}') {
            closeGroup();
            ++i;
        } else if (suppressed()) {
            if (c == ';' && colourTableLevel >= 0)
                colourSeparator();
            ++i;
        } else {
            writeByte(c);
            ++i;
            while (i < n && !stopTable.stop[s[i]])
                out += Platform::fromWindows1252(s[i++]);
        }
    }
    if (tableOpen)
        out += u"\r\n</TABLE>";
    return closeEmptyParagraphs(out);
}

void Converter::openGroup()
{
    ++depth;
    const auto on = [](int state) { return state == SwitchOn || state == On; };
    groupFormats.push_back({on(bold), on(italic), on(underline), font, size, colour});
}

void Converter::closeGroup()
{
    --depth;
    if (!groupFormats.empty()) {
        const GroupFormat before = groupFormats.back();
        groupFormats.pop_back();
        restoreToggle(bold, before.bold);
        restoreToggle(italic, before.italic);
        restoreToggle(underline, before.underline);
        changeFont(before.font);
        setSize(before.size);
        changeColour(before.colour);
    }
    if (!savedUc.empty() && savedUc.back().depth > depth) {
        uc = savedUc.back().uc;
        savedUc.pop_back();
    }
    if (fontTableMode && depth < fontTableLevel)
        fontTableMode = false;
    if (colourTableLevel >= 0 && depth < colourTableLevel)
        colourTableLevel = -1;
}

Word Converter::readWord(qsizetype at)
{
    // at: the first letter after the backslash.
    Word w;
    qsizetype k = at;
    while (k < n && isLetter(s[k]))
        ++k;
    w.name = std::string_view(reinterpret_cast<const char *>(s + at), size_t(k - at));
    const bool negative = k + 1 < n && s[k] == '-' && isDigit(s[k + 1]);
    if (negative)
        ++k;
    if (k < n && isDigit(s[k])) {
        w.hasNumber = true;
        long v = 0;
        for (; k < n && isDigit(s[k]); ++k)
            if (v < 100000000L)
                v = v * 10 + (s[k] - '0');
        w.number = negative ? -v : v;
    }
    if (k < n && s[k] == ' ')
        ++k;
    w.end = k;
    return w;
}

qsizetype Converter::swallowSeparators(qsizetype k)
{
    // The separators of the font and colour tables right after a word go
    // with the word.
    for (; k < n; ++k) {
        const uchar c = s[k];
        if (c == ';') {
            if (colourTableLevel >= 0)
                colourSeparator();
        } else if (c == '{') {
            openGroup();
        } else if (c == '}') {
            closeGroup();
        } else {
            break;
        }
    }
    return k;
}

qsizetype Converter::skipWord(qsizetype at) const
{
    // at: the backslash of a control word, symbol or escape.
    if (at + 1 >= n)
        return n;
    const uchar c = s[at + 1];
    if (c == '\'')
        return qMin(n, at + 4);
    if (!isLetter(c))
        return at + 2;
    qsizetype k = at + 1;
    while (k < n && isLetter(s[k]))
        ++k;
    if (k + 1 < n && s[k] == '-' && isDigit(s[k + 1]))
        ++k;
    while (k < n && isDigit(s[k]))
        ++k;
    if (k < n && s[k] == ' ')
        ++k;
    return k;
}

qsizetype Converter::skipRestOfGroup(qsizetype from, int level)
{
    qsizetype k = from;
    while (k < n && depth >= level) {
        const uchar c = s[k];
        if (c == '{') {
            openGroup();
            ++k;
        } else if (c == '}') {
            closeGroup();
            ++k;
        } else if (c == '\\') {
            // Escaped braces do not count, and binary data may hold anything.
            if (k + 4 < n && s[k + 1] == 'b' && s[k + 2] == 'i' && s[k + 3] == 'n' && !isLetter(s[k + 4])) {
                const Word w = readWord(k + 1);
                k = w.end;
                if (w.hasNumber && w.number > 0)
                    k = qMin(n, k + qsizetype(w.number));
            } else {
                k = skipWord(k);
            }
        } else {
            ++k;
        }
    }
    return k;
}

qsizetype Converter::readFontEntry(qsizetype from, int number)
{
    // The name is the entry's text up to ";": control words and nested
    // groups (alternative names, panose numbers) are not part of it.
    QString name;
    qsizetype k = from;
    while (k < n) {
        const uchar c = s[k];
        if (c == ';') {
            ++k;
            break;
        }
        if (c == '}')
            break;
        if (c == '{') {
            openGroup();
            k = skipRestOfGroup(k + 1, depth);
            continue;
        }
        if (c == '\\') {
            if (k + 3 < n && s[k + 1] == '\'') {
                if (name.size() < maxFontName)
                    name += Platform::fromWindows1252(uchar(hexValue(s[k + 2]) * 16 + hexValue(s[k + 3])));
            } else if (k + 1 < n && (s[k + 1] == '\\' || s[k + 1] == '{' || s[k + 1] == '}')) {
                if (name.size() < maxFontName)
                    name += QLatin1Char(char(s[k + 1]));
            }
            k = skipWord(k);
            continue;
        }
        if (c >= 32 && name.size() < maxFontName)
            name += Platform::fromWindows1252(c);
        ++k;
    }
    fonts.insert(number, name);
    return k;
}

qsizetype Converter::skipFallback(qsizetype from)
{
    // The characters that stand for a Unicode character in readers that do
    // not know it; a group boundary ends them early.
    qsizetype k = from;
    for (int left = uc; left > 0 && k < n;) {
        const uchar c = s[k];
        if (c == '{' || c == '}')
            break;
        if (c < 32) {
            ++k;
            continue;
        }
        k = c == '\\' ? skipWord(k) : k + 1;
        --left;
    }
    return k;
}

void Converter::unicodeCharacter(long value)
{
    if (value < 0)
        value += 65536;
    if (value < 0 || value > 0xFFFF)
        return;
    const char16_t unit = char16_t(value);
    char32_t code;
    if (QChar::isHighSurrogate(unit)) {
        pendingHigh = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        if (!pendingHigh)
            return;
        code = QChar::surrogateToUcs4(pendingHigh, unit);
    } else {
        code = unit;
    }
    pendingHigh = 0;
    if (code < 32 && code != '\t')
        return;
    writeCharacter(code);
}

void Converter::writeCharacter(char32_t code)
{
    // A character the page cannot hold goes in as its numeric reference.
    if (code < 0x10000) {
        if (unicodePage || Platform::toWindows1252(code) >= 0) {
            writeChar(QChar(char16_t(code)));
            return;
        }
    } else if (unicodePage) {
        writeText(QString::fromUcs4(&code, 1));
        return;
    }
    writeText(QStringLiteral("&#") + QString::number(uint(code)) + u';');
}

qsizetype Converter::controlReader(qsizetype at)
{
    const int level = depth;
    const qsizetype next = at + 1;
    if (next >= n)
        return n;
    const uchar c = s[next];
    if (c == '\'') {
        // A truncated escape at the very end of the text writes nothing.
        if (next + 2 >= n)
            return n;
        const int code = hexValue(s[next + 1]) * 16 + hexValue(s[next + 2]);
        if (code >= 32 || code == '\t')
            writeByte(uchar(code));
        return next + 3;
    }
    if (c == '*') {
        // Old writers put the bullet's description of a paragraph in an
        // optional group: it still marks the paragraph as bulleted.
        if (next + 3 < n && s[next + 1] == '\\' && readWord(next + 2).name == "pn"sv)
            markBulleted();
        return skipRestOfGroup(next + 1, level);
    }
    if (c == '\\' || c == '{' || c == '}') {
        writeChar(QLatin1Char(char(c)));
        return next + 1;
    }
    if (c == '\r' || c == '\n') {
        // A backslash ending a line is a paragraph mark.
        endParagraph();
        return next + 1;
    }
    if (!isLetter(c)) {
        // Control symbols: one character each.
        if (c == '~')
            writeChar(QChar(0xA0));
        else if (c == '_')
            writeChar(QLatin1Char('-'));
        else if (c == '-')
            writeChar(QChar(0xAD));
        return next + 1;
    }

    const Word w = readWord(next);
    const std::string_view word = w.name;
    // A table that opens its own group ends with it; its separators and
    // blanks are not body text.
    const bool opensGroup = at > 0 && s[at - 1] == '{';
    if (word == "colortbl"sv) {
        colourTableLevel = opensGroup ? level : -1;
        colourEntry = EntryFresh;
    } else if (word == "fonttbl"sv) {
        fontTableMode = true;
        fontTableLevel = opensGroup ? level : std::numeric_limits<int>::min();
    }
    qsizetype end = swallowSeparators(w.end);

    if (word == "par"sv || word == "page"sv || word == "sect"sv) {
        endParagraph();
    } else if (word == "line"sv) {
        writeText(QStringLiteral("<BR>"));
    } else if (word == "cell"sv) {
        endCell();
    } else if (word == "row"sv) {
        endRow();
    } else if (word == "intbl"sv) {
        inTable = true;
    } else if (word == "ls"sv || word == "pn"sv) {
        markBulleted();
    } else if (word == "f"sv) {
        if (fontTableMode)
            end = readFontEntry(end, w.value(0));
        else
            changeFont(w.value(0));
    } else if (word == "plain"sv) {
        plain();
    } else if (word == "fs"sv) {
        changeSize(w.value(11));
    } else if (word == "tab"sv) {
        writeChar(QLatin1Char('\t'));
    } else if (word == "b"sv) {
        toggle(bold, w);
    } else if (word == "i"sv) {
        toggle(italic, w);
    } else if (word == "ul"sv) {
        toggle(underline, w);
    } else if (word == "ulnone"sv) {
        Word none = w;
        none.hasNumber = true;
        none.number = 0;
        toggle(underline, none);
    } else if (word == "cf"sv) {
        changeColour(w.value(0));
    } else if (word == "qc"sv) {
        alignment = Centre;
        paragraphStarted = false;
    } else if (word == "qr"sv) {
        alignment = Right;
        paragraphStarted = false;
    } else if (word == "pntext"sv || word == "listtext"sv) {
        markBulleted();
        paragraphStarted = false;
        list = ListItem;
        end = skipRestOfGroup(end, level);
    } else if (word == "fi"sv) {
        paragraphStarted = false;
        if (bulleted) {
            firstLineIndent(w.value(0));
        } else {
            indentWaiting = true;
            waitingIndent = w.value(0);
        }
    } else if (word == "pard"sv) {
        alignment = Left;
        if (list > NoList)
            list = ListEnded;
        paragraphStarted = false;
        bulleted = false;
        indentWaiting = false;
        inTable = false;
    } else if (word == "red"sv) {
        colourComponent(w, true);
    } else if (word == "green"sv) {
        colourComponent(w, false);
    } else if (word == "blue"sv) {
        colourComponent(w, false);
        colours << colourBeingBuilt;
        colourEntry = EntryClosed;
    } else if (word == "deff"sv) {
        defaultFont = w.value(0);
    } else if (word == "deflang"sv) {
        deflang();
    } else if (word == "u"sv) {
        unicodeCharacter(w.number);
        end = skipFallback(end);
    } else if (word == "uc"sv) {
        if (savedUc.empty() || savedUc.back().depth != depth)
            savedUc.push_back({depth, uc});
        uc = qBound(0, w.value(1), 16);
    } else if (word == "bin"sv) {
        if (w.hasNumber && w.number > 0)
            end = qMin(n, end + qsizetype(w.number));
    } else {
        for (const Symbol &symbol : symbols)
            if (word == symbol.word) {
                writeCharacter(symbol.character);
                return end;
            }
        for (const std::string_view d : skippedDestinations)
            if (word == d) {
                end = skipRestOfGroup(end, level);
                break;
            }
    }
    return end;
}

void Converter::endParagraph()
{
    if (list == ListItem)
        list = ItemEnded;
    paragraphStarted = false;
}

void Converter::markBulleted()
{
    bulleted = true;
    if (indentWaiting) {
        indentWaiting = false;
        firstLineIndent(waitingIndent);
    }
}

void Converter::firstLineIndent(int value)
{
    paragraphStarted = false;
    if (list == ListEnded && value < 0) {
        // A hanging indent right after a list's "\pard" is its next item,
        // as written by word processors that repeat the paragraph
        // properties for every item.
        list = ItemEnded;
        writeMarkup();
    } else if (list == ListItem) {
        // The bullet text came first: the list opens and the paragraph is
        // still its first item.
        list = ListOpened;
        writeMarkup();
        list = ListItem;
        paragraphStarted = false;
    } else {
        list = ListOpened;
        writeMarkup();
    }
}

void Converter::endCell()
{
    // An empty cell still takes its place in the row.
    inTable = true;
    if (!cellOpen) {
        paragraphStarted = false;
        writeMarkup();
    }
    cellOpen = false;
    paragraphStarted = false;
}

void Converter::endRow()
{
    rowOpen = false;
    cellOpen = false;
    paragraphStarted = false;
}

void Converter::colourSeparator()
{
    // An entry with no component at all is the automatic colour: it takes
    // its place in the numbering but gives no colour value.
    if (colourEntry == EntryFresh)
        colours << QString();
    colourEntry = EntryFresh;
}

void Converter::colourComponent(const Word &w, bool first)
{
    const int v = qBound(0, w.value(255), 255);
    const QString digits = QString::number(v, 16).toUpper().rightJustified(2, u'0');
    if (first)
        colourBeingBuilt = u'#' + digits;
    else
        colourBeingBuilt = QString(colourBeingBuilt + digits).left(maxColourText);
    colourEntry = EntryHasComponent;
}

void Converter::deflang()
{
    fontTableMode = false;
    alignment = Left;
    paragraphStarted = false;
    list = NoList;
    font = defaultFont;
    size = 3;
    colour = 0;
    bold = italic = underline = Off;
    formatWritten = false;
}

void Converter::plain()
{
    bool switching = false;
    for (int *state : {&bold, &italic, &underline}) {
        if (*state == On)
            *state = SwitchOff;
        switching = switching || *state == SwitchOff;
    }
    if (switching || colour != 0) {
        const bool recolour = colour != 0;
        colour = 0;
        formatWritten = false;
        writeMarkup();
        // The colour goes back to the first entry: the text after must show
        // it, not the colour of the last FONT tag. The tag comes before the
        // next character, after the closings just written.
        if (recolour) {
            fontPending = true;
            formatWritten = false;
        }
    }
}

void Converter::restoreToggle(int &state, bool wasOn)
{
    const bool on = state == SwitchOn || state == On;
    if (on == wasOn)
        return;
    formatWritten = false;
    if (wasOn)
        state = state == SwitchOff ? On : SwitchOn;
    else
        state = state == On ? SwitchOff : Off;
}

void Converter::toggle(int &state, const Word &w)
{
    formatWritten = false;
    if (w.hasNumber && w.number == 0) {
        // "\b0" and its kin end the attribute.
        if (state == On)
            state = SwitchOff;
        else if (state == SwitchOn)
            state = Off;
    } else if (state == Off) {
        state = SwitchOn;
    } else if (state == SwitchOff) {
        // Switched off and on again before any text: it simply stays on.
        state = On;
    }
}

void Converter::changeFont(int number)
{
    if (number != font) {
        font = number;
        fontPending = true;
        formatWritten = false;
    }
}

void Converter::changeColour(int number)
{
    if (number != colour) {
        colour = number;
        fontPending = true;
        formatWritten = false;
    }
}

void Converter::changeSize(int halfPoints)
{
    const int p = halfPoints / 2;
    int html = 6;
    if (p >= 1 && p <= 5)
        html = 1;
    else if (p >= 6 && p <= 9)
        html = 2;
    else if (p >= 10 && p <= 11)
        html = 3;
    else if (p >= 12 && p <= 13)
        html = 4;
    else if (p >= 14 && p <= 15)
        html = 5;
    setSize(html);
}

void Converter::setSize(int html)
{
    if (html != size) {
        size = html;
        fontPending = true;
        formatWritten = false;
    }
}

void Converter::writeFontTag()
{
    out += u"<FONT";
    const auto face = fonts.constFind(font);
    if (face != fonts.constEnd()) {
        QString name = *face;
        name.replace(QChar(u'&'), QStringLiteral("&amp;"))
            .replace(QChar(u'"'), QStringLiteral("&quot;"))
            .replace(QChar(u'<'), QStringLiteral("&lt;"))
            .replace(QChar(u'>'), QStringLiteral("&gt;"));
        out += u" FACE=\"" + name + u'"';
    }
    if (colour >= 0 && colour < colours.size() && !colours.at(colour).isEmpty()) {
        out += u" COLOR=\"" + colours.at(colour) + u'"';
        colourGiven = true;
    } else if (colourGiven) {
        // FONT tags are never closed, so a tag without a colour would leave
        // the text in the colour of the one before: back to the automatic
        // (black) text colour explicitly.
        out += u" COLOR=\"#000000\"";
    }
    out += u" SIZE=\"" + QString::number(size) + u"\">";
}

void Converter::writeMarkup()
{
    if (suppressed())
        return;
    static constexpr const char16_t *opening[] = {u"<B>", u"<I>", u"<U>"};
    static constexpr const char16_t *closing[] = {u"</B>", u"</I>", u"</U>"};
    int *const states[] = {&bold, &italic, &underline};
    if (!paragraphStarted) {
        for (int k = 0; k < 3; ++k) {
            if (*states[k] == On || *states[k] == SwitchOff)
                out += closing[k];
            if (*states[k] == SwitchOff)
                *states[k] = Off;
        }
        if (inTable) {
            openCell();
        } else {
            if (tableOpen) {
                out += u"\r\n</TABLE>";
                tableOpen = rowOpen = cellOpen = false;
            }
            openParagraph();
        }
        for (int k = 0; k < 3; ++k)
            if (*states[k] == On)
                out += opening[k];
        paragraphStarted = true;
    }
    if (!formatWritten) {
        if (fontPending) {
            writeFontTag();
            fontPending = false;
        }
        for (int k = 0; k < 3; ++k) {
            if (*states[k] == SwitchOn) {
                out += opening[k];
                *states[k] = On;
            } else if (*states[k] == SwitchOff) {
                out += closing[k];
                *states[k] = Off;
            }
        }
        formatWritten = true;
    }
}

void Converter::openCell()
{
    // A list left open before the table ends here.
    if (list == ListEnded) {
        out += u"\r\n</UL>";
        list = NoList;
    }
    if (!tableOpen) {
        out += u"\r\n<TABLE BORDER=1>";
        tableOpen = true;
    }
    if (!rowOpen) {
        out += u"\r\n<TR>";
        rowOpen = true;
    }
    if (cellOpen) {
        // A second paragraph in the same cell.
        out += u"<BR>";
    } else {
        out += u"<TD>";
        cellOpen = true;
    }
}

void Converter::openParagraph()
{
    switch (list) {
    case NoList:
        out += alignment == Right ? u"\r\n<P ALIGN=RIGHT>" : alignment == Centre ? u"\r\n<P ALIGN=CENTER>" : u"\r\n<P>";
        break;
    case ListOpened:
        out += u"\r\n<UL>";
        break;
    case ListItem:
        out += u"\r\n<LI>";
        break;
    case ItemEnded:
        out += u"</LI>";
        break;
    case ListEnded:
        out += u"\r\n</UL>";
        list = NoList;
        break;
    }
}

void Converter::writeChar(QChar c)
{
    if (suppressed())
        return;
    writeMarkup();
    if (c == u'<')
        out += u"&lt;";
    else if (c == u'>')
        out += u"&gt;";
    else if (c == u'&')
        out += u"&amp;";
    else
        out += c;
}

void Converter::writeText(const QString &text)
{
    if (suppressed())
        return;
    writeMarkup();
    out += text;
}

void Converter::writeByte(uchar b)
{
    writeChar(Platform::fromWindows1252(b));
}

} // namespace

QString convert(QByteArrayView rtf, PageCharset page)
{
    return Converter(rtf, page).run();
}

bool isRtf(QByteArrayView bytes)
{
    qsizetype k = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (k < bytes.size() && (bytes[k] == ' ' || bytes[k] == '\t' || bytes[k] == '\r' || bytes[k] == '\n'))
        ++k;
    return bytes.sliced(k).startsWith("{\\rtf");
}

QString closeEmptyParagraphs(const QString &html)
{
    static constexpr QStringView empty = u"\r\n<P>\r\n<P";
    qsizetype at = html.indexOf(empty);
    if (at < 0)
        return html;
    // One pass: a replacement never makes a new occurrence before it. The
    // six characters replaced are the opening, its line break's CR too.
    QString result;
    result.reserve(html.size());
    qsizetype from = 0;
    while (at >= 0) {
        result += QStringView(html).mid(from, at - from);
        result += u"</P>";
        from = at + 6;
        at = html.indexOf(empty, from);
    }
    result += QStringView(html).mid(from);
    return result;
}

} // namespace Rtf2Html
