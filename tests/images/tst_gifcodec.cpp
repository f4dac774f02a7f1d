// The GIF writer read back by giflib (through our reader) and by Qt, and the
// reader facing broken files.
#include "testmain.h"

#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "platform/Errors.h"
#include "FrameCompare.h"
#include "StrictGif.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

// Smooth bands plus deterministic noise: both long runs and a string table
// that fills up (several clear codes per frame).
QImage testFrame(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(static_cast<quint32>(seed));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (x < w / 2)
                img.setPixel(x, y, qRgb((x * 7 + seed * 40) & 255, (y * 3) & 255, 128));
            else
                img.setPixel(x, y, qRgb(int(rng.bounded(256)), int(rng.bounded(256)), int(rng.bounded(256))));
        }
    return img;
}

QImage cubeColours(const QImage &img)
{
    QImage out = img.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, GifWriter::cubePalette().at(GifWriter::cubeIndex(out.pixel(x, y))));
    return out;
}

// Pixels on the 256-entry cube table in which no two neighbours repeat a
// pair met before: the compressor finds no string longer than one pixel, so
// it writes exactly one code per pixel.
QImage onePixelPerCode(int pixels)
{
    QImage img(pixels, 1, QImage::Format_Indexed8);
    img.setColorTable(GifWriter::cubePalette());
    uchar *row = img.scanLine(0);
    int value = 0;
    for (int i = 0; i < pixels; ++i) {
        row[i] = uchar(value);
        // Runs of 256 steps of one odd stride visit every (value, value + stride) once.
        value = (value + 2 * (i / 256) + 1) & 255;
    }
    return img;
}

QList<QImage> coalesced(const QString &name, int frames)
{
    QList<QImage> out;
    for (int i = 0; i < frames; ++i)
        out << FrameCompare::reference(name, i);
    return out;
}

// A smooth picture of far more than 256 colours.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(40 + 180 * x / w, 30 + 200 * y / h, 200 - 150 * (x + y) / (w + h)));
    return img;
}

QString errorOf(const QByteArray &bytes)
{
    try {
        GifReader::decode(bytes, QStringLiteral("essai.gif"));
    } catch (const Platform::PemoError &e) {
        return e.message();
    }
    return {};
}

} // namespace

class GifCodecTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cubeLevels_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("level");
        QTest::newRow("black") << 0 << 0;
        QTest::newRow("last of level 0") << 47 << 0;
        QTest::newRow("first of level 1") << 48 << 1;
        QTest::newRow("exact level 2") << 102 << 2;
        QTest::newRow("last of level 4") << 200 << 3;
        QTest::newRow("first of level 4") << 201 << 4;
        QTest::newRow("white") << 255 << 5;
    }
    void cubeLevels()
    {
        QFETCH(int, value);
        QFETCH(int, level);
        QCOMPARE(GifWriter::cubeLevel(value), level);
        QCOMPARE(GifWriter::cubeIndex(qRgb(value, 0, 0)), 36 * level);
        QCOMPARE(GifWriter::cubeIndex(qRgb(0, value, 0)), 6 * level);
        QCOMPARE(GifWriter::cubeIndex(qRgb(0, 0, value)), level);
        QCOMPARE(qRed(GifWriter::cubePalette().at(36 * level)), level * 51);
    }

    void blocksByteForByte()
    {
        QImage img(3, 2, QImage::Format_RGB32);
        img.fill(qRgb(255, 255, 255));
        img.setPixel(0, 1, qRgb(0, 0, 255)); // bottom-left: index 5
        GifWriter::Options o;
        o.repeat = 0;
        o.delay = 300;
        o.transparent = true;
        const QByteArray gif = GifWriter::encode({img, img}, o);
        QVERIFY(gif.startsWith(QByteArray("GIF89a\x03\x00\x02\x00", 10)));
        const QByteArray loop("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
        QCOMPARE(gif.count(loop), 1);
        QCOMPARE(gif.indexOf(loop), 13 + 768);
        // Transparent frames of an animation are disposed of (method 2)
        // before the next is drawn.
        const QByteArray control("\x21\xF9\x04\x09\x2C\x01\x05\x00", 8);
        QCOMPARE(gif.count(control), 2);
        QCOMPARE(gif.indexOf(control), 13 + 768 + 19);
        QVERIFY(gif.endsWith('\x3B'));
    }

    void plainPictureHasNoExtensions()
    {
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QByteArray gif = GifWriter::encode({img});
        QCOMPARE(gif.at(13 + 768), '\x2C');
        QVERIFY(!gif.contains("NETSCAPE"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("transparent");
        QTest::newRow("one pixel") << 1 << 1 << 1 << 0 << 0 << false;
        QTest::newRow("three frames loop forever") << 40 << 30 << 3 << 0 << 25 << false;
        QTest::newRow("repeat 5, transparent") << 17 << 9 << 2 << 5 << 10 << true;
        QTest::newRow("table fills several times") << 300 << 200 << 2 << 1 << 7 << false;
    }
    void roundTrip()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, frames);
        QFETCH(int, repeat);
        QFETCH(int, delay);
        QFETCH(bool, transparent);
        QList<QImage> in;
        for (int i = 0; i < frames; ++i)
            in << testFrame(width, height, i + 1);
        GifWriter::Options o;
        o.repeat = repeat;
        o.delay = delay;
        o.transparent = transparent;
        const QByteArray gif = GifWriter::encode(in, o);

        // giflib
        const GifReader::Animation a = GifReader::decode(gif, QStringLiteral("x.gif"));
        QCOMPARE(a.screen, QSize(width, height));
        QCOMPARE(a.frames.size(), frames);
        QCOMPARE(a.repeat, repeat);
        QCOMPARE(a.delay, delay);
        QCOMPARE(a.transparent, transparent);
        for (int i = 0; i < frames; ++i) {
            QImage expected = cubeColours(in[i]);
            if (transparent) {
                // The bottom-left colour lets the empty screen show.
                expected = expected.convertToFormat(QImage::Format_ARGB32);
                const QRgb key = expected.pixel(0, height - 1);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        if (expected.pixel(x, y) == key)
                            expected.setPixel(x, y, GifReader::Clear);
            }
            QCOMPARE(a.frames[i], expected);
        }

        // Qt
        QBuffer buffer;
        buffer.setData(gif);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "gif");
        QCOMPARE(reader.imageCount(), frames);
        if (frames > 1)
            QCOMPARE(reader.loopCount(), repeat == 0 ? -1 : repeat);
        for (int i = 0; i < frames; ++i) {
            QImage img = reader.read();
            QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
            const QImage expected = cubeColours(in[i]);
            const QRgb key = expected.pixel(0, height - 1);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    // Each frame is cleared before the next: no earlier
                    // frame shows through the holes.
                    if (transparent && expected.pixel(x, y) == key)
                        QCOMPARE(qAlpha(img.pixel(x, y)), 0);
                    else
                        QCOMPARE(img.pixel(x, y), expected.pixel(x, y));
                }
            if (i + 1 < frames)
                QCOMPARE(reader.nextImageDelay(), delay * 10);
        }
    }

    // After a clear, 255, 767 and 1791 codes bring the decoder's next code to
    // 512, 1024 and 2048, so the end code that follows is one bit wider than
    // the last data code. Whole tables in front (the writer starts over after
    // 3839 codes) shift where the data ends within its last byte; one of
    // eight counts makes the end code finish exactly on a byte, where a code
    // written one bit short is missing a bit.
    void endCodeWidthAtBoundaries_data()
    {
        QTest::addColumn<int>("codesAfterClear");
        QTest::newRow("255 codes: next code 512") << 255;
        QTest::newRow("767 codes: next code 1024") << 767;
        QTest::newRow("1791 codes: next code 2048") << 1791;
    }
    void endCodeWidthAtBoundaries()
    {
        QFETCH(int, codesAfterClear);
        for (int tables = 0; tables < 8; ++tables) {
            const QImage img = onePixelPerCode(tables * 3839 + codesAfterClear);
            const QByteArray gif = GifWriter::encode({img});
            const QString where = QStringLiteral("%1 full tables before").arg(tables);

            StrictGif::File strict;
            try {
                strict = StrictGif::decode(gif);
            } catch (const StrictGif::Error &e) {
                QFAIL(qPrintable(where + QStringLiteral(": ") + QString::fromLatin1(e.what())));
            }
            QCOMPARE(strict.images.size(), 1);
            QCOMPARE(strict.images[0].codesAfterLastClear, codesAfterClear);
            const uchar *row = img.constScanLine(0);
            QVERIFY2(std::equal(strict.images[0].indices.begin(), strict.images[0].indices.end(), row),
                     qPrintable(where));

            const GifReader::Animation a = GifReader::decode(gif, QStringLiteral("x.gif"));
            QCOMPARE(a.frames.size(), 1);
            QImage qt;
            QVERIFY(qt.loadFromData(gif, "GIF"));
            for (int x = 0; x < img.width(); ++x) {
                const QRgb expected = GifWriter::cubePalette().at(row[x]);
                if (a.frames[0].pixel(x, 0) != expected || qt.pixel(x, 0) != expected)
                    QFAIL(qPrintable(where + QStringLiteral(": pixel %1 differs").arg(x)));
            }
        }
    }

    // Animations made by ImageMagick, composed as its -coalesce does.
    void framesComposedLikeAViewer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<int>("repeat");
        QTest::newRow("optimised: changed rectangles with holes") << QStringLiteral("optimised")
                                                                  << QList<int>{12, 12, 12, 12, 12} << 0;
        QTest::newRow("sprites at offsets, every disposal, own delays")
            << QStringLiteral("disposals") << QList<int>{10, 50, 200, 7, 33} << 2;
        QTest::newRow("local colour tables") << QStringLiteral("local-tables") << QList<int>{25, 25, 25} << 0;
    }
    void framesComposedLikeAViewer()
    {
        QFETCH(QString, name);
        QFETCH(QList<int>, delays);
        const GifReader::Animation a =
            GifReader::read(PemoTest::sourcePath(QStringLiteral("tests/images/data/%1.gif").arg(name)));
        const QList<QImage> reference = coalesced(name, int(delays.size()));
        QCOMPARE(a.frames.size(), reference.size());
        QCOMPARE(a.delays, delays);
        QCOMPARE(a.palettes.size(), a.frames.size());
        for (qsizetype i = 0; i < a.frames.size(); ++i)
            QVERIFY2(FrameCompare::difference(a.frames[i], reference[i]).isEmpty(),
                     qPrintable(QStringLiteral("frame %1: ").arg(i) + FrameCompare::difference(a.frames[i], reference[i])));
    }
    // Composed frames written back with their own tables and delays come
    // out as they went in, for giflib, Qt and the strict decoder.
    void animationsWrittenBackUnchanged_data() { framesComposedLikeAViewer_data(); }
    void animationsWrittenBackUnchanged()
    {
        QFETCH(QString, name);
        QFETCH(QList<int>, delays);
        QFETCH(int, repeat);
        const GifReader::Animation original =
            GifReader::read(PemoTest::sourcePath(QStringLiteral("tests/images/data/%1.gif").arg(name)));
        QList<GifWriter::Frame> frames;
        for (qsizetype i = 0; i < original.frames.size(); ++i)
            frames.append({original.frames[i], original.delays[i], original.palettes[i]});
        GifWriter::Options o;
        o.repeat = repeat;
        o.colours = GifWriter::Colours::Picture;
        const QByteArray gif = GifWriter::encode(frames, o);
        const QList<QImage> reference = coalesced(name, int(delays.size()));

        const GifReader::Animation back = GifReader::decode(gif, QStringLiteral("x.gif"));
        QCOMPARE(back.delays, delays);
        QCOMPARE(back.repeat, repeat);
        for (qsizetype i = 0; i < reference.size(); ++i)
            QVERIFY2(FrameCompare::difference(back.frames[i], reference[i]).isEmpty(),
                     qPrintable(QStringLiteral("frame %1: ").arg(i) + FrameCompare::difference(back.frames[i], reference[i])));

        StrictGif::File strict;
        try {
            strict = StrictGif::decode(gif);
        } catch (const StrictGif::Error &e) {
            QFAIL(e.what());
        }
        for (qsizetype i = 0; i < strict.images.size(); ++i) {
            // A frame drawn only in colours of its own table keeps that
            // table, in its order (a sprite over other frames needs more).
            const QVector<QRgb> &own = original.palettes[i];
            bool inOwn = true;
            for (int y = 0; y < original.screen.height() && inOwn; ++y)
                for (int x = 0; x < original.screen.width() && inOwn; ++x)
                    inOwn = own.contains(original.frames[i].pixel(x, y) | 0xFF000000u);
            if (inOwn)
                QCOMPARE(strict.images[i].colours.mid(0, own.size()), own);
        }
        if (name == QLatin1String("local-tables"))
            QVERIFY(strict.images[1].localTable && strict.images[2].localTable);

        QBuffer buffer;
        buffer.setData(gif);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "gif");
        for (qsizetype i = 0; i < reference.size(); ++i) {
            const QImage img = reader.read().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(FrameCompare::difference(img, reference[i]).isEmpty(),
                     qPrintable(QStringLiteral("Qt, frame %1: ").arg(i) + FrameCompare::difference(img, reference[i])));
        }
    }

    // Frames with more colours than a table holds get one made for them:
    // close to the picture and no darker, unlike the cube.
    void manyColoursGetTheirOwnTable()
    {
        const QImage picture = photo(120, 90);
        GifWriter::Options o;
        o.colours = GifWriter::Colours::Picture;
        const GifReader::Animation a = GifReader::decode(GifWriter::encode({picture}, o), QStringLiteral("x"));
        const GifReader::Animation cube = GifReader::decode(GifWriter::encode({picture}), QStringLiteral("x"));
        auto error = [&](const QImage &img, double &bias) {
            double sum = 0;
            bias = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) {
                    const QRgb p = picture.pixel(x, y), q = img.pixel(x, y);
                    sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
                    bias += qGray(q) - qGray(p);
                }
            const double n = 3.0 * picture.width() * picture.height();
            bias /= n / 3;
            return sum / n;
        };
        double bias = 0, cubeBias = 0;
        const double err = error(a.frames[0], bias);
        const double cubeErr = error(cube.frames[0], cubeBias);
        QVERIFY2(err < 2.5, qPrintable(QString::number(err)));
        QVERIFY2(std::abs(bias) < 0.5, qPrintable(QString::number(bias)));
        QVERIFY(cubeErr > 4 * err);

        // Few colours come back exactly, each in a table of its own.
        QImage few(17, 8, QImage::Format_RGB32);
        for (int y = 0; y < few.height(); ++y)
            for (int x = 0; x < few.width(); ++x)
                few.setPixel(x, y, qRgb(x * 15, y * 30, 7 + x + y));
        const QImage other = photo(17, 8);
        const QByteArray gif = GifWriter::encode({few, other}, o);
        const GifReader::Animation back = GifReader::decode(gif, QStringLiteral("x"));
        QCOMPARE(back.frames[0], few);
        QCOMPARE(back.frames[1], other);
        QCOMPARE(StrictGif::decode(gif).images[1].localTable, true);
    }

    void outOfRangeValuesAreClamped()
    {
        QImage img(2, 2, QImage::Format_RGB32);
        img.fill(Qt::black);
        GifWriter::Options o;
        o.repeat = 70000;
        o.delay = -4;
        const GifReader::Animation a = GifReader::decode(GifWriter::encode({img, img}, o), QStringLiteral("x"));
        QCOMPARE(a.repeat, 65535);
        QCOMPARE(a.delay, 0);
    }

    void saveIsAtomic()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("anim.gif"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, GifWriter::save(path, QList<QImage>()));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();

        QImage img(2, 2, QImage::Format_RGB32);
        img.fill(Qt::green);
        try {
            GifWriter::save(dir.filePath(QStringLiteral("absent/anim.gif")), {img});
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Impossible d'enregistrer le fichier ")));
            QVERIFY(e.message().contains(QStringLiteral("absent/anim.gif")));
        }
        GifWriter::save(path, {img});
        QCOMPARE(GifReader::read(path).frames.size(), 1);
    }

    void brokenFiles_data()
    {
        QImage img(50, 40, QImage::Format_RGB32);
        img = testFrame(50, 40, 3);
        GifWriter::Options o;
        o.repeat = 0;
        o.delay = 5;
        const QByteArray good = GifWriter::encode({img, img}, o);
        const int firstData = 13 + 768 + 19 + 8 + 10; // LZW minimum code size byte

        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("empty file") << QByteArray() << "le fichier est tronqué";
        QTest::newRow("not a GIF") << QByteArray("<html>not a picture</html>") << "ce n'est pas un fichier GIF";
        QTest::newRow("header only") << good.left(6) << "le fichier est tronqué";
        QTest::newRow("cut in the colour table") << good.left(400) << "le fichier est tronqué";
        QTest::newRow("cut in the image data") << good.left(firstData + 200) << "";
        QTest::newRow("no trailer") << good.chopped(1) << "le fichier est tronqué";

        QByteArray zero = good;
        zero[6] = 0;
        zero[7] = 0;
        QTest::newRow("zero screen") << zero << "la taille de l'image est nulle";

        QByteArray noWidth = good;
        noWidth[firstData - 5] = 0;
        noWidth[firstData - 4] = 0;
        QTest::newRow("zero image width") << noWidth << "une image a une taille nulle";

        QByteArray huge = good;
        huge[6] = char(0xFF);
        huge[7] = char(0xFF);
        huge[8] = char(0xFF);
        huge[9] = char(0xFF);
        QTest::newRow("huge screen") << huge
                                     << "l'image mesure 65535 × 65535 pixels, plus que les 16 millions de pixels "
                                        "que le programme accepte";

        // A few bytes declaring a screen of 133 million pixels: refused
        // before the half gigabyte of canvas is made.
        QImage dot(1, 1, QImage::Format_RGB32);
        dot.fill(Qt::red);
        QByteArray tall = GifWriter::encode({dot});
        tall[6] = char(5376 & 0xFF);
        tall[7] = char(5376 >> 8);
        tall[8] = char(24752 & 0xFF);
        tall[9] = char(24752 >> 8);
        QTest::newRow("small file declaring 5376 x 24752") << tall
            << "l'image mesure 5376 × 24752 pixels, plus que les 16 millions de pixels que le programme accepte";
        QByteArray over = tall;
        over[6] = char(4097 & 0xFF);
        over[7] = char(4097 >> 8);
        over[8] = char(4096 & 0xFF);
        over[9] = char(4096 >> 8);
        QTest::newRow("one column over 4096 x 4096") << over
            << "l'image mesure 4097 × 4096 pixels, plus que les 16 millions de pixels que le programme accepte";

        QByteArray badCode = good;
        badCode[firstData] = 8;
        for (int i = firstData + 2; i < firstData + 40; ++i)
            badCode[i] = char(0xFF); // codes far beyond the table
        QTest::newRow("bad LZW codes") << badCode << "";

        QByteArray badRecord = good;
        badRecord[13 + 768] = char(0x99);
        QTest::newRow("unknown record") << badRecord << "le fichier contient un bloc inconnu";
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        const QString message = errorOf(bytes);
        QVERIFY2(message.startsWith(QStringLiteral("Le fichier essai.gif n'est pas une image GIF lisible : ")),
                 qPrintable(message));
        if (!why.isEmpty())
            QCOMPARE(message, QStringLiteral("Le fichier essai.gif n'est pas une image GIF lisible : %1.").arg(why));
    }

    void imagesOutsideTheScreenAreClipped()
    {
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(Qt::blue);
        QByteArray gif = GifWriter::encode({img});
        gif[6] = 10; // screen 10 x 10, image 20 x 20
        gif[8] = 10;
        const GifReader::Animation a = GifReader::decode(gif, QStringLiteral("x"));
        QCOMPARE(a.frames.size(), 1);
        QCOMPARE(a.frames[0].size(), QSize(10, 10));
        QCOMPARE(a.frames[0].pixel(9, 9), qRgb(0, 0, 255));
    }

    void interlacedRowsInPlace()
    {
        const QString path = PemoTest::sourcePath(QStringLiteral("tests/images/data/interlaced.gif"));
        const GifReader::Animation a = GifReader::read(path);
        QCOMPARE(a.frames.size(), 1);
        const QImage qt = QImage(path).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(a.frames[0], qt);
    }

    void missingFileNamesIt()
    {
        try {
            GifReader::read(QStringLiteral("/nonexistent/anim.gif"));
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Impossible d'ouvrir le fichier /nonexistent/anim.gif")));
        }
    }
};
PEMO_TEST(GifCodecTest)

#include "tst_gifcodec.moc"
