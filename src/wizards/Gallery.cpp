#include "Gallery.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "wizards/ScaledJpeg.h"

#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "images/JpegCodec.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
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

// Thumbnails written in this session, with the size and time they were
// left at: such a file, unchanged since, may be replaced without asking.
struct Written {
    qint64 size;
    QDateTime modified;
};
QMutex writtenLock;
QHash<QString, Written> &writtenFiles()
{
    static QHash<QString, Written> files;
    return files;
}

QString absolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void remember(const QString &path)
{
    const QFileInfo info(path);
    const QMutexLocker lock(&writtenLock);
    writtenFiles().insert(absolute(path), {info.size(), info.lastModified()});
}

bool ours(const QString &path)
{
    const QFileInfo info(path);
    const QMutexLocker lock(&writtenLock);
    const auto it = writtenFiles().constFind(absolute(path));
    return it != writtenFiles().constEnd() && it->size == info.size() && it->modified == info.lastModified();
}

// A thumbnail read, reduced and encoded, not yet written.
struct Prepared {
    Item item;
    QString target;
    QByteArray bytes;  // empty for a file of no known kind
};

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

namespace {

Prepared prepare(const QString &fileName, int maxWidth, int maxHeight)
{
    Prepared out;
    Item &item = out.item;
    item.fileName = fileName;
    item.kind = kindOf(fileName);
    if (item.kind == Kind::None)
        return out;
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
    out.target = thumbnailName(fileName);
    switch (item.kind) {
    case Kind::Jpeg:
        // The encoder's default settings (quality 75).
        out.bytes = JpegCodec::encode(small);
        break;
    case Kind::Bitmap: {
        QBuffer buffer(&out.bytes);
        buffer.open(QIODevice::WriteOnly);
        small.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
        break;
    }
    case Kind::Gif: {
        // A photograph on the fixed cube would come out darker and banded.
        GifWriter::Options options;
        options.colours = GifWriter::Colours::Picture;
        out.bytes = GifWriter::encode({small}, options);
        break;
    }
    case Kind::None:
        break;
    }
    if (out.bytes.isEmpty())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.").arg(out.target));
    return out;
}

void write(const Prepared &prepared)
{
    if (prepared.item.kind == Kind::None)
        return;
    writeFile(prepared.target, prepared.bytes);
    remember(prepared.target);
}

} // namespace

Item makeThumbnail(const QString &fileName, int maxWidth, int maxHeight)
{
    const Prepared prepared = prepare(fileName, maxWidth, maxHeight);
    write(prepared);
    return prepared.item;
}

QList<Item> makeThumbnails(const QStringList &fileNames, int maxWidth, int maxHeight, const AskOverwrite &ask)
{
    const qsizetype count = fileNames.size();
    if (count == 0)
        return {};

    // Before anything is read or written: no thumbnail may land on a chosen
    // picture (it would be lost, and read back reduced), and files the
    // program did not write are replaced only if the user says so.
    QHash<QString, QString> chosen;
    for (const QString &name : fileNames)
        chosen.insert(absolute(name), name);
    QStringList taken;
    QSet<QString> seen;
    for (const QString &name : fileNames) {
        if (kindOf(name) == Kind::None)
            continue;
        const QString target = thumbnailName(name);
        const QString key = absolute(target);
        if (chosen.contains(key))
            throw Platform::PemoError(
                QStringLiteral("La vignette de l'image %1 remplacerait l'image %2, choisie elle aussi. "
                               "Aucune vignette n'a été écrite.")
                    .arg(name, chosen.value(key)));
        if (!seen.contains(key) && QFileInfo::exists(target) && !ours(target))
            taken << target;
        seen.insert(key);
    }
    QSet<QString> keep;
    if (!taken.isEmpty()) {
        if (!ask)
            throw Platform::PemoError(QStringLiteral("Le fichier %1 existe déjà. Aucune vignette n'a été écrite.")
                                          .arg(taken.first()));
        switch (ask(taken)) {
        case Overwrite::Replace:
            break;
        case Overwrite::Keep:
            for (const QString &target : std::as_const(taken))
                keep.insert(absolute(target));
            break;
        case Overwrite::Stop:
            throw Cancelled();
        }
    }

    // Each picture is read and reduced on its own: nothing is shared between
    // the workers but the next index to take and the first that failed.
    std::vector<Prepared> prepared(static_cast<size_t>(count));
    QStringList errors(count);
    std::atomic<qsizetype> next{0};
    std::atomic<qsizetype> firstFailed{count};
    // Detached once here, so that the workers only ever touch their own slots.
    QString *const failed = errors.data();
    auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            // Nothing after a failing picture is written: no need to reduce it.
            if (i > firstFailed.load())
                continue;
            try {
                prepared[size_t(i)] = prepare(fileNames.at(i), maxWidth, maxHeight);
                continue;
            } catch (const Platform::PemoError &e) {
                failed[i] = e.message();
            } catch (const std::exception &) {
                failed[i] = QStringLiteral("Impossible de réduire l'image %1.").arg(fileNames.at(i));
            }
            for (qsizetype seenFirst = firstFailed.load(); i < seenFirst;)
                if (firstFailed.compare_exchange_weak(seenFirst, i))
                    break;
        }
    };
    const qsizetype workers = std::min<qsizetype>(std::max(1, QThread::idealThreadCount()), count);
    std::vector<std::thread> helpers;
    for (qsizetype w = 1; w < workers; ++w)
        helpers.emplace_back(work);
    work();
    for (std::thread &t : helpers)
        t.join();

    QList<Item> items;
    items.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (!errors.at(i).isEmpty())
            throw Platform::PemoError(errors.at(i));
        const Prepared &p = prepared[size_t(i)];
        if (!keep.contains(absolute(p.target)))
            write(p);
        items.append(p.item);
    }
    return items;
}

} // namespace Gallery
