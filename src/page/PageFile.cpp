#include "PageFile.h"

#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/Windows1252.h"

#include "page/SafeSave.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <future>
#include <mutex>
#include <optional>
#include <vector>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace PageFile {

QString decodeWindows1252(const QByteArray &bytes)
{
    // Latin-1 everywhere but in 0x80..0x9F: the bulk is converted at once,
    // and only those few bytes looked up.
    QString out = QString::fromLatin1(bytes);
    const qsizetype n = bytes.size();
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    QChar *d = nullptr;
    for (qsizetype i = 0; i < n; ++i) {
        const uchar b = p[i];
        if (b >= 0x80 && b < 0xA0) {
            if (!d)
                d = out.data();
            d[i] = Platform::fromWindows1252(b);
        }
    }
    return out;
}

namespace {
// The length of the run of ASCII bytes at the start of [p, p + n), found
// eight bytes at a time.
qsizetype asciiRun(const uchar *p, qsizetype n)
{
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// Copies the ASCII units at the start of s (at most n) into d as bytes;
// answers how many. Four at a time while they are all ASCII.
qsizetype narrowAscii(const char16_t *s, char *d, qsizetype n)
{
    qsizetype i = 0;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        for (; i + 4 <= n; i += 4) {
            quint64 units;
            std::memcpy(&units, s + i, 8);
            if (units & 0xFF80FF80FF80FF80ULL)
                break;
            const quint32 bytes = quint32(units & 0xFF) | quint32((units >> 8) & 0xFF00)
                | quint32((units >> 16) & 0xFF0000) | quint32((units >> 24) & 0xFF000000);
            std::memcpy(d + i, &bytes, 4);
        }
    }
    for (; i < n && s[i] < 0x80; ++i)
        d[i] = char(s[i]);
    return i;
}
} // namespace

namespace {
void appendNarrow(QByteArray &out, QStringView text, const TextForm &form, bool utf8, QByteArrayView lineBreak);
} // namespace

QByteArray encodeWindows1252(const QString &text)
{
    // LF is a character like any other here.
    QByteArray out;
    appendNarrow(out, text, TextForm{}, false, "\n");
    return out;
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar c = p[i];
        int extra;
        char32_t min;
        if (c < 0x80) { i += asciiRun(p + i, n - i); continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; }
        else return false;
        if (i + extra >= n)
            return false;
        char32_t cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const uchar cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {
// Only the head can name the character set, and browsers look for it near
// the start: a long page is not searched through.
constexpr qsizetype declarationReach = 64 * 1024;

// The declaration is read twice: in the file's bytes taken as Latin-1 when
// the page is opened, and in its text when it is saved. Only ASCII counts
// in it, as in browsers: a no-break space or a letter whose case folds to
// an ASCII one would read differently in the two, and the page would be
// saved in a set it is not read back in.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool startsWithCaseless(QStringView text, qsizetype at, QStringView word)
{
    if (text.size() - at < word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (Ascii::toLower(text.at(at + i)) != Ascii::toLower(word.at(i)))
            return false;
    return true;
}

bool isNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
        || c == u'_' || c == u'.' || c == u':';
}

// What a tag's charset attribute says.
enum class Charset { Absent, Utf8, Windows1252, Foreign };

Charset charsetInTag(QStringView tag)
{
    const QString lower = Ascii::lower(tag);
    for (qsizetype at = lower.indexOf(u"charset"); at >= 0; at = lower.indexOf(u"charset", at + 1)) {
        qsizetype i = at + 7;
        while (i < tag.size() && isBlank(tag.at(i)))
            ++i;
        if (i >= tag.size() || tag.at(i) != u'=')
            continue;
        ++i;
        while (i < tag.size() && (isBlank(tag.at(i)) || tag.at(i) == u'"' || tag.at(i) == u'\''))
            ++i;
        qsizetype end = i;
        while (end < tag.size() && isNameChar(tag.at(end)))
            ++end;
        const QStringView name = tag.mid(i, end - i);
        auto is = [&name](QStringView n) { return name.size() == n.size() && startsWithCaseless(name, 0, n); };
        if (is(u"utf-8") || is(u"utf8"))
            return Charset::Utf8;
        if (is(u"windows-1252") || is(u"cp1252") || is(u"iso-8859-1") || is(u"iso_8859-1") || is(u"latin1"))
            return Charset::Windows1252;
        return Charset::Foreign; // a set of its own: not ours to follow
    }
    return Charset::Absent;
}
} // namespace

std::optional<Encoding> declaredEncoding(QStringView text)
{
    text = text.left(declarationReach);
    for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at + 1)) {
        if (startsWithCaseless(text, at, u"<!--")) {
            const qsizetype end = text.indexOf(u"-->", at + 4);
            if (end < 0)
                break;
            at = end + 2;
            continue;
        }
        if (startsWithCaseless(text, at, u"<body"))
            break;
        if (!startsWithCaseless(text, at, u"<meta") || text.size() <= at + 5
            || !(isBlank(text.at(at + 5)) || text.at(at + 5) == u'/'))
            continue;
        qsizetype end = text.indexOf(u'>', at);
        if (end < 0)
            end = text.size();
        switch (charsetInTag(text.mid(at, end - at))) {
        case Charset::Absent: break;
        case Charset::Utf8: return Encoding::Utf8;
        case Charset::Windows1252: return Encoding::Windows1252;
        case Charset::Foreign: return std::nullopt;
        }
        at = end - 1;
    }
    return std::nullopt;
}

