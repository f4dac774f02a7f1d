#pragma once
// The thumbnail gallery without widgets: which pictures get a reduced copy,
// its size and name, writing it in the picture's own format, and the table
// of reduced pictures linked to the full-size ones.
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

namespace Gallery {

enum class Kind { None, Gif, Jpeg, Bitmap };

// From the upper-cased name: ".GIF", then ".JPG", ".JPEG", ".BMP", each
// match overriding the one before ("a.gif.jpg" is a JPEG).
Kind kindOf(const QString &fileName);

// The picture's size reduced to fit the maxima, never enlarged: a wider
// picture takes the maximum width, a taller one then the maximum height,
// both keeping the picture's proportions.
QSize thumbnailSize(QSize picture, int maxWidth, int maxHeight);

// "sml" before the first "." of the file name ("photo.jpg" -> "photosml.jpg");
// folders in front are kept as they are.
QString thumbnailName(const QString &fileName);

// The table inserted in the page: one cell per file, rows closed as soon as
// another cell of the widest thumbnail would pass 720 pixels.
QString table(const QStringList &fileNames, int widestThumbnail);

// One picture of the gallery.
struct Item {
    QString fileName;  // as chosen, relative to the current folder
    Kind kind = Kind::None;
    QSize size;        // the thumbnail's (empty for a file of no known kind)
};

// Reads the picture, writes its reduced copy beside it under thumbnailName
// in the picture's own format (GIF through our writer with a colour table
// made for the thumbnail, JPEG with the
// encoder's default settings, bitmap) and answers what the table needs. A
// file of no known kind is left alone. JPEG pictures are decoded at the
// smallest DCT scale that still covers the thumbnail. Throws
// Platform::PemoError naming the file when it cannot be read or written.
Item makeThumbnail(const QString &fileName, int maxWidth, int maxHeight);

// What becomes of thumbnails whose names are taken by files the program did
// not write in this session.
enum class Overwrite { Replace, Keep, Stop };
// Asked once, with all those names, before anything is written.
using AskOverwrite = std::function<Overwrite(const QStringList &targets)>;

// The user stopped the command when asked: nothing was written.
class Cancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "cancelled"; }
};

// makeThumbnail for every file, the pictures read and reduced several at a
// time (one per processor), the thumbnails written in the files' order; the
// items come back in that order. A thumbnail never replaces one of the
// chosen pictures (an error naming both, before anything is written); one
// that would replace another file the program did not write is decided by
// ask (without ask, an error). When a picture fails, the thumbnails of the
// pictures before it are written, none after it, and its error is thrown.
// Throws Cancelled when ask answers Stop.
QList<Item> makeThumbnails(const QStringList &fileNames, int maxWidth, int maxHeight,
                           const AskOverwrite &ask = {});

// The picture stretched onto size, both sides at least one pixel.
QImage stretched(const QImage &picture, QSize size);

} // namespace Gallery
