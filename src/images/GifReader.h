#pragma once
// Reading GIF files (through giflib) into plain frames for the editors.
//
//   GifReader::Animation a = GifReader::read(path);  // throws Platform::PemoError
//   a.screen, a.frames (each screen-sized, composed), a.delays, a.palettes,
//   a.repeat, a.looped, a.delay, a.transparent
//
// A file that is not a GIF, is truncated or holds bad sizes or bad LZW data
// gives a French error naming the file; it never crashes.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QVector>

namespace GifReader {

// A pixel where no image has drawn yet, or that an image's disposal
// cleared: white to whoever ignores the alpha channel.
constexpr QRgb Clear = 0x00FFFFFFu;

struct Animation {
    QSize screen;          // logical screen size
    // One per image, screen-sized, as a viewer shows it: each image drawn at
    // its own place over what the earlier ones left (their disposal methods
    // applied), its transparent pixels letting that show. RGB32 when every
    // pixel is covered, otherwise ARGB32 with Clear where nothing is.
    QList<QImage> frames;
    QList<int> delays;     // per image, from its graphic control block (0 when absent)
    // Per image, the colour table it was drawn with (its own, else the
    // global one; empty when the file has neither).
    QList<QVector<QRgb>> palettes;
    int repeat = 0;        // NETSCAPE2.0 loop count of the first image (0 when absent)
    bool looped = false;   // the first image carries that block
    int delay = 0;         // delay of the first image's graphic control block (0 when absent)
    bool transparent = false; // some image has a graphic control block with transparency
};

Animation read(const QString &path);
// Same from bytes in memory; name is only used in error messages.
Animation decode(const QByteArray &bytes, const QString &name);

} // namespace GifReader
