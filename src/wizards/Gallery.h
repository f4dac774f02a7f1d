#pragma once
// The thumbnail gallery without widgets: which pictures get a reduced copy,
// its size and name, writing it in the picture's own format, and the table
// of reduced pictures linked to the full-size ones.
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

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
// in the picture's own format (GIF through our writer, JPEG with the
// encoder's default settings, bitmap) and answers what the table needs. A
// file of no known kind is left alone. JPEG pictures are decoded at the
// smallest DCT scale that still covers the thumbnail. Throws
// Platform::PemoError naming the file when it cannot be read or written.
Item makeThumbnail(const QString &fileName, int maxWidth, int maxHeight);

// makeThumbnail for every file, several at a time (one per processor), the
// items in the files' order. When files fail, the error of the first of
// them in that order is thrown once all are done.
QList<Item> makeThumbnails(const QStringList &fileNames, int maxWidth, int maxHeight);

// The picture stretched onto size, both sides at least one pixel.
QImage stretched(const QImage &picture, QSize size);

} // namespace Gallery
