// Thumbnails of 100 photographs of 4000 x 3000 pixels: our gallery's
// reduced copies against ImageMagick's "convert -thumbnail 100x100" on the
// same files, in the same run. The photographs are generated (smooth
// gradients with fine noise, so they compress like real photographs).
#include "wizards/Gallery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QThread>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QImage photograph(int seed)
{
    QImage picture(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed) + 1);
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int noise = int(random.bounded(24u));
            line[x] = qRgb((x / 16 + seed * 7 + noise) & 255, (y / 12 + noise) & 255,
                           ((x + y) / 28 + seed * 13) & 255);
        }
    }
    return picture;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QDir::setCurrent(dir.path());

    std::printf("Génération de %d photos 4000 x 3000...\n", count);
    std::fflush(stdout);
    QStringList names;
    const QImage first = photograph(0);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        // A few distinct pictures, shifted so that no two files are alike.
        QImage picture = i < 4 ? photograph(i) : first.copy(i % 40, i % 30, 4000, 3000);
        if (!picture.save(name, "JPEG", 90))
            return 1;
        names << name;
    }

    QElapsedTimer timer;
    timer.start();
    int widest = 0;
    for (const Gallery::Item &item : Gallery::makeThumbnails(names, 100, 100))
        widest = std::max(widest, item.size.width());
    const QString table = Gallery::table(names, widest);
    const qint64 ours = timer.elapsed();
    const QSize ourSize = QImageReader(Gallery::thumbnailName(names.first())).size();

    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    qint64 theirs = -1;
    QSize theirSize;
    if (!convert.isEmpty()) {
        timer.restart();
        for (const QString &name : names) {
            QProcess process;
            process.start(convert, {name, QStringLiteral("-thumbnail"), QStringLiteral("100x100"),
                                    QStringLiteral("im_") + name});
            process.waitForFinished(-1);
            if (process.exitCode() != 0)
                return 1;
        }
        theirs = timer.elapsed();
        theirSize = QImageReader(QStringLiteral("im_") + names.first()).size();
    }

    std::printf("vignettes (Pemo HTML)      : %6lld ms pour %d photos (%.1f ms/photo), vignette %dx%d, tableau %lld octets, "
                "%d fils\n",
                ours, count, double(ours) / count, ourSize.width(), ourSize.height(), qlonglong(table.size()),
                std::max(1, QThread::idealThreadCount()));
    if (theirs >= 0) {
        std::printf("convert -thumbnail 100x100 : %6lld ms pour %d photos (%.1f ms/photo), vignette %dx%d\n",
                    theirs, count, double(theirs) / count, theirSize.width(), theirSize.height());
        std::printf("rapport                    : %.3f (objectif <= 0.2)\n", double(ours) / double(theirs));
    } else {
        std::printf("convert introuvable : pas de comparaison\n");
    }
    return 0;
}
