#include "GifWriter.h"

#include "platform/Errors.h"

#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace GifWriter {

namespace {

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

// minCodeSize: 2 ... 8, enough bits for every index of the image.
void compress(const QImage &indexed, int minCodeSize, QByteArray &out)
{
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    std::vector<unsigned char> bytes;
    bytes.reserve(size_t(indexed.width()) * size_t(indexed.height()) / 2 + 16);
    BitSink sink(bytes);
    static thread_local CodeTable table;
    table.clear();

    int width = minCodeSize + 1;
    int next = endCode + 1;
    sink.put(clearCode, width);

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
                sink.put(clearCode, width);
                table.clear();
                width = minCodeSize + 1;
                next = endCode + 1;
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
    sink.put(endCode, width);
    sink.flush();

    out.append(char(minCodeSize));
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

// One frame as the file holds it: indices on a table of a power of two
// entries, and the index that stands for no colour (-1 when none).
struct Indexed {
    QImage pixels;
    int transparentIndex = -1;
    int bits = 1;  // log2 of the table's entries
};

int bitsFor(qsizetype entries)
{
    int bits = 1;
    while ((qsizetype(1) << bits) < entries)
        ++bits;
    return bits;
}

Indexed finish(QImage pixels, QVector<QRgb> table, int transparentIndex)
{
    Indexed out;
    out.bits = bitsFor(table.size());
    table.resize(qsizetype(1) << out.bits, qRgb(0, 0, 0));
    pixels.setColorTable(table);
    out.pixels = pixels;
    out.transparentIndex = transparentIndex;
    return out;
}

Indexed onCube(const QImage &picture, const Options &options)
{
    Indexed out;
    out.pixels = reduceToCube(picture);
    out.bits = 8;
    if (options.transparent)
        out.transparentIndex = out.pixels.pixelIndex(0, out.pixels.height() - 1);
    return out;
}

// Nearest table entry by squared distance, the entries sorted by green so
// the search stops once green alone is farther than the best found.
class Nearest
{
public:
    explicit Nearest(const QVector<QRgb> &table)
    {
        for (int i = 0; i < table.size(); ++i)
            m_entries.push_back({table[i], i});
        std::sort(m_entries.begin(), m_entries.end(),
                  [](const Entry &a, const Entry &b) { return qGreen(a.colour) < qGreen(b.colour); });
    }
    int operator()(QRgb c) const
    {
        const int g = qGreen(c);
        const auto start = std::lower_bound(m_entries.begin(), m_entries.end(), g,
                                            [](const Entry &e, int v) { return qGreen(e.colour) < v; });
        int best = -1;
        int bestDistance = std::numeric_limits<int>::max();
        auto consider = [&](const Entry &e) {
            const int dr = qRed(e.colour) - qRed(c), dg = qGreen(e.colour) - g, db = qBlue(e.colour) - qBlue(c);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance || (d == bestDistance && e.index < best)) {
                bestDistance = d;
                best = e.index;
            }
        };
        for (auto it = start; it != m_entries.end(); ++it) {
            const int dg = qGreen(it->colour) - g;
            if (dg * dg > bestDistance)
                break;
            consider(*it);
        }
        for (auto it = start; it != m_entries.begin();) {
            --it;
            const int dg = g - qGreen(it->colour);
            if (dg * dg > bestDistance)
                break;
            consider(*it);
        }
        return best;
    }

private:
    struct Entry {
        QRgb colour;
        int index;
    };
    std::vector<Entry> m_entries;
};

// reserveClear: give the frame a transparent index even when none of its
// pixels needs it.
Indexed onOwnColours(const Frame &frame, const Options &options, bool reserveClear = false)
{
    const bool alpha = frame.image.hasAlphaChannel();
    const QImage picture = frame.image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int w = picture.width();
    const int h = picture.height();

    // "Fond transparent": whatever matches the bottom-left pixel becomes
    // transparent.
    bool keyed = false;
    QRgb key = 0;
    if (options.transparent) {
        const QRgb corner = picture.pixel(0, h - 1);
        if (!alpha || qAlpha(corner) >= 128) {
            keyed = true;
            key = corner | 0xFF000000u;
        }
    }
    auto clear = [&](QRgb c) { return (alpha && qAlpha(c) < 128) || (keyed && (c | 0xFF000000u) == key); };

    // The opaque colours in order of appearance, as long as there are few.
    QHash<QRgb, int> seen;
    QVector<QRgb> colours;
    bool anyClear = false;
    bool many = false;
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (clear(row[x])) {
                anyClear = true;
                continue;
            }
            const QRgb c = row[x] | 0xFF000000u;
            if (!many && !seen.contains(c)) {
                seen.insert(c, int(colours.size()));
                colours.append(c);
                many = colours.size() > 256;
            }
        }
    }

    anyClear = anyClear || reserveClear;
    QVector<QRgb> table;
    QHash<QRgb, int> lookup;
    int transparentIndex = -1;
    bool chosen = false;

    // The frame's own table when it holds every colour (and room for the
    // transparent one): the file keeps its colours and their order.
    if (!many && !frame.palette.isEmpty() && frame.palette.size() <= 256) {
        QHash<QRgb, int> first;
        for (int i = int(frame.palette.size()) - 1; i >= 0; --i)
            first.insert(frame.palette[i] | 0xFF000000u, i);
        bool all = true;
        QVector<bool> used(frame.palette.size(), false);
        for (QRgb c : std::as_const(colours)) {
            const auto it = first.constFind(c);
            if (it == first.constEnd()) {
                all = false;
                break;
            }
            used[*it] = true;
            lookup.insert(c, *it);
        }
        if (all) {
            table = frame.palette;
            chosen = true;
            if (anyClear) {
                if (keyed && first.contains(key))
                    transparentIndex = first.value(key);
                else if (const qsizetype free = used.indexOf(false); free >= 0)
                    transparentIndex = int(free);
                else if (table.size() < 256) {
                    transparentIndex = int(table.size());
                    table.append(qRgb(255, 255, 255));
                } else {
                    chosen = false;
                }
            }
        }
        if (!chosen)
            lookup.clear();
    }
    if (!chosen && !many && colours.size() + (anyClear ? 1 : 0) <= 256) {
        table = colours;
        lookup = seen;
        chosen = true;
        if (anyClear) {
            transparentIndex = int(table.size());
            // Readers that ignore transparency see the key colour, or white.
            table.append(keyed ? key : qRgb(255, 255, 255));
        }
    }

    QImage pixels(w, h, QImage::Format_Indexed8);
    if (pixels.isNull())
        return {};
    if (chosen) {
        for (int y = 0; y < h; ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            uchar *dst = pixels.scanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = uchar(clear(row[x]) ? transparentIndex : lookup.value(row[x] | 0xFF000000u));
        }
        return finish(pixels, table, transparentIndex);
    }

    // Too many colours: a table made for the picture, each pixel on its
    // nearest entry.
    table = pictureColours(picture, anyClear ? 255 : 256);
    if (anyClear) {
        transparentIndex = int(table.size());
        table.append(keyed ? key : qRgb(255, 255, 255));
    }
    const Nearest nearest(table.mid(0, anyClear ? table.size() - 1 : table.size()));
    QHash<QRgb, uchar> cache;
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        uchar *dst = pixels.scanLine(y);
        QRgb last = 0;
        uchar lastIndex = 0;
        bool haveLast = false;
        for (int x = 0; x < w; ++x) {
            if (clear(row[x])) {
                dst[x] = uchar(transparentIndex);
                continue;
            }
            const QRgb c = row[x] | 0xFF000000u;
            if (!haveLast || c != last) {
                auto it = cache.constFind(c);
                if (it == cache.constEnd())
                    it = cache.insert(c, uchar(nearest(c)));
                last = c;
                lastIndex = *it;
                haveLast = true;
            }
            dst[x] = lastIndex;
        }
    }
    return finish(pixels, table, transparentIndex);
}

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

