#pragma once
// Reading GIF files (through giflib) into plain frames for the editors.
//
//   GifReader::Animation a = GifReader::read(path);  // throws Platform::PemoError
//   a.screen, a.frames (each screen-sized, on white), a.repeat, a.delay, a.transparent
//
// A file that is not a GIF, is truncated or holds bad sizes or bad LZW data
// gives a French error naming the file; it never crashes.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace GifReader {

struct Animation {
    QSize screen;          // logical screen size
    QList<QImage> frames;  // one per image, screen-sized RGB32
    int repeat = 0;        // NETSCAPE2.0 loop count of the first image (0 when absent)
    int delay = 0;         // delay of the first image's graphic control block (0 when absent)
    bool transparent = false; // some image has a graphic control block with transparency
};

// Each frame is a white picture of the screen size with its image drawn on
// it at the image's own position; transparent pixels stay white.
Animation read(const QString &path);
// Same from bytes in memory; name is only used in error messages.
Animation decode(const QByteArray &bytes, const QString &name);

} // namespace GifReader