std::optional<Encoding> declaredEncoding(const QStringList &lines)
{
    QString head;
    for (const QString &line : lines) {
        if (head.size() >= declarationReach)
            break;
        head += line;
        head += u'\n';
    }
    return declaredEncoding(QStringView(head));
}

bool isWide(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Windows1252:
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        return false;
    default:
        return true;
    }
}

namespace {
Encoding chosenEncoding(std::optional<Encoding> declared, Encoding opened)
{
    if (!declared)
        return opened;
    if (*declared == Encoding::Utf8 && opened == Encoding::Utf8Bom)
        return opened;
    return *declared;
}
} // namespace

Encoding saveEncoding(const QStringList &lines, Encoding opened)
{
    // A UTF-16 or UTF-32 file's own form wins over what its head says: its
    // byte-order mark or its layout is what every reader goes by.
    if (isWide(opened))
        return opened;
    return chosenEncoding(declaredEncoding(lines), opened);
}

Encoding saveEncodingOfText(QStringView text, Encoding opened)
{
    if (isWide(opened))
        return opened;
    return chosenEncoding(declaredEncoding(text), opened);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << text.mid(start, i - start);
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

Breaks breaksOf(QStringView text)
{
    qsizetype crlf = 0, lf = 0, cr = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < n && text.at(i + 1) == u'\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        } else if (c == u'\n') {
            ++lf;
        }
    }
    Breaks breaks;
    if (lf > crlf && lf >= cr)
        breaks.style = LineBreak::Lf;
    else if (cr > crlf && cr > lf)
        breaks.style = LineBreak::Cr;
    breaks.final = n == 0 || text.endsWith(u'\r') || text.endsWith(u'\n');
    return breaks;
}

namespace {

struct WideForm {
    Encoding encoding;
    QStringConverter::Encoding converter;
    int unit;
};

constexpr WideForm wideForms[] = {
    {Encoding::Utf32Le, QStringConverter::Utf32LE, 4},
    {Encoding::Utf32Be, QStringConverter::Utf32BE, 4},
    {Encoding::Utf16Le, QStringConverter::Utf16LE, 2},
    {Encoding::Utf16Be, QStringConverter::Utf16BE, 2},
};

const WideForm &formOf(Encoding e)
{
    for (const WideForm &f : wideForms)
        if (f.encoding == e || Encoding(int(f.encoding) + 1) == e)
            return f;
    return wideForms[0];
}

bool hasBom(Encoding e)
{
    return e == Encoding::Utf8Bom || e == Encoding::Utf16LeBom || e == Encoding::Utf16BeBom
        || e == Encoding::Utf32LeBom || e == Encoding::Utf32BeBom;
}

QByteArray bomOf(Encoding e)
{
    switch (e) {
    case Encoding::Utf8Bom: return QByteArrayLiteral("\xEF\xBB\xBF");
    case Encoding::Utf16LeBom: return QByteArrayLiteral("\xFF\xFE");
    case Encoding::Utf16BeBom: return QByteArrayLiteral("\xFE\xFF");
    case Encoding::Utf32LeBom: return QByteArray("\xFF\xFE\0\0", 4);
    case Encoding::Utf32BeBom: return QByteArray("\0\0\xFE\xFF", 4);
    default: return {};
    }
}

// Text without a byte-order mark is taken as UTF-16 or UTF-32 only when
// it decodes cleanly and looks like a page: many characters of the ASCII
// range (the markup) and no control characters but tabs and breaks.
// Pictures and other binary files fail that at once.
bool plausibleText(QStringView text)
{
    if (text.isEmpty())
        return false;
    qsizetype ascii = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f')
            return false;
        if (u == 0xFFFE || u == 0xFFFF)
            return false;
        if (u < 0x80)
            ++ascii;
    }
    return ascii * 4 >= text.size();
}

