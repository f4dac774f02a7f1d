#include "GifWriter.h"

#include "platform/Errors.h"

#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace GifWriter {

namespace {

// Every colour fits in the 216-entry cube, so the table holds 256 entries
// and the codes start at 8 bits.
constexpr int MinCodeSize = 8;
constexpr int ClearCode = 1 << MinCodeSize;
constexpr int EndCode = ClearCode + 1;
constexpr int MaxCode = 4096;

void put16(QByteArray &out, int v)
{
    v = std::clamp(v, 0, 0xFFFF);
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

// Packs variable-width codes, least significant bit first.
class BitSink
{
public:
    explicit BitSink(std::vector<unsigned char> &bytes) : m_bytes(bytes) {}
    void put(unsigned code, int width)
    {
        m_acc |= quint64(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.push_back(static_cast<unsigned char>(m_acc));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    void flush()
    {
        if (m_bits > 0)
            m_bytes.push_back(static_cast<unsigned char>(m_acc));
        m_acc = 0;
        m_bits = 0;
    }

private:
    std::vector<unsigned char> &m_bytes;
    quint64 m_acc = 0;
    int m_bits = 0;
};

// String table of the compressor: open addressing on (prefix code, pixel).
// Slots hold key << 12 | code; twice as many slots as codes keeps probes short.
class CodeTable
{
public:
    CodeTable() { clear(); }
    void clear() { m_slots.fill(Empty); }
    // The code of (prefix, pixel), or -1 with slot set to where it would go.
    int find(unsigned key, unsigned &slot) const
    {
        unsigned s = (key * 2654435761u) >> (32 - Bits);
        for (;;) {
            const quint32 v = m_slots[s];
            if (v == Empty) {
                slot = s;
                return -1;
            }
            if ((v >> 12) == key)
                return int(v & 0xFFF);
            s = (s + 1) & (Size - 1);
        }
    }
    void insert(unsigned slot, unsigned key, int code) { m_slots[slot] = (key << 12) | unsigned(code); }

private:
    static constexpr int Bits = 13;
    static constexpr unsigned Size = 1u << Bits;
    static constexpr quint32 Empty = 0xFFFFFFFFu;
    std::array<quint32, Size> m_slots;
};

void compress(const QImage &indexed, QByteArray &out)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(size_t(indexed.width()) * size_t(indexed.height()) / 2 + 16);
    BitSink sink(bytes);
    static thread_local CodeTable table;
    table.clear();

    int width = MinCodeSize + 1;
    int next = EndCode + 1;
    sink.put(ClearCode, width);

    int prefix = -1;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *row = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const unsigned pixel = row[x];
            if (prefix < 0) {
                prefix = int(pixel);
                continue;
            }
            const unsigned key = (unsigned(prefix) << 8) | pixel;
            unsigned slot = 0;
            const int code = table.find(key, slot);
            if (code >= 0) {
                prefix = code;
                continue;
            }
            sink.put(unsigned(prefix), width);
            if (next < MaxCode) {
                table.insert(slot, key, next++);
                if (next > (1 << width) && width < 12)
                    ++width;
            } else {
                // A full table starts over; the decoder clears on this code.
                sink.put(ClearCode, width);
                table.clear();
                width = MinCodeSize + 1;
                next = EndCode + 1;
            }
            prefix = int(pixel);
        }
    }
    if (prefix >= 0)
        sink.put(unsigned(prefix), width);
    // Reading that last code, the decoder adds the string it completes (the
    // compressor never does) and widens its codes when the table reaches the
    // next power of two: the end code has to be written at that width.
    if (prefix >= 0 && next == (1 << width) && width < 12)
        ++width;
    sink.put(EndCode, width);
    sink.flush();

    out.append(char(MinCodeSize));
    const auto *data = reinterpret_cast<const char *>(bytes.data());
    const qsizetype total = qsizetype(bytes.size());
    out.reserve(out.size() + total + total / 255 + 2);
    for (qsizetype at = 0; at < total; at += 255) {
        const qsizetype n = std::min<qsizetype>(255, total - at);
        out.append(char(n));
        out.append(data + at, n);
    }
    out.append(char(0));
}

struct ChannelTables {
    std::array<uchar, 256> r, g, b;
    ChannelTables()
    {
        for (int v = 0; v < 256; ++v) {
            r[size_t(v)] = uchar(36 * cubeLevel(v));
            g[size_t(v)] = uchar(6 * cubeLevel(v));
            b[size_t(v)] = uchar(cubeLevel(v));
        }
    }
};

} // namespace

const QVector<QRgb> &cubePalette()
{
    static const QVector<QRgb> palette = [] {
        QVector<QRgb> p;
        p.reserve(256);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.append(qRgb(r * 51, g * 51, b * 51));
        while (p.size() < 256)
            p.append(qRgb(0, 0, 0));
        return p;
    }();
    return palette;
}

QImage reduceToCube(const QImage &picture)
{
    if (picture.isNull())
        return {};
    if (picture.format() == QImage::Format_Indexed8 && picture.colorTable() == cubePalette())
        return picture;
    static const ChannelTables tables;
    QImage rgb = picture;
    if (rgb.format() != QImage::Format_RGB32 && rgb.format() != QImage::Format_ARGB32)
        rgb = rgb.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(cubePalette());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = src[x];
            dst[x] = uchar(tables.r[qRed(c)] + tables.g[qGreen(c)] + tables.b[qBlue(c)]);
        }
    }
    return out;
}

QByteArray encode(const QList<QImage> &frames, const Options &options)
{
    if (frames.isEmpty())
        return {};
    int screenW = 0;
    int screenH = 0;
    for (const QImage &f : frames) {
        if (f.isNull() || f.width() > 0xFFFF || f.height() > 0xFFFF)
            return {};
        screenW = std::max(screenW, f.width());
        screenH = std::max(screenH, f.height());
    }

    QByteArray out;
    out.append("GIF89a", 6);
    put16(out, screenW);
    put16(out, screenH);
    // Global table of 2^(7+1) entries, 8 bits of colour resolution.
    out.append(char(0xF7));
    out.append(char(0));
    out.append(char(0));
    for (QRgb c : cubePalette()) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }

    const bool control = options.delay.has_value() || options.transparent;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QImage indexed = reduceToCube(frames[i]);
        if (i == 0 && options.repeat) {
            out.append("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01", 16);
            put16(out, *options.repeat);
            out.append(char(0));
        }
        if (control) {
            out.append("\x21\xF9\x04", 3);
            out.append(char(options.transparent ? 1 : 0));
            put16(out, options.delay.value_or(0));
            out.append(char(options.transparent ? indexed.pixelIndex(0, indexed.height() - 1) : 0));
            out.append(char(0));
        }
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, indexed.width());
        put16(out, indexed.height());
        out.append(char(0));
        compress(indexed, out);
    }
    out.append(char(0x3B));
    return out;
}

void save(const QString &path, const QList<QImage> &frames, const Options &options)
{
    const QByteArray bytes = encode(frames, options);
    if (bytes.isEmpty())
        throw Platform::PemoError(QStringLiteral("Aucune image à enregistrer dans le fichier %1.").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
}

} // namespace GifWriter
