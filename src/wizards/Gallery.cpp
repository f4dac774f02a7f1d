#include "Gallery.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "wizards/ScaledJpeg.h"

#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "images/JpegCodec.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace Gallery {

namespace {

const QString crlf = QStringLiteral("\r\n");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
}

// Bitmaps (and whatever else the name hides).
QImage readOther(const QByteArray &bytes, const QString &path)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    QImage picture = reader.read();
    if (picture.isNull())
        throw Platform::PemoError(QStringLiteral("Impossible de lire l'image %1.\n%2")
                                      .arg(path, reader.errorString()));
    return picture;
}

} // namespace

Kind kindOf(const QString &fileName)
{
    const QString upper = fileName.toUpper();
    Kind kind = Kind::None;
    if (upper.contains(QLatin1String(".GIF")))
        kind = Kind::Gif;
    if (upper.contains(QLatin1String(".JPG")))
        kind = Kind::Jpeg;
    if (upper.contains(QLatin1String(".JPEG")))
        kind = Kind::Jpeg;
    if (upper.contains(QLatin1String(".BMP")))
        kind = Kind::Bitmap;
    return kind;
}

QSize thumbnailSize(QSize picture, int maxWidth, int maxHeight)
{
    const int w = picture.width();
    const int h = picture.height();
    QSize size = picture;
    if (w <= 0 || h <= 0)
        return size;
    if (maxWidth < w)
        size = QSize(maxWidth, int(std::lround(double(maxWidth) * h / w)));
    if (maxHeight < size.height())
        size = QSize(int(std::lround(double(w) / h * maxHeight)), maxHeight);
    return size;
}

QString thumbnailName(const QString &fileName)
{
    const QString folder = Platform::folderPart(fileName);
    QString name = Platform::fileNamePart(fileName);
    const qsizetype dot = name.indexOf(u'.');
    if (dot < 0)
        name += QStringLiteral("sml");
    else
        name.insert(dot, QStringLiteral("sml"));
    return folder + name;
}

QString table(const QStringList &fileNames, int widestThumbnail)
{
    QString text = QStringLiteral("<div align=\"center\">") + crlf + QStringLiteral("<table width=\"90%\" border=\"0\">")
        + crlf + QStringLiteral("<tr>") + crlf;
    int sum = 0;
    bool rowOpen = true;
    for (qsizetype i = 0; i < fileNames.size(); ++i) {
        const QString &name = fileNames.at(i);
        text += QStringLiteral("<td><div align=\"center\"><a href=\"") + name + QStringLiteral("\"><img src=\"")
            + thumbnailName(name) + QStringLiteral("\"></a></div></td>") + crlf;
        if (sum + 2 * widestThumbnail <= 720) {
            sum += widestThumbnail;
        } else {
            text += QStringLiteral("</tr>") + crlf;
            rowOpen = i + 1 < fileNames.size();
            if (rowOpen)
                text += QStringLiteral("<tr>") + crlf;
            sum = 0;
        }
    }
    // A row the last cell closed is not closed a second time.
    if (rowOpen)
        text += QStringLiteral("</tr>") + crlf;
    return text + QStringLiteral("</table></div>");
}

QImage stretched(const QImage &picture, QSize size)
{
    // A maximum of 0 (or less) would leave nothing to draw on.
    return picture.scaled(size.expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

Item makeThumbnail(const QString &fileName, int maxWidth, int maxHeight)
{
    Item item;
    item.fileName = fileName;
    item.kind = kindOf(fileName);
    if (item.kind == Kind::None)
        return item;
    const QByteArray bytes = readFile(fileName);
    QImage picture;
    if (item.kind == Kind::Jpeg) {
        item.size = thumbnailSize(ScaledJpeg::size(bytes, fileName), maxWidth, maxHeight);
        picture = ScaledJpeg::decode(bytes, fileName, item.size);
    } else if (item.kind == Kind::Gif) {
        picture = GifReader::decode(bytes, fileName).frames.value(0);
        if (picture.isNull())
            throw Platform::PemoError(QStringLiteral("Impossible de lire l'image %1.").arg(fileName));
        item.size = thumbnailSize(picture.size(), maxWidth, maxHeight);
    } else {
        picture = readOther(bytes, fileName);
        item.size = thumbnailSize(picture.size(), maxWidth, maxHeight);
    }
    const QImage small = stretched(picture, item.size);
    const QString target = thumbnailName(fileName);
    switch (item.kind) {
    case Kind::Jpeg: {
        // The encoder's default settings (quality 75).
        const QByteArray encoded = JpegCodec::encode(small);
        if (encoded.isEmpty())
            throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.").arg(target));
        writeFile(target, encoded);
        break;
    }
    case Kind::Bitmap: {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        small.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
        writeFile(target, out);
        break;
    }
    case Kind::Gif:
        GifWriter::save(target, {small});
        break;
    case Kind::None:
        break;
    }
    return item;
}

QList<Item> makeThumbnails(const QStringList &fileNames, int maxWidth, int maxHeight)
{
    const qsizetype count = fileNames.size();
    QList<Item> items(count);
    if (count == 0)
        return items;
    // Each picture is read, reduced and written on its own: nothing is
    // shared between the workers but the next index to take.
    QStringList errors(count);
    std::atomic<qsizetype> next{0};
    // Detached once here, so that the workers only ever touch their own slots.
    Item *const out = items.data();
    QString *const failed = errors.data();
    auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            try {
                out[i] = makeThumbnail(fileNames.at(i), maxWidth, maxHeight);
            } catch (const Platform::PemoError &e) {
                failed[i] = e.message();
            } catch (const std::exception &) {
                failed[i] = QStringLiteral("Impossible de réduire l'image %1.").arg(fileNames.at(i));
            }
        }
    };
    const qsizetype workers = std::min<qsizetype>(std::max(1, QThread::idealThreadCount()), count);
    std::vector<std::thread> helpers;
    for (qsizetype w = 1; w < workers; ++w)
        helpers.emplace_back(work);
    work();
    for (std::thread &t : helpers)
        t.join();
    for (const QString &error : errors)
        if (!error.isEmpty())
            throw Platform::PemoError(error);
    return items;
}

} // namespace Gallery