QVector<QRgb> pictureColours(const QImage &picture, int maxColours)
{
    maxColours = std::clamp(maxColours, 1, 256);
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[row[x] | 0xFF000000u];
    }
    struct Entry {
        QRgb colour;
        qint64 count;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(counts.size()));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        entries.push_back({it.key(), it.value()});
    // The hash's order changes from run to run; the table must not.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.colour < b.colour; });
    if (entries.size() <= size_t(maxColours)) {
        QVector<QRgb> own;
        for (const Entry &e : entries)
            own.append(e.colour);
        return own;
    }

    struct Box {
        size_t begin, end;
        int channel = 0;  // 0 red, 1 green, 2 blue: the widest
        int range = 0;
        qint64 pixels = 0;
    };
    auto channelOf = [](QRgb c, int channel) { return channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c); };
    auto measure = [&](Box &box) {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        box.pixels = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int ch = 0; ch < 3; ++ch) {
                const int v = channelOf(entries[i].colour, ch);
                lo[ch] = std::min(lo[ch], v);
                hi[ch] = std::max(hi[ch], v);
            }
            box.pixels += entries[i].count;
        }
        box.channel = 0;
        box.range = hi[0] - lo[0];
        for (int ch = 1; ch < 3; ++ch)
            if (hi[ch] - lo[ch] > box.range) {
                box.range = hi[ch] - lo[ch];
                box.channel = ch;
            }
    };
    std::vector<Box> boxes{{0, entries.size()}};
    measure(boxes[0]);
    while (boxes.size() < size_t(maxColours)) {
        // The box that weighs most: wide and full of pixels.
        size_t pick = boxes.size();
        double weight = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            const double wgt = double(boxes[b].range) * double(boxes[b].pixels);
            if (boxes[b].end - boxes[b].begin > 1 && boxes[b].range > 0 && wgt > weight) {
                weight = wgt;
                pick = b;
            }
        }
        if (pick == boxes.size())
            break;
        Box &box = boxes[pick];
        const int ch = box.channel;
        std::sort(entries.begin() + qsizetype(box.begin), entries.begin() + qsizetype(box.end),
                  [&](const Entry &a, const Entry &b) {
                      const int va = channelOf(a.colour, ch), vb = channelOf(b.colour, ch);
                      return va != vb ? va < vb : a.colour < b.colour;
                  });
        // Split where half of the box's pixels lie on each side.
        qint64 sum = 0;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            sum += entries[i].count;
            cut = i + 1;
            if (2 * sum >= box.pixels)
                break;
        }
        Box upper{cut, box.end};
        box.end = cut;
        measure(box);
        measure(upper);
        boxes.push_back(upper);
    }

    QVector<QRgb> table;
    for (const Box &box : boxes) {
        qint64 r = 0, g = 0, b = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            r += qRed(entries[i].colour) * entries[i].count;
            g += qGreen(entries[i].colour) * entries[i].count;
            b += qBlue(entries[i].colour) * entries[i].count;
        }
        const qint64 n = box.pixels;
        table.append(qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n)));
    }
    return table;
}

