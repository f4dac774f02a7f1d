#include "FrenchTypography.h"

#include "platform/Latin1Entities.h"

#include <algorithm>

namespace FrenchTypography {
namespace {

using Mode = LineState::Mode;

enum TagKind : unsigned char { OtherTag, ScriptTag, StyleTag, CodeTag };

using Unit = TextUnit;

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

TagKind kindOf(QStringView name)
{
    if (name.compare(u"script", Qt::CaseInsensitive) == 0)
        return ScriptTag;
    if (name.compare(u"style", Qt::CaseInsensitive) == 0)
        return StyleTag;
    for (const char16_t *code : {u"code", u"pre", u"kbd", u"samp"})
        if (name.compare(QStringView(code), Qt::CaseInsensitive) == 0)
            return CodeTag;
    return OtherTag;
}

struct NamedEntity {
    const char16_t *name;
    char16_t ch;
};
// Beyond Latin-1: the entities of the French text and its punctuation.
const NamedEntity namedEntities[] = {
    {u"amp", u'&'},       {u"lt", u'<'},        {u"gt", u'>'},         {u"quot", u'"'},
    {u"apos", u'\''},     {u"colon", u':'},     {u"semi", u';'},       {u"excl", u'!'},
    {u"quest", u'?'},     {u"lpar", u'('},      {u"rpar", u')'},       {u"sol", u'/'},
    {u"NoBreak", 0x2060}, {u"thinsp", 0x2009},  {u"ensp", 0x2002},     {u"emsp", 0x2003},
    {u"OElig", 0x0152},   {u"oelig", 0x0153},   {u"Scaron", 0x0160},   {u"scaron", 0x0161},
    {u"Yuml", 0x0178},    {u"circ", 0x02C6},    {u"tilde", 0x02DC},    {u"zwnj", 0x200C},
    {u"zwj", 0x200D},     {u"ndash", 0x2013},   {u"mdash", 0x2014},    {u"lsquo", 0x2018},
    {u"rsquo", 0x2019},   {u"sbquo", 0x201A},   {u"ldquo", 0x201C},    {u"rdquo", 0x201D},
    {u"bdquo", 0x201E},   {u"dagger", 0x2020},  {u"Dagger", 0x2021},   {u"bull", 0x2022},
    {u"hellip", 0x2026},  {u"permil", 0x2030},  {u"lsaquo", 0x2039},   {u"rsaquo", 0x203A},
    {u"euro", 0x20AC},    {u"trade", 0x2122},
};
// The Latin-1 entities, from U+00A0 on.
constexpr const auto &latin1Entities = Platform::latin1EntityNames;

// The entity at line[i] ('&'): its character and length, or length 0.
// An entity the table does not know, or a character beyond U+FFFF, stands
// as some letter, *known false.
int decodeEntity(QStringView line, int i, QChar *out, bool *known)
{
    *known = true;
    const int limit = std::min<int>(line.size(), i + 34);
    int j = i + 1;
    if (j < limit && line.at(j) == u'#') {
        ++j;
        const bool hex = j < limit && (line.at(j) == u'x' || line.at(j) == u'X');
        if (hex)
            ++j;
        const int digits = j;
        uint value = 0;
        while (j < limit) {
            const char16_t d = line.at(j).unicode();
            int digit = -1;
            if (d >= u'0' && d <= u'9')
                digit = d - u'0';
            else if (hex && d >= u'a' && d <= u'f')
                digit = d - u'a' + 10;
            else if (hex && d >= u'A' && d <= u'F')
                digit = d - u'A' + 10;
            if (digit < 0)
                break;
            value = std::min<uint>(value * (hex ? 16 : 10) + uint(digit), 0x110000);
            ++j;
        }
        if (j == digits || j >= limit || line.at(j) != u';')
            return 0;
        *known = value <= 0xFFFF && value != 0;
        *out = *known ? QChar(char16_t(value)) : QChar(u'x');
        return j + 1 - i;
    }
    while (j < limit && (isAsciiLetter(line.at(j)) || line.at(j).isDigit()))
        ++j;
    if (j == i + 1 || j >= limit || line.at(j) != u';')
        return 0;
    const QStringView name = line.mid(i + 1, j - i - 1);
    *out = QChar(u'x');
    *known = false;
    for (const NamedEntity &e : namedEntities)
        if (name == QStringView(e.name)) {
            *out = QChar(e.ch);
            *known = true;
        }
    for (int k = 0; k < int(std::size(latin1Entities)) && !*known; ++k)
        if (name == QStringView(latin1Entities[k])) {
            *out = QChar(char16_t(0xA0 + k));
            *known = true;
        }
    return j + 1 - i;
}

// Reads the line's text into units, following tags, comments, scripts and
// styles; returns the state at the line's end.
// The units of the line's text into *units; without units, only the state
// at the line's end, which text changes only at a "<".
LineState readUnits(QStringView line, LineState s, QList<Unit> *units)
{
    const int n = int(line.size());
    int i = 0;
    while (i < n) {
        switch (s.mode) {
        case Mode::Comment: {
            const int end = int(line.indexOf(u"-->", i));
            if (end < 0)
                return s;
            i = end + 3;
            s.mode = Mode::Text;
            break;
        }
        case Mode::Script:
        case Mode::Style: {
            const int end = int(line.indexOf(s.mode == Mode::Script ? u"</script" : u"</style", i, Qt::CaseInsensitive));
            if (end < 0)
                return s;
            i = end; // the closing tag is read as text mode reads a tag
            s.mode = Mode::Text;
            break;
        }
        case Mode::Tag: {
            const QChar c = line.at(i++);
            if (!s.quote.isNull()) {
                if (c == s.quote)
                    s.quote = QChar();
            } else if ((c == u'"' || c == u'\'') && s.afterEquals) {
                s.quote = c;
                s.afterEquals = false;
            } else if (c == u'=') {
                s.afterEquals = true;
            } else if (c == u'>') {
                s.mode = Mode::Text;
                s.afterEquals = false;
                if (!s.closingTag && s.tagKind == ScriptTag)
                    s.mode = Mode::Script;
                else if (!s.closingTag && s.tagKind == StyleTag)
                    s.mode = Mode::Style;
                else if (s.tagKind == CodeTag)
                    s.codeDepth = s.closingTag ? std::max(0, s.codeDepth - 1) : s.codeDepth + 1;
            } else if (!c.isSpace()) {
                s.afterEquals = false;
            }
            break;
        }
        case Mode::Text: {
            if (!units) {
                const int lt = int(line.indexOf(u'<', i));
                if (lt < 0)
                    return s;
                i = lt;
            }
            const QChar c = line.at(i);
            const bool checked = s.codeDepth == 0;
            if (c == u'<' && i + 1 < n) {
                const QChar d = line.at(i + 1);
                if (d == u'!' && line.mid(i + 2, 2) == u"--") {
                    s.mode = Mode::Comment;
                    i += 4;
                    break;
                }
                if (d == u'!' || d == u'?') {
                    s = LineState{Mode::Tag, QChar(), false, false, OtherTag, s.codeDepth};
                    i += 2;
                    break;
                }
                const bool closing = d == u'/';
                int nameStart = i + (closing ? 2 : 1);
                if (nameStart < n && isAsciiLetter(line.at(nameStart))) {
                    int nameEnd = nameStart;
                    while (nameEnd < n && (isAsciiLetter(line.at(nameEnd)) || line.at(nameEnd).isDigit()
                                           || line.at(nameEnd) == u'-' || line.at(nameEnd) == u':'))
                        ++nameEnd;
                    s = LineState{Mode::Tag, QChar(), closing, false,
                                  kindOf(line.mid(nameStart, nameEnd - nameStart)), s.codeDepth};
                    i = nameEnd;
                    break;
                }
            }
            if (!units) {
                ++i;
                break;
            }
            if (c == u'&') {
                QChar decoded;
                bool known = true;
                if (const int length = decodeEntity(line, i, &decoded, &known)) {
                    *units << Unit{decoded, i, i + length, checked, !known};
                    i += length;
                    break;
                }
            }
            if (c.isHighSurrogate() && i + 1 < n && line.at(i + 1).isLowSurrogate()) {
                *units << Unit{QChar(u'x'), i, i + 2, checked, true};
                i += 2;
                break;
            }
            *units << Unit{c, i, i + 1, checked, false};
            ++i;
            break;
        }
        }
    }
    return s;
}

bool startsWith(const QList<Unit> &units, int at, int end, QStringView word)
{
    if (end - at < word.size())
        return false;
    for (int k = 0; k < word.size(); ++k)
        if (units.at(at + k).ch.toLower() != word.at(k))
            return false;
    return true;
}

// Addresses are no prose: every unit of a word holding "://" or starting
// with "mailto:" or "www." is left unchecked.
void skipAddresses(QList<Unit> &units)
{
    const int n = int(units.size());
    int k = 0;
    while (k < n) {
        if (units.at(k).ch.isSpace()) {
            ++k;
            continue;
        }
        int end = k;
        bool address = false;
        while (end < n && !units.at(end).ch.isSpace()) {
            if (units.at(end).ch == u':' && startsWith(units, end, n, u"://"))
                address = true;
            ++end;
        }
        // A word may start after an opening bracket or quote: "(http://...".
        int first = k;
        while (first < end && QStringView(u"([{\"'<«").contains(units.at(first).ch))
            ++first;
        if (startsWith(units, first, end, u"mailto:") || startsWith(units, first, end, u"www."))
            address = true;
        if (address)
            for (int j = k; j < end; ++j)
                units[j].checked = false;
        k = end;
    }
}

bool isBreakingSpace(QChar c) { return c.isSpace() && c != NoBreak && c != NarrowNoBreak; }

bool isEmoticonTail(const QList<Unit> &units, int k)
{
    // ":-)", ":)", ";-(", ":D", ":p" ... after a colon or semicolon.
    const int n = int(units.size());
    if (k + 1 >= n)
        return false;
    const QChar next = units.at(k + 1).ch;
    if (next == u'-' || next == u')' || next == u'(' || next == u'|')
        return true;
    if (QStringView(u"DPpOo").contains(next))
        return k + 2 >= n || !units.at(k + 2).ch.isLetterOrNumber();
    return false;
}

// The fault for the space before units[k], expecting `wanted`.
bool faultBefore(const QList<Unit> &units, int k, QChar wanted, Fault &f)
{
    const Unit &prev = units.at(k - 1);
    f.space = wanted;
    if (prev.ch == wanted)
        return false;
    if (prev.ch == NarrowNoBreak)
        return false; // narrower than wanted, and it does not break either
    if (prev.ch == NoBreak) {
        f.kind = Kind::NotNarrow;
        f.start = prev.from;
        f.length = prev.to - prev.from;
        return true;
    }
    if (isBreakingSpace(prev.ch)) {
        int j = k - 1;
        while (j > 0 && units.at(j - 1).ch.isSpace() && units.at(j - 1).to == units.at(j).from)
            --j;
        // Only spaces since the line's start: the word is on the line above,
        // and the line break between them is not ours to change.
        if (j == 0)
            return false;
        f.kind = Kind::Ordinary;
        f.start = units.at(j).from;
        f.length = prev.to - f.start;
        return true;
    }
    f.kind = Kind::Missing;
    f.start = units.at(k).from;
    f.length = 0;
    return true;
}

bool faultAfter(const QList<Unit> &units, int k, QChar wanted, Fault &f)
{
    const Unit &next = units.at(k + 1);
    f.space = wanted;
    if (next.ch == wanted || next.ch == NarrowNoBreak)
        return false;
    if (isBreakingSpace(next.ch)) {
        int j = k + 1;
        while (j + 1 < units.size() && units.at(j + 1).ch.isSpace() && units.at(j + 1).from == units.at(j).to)
            ++j;
        if (j + 1 >= units.size())
            return false; // the quotation goes on on the next line
        f.kind = Kind::Ordinary;
        f.start = next.from;
        f.length = units.at(j).to - next.from;
        return true;
    }
    f.kind = Kind::Missing;
    f.start = units.at(k).to;
    f.length = 0;
    return true;
}

void checkUnits(const QList<Unit> &units, QList<Fault> &faults)
{
    const int n = int(units.size());
    for (int k = 0; k < n; ++k) {
        const Unit &u = units.at(k);
        if (!u.checked)
            continue;
        const QChar c = u.ch;
        Fault f;
        f.sign = c;
        f.mark = u.from;
        if (c == u'«') {
            if (k + 1 < n && faultAfter(units, k, NoBreak, f))
                faults << f;
            continue;
        }
        if (c == u'»') {
            if (k > 0 && faultBefore(units, k, NoBreak, f))
                faults << f;
            continue;
        }
        if (c != u';' && c != u':' && c != u'!' && c != u'?')
            continue;
        if (k == 0)
            continue; // the word before it is on the line above
        const QChar prev = units.at(k - 1).ch;
        const QChar next = k + 1 < n ? units.at(k + 1).ch : QChar();
        // "?!", "!!", "::": the space goes before the first sign only.
        if (QStringView(u";:!?").contains(prev))
            continue;
        // "(!)", "[?]", "'?'": a sign quoted or in brackets.
        if (QStringView(u"([{\"'/\\").contains(prev))
            continue;
        // Inside a word or a number: 10:30, xml:lang, a;b.
        if (prev.isLetterOrNumber() && next.isLetterOrNumber())
            continue;
        if ((c == u':' || c == u';') && isEmoticonTail(units, k))
            continue;
        // A drive or a path: "C:\", "C:/".
        if (c == u':' && (next == u'/' || next == u'\\'))
            continue;
        if (faultBefore(units, k, c == u':' ? NoBreak : NarrowNoBreak, f))
            faults << f;
    }
}

QString signName(QChar sign) { return QStringLiteral("« ") + sign + QStringLiteral(" »"); }

} // namespace

LineState readText(QStringView line, const LineState &start, QList<TextUnit> &units)
{
    units.clear();
    units.reserve(line.size());
    const LineState end = readUnits(line, start, &units);
    skipAddresses(units);
    return end;
}

LineState endOf(QStringView line, const LineState &start) { return readUnits(line, start, nullptr); }

LineResult scanLine(QStringView line, const LineState &start)
{
    LineResult result;
    QList<Unit> units;
    result.end = readText(line, start, units);
    checkUnits(units, result.faults);
    return result;
}

QList<Fault> scan(const QStringList &lines)
{
    QList<Fault> faults;
    LineState state;
    for (int i = 0; i < lines.size(); ++i) {
        LineResult r = scanLine(lines.at(i), state);
        for (Fault &f : r.faults) {
            f.line = i;
            faults << f;
        }
        state = r.end;
    }
    return faults;
}

QString describe(const Fault &fault)
{
    const QString where = fault.sign == u'«' ? QStringLiteral("après ") : QStringLiteral("avant ");
    switch (fault.kind) {
    case Kind::Missing:
        return QStringLiteral("Espace manquante ") + where + signName(fault.sign);
    case Kind::Ordinary:
        return QStringLiteral("Espace ordinaire ") + where + signName(fault.sign);
    case Kind::NotNarrow:
        return QStringLiteral("Espace insécable non fine ") + where + signName(fault.sign);
    }
    return QString();
}

QString describeFix(const Fault &fault)
{
    const QString where = fault.sign == u'«' ? QStringLiteral(" après ") : QStringLiteral(" avant ");
    const QString space = fault.space == NarrowNoBreak ? QStringLiteral("espace fine insécable")
                                                       : QStringLiteral("espace insécable");
    return space + where + signName(fault.sign);
}

QString fixText(const Fault &fault, bool windows1252)
{
    if (windows1252 && fault.space.unicode() > 0xFF)
        return QStringLiteral("&#%1;").arg(fault.space.unicode());
    return QString(fault.space);
}

QString excerpt(const QString &line, const Fault &fault, int context)
{
    const int from = std::max(0, fault.mark - context);
    const int to = std::min<int>(line.size(), fault.mark + 1 + context);
    QString text = line.mid(from, to - from);
    text.replace(u'\t', u' ');
    return (from > 0 ? QStringLiteral("…") : QString()) + text + (to < line.size() ? QStringLiteral("…") : QString());
}

QStringList applyFixes(const QStringList &lines, QList<Fault> faults, bool windows1252)
{
    QStringList out = lines;
    // From the end of each line backwards, so that earlier places keep their
    // positions.
    std::sort(faults.begin(), faults.end(), [](const Fault &a, const Fault &b) {
        return a.line != b.line ? a.line > b.line : a.start != b.start ? a.start > b.start : a.length > b.length;
    });
    int line = -1, lowest = 0;
    const Fault *last = nullptr;
    for (const Fault &f : faults) {
        if (f.line < 0 || f.line >= out.size())
            continue;
        if (f.line != line) {
            line = f.line;
            lowest = int(out.at(line).size()) + 1;
            last = nullptr;
        }
        // The same change asked twice ("« »": the space after « is the one
        // before »), or one that overlaps a change already made.
        if (last && last->start == f.start && last->length == f.length && last->space == f.space)
            continue;
        if (f.start + f.length > lowest)
            continue;
        out[line].replace(f.start, f.length, fixText(f, windows1252));
        lowest = f.start;
        last = &f;
    }
    return out;
}

} // namespace FrenchTypography
