#include "PageFile.h"

#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/Windows1252.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>

namespace PageFile {

QString decodeWindows1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes.at(i));
        d[i] = Platform::fromWindows1252(b);
    }
    return out;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const int b = Platform::toWindows1252(c);
        if (b >= 0)
            out += char(b);
        else
            out += "&#" + QByteArray::number(uint(c)) + ';';
    }
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
        if (c < 0x80) { ++i; continue; }
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

Encoding saveEncoding(const QStringList &lines, Encoding opened)
{
    const std::optional<Encoding> declared = declaredEncoding(lines);
    if (!declared)
        return opened;
    if (*declared == Encoding::Utf8 && opened == Encoding::Utf8Bom)
        return opened;
    return *declared;
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

Page decode(const QByteArray &bytes)
{
    Page page;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        page.encoding = Encoding::Utf8Bom;
        // The mark is taken off here; a second one is the page's own text,
        // which fromUtf8() would drop as well.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        page.lines = splitLines(utf8(QByteArrayView(bytes).sliced(3)));
        return page;
    }
    // The declaration is ASCII in both sets: look for it in the bytes taken
    // as Latin-1.
    const std::optional<Encoding> declared =
        declaredEncoding(QStringView(QString::fromLatin1(bytes.left(declarationReach))));
    bool ascii = true;
    for (char c : bytes)
        if (uchar(c) >= 0x80) { ascii = false; break; }
    const bool utf8 = declared ? *declared == Encoding::Utf8 && (ascii || isValidUtf8(bytes))
                               : !ascii && isValidUtf8(bytes);
    if (utf8) {
        page.encoding = Encoding::Utf8;
        page.lines = splitLines(QString::fromUtf8(bytes));
    } else {
        page.lines = splitLines(decodeWindows1252(bytes));
    }
    return page;
}

QByteArray encode(const QStringList &lines, Encoding encoding)
{
    QByteArray out;
    if (encoding == Encoding::Utf8Bom)
        out += "\xEF\xBB\xBF";
    for (const QString &line : lines) {
        out += encoding == Encoding::Windows1252 ? encodeWindows1252(line) : line.toUtf8();
        out += "\r\n";
    }
    return out;
}

Page read(const QString &path, QByteArray *rawBytes)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = errno;
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, Platform::fileFailureReason(path, err, file.errorString(), false)));
    }
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int err = errno;
        throw Platform::PemoError(QStringLiteral("Erreur de lecture du fichier %1.\n%2")
                                      .arg(path, Platform::fileFailureReason(path, err, file.errorString(), false)));
    }
    if (rawBytes)
        *rawBytes = bytes;
    return decode(bytes);
}

QByteArray write(const QString &path, const QStringList &lines, Encoding encoding)
{
    QSaveFile file(path);
    const QByteArray bytes = encode(lines, encoding);
    // The error number is taken right after the call that failed: the
    // file's own error text is the system's, in English, or nothing at all
    // when the disk filled while the buffer was written out.
    errno = 0;
    bool done = file.open(QIODevice::WriteOnly);
    if (done) {
        errno = 0;
        done = file.write(bytes) == bytes.size();
    }
    if (done) {
        errno = 0;
        done = file.commit();
    }
    if (!done) {
        const int err = errno;
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2")
                                      .arg(path, Platform::fileFailureReason(path, err, file.errorString(), true)));
    }
    return bytes;
}

} // namespace PageFile
