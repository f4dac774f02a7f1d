// Thumbnails: kinds, sizes, names, the table's rows, and the files written
// read back by an independent decoder.
#include "testmain.h"

#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "platform/Errors.h"
#include "wizards/Gallery.h"
#include "wizards/ScaledJpeg.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>

using Gallery::Kind;

namespace {

// A picture with a clear left/right difference, so a stretch that mirrors
// or crops shows.
QImage testPicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.fillRect(0, 0, size.width() / 2, size.height(), QColor(200, 0, 0));
    return picture;
}

void writeBytes(const QString &name, const QByteArray &bytes)
{
    QFile out(name);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
}

QByteArray bytesOf(const QString &name)
{
    QFile in(name);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QString cell(const QString &name)
{
    return QStringLiteral("<td><div align=\"center\"><a href=\"%1\"><img src=\"%2\"></a></div></td>\r\n")
        .arg(name, Gallery::thumbnailName(name));
}

} // namespace

class GalleryTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldDir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldDir); }

    void kinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("gif") << "logo.gif" << int(Kind::Gif);
        QTest::newRow("upper-case jpg") << "PHOTO.JPG" << int(Kind::Jpeg);
        QTest::newRow("jpeg") << "photo.jpeg" << int(Kind::Jpeg);
        QTest::newRow("bmp") << "dessin.bmp" << int(Kind::Bitmap);
        QTest::newRow("later test wins") << "a.gif.jpg" << int(Kind::Jpeg);
        QTest::newRow("bmp beats gif") << "a.bmp.gif" << int(Kind::Bitmap);
        QTest::newRow("unknown") << "notes.txt" << int(Kind::None);
    }
    void kinds()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QCOMPARE(int(Gallery::kindOf(name)), kind);
    }

    void sizes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("maximum");
        QTest::addColumn<QSize>("thumbnail");
        QTest::newRow("small kept") << QSize(50, 40) << QSize(100, 100) << QSize(50, 40);
        QTest::newRow("wide") << QSize(400, 200) << QSize(100, 100) << QSize(100, 50);
        QTest::newRow("tall") << QSize(200, 400) << QSize(100, 100) << QSize(50, 100);
        QTest::newRow("narrow and tall") << QSize(50, 400) << QSize(100, 100) << QSize(13, 100);
        QTest::newRow("photo") << QSize(4000, 3000) << QSize(100, 100) << QSize(100, 75);
        QTest::newRow("wide then still too tall") << QSize(300, 200) << QSize(150, 60) << QSize(90, 60);
        QTest::newRow("zero maxima") << QSize(400, 200) << QSize(0, 0) << QSize(0, 0);
    }
    void sizes()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, maximum);
        QFETCH(QSize, thumbnail);
        QCOMPARE(Gallery::thumbnailSize(picture, maximum.width(), maximum.height()), thumbnail);
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("thumbnail");
        QTest::newRow("plain") << "photo.jpg" << "photosml.jpg";
        QTest::newRow("first dot") << "vacances.2024.jpg" << "vacancessml.2024.jpg";
        QTest::newRow("folder kept") << "img.v2/photo.gif" << "img.v2/photosml.gif";
        QTest::newRow("no dot") << "photo" << "photosml";
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, thumbnail);
        QCOMPARE(Gallery::thumbnailName(name), thumbnail);
    }

    void tableRows_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("widest");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("one cell") << 1 << 100 << QList<int>{1};
        QTest::newRow("seven in a row, the last closes it") << 7 << 100 << QList<int>{7};
        QTest::newRow("eight: a second row") << 8 << 100 << QList<int>{7, 1};
        QTest::newRow("fourteen: two full rows") << 14 << 100 << QList<int>{7, 7};
        QTest::newRow("wide thumbnails") << 5 << 300 << QList<int>{2, 2, 1};
        QTest::newRow("wider than the page") << 2 << 800 << QList<int>{1, 1};
        QTest::newRow("no file") << 0 << 0 << QList<int>{0};
    }
    // The table written row by row from the cell counts, so a stray or a
    // missing row tag shows.
    void tableRows()
    {
        QFETCH(int, files);
        QFETCH(int, widest);
        QFETCH(QList<int>, rows);
        QStringList names;
        for (int i = 0; i < files; ++i)
            names << QStringLiteral("p%1.jpg").arg(i);
        QString expected = QStringLiteral("<div align=\"center\">\r\n<table width=\"90%\" border=\"0\">\r\n");
        int next = 0;
        for (int count : rows) {
            expected += QStringLiteral("<tr>\r\n");
            for (int i = 0; i < count; ++i)
                expected += cell(names.at(next++));
            expected += QStringLiteral("</tr>\r\n");
        }
        expected += QStringLiteral("</table></div>");
        QCOMPARE(Gallery::table(names, widest), expected);
    }

    void thumbnailFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("thumbnail");
        QTest::newRow("jpeg, wide") << "wide.jpg" << QSize(400, 200) << QSize(100, 50);
        QTest::newRow("jpeg, tall, DCT-scaled") << "tall.JPEG" << QSize(800, 1600) << QSize(50, 100);
        QTest::newRow("jpeg, small kept") << "small.jpg" << QSize(50, 40) << QSize(50, 40);
        QTest::newRow("gif") << "logo.gif" << QSize(200, 400) << QSize(50, 100);
        QTest::newRow("bitmap") << "dessin.bmp" << QSize(400, 200) << QSize(100, 50);
    }
    void thumbnailFiles()
    {
        QFETCH(QString, name);
        QFETCH(QSize, picture);
        QFETCH(QSize, thumbnail);
        const QImage source = testPicture(picture);
        const Kind kind = Gallery::kindOf(name);
        switch (kind) {
        case Kind::Jpeg: QVERIFY(source.save(name, "JPEG", 95)); break;
        case Kind::Bitmap: QVERIFY(source.save(name, "BMP")); break;
        case Kind::Gif: {
            QFile out(name);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(GifWriter::encode({source}));
            break;
        }
        case Kind::None: break;
        }
        const Gallery::Item item = Gallery::makeThumbnail(name, 100, 100);
        QCOMPARE(item.size, thumbnail);
        const QString target = Gallery::thumbnailName(name);
        QImage written;
        if (kind == Kind::Gif) {
            // giflib reads back what our writer wrote.
            written = GifReader::read(target).frames.value(0);
        } else {
            QImageReader reader(target);
            QCOMPARE(reader.format(), kind == Kind::Jpeg ? QByteArray("jpeg") : QByteArray("bmp"));
            written = reader.read();
        }
        QCOMPARE(written.size(), thumbnail);
        // Left half red, right half white: the picture was stretched, not cropped or turned.
        const QColor left = written.pixelColor(thumbnail.width() / 4, thumbnail.height() / 2);
        const QColor right = written.pixelColor(thumbnail.width() * 3 / 4, thumbnail.height() / 2);
        QVERIFY2(left.red() > 150 && left.green() < 60, qPrintable(left.name()));
        QVERIFY2(right.red() > 200 && right.green() > 200, qPrintable(right.name()));
    }

    void jpegScaleCoversTarget()
    {
        const QByteArray bytes = [] {
            QByteArray data;
            QBuffer buffer(&data);
            buffer.open(QIODevice::WriteOnly);
            testPicture(QSize(4000, 3000)).save(&buffer, "JPEG");
            return data;
        }();
        QCOMPARE(ScaledJpeg::size(bytes, QStringLiteral("x")), QSize(4000, 3000));
        QCOMPARE(ScaledJpeg::decode(bytes, QStringLiteral("x"), QSize(100, 75)).size(), QSize(500, 375));
        QCOMPARE(ScaledJpeg::decode(bytes, QStringLiteral("x"), QSize(1000, 750)).size(), QSize(1000, 750));
        QCOMPARE(ScaledJpeg::decode(bytes, QStringLiteral("x"), QSize(1001, 100)).size(), QSize(1500, 1125));
        QCOMPARE(ScaledJpeg::decode(bytes, QStringLiteral("x")).size(), QSize(4000, 3000));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << "absent.jpg" << QByteArray();
        QTest::newRow("not a jpeg") << "faux.jpg" << QByteArray("GIF89a not really");
        QTest::newRow("truncated gif") << "court.gif" << QByteArray("GIF89a\x10\x00", 8);
        QTest::newRow("not a bitmap") << "faux.bmp" << QByteArray("hello");
    }
    void failures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        if (!content.isEmpty()) {
            QFile out(name);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        try {
            Gallery::makeThumbnail(name, 100, 100);
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QVERIFY2(e.message().contains(name), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(Gallery::thumbnailName(name)));
    }

    // Several pictures at once give what one at a time gives, in order, and
    // a file that fails is named even when others after it went through.
    void manyAtOnceEqualOneAtATime()
    {
        QStringList names;
        for (int i = 0; i < 9; ++i) {
            const QString name = QStringLiteral("lot%1.%2").arg(i).arg(i % 3 == 0 ? "jpg" : i % 3 == 1 ? "gif" : "bmp");
            const QImage source = testPicture(QSize(300 + 40 * i, 200 + 10 * i));
            if (i % 3 == 1) {
                QFile out(name);
                QVERIFY(out.open(QIODevice::WriteOnly));
                out.write(GifWriter::encode({source}));
            } else {
                QVERIFY(source.save(name, i % 3 == 0 ? "JPEG" : "BMP"));
            }
            names << name;
        }
        names.insert(4, QStringLiteral("notes.txt"));
        const QList<Gallery::Item> together = Gallery::makeThumbnails(names, 100, 100);
        QCOMPARE(together.size(), names.size());
        QHash<QString, QByteArray> written;
        for (const QString &name : names) {
            QFile f(Gallery::thumbnailName(name));
            if (f.open(QIODevice::ReadOnly))
                written.insert(name, f.readAll());
        }
        for (qsizetype i = 0; i < names.size(); ++i) {
            const Gallery::Item alone = Gallery::makeThumbnail(names.at(i), 100, 100);
            QCOMPARE(together.at(i).fileName, names.at(i));
            QCOMPARE(int(together.at(i).kind), int(alone.kind));
            QCOMPARE(together.at(i).size, alone.size);
            QFile f(Gallery::thumbnailName(names.at(i)));
            if (alone.kind != Kind::None) {
                QVERIFY(f.open(QIODevice::ReadOnly));
                QCOMPARE(f.readAll(), written.value(names.at(i)));
            }
        }
        QVERIFY(Gallery::makeThumbnails({}, 100, 100).isEmpty());

        QFile bad(QStringLiteral("abime.jpg"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("pas une image");
        bad.close();
        names.insert(2, QStringLiteral("abime.jpg"));
        names << QStringLiteral("absent.gif");
        try {
            Gallery::makeThumbnails(names, 100, 100);
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("abime.jpg")), qPrintable(e.message()));
        }
    }

    // A GIF photograph reduced keeps its colours: no fixed cube, no
    // darkening.
    void gifThumbnailKeepsItsColours()
    {
        QImage source(300, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                source.setPixel(x, y, qRgb(30 + x * 2 / 3, 40 + y, 220 - (x + y) / 3));
        GifWriter::Options o;
        o.colours = GifWriter::Colours::Picture;
        writeBytes(QStringLiteral("degrade.gif"), GifWriter::encode({source}, o));
        const Gallery::Item item = Gallery::makeThumbnail(QStringLiteral("degrade.gif"), 100, 100);
        const QImage expected =
            Gallery::stretched(GifReader::read(QStringLiteral("degrade.gif")).frames.value(0), item.size);
        const QImage written = GifReader::read(QStringLiteral("degradesml.gif")).frames.value(0);
        QCOMPARE(written.size(), QSize(100, 67));
        double error = 0, bias = 0;
        QSet<QRgb> colours;
        for (int y = 0; y < written.height(); ++y)
            for (int x = 0; x < written.width(); ++x) {
                const QRgb p = expected.pixel(x, y), q = written.pixel(x, y);
                error += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
                bias += qGray(q) - qGray(p);
                colours.insert(q);
            }
        const double pixels = written.width() * written.height();
        QVERIFY2(error / (3 * pixels) < 3, qPrintable(QString::number(error / (3 * pixels))));
        QVERIFY2(std::abs(bias / pixels) < 0.5, qPrintable(QString::number(bias / pixels)));
        QVERIFY(colours.size() > 200);
    }

    // "a.jpg" reduces to "asml.jpg": when both are chosen, the second must
    // not be overwritten by the first one's thumbnail, nor read reduced.
    void thumbnailNeverReplacesAChosenPicture()
    {
        QVERIFY(testPicture(QSize(300, 200)).save(QStringLiteral("p.jpg"), "JPEG"));
        QVERIFY(testPicture(QSize(250, 250)).save(QStringLiteral("psml.jpg"), "JPEG"));
        const QByteArray before = bytesOf(QStringLiteral("psml.jpg"));
        try {
            Gallery::makeThumbnails({QStringLiteral("p.jpg"), QStringLiteral("psml.jpg")}, 100, 100);
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("p.jpg")) && e.message().contains(QStringLiteral("psml.jpg")),
                     qPrintable(e.message()));
        }
        QCOMPARE(bytesOf(QStringLiteral("psml.jpg")), before);
        QVERIFY(!QFile::exists(QStringLiteral("psmlsml.jpg")));
    }

    // The thumbnails before a failing picture are written, none after it.
    void nothingWrittenAfterAFailingPicture()
    {
        QStringList names;
        for (int i = 0; i < 6; ++i) {
            names << QStringLiteral("suite%1.jpg").arg(i);
            QVERIFY(testPicture(QSize(200, 100)).save(names.last(), "JPEG"));
        }
        writeBytes(QStringLiteral("casse.jpg"), "pas une image");
        names.insert(2, QStringLiteral("casse.jpg"));
        try {
            Gallery::makeThumbnails(names, 100, 100);
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("casse.jpg")), qPrintable(e.message()));
        }
        QVERIFY(QFile::exists(QStringLiteral("suite0sml.jpg")));
        QVERIFY(QFile::exists(QStringLiteral("suite1sml.jpg")));
        for (int i = 2; i < 6; ++i)
            QVERIFY2(!QFile::exists(QStringLiteral("suite%1sml.jpg").arg(i)), qPrintable(QString::number(i)));
    }

    // A file of the thumbnail's name that this session did not write is the
    // user's: asked about once, with all such names, before anything is written.
    void othersFilesAskedFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("replace") << int(Gallery::Overwrite::Replace);
        QTest::newRow("keep them, write the others") << int(Gallery::Overwrite::Keep);
        QTest::newRow("stop: nothing written") << int(Gallery::Overwrite::Stop);
    }
    void othersFilesAskedFirst()
    {
        QFETCH(int, answer);
        const QString tag = QString::number(answer);
        const QStringList names{QStringLiteral("mien%1.jpg").arg(tag), QStringLiteral("neuf%1.jpg").arg(tag)};
        for (const QString &name : names)
            QVERIFY(testPicture(QSize(200, 100)).save(name, "JPEG"));
        const QString taken = Gallery::thumbnailName(names[0]);
        const QString fresh = Gallery::thumbnailName(names[1]);
        writeBytes(taken, "le fichier de quelqu'un");
        QList<QStringList> asked;
        auto ask = [&](const QStringList &targets) {
            asked << targets;
            return Gallery::Overwrite(answer);
        };
        bool cancelled = false;
        try {
            Gallery::makeThumbnails(names, 100, 100, ask);
        } catch (const Gallery::Cancelled &) {
            cancelled = true;
        }
        QCOMPARE(asked, QList<QStringList>{QStringList{taken}});
        QCOMPARE(cancelled, Gallery::Overwrite(answer) == Gallery::Overwrite::Stop);
        const bool replaced = Gallery::Overwrite(answer) == Gallery::Overwrite::Replace;
        QCOMPARE(bytesOf(taken) == "le fichier de quelqu'un", !replaced);
        QCOMPARE(QFile::exists(fresh), !cancelled);
        if (replaced) {
            QCOMPARE(QImageReader(taken).size(), QSize(100, 50));
            // What this session wrote is replaced again without a question.
            Gallery::makeThumbnails(names, 100, 100, ask);
            QCOMPARE(asked.size(), 1);
        }
        // Without anyone to ask, nothing is replaced.
        if (!replaced)
            QVERIFY_THROWS_EXCEPTION(Platform::PemoError, Gallery::makeThumbnails(names, 100, 100));
    }

    void unknownKindWritesNothing()
    {
        const Gallery::Item item = Gallery::makeThumbnail(QStringLiteral("notes.txt"), 100, 100);
        QCOMPARE(int(item.kind), int(Kind::None));
        QVERIFY(!QFile::exists(QStringLiteral("notessml.txt")));
    }
};

PEMO_TEST(GalleryTest)
#include "tst_gallery.moc"