std::optional<QString> decodeStrict(const QByteArray &bytes, QStringConverter::Encoding converter)
{
    QStringDecoder decoder(converter, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    // The decoder lets some invalid units through (UTF-32 beyond U+10FFFF
    // comes out as other characters): only a form that gives the same bytes
    // back is the file's.
    QStringEncoder encoder(converter, QStringConverter::Flag::Stateless);
    const QByteArray back = encoder.encode(text);
    if (encoder.hasError() || back != bytes)
        return std::nullopt;
    return text;
}

// The decoded text with every break turned into LF, in place, and the
// file's break style (as breaksOf() finds it) noted on the way.
void setText(Text &page, QString &&text)
{
    const qsizetype n = text.size();
    page.breaks.final = n == 0 || text.endsWith(u'\r') || text.endsWith(u'\n');
    qsizetype crlf = 0, lf = 0, cr = 0;
    const qsizetype firstCr = text.indexOf(u'\r');
    if (firstCr < 0) {
        lf = text.count(u'\n');
    } else {
        lf = QStringView(text).first(firstCr).count(u'\n');
        QChar *d = text.data();
        qsizetype w = firstCr;
        for (qsizetype r = firstCr; r < n; ++r) {
            const QChar c = d[r];
            if (c == u'\r') {
                if (r + 1 < n && d[r + 1] == u'\n') {
                    ++crlf;
                    ++r;
                } else {
                    ++cr;
                }
                d[w++] = u'\n';
            } else {
                if (c == u'\n')
                    ++lf;
                d[w++] = c;
            }
        }
        text.truncate(w);
    }
    page.breaks.style = LineBreak::CrLf;
    if (lf > crlf && lf >= cr)
        page.breaks.style = LineBreak::Lf;
    else if (cr > crlf && cr > lf)
        page.breaks.style = LineBreak::Cr;
    page.text = std::move(text);
}

} // namespace

QStringList linesOf(QStringView text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = n;
        lines << text.sliced(start, end - start).toString();
        start = end + 1;
    }
    return lines;
}

QString textOf(const QStringList &lines)
{
    qsizetype size = lines.size();
    for (const QString &line : lines)
        size += line.size();
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += u'\n';
    }
    return text;
}

Text decodeText(const QByteArray &bytes)
{
    Text page;
    // The longer marks first: UTF-32 little-endian starts like UTF-16's.
    for (Encoding e : {Encoding::Utf8Bom, Encoding::Utf32LeBom, Encoding::Utf32BeBom, Encoding::Utf16LeBom,
                       Encoding::Utf16BeBom}) {
        const QByteArray bom = bomOf(e);
        if (!bytes.startsWith(bom))
            continue;
        page.encoding = e;
        const QByteArrayView body = QByteArrayView(bytes).sliced(bom.size());
        if (e == Encoding::Utf8Bom) {
            // The mark is taken off here; a second one is the page's own
            // text, which fromUtf8() would drop as well.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
            setText(page, utf8(body));
        } else {
            // A wide form with units it cannot hold is no text we could
            // write back as found: refused rather than changed by a save.
            std::optional<QString> text = decodeStrict(body.toByteArray(), formOf(e).converter);
            if (!text) {
                page.isText = false;
                return page;
            }
            setText(page, std::move(*text));
        }
        return page;
    }
    if (bytes.contains('\0')) {
        for (const WideForm &f : wideForms) {
            if (bytes.size() % f.unit != 0)
                continue;
            std::optional<QString> text = decodeStrict(bytes, f.converter);
            if (text && plausibleText(*text)) {
                page.encoding = f.encoding;
                setText(page, std::move(*text));
                return page;
            }
        }
        page.isText = false;
        return page;
    }
    // The declaration is ASCII in both sets: look for it in the bytes taken
    // as Latin-1.
    const std::optional<Encoding> declared =
        declaredEncoding(QStringView(QString::fromLatin1(bytes.left(declarationReach))));
    const bool ascii =
        asciiRun(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()) == bytes.size();
    const bool utf8 = declared ? *declared == Encoding::Utf8 && (ascii || isValidUtf8(bytes))
                               : !ascii && isValidUtf8(bytes);
    if (utf8) {
        page.encoding = Encoding::Utf8;
        setText(page, QString::fromUtf8(bytes));
    } else {
        setText(page, decodeWindows1252(bytes));
    }
    return page;
}

