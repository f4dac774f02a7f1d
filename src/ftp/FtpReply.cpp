#include "ftp/FtpReply.h"

#include <QRegularExpression>

namespace FtpReply {

void LineReader::append(const QByteArray &bytes)
{
    qsizetype from = 0;
    if (FDiscarding) {
        // Drop the tail of an overlong line up to its end.
        // Searched with indexOf: a server may send megabytes without a
        // line end, and a byte-by-byte loop would hold up the event loop.
        qsizetype end = -1;
        for (qsizetype i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1)) {
            const bool afterCR = i > 0 ? bytes.at(i - 1) == '\r' : FDiscardCR;
            if (FAcceptLF || afterCR) {
                end = i;
                break;
            }
        }
        if (end < 0) {
            if (!bytes.isEmpty())
                FDiscardCR = bytes.endsWith('\r');
            return;
        }
        FBuffer.append("\r\n");
        FDiscarding = false;
        FDiscardCR = false;
        from = end + 1;
    }
    FBuffer.append(bytes.constData() + from, bytes.size() - from);
}

bool LineReader::takeLine(QString &line)
{
    if (FDiscarding)
        return false;
    qsizetype end = -1;   // index of the LF that ends the line
    for (qsizetype i = FBuffer.indexOf('\n', FScanned); i >= 0; i = FBuffer.indexOf('\n', i + 1)) {
        if (FAcceptLF || (i > 0 && FBuffer.at(i - 1) == '\r')) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        FScanned = FBuffer.size() > 0 ? FBuffer.size() - 1 : 0;
        if (FBuffer.size() > MaxLine) {
            // No line end in sight: keep the start of the line and drop the
            // rest until the line ends.
            FDiscardCR = FBuffer.endsWith('\r');
            FBuffer.truncate(MaxLine);
            FDiscarding = true;
            FScanned = 0;
        }
        return false;
    }
    qsizetype len = end + 1;
    QByteArray raw = FBuffer.left(len);
    FBuffer.remove(0, len);
    FScanned = 0;
    while (raw.endsWith('\n') || raw.endsWith('\r'))
        raw.chop(1);
    if (raw.size() > MaxLine)
        raw.truncate(MaxLine);
    line = decode(raw);
    return true;
}

void LineReader::clear()
{
    FBuffer.clear();
    FScanned = 0;
    FDiscarding = false;
    FDiscardCR = false;
}

int code(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && (line.at(i) == u' ' || line.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line.at(i) == u'+' || line.at(i) == u'-')) {
        negative = line.at(i) == u'-';
        ++i;
    }
    int value = 0;
    while (i < line.size() && line.at(i).isDigit() && line.at(i).unicode() < 128) {
        value = value * 10 + (line.at(i).unicode() - '0');
        if (value > 999)
            value = 999;
        ++i;
    }
    return negative ? -value : value;
}

bool isFinal(const QString &line)
{
    if (line.isEmpty() || !(line.at(0).unicode() >= '0' && line.at(0).unicode() <= '9'))
        return false;
    qsizetype i = 0;
    while (i < line.size() && line.at(i).unicode() >= '0' && line.at(i).unicode() <= '9')
        ++i;
    return i >= line.size() || line.at(i) != u'-';
}

QString quotedName(const QString &line)
{
    const qsizetype start = line.indexOf(u'"');
    if (start < 0)
        return QString();
    QString name;
    for (qsizetype i = start + 1; i < line.size(); ++i) {
        if (line.at(i) == u'"') {
            if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                name += u'"';
                ++i;
                continue;
            }
            break;
        }
        name += line.at(i);
    }
    return name;
}

qint64 numberAfterCode(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && line.at(i).unicode() >= '0' && line.at(i).unicode() <= '9')
        ++i;
    while (i < line.size() && (line.at(i) == u' ' || line.at(i) == u'\t'))
        ++i;
    qsizetype j = i;
    while (j < line.size() && line.at(j).unicode() >= '0' && line.at(j).unicode() <= '9')
        ++j;
    if (j == i)
        return -1;
    bool ok = false;
    const qint64 n = line.mid(i, j - i).toLongLong(&ok);
    return ok ? n : -1;
}

int passivePort(const QString &reply)
{
    const qsizetype open = reply.indexOf(u'(');
    const qsizetype close = open < 0 ? -1 : reply.indexOf(u')', open);
    if (open < 0 || close < 0)
        return -1;
    const QStringList parts = reply.mid(open + 1, close - open - 1).split(u',');
    if (parts.size() != 6)
        return -1;
    bool ok5 = false, ok6 = false;
    const int hi = parts.at(4).trimmed().toInt(&ok5);
    const int lo = parts.at(5).trimmed().toInt(&ok6);
    if (!ok5 || !ok6 || hi < 0 || hi > 255 || lo < 0 || lo > 255)
        return -1;
    return hi * 256 + lo;
}

namespace {

// 0x80 to 0x9F; 0 where the encoding defines nothing.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

bool isUtf8(const QByteArray &bytes)
{
    // Bytes that are not UTF-8 come back as replacement characters, which
    // do not encode to the bytes they replaced; a cut sequence at the end
    // is dropped, which does not either.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        const char16_t high = u >= 0x80 && u < 0xA0 ? windows1252High[u - 0x80] : 0;
        text += QChar(high ? high : char16_t(u));
    }
    return text;
}

bool encodeWindows1252(const QString &text, QByteArray &out)
{
    out.clear();
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += char(u);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32 && found < 0; ++i) {
            if (windows1252High[i] == u || (windows1252High[i] == 0 && u == 0x80 + i))
                found = i;
        }
        if (found < 0)
            return false;
        out += char(0x80 + found);
    }
    return true;
}

QString decode(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return QString::fromLatin1(bytes);
    return text;
}

} // namespace FtpReply