QByteArray encode(const QList<Frame> &frames, const Options &options)
{
    if (frames.isEmpty())
        return {};
    int screenW = 0;
    int screenH = 0;
    for (const Frame &f : frames) {
        if (f.image.isNull() || f.image.width() > 0xFFFF || f.image.height() > 0xFFFF)
            return {};
        screenW = std::max(screenW, f.image.width());
        screenH = std::max(screenH, f.image.height());
    }

    std::vector<Indexed> images;
    images.reserve(size_t(frames.size()));
    bool anyTransparent = false;
    for (const Frame &f : frames) {
        images.push_back(options.colours == Colours::Cube ? onCube(f.image, options) : onOwnColours(f, options));
        if (images.back().pixels.isNull())
            return {};
        anyTransparent = anyTransparent || images.back().transparentIndex >= 0;
    }
    // Whole frames with holes would show the frame before through them, so
    // each is cleared away before the next. Some readers clear to the
    // background colour unless the frame cleared has a transparent index:
    // then every frame gets one.
    const int disposal = anyTransparent && frames.size() > 1 ? 2 : 0;
    if (disposal == 2 && options.colours == Colours::Picture)
        for (size_t i = 0; i < images.size(); ++i)
            if (images[i].transparentIndex < 0)
                images[i] = onOwnColours(frames[qsizetype(i)], options, true);

    auto putTable = [](QByteArray &out, const QVector<QRgb> &table) {
        for (QRgb c : table) {
            out.append(char(qRed(c)));
            out.append(char(qGreen(c)));
            out.append(char(qBlue(c)));
        }
    };

    QByteArray out;
    out.append("GIF89a", 6);
    put16(out, screenW);
    put16(out, screenH);
    // The first frame's table is the global one, 8 bits of colour resolution.
    const QVector<QRgb> global = images.front().pixels.colorTable();
    out.append(char(0xF0 | (images.front().bits - 1)));
    out.append(char(0));
    out.append(char(0));
    putTable(out, global);

    for (size_t i = 0; i < images.size(); ++i) {
        const Indexed &image = images[i];
        const Frame &frame = frames[qsizetype(i)];
        if (i == 0 && options.repeat) {
            out.append("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01", 16);
            put16(out, *options.repeat);
            out.append(char(0));
        }
        const std::optional<int> delay = frame.delay ? frame.delay : options.delay;
        if (delay || options.transparent || image.transparentIndex >= 0) {
            out.append("\x21\xF9\x04", 3);
            out.append(char((disposal << 2) | (image.transparentIndex >= 0 ? 1 : 0)));
            put16(out, delay.value_or(0));
            out.append(char(std::max(0, image.transparentIndex)));
            out.append(char(0));
        }
        const QVector<QRgb> table = image.pixels.colorTable();
        const bool local = table != global;
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, image.pixels.width());
        put16(out, image.pixels.height());
        out.append(char(local ? 0x80 | (image.bits - 1) : 0));
        if (local)
            putTable(out, table);
        compress(image.pixels, std::max(2, image.bits), out);
    }
    out.append(char(0x3B));
    return out;
}

QByteArray encode(const QList<QImage> &frames, const Options &options)
{
    QList<Frame> plain;
    plain.reserve(frames.size());
    for (const QImage &f : frames)
        plain.append(Frame{f, std::nullopt, {}});
    return encode(plain, options);
}

void save(const QString &path, const QList<Frame> &frames, const Options &options)
{
    const QByteArray bytes = encode(frames, options);
    if (bytes.isEmpty())
        throw Platform::PemoError(QStringLiteral("Aucune image à enregistrer dans le fichier %1.").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
}

void save(const QString &path, const QList<QImage> &frames, const Options &options)
{
    QList<Frame> plain;
    plain.reserve(frames.size());
    for (const QImage &f : frames)
        plain.append(Frame{f, std::nullopt, {}});
    save(path, plain, options);
}

} // namespace GifWriter