Page decode(const QByteArray &bytes)
{
    Text text = decodeText(bytes);
    Page page;
    page.lines = linesOf(text.text);
    page.encoding = text.encoding;
    page.breaks = text.breaks;
    page.text = text.isText;
    return page;
}

QByteArray encodeText(QStringView text, Encoding encoding, Breaks breaks)
{
    if (!isWide(encoding))
        return encodeText(text, TextForm{}, encoding, breaks);
    // The lines joined by LF; the last one gets its break only when the
    // file's last line had one.
    const bool endsWithBreak = text.endsWith(u'\n');
    const QStringView body = endsWithBreak ? text.chopped(1) : text;
    const bool finalBreak = breaks.final && !text.isEmpty();
    QByteArray out = hasBom(encoding) ? bomOf(encoding) : QByteArray();
    const QStringView lineBreak = breaks.style == LineBreak::Lf ? u"\n" : breaks.style == LineBreak::Cr ? u"\r" : u"\r\n";
    QString withBreaks;
    QStringView whole = body;
    if (breaks.style != LineBreak::Lf || finalBreak) {
        if (breaks.style == LineBreak::Lf) {
            withBreaks.reserve(body.size() + 1);
            withBreaks += body;
        } else if (breaks.style == LineBreak::Cr) {
            withBreaks = body.toString();
            withBreaks.replace(u'\n', u'\r');
        } else {
            // Built line by line: a replace() of LF by two characters
            // moves the rest of the text for every batch of breaks.
            withBreaks.reserve(body.size() + body.count(u'\n') + 2);
            qsizetype start = 0;
            for (qsizetype at = body.indexOf(u'\n'); at >= 0; at = body.indexOf(u'\n', start)) {
                withBreaks += body.sliced(start, at - start);
                withBreaks += lineBreak;
                start = at + 1;
            }
            withBreaks += body.sliced(start);
        }
        if (finalBreak)
            withBreaks += lineBreak;
        whole = withBreaks;
    }
    QStringEncoder encoder(formOf(encoding).converter, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    out += QByteArray(encoder.encode(whole));
    return out;
}

namespace {
// The text of `form` in the ordinary form (small pieces only).
QString ordinary(QStringView text, const TextForm &form)
{
    QString out = text.toString();
    for (QChar &c : out) {
        if (c == QChar(form.lineBreak))
            c = u'\n';
        else if (form.standIn && c == QChar(form.standIn))
            c = QChar(form.standsFor);
    }
    return out;
}

// Bytes of text in Windows-1252 or UTF-8, `lineBreak` for each of form's
// breaks, into out (grown as needed).
void appendNarrow(QByteArray &out, QStringView text, const TextForm &form, bool utf8, QByteArrayView lineBreak)
{
    const qsizetype n = text.size();
    qsizetype capacity = out.size() + n + n / 8 + 64;
    qsizetype done = out.size();
    out.resize(capacity);
    char *d = out.data() + done;
    char *end = out.data() + capacity;
    const char16_t *s = text.utf16();
    // Runs of ASCII go in bulk when no ASCII unit is special in this form.
    const bool bulk = form.lineBreak >= 0x80 && (!form.standIn || form.standIn >= 0x80);
    for (qsizetype i = 0; i < n; ++i) {
        if (end - d < 64) {
            done = d - out.data();
            capacity = capacity + (n - i) + 64 + capacity / 8;
            out.resize(capacity);
            d = out.data() + done;
            end = out.data() + capacity;
        }
        if (bulk) {
            const qsizetype run = narrowAscii(s + i, d, std::min(n - i, qsizetype(end - d) - 32));
            d += run;
            i += run;
            if (i == n)
                break;
            if (end - d < 32) {
                --i; // the room is made at the top of the loop
                continue;
            }
        }
        char32_t c = s[i];
        if (c < 0x80 && c != form.lineBreak) {
            *d++ = char(c);
            continue;
        }
        if (c == form.lineBreak) {
            for (char b : lineBreak)
                *d++ = b;
            continue;
        }
        if (form.standIn && c == form.standIn)
            c = form.standsFor;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            c = QChar::surrogateToUcs4(char16_t(c), s[i + 1]);
            ++i;
        } else if (utf8 && QChar::isSurrogate(c)) {
            // A half of a pair alone has no UTF-8 form: a question mark,
            // as the library's own conversion has always written here.
            c = u'?';
        }
        if (!utf8) {
            const int b = Platform::toWindows1252(c);
            if (b >= 0) {
                *d++ = char(b);
            } else {
                char digits[16];
                const int len = std::snprintf(digits, sizeof digits, "&#%u;", uint(c));
                std::memcpy(d, digits, size_t(len));
                d += len;
            }
        } else if (c < 0x80) {
            *d++ = char(c);
        } else if (c < 0x800) {
            *d++ = char(0xC0 | (c >> 6));
            *d++ = char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *d++ = char(0xE0 | (c >> 12));
            *d++ = char(0x80 | ((c >> 6) & 0x3F));
            *d++ = char(0x80 | (c & 0x3F));
        } else {
            *d++ = char(0xF0 | (c >> 18));
            *d++ = char(0x80 | ((c >> 12) & 0x3F));
            *d++ = char(0x80 | ((c >> 6) & 0x3F));
            *d++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(d - out.data());
}

// Texts above this are encoded in two halves at once.
constexpr qsizetype parallelFrom = 4 * 1024 * 1024;
} // namespace

Encoding saveEncodingOfText(QStringView text, const TextForm &form, Encoding opened)
{
    if (isWide(opened))
        return opened;
    return chosenEncoding(declaredEncoding(ordinary(text.left(declarationReach), form)), opened);
}

QByteArray encodeText(QStringView text, const TextForm &form, Encoding encoding, Breaks breaks)
{
    if (isWide(encoding))
        return encodeText(ordinary(text, form), encoding, breaks);
    const bool utf8 = encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom;
    const bool endsWithBreak = text.endsWith(QChar(form.lineBreak));
    const QStringView body = endsWithBreak ? text.chopped(1) : text;
    const bool finalBreak = breaks.final && !text.isEmpty();
    const QByteArrayView lineBreak = breaks.style == LineBreak::Lf ? "\n" : breaks.style == LineBreak::Cr ? "\r" : "\r\n";
    QByteArray out = hasBom(encoding) ? bomOf(encoding) : QByteArray();
    // Cut after a line break near the middle, so that no pair is split.
    qsizetype cut = body.size();
    if (body.size() >= parallelFrom) {
        const qsizetype at = body.indexOf(QChar(form.lineBreak), body.size() / 2);
        cut = at >= 0 ? at + 1 : body.size();
    }
    if (cut < body.size()) {
        auto second = std::async(std::launch::async, [&] {
            QByteArray half;
            appendNarrow(half, body.sliced(cut), form, utf8, lineBreak);
            return half;
        });
        appendNarrow(out, body.first(cut), form, utf8, lineBreak);
        out += second.get();
    } else {
        appendNarrow(out, body, form, utf8, lineBreak);
    }
    if (finalBreak)
        out += lineBreak;
    return out;
}

std::function<bool(QByteArray &)> encodedPieces(QStringView text, const TextForm &form, Encoding encoding,
                                                Breaks breaks)
{
    constexpr qsizetype pieceLength = 1024 * 1024;
    if (isWide(encoding) || text.size() <= pieceLength)
        return [=](QByteArray &piece) {
            piece = encodeText(text, form, encoding, breaks);
            return false;
        };
    // As encodeText() does, a piece after another; a piece never ends
    // between the two halves of a pair.
    const bool utf8 = encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom;
    const QStringView body = text.endsWith(QChar(form.lineBreak)) ? text.chopped(1) : text;
    const bool finalBreak = breaks.final;
    const QByteArrayView lineBreak = breaks.style == LineBreak::Lf ? "\n" : breaks.style == LineBreak::Cr ? "\r" : "\r\n";
    return [=, at = qsizetype(0)](QByteArray &piece) mutable {
        if (at == 0 && hasBom(encoding))
            piece += bomOf(encoding);
        qsizetype end = std::min(body.size(), at + pieceLength);
        if (end < body.size() && body[end - 1].isHighSurrogate())
            ++end;
        appendNarrow(piece, body.sliced(at, end - at), form, utf8, lineBreak);
        at = end;
        if (at < body.size())
            return true;
        if (finalBreak)
            piece += lineBreak;
        return false;
    };
}

QByteArray encode(const QStringList &lines, Encoding encoding, Breaks breaks)
{
    return encodeText(textOf(lines), encoding, breaks);
}

namespace {
QByteArray readBytes(const QString &path)
{
    errno = 0;
    std::optional<QByteArray> contents = SafeSave::readContents(path);
    if (!contents) {
        const int err = errno;
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, Platform::fileFailureReason(path, err, QString(), false)));
    }
    return std::move(*contents);
}

[[noreturn]] void notText(const QString &path)
{
    throw Platform::PemoError(
        QStringLiteral("Le fichier %1 n'est pas un fichier texte (image ou autre fichier binaire) : "
                       "Pemo HTML ne l'ouvre pas, pour ne pas l'abîmer en l'enregistrant.")
            .arg(path));
}
} // namespace

