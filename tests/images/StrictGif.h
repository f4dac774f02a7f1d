#pragma once
// A deliberately unforgiving GIF decoder for the tests: every image must hold
// exactly its pixels, codes must have the width the format prescribes, the
// end-of-information code must be there in full, and nothing but zero padding
// may follow it. Decoders in the wild stop as soon as they have their pixels,
// so they let faults at the very end of the data through; this one does not.
#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>
#include <QVector>
#include <stdexcept>
#include <vector>

namespace StrictGif {

struct Image {
    int left = 0, top = 0, width = 0, height = 0;
    QVector<QRgb> colours;       // the table in effect (local, else global)
    bool localTable = false;
    int disposal = 0;
    int delay = 0;
    int transparentIndex = -1;
    std::vector<unsigned char> indices;
    int codesAfterLastClear = 0; // data codes, the end code not counted
};

struct File {
    int screenWidth = 0, screenHeight = 0;
    QVector<QRgb> globalColours;
    QList<Image> images;
};

class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

namespace detail {

class Cursor
{
public:
    explicit Cursor(const QByteArray &b) : bytes(b) {}
    int byte()
    {
        if (at >= bytes.size())
            throw Error("file ends early");
        return static_cast<unsigned char>(bytes[at++]);
    }
    int word()
    {
        const int lo = byte();
        return lo | (byte() << 8);
    }
    QVector<QRgb> table(int entries)
    {
        QVector<QRgb> t;
        for (int i = 0; i < entries; ++i) {
            const int r = byte(), g = byte(), b = byte();
            t.append(qRgb(r, g, b));
        }
        return t;
    }
    // The sub-blocks of one image's data, joined.
    QByteArray blocks()
    {
        QByteArray data;
        for (int n = byte(); n != 0; n = byte())
            for (int i = 0; i < n; ++i)
                data.append(char(byte()));
        return data;
    }
    const QByteArray &bytes;
    qsizetype at = 0;
};

inline void decodeLzw(const QByteArray &data, int minCodeSize, Image &image)
{
    if (minCodeSize < 2 || minCodeSize > 8)
        throw Error("bad LZW minimum code size");
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    const size_t wanted = size_t(image.width) * size_t(image.height);
    std::vector<int> prefix(4096, -1);
    std::vector<unsigned char> suffix(4096), first(4096);
    for (int c = 0; c < clear; ++c) {
        suffix[size_t(c)] = first[size_t(c)] = static_cast<unsigned char>(c);
    }
    const qint64 totalBits = qint64(data.size()) * 8;
    qint64 bit = 0;
    auto read = [&](int width) {
        if (bit + width > totalBits)
            throw Error("data ends inside a code");
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            if (static_cast<unsigned char>(data[qsizetype(bit >> 3)]) & (1 << (bit & 7)))
                code |= 1 << i;
        return code;
    };
    int width = minCodeSize + 1;
    int next = end + 1;
    int previous = -1;
    std::vector<unsigned char> string;
    if (read(width) != clear)
        throw Error("data does not start with a clear code");
    for (;;) {
        const int code = read(width);
        if (code == clear) {
            width = minCodeSize + 1;
            next = end + 1;
            previous = -1;
            image.codesAfterLastClear = 0;
            continue;
        }
        if (code == end)
            break;
        if (image.indices.size() >= wanted)
            throw Error("more pixels than the image holds, or no end code after them");
        if (code > next || (code == next && previous < 0))
            throw Error("code not yet defined");
        ++image.codesAfterLastClear;
        string.clear();
        int c = code == next ? previous : code;
        for (; c >= clear; c = prefix[size_t(c)])
            string.push_back(suffix[size_t(c)]);
        string.push_back(static_cast<unsigned char>(c));
        const unsigned char head = string.back();
        for (auto it = string.rbegin(); it != string.rend(); ++it)
            image.indices.push_back(*it);
        if (code == next)
            image.indices.push_back(head);
        if (previous >= 0 && next < 4096) {
            prefix[size_t(next)] = previous;
            suffix[size_t(next)] = head;
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        previous = code;
    }
    if (image.indices.size() != wanted)
        throw Error("end code before the last pixel");
    if (totalBits - bit >= 8)
        throw Error("bytes left after the end code");
    for (; bit < totalBits; ++bit)
        if (static_cast<unsigned char>(data[qsizetype(bit >> 3)]) & (1 << (bit & 7)))
            throw Error("padding after the end code is not zero");
    for (unsigned char index : image.indices)
        if (int(index) >= image.colours.size())
            throw Error("pixel index beyond the colour table");
}

} // namespace detail

// Throws StrictGif::Error saying what is wrong.
inline File decode(const QByteArray &bytes)
{
    detail::Cursor in(bytes);
    File file;
    if (!bytes.startsWith("GIF89a") && !bytes.startsWith("GIF87a"))
        throw Error("bad signature");
    in.at = 6;
    file.screenWidth = in.word();
    file.screenHeight = in.word();
    const int packed = in.byte();
    in.byte();
    in.byte();
    if (packed & 0x80)
        file.globalColours = in.table(2 << (packed & 7));
    Image pending;
    for (;;) {
        const int kind = in.byte();
        if (kind == 0x3B)
            break;
        if (kind == 0x21) {
            const int label = in.byte();
            const QByteArray body = in.blocks();
            if (label == 0xF9) {
                if (body.size() != 4)
                    throw Error("graphic control block of the wrong size");
                pending.disposal = (static_cast<unsigned char>(body[0]) >> 2) & 7;
                pending.delay = static_cast<unsigned char>(body[1]) | (static_cast<unsigned char>(body[2]) << 8);
                if (body[0] & 1)
                    pending.transparentIndex = static_cast<unsigned char>(body[3]);
            }
            continue;
        }
        if (kind != 0x2C)
            throw Error("unknown block");
        Image image = pending;
        pending = Image();
        image.left = in.word();
        image.top = in.word();
        image.width = in.word();
        image.height = in.word();
        const int flags = in.byte();
        if (flags & 0x40)
            throw Error("interlaced images are not expected here");
        image.localTable = (flags & 0x80) != 0;
        image.colours = image.localTable ? in.table(2 << (flags & 7)) : file.globalColours;
        if (image.colours.isEmpty())
            throw Error("image without a colour table");
        const int minCodeSize = in.byte();
        detail::decodeLzw(in.blocks(), minCodeSize, image);
        file.images.append(image);
    }
    if (in.at != bytes.size())
        throw Error("bytes after the trailer");
    return file;
}

} // namespace StrictGif
