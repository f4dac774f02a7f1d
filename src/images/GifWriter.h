#pragma once
// Our GIF89a writer: frames are LZW-compressed into one file; nothing here
// touches widgets, so buttons, thumbnails and the animation editor share it.
// Drawings of the program's own (the wizard's buttons) go onto the fixed
// 216-colour cube; pictures get a colour table made for them.
//
//   GifWriter::Options o;            // a plain single-image GIF on the cube
//   QByteArray bytes = GifWriter::encode({picture}, o);
//
//   o.colours = GifWriter::Colours::Picture;  // a table of each frame's own colours
//   o.repeat = 0;                    // loop forever (NETSCAPE2.0 block on frame 1)
//   o.delay = 10;                    // 1/10 s on every frame (graphic control block)
//   o.transparent = true;            // colour of each frame's bottom-left pixel
//   GifWriter::save(path, frames, o);   // atomic; throws Platform::PemoError
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QVector>
#include <optional>

namespace GifWriter {

enum class Colours {
    // Every pixel onto the fixed cube, without dithering.
    Cube,
    // Each frame keeps its colours exactly when it has at most 256 of them
    // (its Frame::palette reused when that holds them all); frames with more
    // get a table of 256 made for them. Pixels with an alpha below 128 are
    // written transparent.
    Picture,
};

struct Options {
    // Loop count of the NETSCAPE2.0 block attached to the first image
    // (0 = forever); no block when unset.
    std::optional<int> repeat;
    // Display time of every image, hundredths of a second; writes a graphic
    // control block on every image when set (or when transparent is on).
    std::optional<int> delay;
    // Makes the palette index of each image's bottom-left pixel transparent.
    bool transparent = false;
    Colours colours = Colours::Cube;
};

// One image of the file with what belongs to it alone.
struct Frame {
    QImage image;
    // Its display time, over Options::delay.
    std::optional<int> delay;
    // The colour table to write when it holds every colour of the image
    // (Colours::Picture), so a frame read from a file keeps its own.
    QVector<QRgb> palette;
};

// Cube level of one channel value: (v + 3) div 51, 0 ... 5.
constexpr int cubeLevel(int v) { return (v + 3) / 51; }
// Palette index of a colour: 36 r + 6 g + b on the levels.
constexpr int cubeIndex(int r, int g, int b) { return 36 * cubeLevel(r) + 6 * cubeLevel(g) + cubeLevel(b); }
inline int cubeIndex(QRgb c) { return cubeIndex(qRed(c), qGreen(c), qBlue(c)); }

// The 216 cube colours (index 36 r + 6 g + b, levels times 51), padded with
// black to the 256 entries of the file's colour table.
const QVector<QRgb> &cubePalette();

// The picture as an 8-bit indexed image on the cube palette. Pictures that
// already are indexed on that palette come back unchanged.
QImage reduceToCube(const QImage &picture);

// At most maxColours colours standing for the picture's (alpha ignored):
// its own when it has no more, else the means of boxes of similar colours
// split at their median until there are maxColours.
QVector<QRgb> pictureColours(const QImage &picture, int maxColours = 256);

// The whole GIF file. Frames may differ in size (the logical screen is the
// largest); each is drawn at the top-left corner. Returns an empty array
// when there is no frame or a frame is null. The first frame's table is the
// global one; a frame whose table differs carries its own. When frames of an
// animation have transparent pixels, each frame is cleared away before the
// next is drawn, so that none shows through another's holes.
QByteArray encode(const QList<Frame> &frames, const Options &options = {});
QByteArray encode(const QList<QImage> &frames, const Options &options = {});

// Writes encode()'s bytes to path through a temporary file, so a failed write
// leaves any old file intact. Throws Platform::PemoError, in French and
// naming the file, when there is nothing to write or the write fails.
void save(const QString &path, const QList<Frame> &frames, const Options &options = {});
void save(const QString &path, const QList<QImage> &frames, const Options &options = {});

} // namespace GifWriter