Page read(const QString &path, QByteArray *rawBytes)
{
    const QByteArray bytes = readBytes(path);
    Page page = decode(bytes);
    if (!page.text)
        notText(path);
    if (rawBytes)
        *rawBytes = bytes;
    return page;
}

namespace {
// What tells that a file is still the one read: the same file, of the same
// size, not written since.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    qint64 changeSeconds = 0;
    qint64 changeNanoseconds = 0;
    bool operator==(const FileStamp &) const = default;
};

std::optional<FileStamp> stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
                     qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)};
}

struct ReadAhead {
    bool read = false;
    QByteArray bytes;
    Text page;
};

struct PendingRead {
    FileStamp stamp;
    std::future<ReadAhead> result;
};

std::mutex readsLock;
std::vector<PendingRead> &pendingReads()
{
    // Kept until the program ends: a read still running is waited for then.
    static std::vector<PendingRead> reads;
    return reads;
}

std::optional<ReadAhead> takeReadAhead(const QString &path)
{
    std::future<ReadAhead> result;
    FileStamp stamp;
    {
        const std::lock_guard<std::mutex> lock(readsLock);
        auto &reads = pendingReads();
        if (reads.empty())
            return std::nullopt;
        const std::optional<FileStamp> now = stampOf(path);
        if (!now)
            return std::nullopt;
        // The same file under whatever name it is opened by.
        const auto it = std::find_if(reads.begin(), reads.end(), [&](const PendingRead &r) {
            return r.stamp.device == now->device && r.stamp.inode == now->inode;
        });
        if (it == reads.end())
            return std::nullopt;
        stamp = it->stamp;
        result = std::move(it->result);
        reads.erase(it);
    }
    ReadAhead ahead = result.get();
    // Taken before the bytes were read: a change made since moved it.
    if (!ahead.read || stampOf(path) != std::optional<FileStamp>(stamp))
        return std::nullopt;
    return ahead;
}
} // namespace

void readAhead(const QString &path)
{
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp)
        return;
    auto result = std::async(std::launch::async, [path] {
        ReadAhead ahead;
        try {
            ahead.bytes = readBytes(path);
            ahead.page = decodeText(ahead.bytes);
            ahead.read = ahead.page.isText;
        } catch (...) {
            // Read again where the failure can be told.
            ahead = ReadAhead();
        }
        return ahead;
    });
    const std::lock_guard<std::mutex> lock(readsLock);
    pendingReads().push_back({*stamp, std::move(result)});
}

void forgetReadAheads()
{
    std::vector<PendingRead> dropped;
    {
        const std::lock_guard<std::mutex> lock(readsLock);
        dropped.swap(pendingReads());
    }
    // Their threads are waited for here, outside the lock.
}

Text readText(const QString &path, QByteArray *rawBytes)
{
    if (std::optional<ReadAhead> ahead = takeReadAhead(path)) {
        if (rawBytes)
            *rawBytes = std::move(ahead->bytes);
        return std::move(ahead->page);
    }
    const QByteArray bytes = readBytes(path);
    Text page = decodeText(bytes);
    if (!page.isText)
        notText(path);
    if (rawBytes)
        *rawBytes = bytes;
    return page;
}

QByteArray write(const QString &path, const QStringList &lines, Encoding encoding, Breaks breaks)
{
    const QByteArray bytes = encode(lines, encoding, breaks);
    SafeSave::replaceContents(path, bytes);
    return bytes;
}

QByteArray writeText(const QString &path, QStringView text, Encoding encoding, Breaks breaks)
{
    const QByteArray bytes = encodeText(text, encoding, breaks);
    SafeSave::replaceContents(path, bytes);
    return bytes;
}

QByteArray writeText(const QString &path, QStringView text, const TextForm &form, Encoding encoding, Breaks breaks)
{
    const QByteArray bytes = encodeText(text, form, encoding, breaks);
    SafeSave::replaceContents(path, bytes);
    return bytes;
}

} // namespace PageFile
