// The animated GIF window and the picture window, offscreen.
#include "testmain.h"

#include "dialogs/NumberField.h"
#include "images/GifEditor.h"
#include "images/GifReader.h"
#include "images/GifWriter.h"
#include "images/JpegCodec.h"
#include "images/PictureName.h"
#include "images/PictureWindow.h"
#include "images/ResizeDialog.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"
#include "FrameCompare.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

QImage flat(QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// red, green, blue frames of 100 x 80, repeated 3 times, 0.2 s each.
QString writeAnimation(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("anim.gif"));
    GifWriter::Options o;
    o.repeat = 3;
    o.delay = 20;
    GifWriter::save(path, {flat({100, 80}, Qt::red), flat({100, 80}, Qt::green), flat({100, 80}, Qt::blue)}, o);
    return path;
}

// A copy of a test animation in dir, opened in the window.
QString openCopy(TFGif &window, const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name + QStringLiteral(".gif"));
    QFile::copy(PemoTest::sourcePath(QStringLiteral("tests/images/data/%1.gif").arg(name)), path);
    QString chosen = path;
    window.Init(chosen);
    window.show();
    return path;
}

struct Boxes {
    QStringList texts;
    Boxes()
    {
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            texts << r.text;
            return Platform::Answer::Ok;
        });
    }
    ~Boxes() { Platform::setMessageHandler({}); }
};

} // namespace

class GifEditorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Platform::setFileDialogHandler({}); }

    void quotesStripped_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("name");
        QTest::newRow("double quotes") << "\"anim.gif\"" << "anim.gif";
        QTest::newRow("single quotes") << "'anim.gif'" << "anim.gif";
        QTest::newRow("double then single") << "\"'anim.gif'\"" << "anim.gif";
        QTest::newRow("one quote only") << "anim.gif\"" << "anim.gif";
        QTest::newRow("single inside double kept once") << "''a.gif''" << "'a.gif'";
        QTest::newRow("lone quote") << "\"" << "";
    }
    void quotesStripped()
    {
        QFETCH(QString, selection);
        QFETCH(QString, name);
        QCOMPARE(PictureName::fromSelection(selection), name);
    }

    void initMissingFileAsks()
    {
        QString asked;
        Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &r) {
            asked = r.filter;
            return Platform::FileDialogResult{};
        });
        TFGif window;
        QString name = QStringLiteral("/nonexistent/anim.gif");
        window.Init(name);
        QVERIFY(name.isEmpty());
        QVERIFY(asked.startsWith(QStringLiteral("Images Gif")));

        QTemporaryDir dir;
        const QString path = writeAnimation(dir);
        Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = path;
            return r;
        });
        name = QStringLiteral("autre.gif");
        window.Init(name);
        QCOMPARE(name, path);
        QCOMPARE(window.fileName(), path);
    }

    void navigation()
    {
        QTemporaryDir dir;
        QString name = writeAnimation(dir);
        TFGif window;
        window.Init(name);
        QCOMPARE(name, dir.filePath(QStringLiteral("anim.gif")));
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("anim.gif"));
        QCOMPARE(window.Barre->text(), QStringLiteral("Cadre 1 / 3 (100 x 80)"));
        QCOMPARE(window.Panel1->size(), QSize(102, 82));
        QCOMPARE(window.Repetitions->value(), 3);
        QCOMPARE(window.Duree->value(), 20);
        QVERIFY(!window.FondTransparent->isChecked());

        window.Largeur->setFocus();
        QTest::keyClick(window.Largeur, Qt::Key_PageUp);
        QCOMPARE(window.currentFrame(), 0);
        QCOMPARE(window.Largeur->value(), 100);
        QTest::keyClick(window.Largeur, Qt::Key_PageDown);
        QCOMPARE(window.currentFrame(), 1);
        QCOMPARE(window.Panel1->pixmap().toImage().pixel(5, 5), QColor(Qt::green).rgb());

        window.DernierBtn->click();
        QCOMPARE(window.Barre->text(), QStringLiteral("Cadre 3 / 3 (100 x 80)"));
        QTest::keyClick(&window, Qt::Key_PageDown);
        QCOMPARE(window.currentFrame(), 2);
        window.PrecedentBtn->click();
        QCOMPARE(window.currentFrame(), 1);
        window.PremierBtn->click();
        window.PrecedentBtn->click();
        QCOMPARE(window.currentFrame(), 0);
        window.SuivantBtn->click();
        QCOMPARE(window.currentFrame(), 1);
    }

    void okResizesEveryFrame()
    {
        QTemporaryDir dir;
        QString name = writeAnimation(dir);
        TFGif window;
        window.Init(name);
        window.show();
        window.DernierBtn->click();
        window.Largeur->setValue(50);
        window.OKBtn->click();
        QCOMPARE(window.Hauteur->value(), 40);
        QCOMPARE(window.frames().size(), 3);
        for (const QImage &f : window.frames())
            QCOMPARE(f.size(), QSize(50, 40));
        QCOMPARE(window.Barre->text(), QStringLiteral("Cadre 3 / 3 (50 x 40)"));
        QCOMPARE(window.Panel1->size(), QSize(52, 42));
        // A flat frame stays flat through the filter.
        QCOMPARE(window.frames().at(2).pixel(25, 20), qRgb(0, 0, 255));
    }

    void leavingAFieldKeepsTheRatio()
    {
        QTemporaryDir dir;
        QString name = writeAnimation(dir);
        TFGif window;
        window.Init(name);
        window.show();
        window.Largeur->setValue(200);
        Q_EMIT window.Largeur->editingFinished();
        QCOMPARE(window.Hauteur->value(), 160);
        window.Hauteur->setValue(40);
        Q_EMIT window.Hauteur->editingFinished();
        QCOMPARE(window.Largeur->value(), 50);
        // Nothing changes until OK; a zero width leaves the frames alone.
        QCOMPARE(window.frames().first().size(), QSize(100, 80));
        window.Largeur->setValue(0);
        window.OKBtn->click();
        QCOMPARE(window.frames().first().size(), QSize(100, 80));
    }

    void saveUnderNameWithoutDot()
    {
        QTemporaryDir dir;
        QString name = writeAnimation(dir);
        TFGif window;
        window.Init(name);
        window.show();
        window.Repetitions->setValue(0);
        window.Duree->setValue(35);
        window.FondTransparent->setChecked(true);
        window.OKBtn->click();
        const QString bare = dir.filePath(QStringLiteral("sortie"));
        QVERIFY(!bare.contains(u'.'));
        Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &r) {
            Q_ASSERT(r.kind == Platform::FileDialogKind::Save);
            Platform::FileDialogResult res;
            res.accepted = true;
            res.path = bare;
            return res;
        });
        window.EnregistrerBtn->click();
        QVERIFY(QFile::exists(bare + QStringLiteral(".gif")));
        QVERIFY(!QFile::exists(bare));
        QFile file(bare + QStringLiteral(".gif"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        // Loops forever; every frame the same delay, transparent bottom-left.
        QCOMPARE(bytes.count(QByteArray("NETSCAPE2.0\x03\x01\x00\x00\x00", 16)), 1);
        // Each transparent frame is cleared (disposal 2) before the next.
        QCOMPARE(bytes.count(QByteArray("\x21\xF9\x04\x09\x23\x00", 6)), 3);
        const GifReader::Animation a = GifReader::decode(bytes, QStringLiteral("x"));
        QCOMPARE(a.frames.size(), 3);
        QCOMPARE(a.repeat, 0);
        QCOMPARE(a.delay, 35);
        QVERIFY(a.transparent);
    }

    // Opening then saving without a change gives back the animation a
    // viewer shows: frame for frame, each with its own delay.
    void savedUnchanged_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<int>("repeat"); // the loop block's count, as the file holds it
        QTest::newRow("optimised: changed rectangles with holes") << QStringLiteral("optimised")
                                                                  << QList<int>{12, 12, 12, 12, 12} << 0;
        QTest::newRow("sprites at offsets, every disposal, own delays")
            << QStringLiteral("disposals") << QList<int>{10, 50, 200, 7, 33} << 1;
        QTest::newRow("local colour tables") << QStringLiteral("local-tables") << QList<int>{25, 25, 25} << 0;
    }
    void savedUnchanged()
    {
        QFETCH(QString, name);
        QFETCH(QList<int>, delays);
        QFETCH(int, repeat);
        QTemporaryDir dir;
        TFGif window;
        openCopy(window, dir, name);
        const QString saved = dir.filePath(QStringLiteral("copie.gif"));
        QVERIFY(window.Sauve(saved));
        const GifReader::Animation a = GifReader::read(saved);
        QCOMPARE(a.frames.size(), delays.size());
        QCOMPARE(a.delays, delays);
        QCOMPARE(a.repeat, repeat);
        for (int i = 0; i < int(delays.size()); ++i) {
            const QString diff = FrameCompare::difference(a.frames[i], FrameCompare::reference(name, i));
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("frame %1: ").arg(i) + diff));
        }
    }

    // The same files, composed by ImageMagick once saved.
    void savedUnchangedAsImageMagickSeesIt_data() { savedUnchanged_data(); }
    void savedUnchangedAsImageMagickSeesIt()
    {
        QFETCH(QString, name);
        QFETCH(QList<int>, delays);
        const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
        if (convert.isEmpty())
            QSKIP("ImageMagick is not installed");
        QTemporaryDir dir;
        TFGif window;
        openCopy(window, dir, name);
        const QString saved = dir.filePath(QStringLiteral("copie.gif"));
        QVERIFY(window.Sauve(saved));
        QProcess im;
        im.start(convert, {saved, QStringLiteral("-coalesce"), QStringLiteral("PNG32:") + dir.filePath(QStringLiteral("im-%d.png"))});
        QVERIFY(im.waitForFinished(60000));
        QCOMPARE(im.exitCode(), 0);
        QProcess delaysOf;
        delaysOf.start(QStandardPaths::findExecutable(QStringLiteral("identify")), {QStringLiteral("-format"), QStringLiteral("%T "), saved});
        QVERIFY(delaysOf.waitForFinished(60000));
        QStringList expectedDelays;
        for (int d : delays)
            expectedDelays << QString::number(d);
        QCOMPARE(QString::fromLatin1(delaysOf.readAllStandardOutput()).trimmed(), expectedDelays.join(u' '));
        for (int i = 0; i < int(delays.size()); ++i) {
            const QImage theirs = QImage(dir.filePath(QStringLiteral("im-%1.png").arg(i))).convertToFormat(QImage::Format_ARGB32);
            const QString diff = FrameCompare::difference(theirs, FrameCompare::reference(name, i));
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("frame %1: ").arg(i) + diff));
        }
    }

    // What the user sets applies to every frame; what is left alone stays.
    void propertiesSetApplyToAllFrames()
    {
        QTemporaryDir dir;
        TFGif window;
        openCopy(window, dir, QStringLiteral("disposals"));
        QVERIFY(window.FondTransparent->isChecked());
        QCOMPARE(window.Duree->value(), 10);
        // Same size, other delay, transparency off: nothing is resampled.
        window.Duree->setValue(40);
        window.FondTransparent->setChecked(false);
        window.OKBtn->click();
        const QString saved = dir.filePath(QStringLiteral("copie.gif"));
        QVERIFY(window.Sauve(saved));
        const GifReader::Animation a = GifReader::read(saved);
        QCOMPARE(a.delays, QList<int>(5, 40));
        QCOMPARE(a.repeat, 1);
        for (int i = 0; i < 5; ++i) {
            QImage expected = FrameCompare::reference(QStringLiteral("disposals"), i);
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x)
                    if (qAlpha(expected.pixel(x, y)) == 0)
                        expected.setPixel(x, y, qRgb(255, 255, 255));
            QCOMPARE(a.frames[i].hasAlphaChannel(), false);
            const QString diff = FrameCompare::difference(a.frames[i], expected);
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("frame %1: ").arg(i) + diff));
        }
    }

    // An animation without a loop block still plays once when saved.
    void noLoopBlockStaysAbsent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("une-fois.gif"));
        GifWriter::Options o;
        o.delay = 10;
        GifWriter::save(path, {flat({8, 8}, Qt::red), flat({8, 8}, Qt::blue)}, o);
        TFGif window;
        QString name = path;
        window.Init(name);
        window.show();
        QVERIFY(window.Sauve(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("NETSCAPE2.0"));
    }

    // Resized frames get tables made for them: close to what was shown, not
    // darkened onto a fixed set of colours.
    void resizedFramesKeepTheirColours()
    {
        QTemporaryDir dir;
        TFGif window;
        openCopy(window, dir, QStringLiteral("optimised"));
        window.Largeur->setValue(48);
        window.OKBtn->click();
        QCOMPARE(window.frames().first().size(), QSize(48, 36));
        const QList<QImage> shown = window.frames();
        const QString saved = dir.filePath(QStringLiteral("petit.gif"));
        QVERIFY(window.Sauve(saved));
        const GifReader::Animation a = GifReader::read(saved);
        QCOMPARE(a.delays, QList<int>(5, 12));
        for (qsizetype i = 0; i < shown.size(); ++i) {
            double error = 0, bias = 0;
            QSet<QRgb> colours;
            for (int y = 0; y < 36; ++y)
                for (int x = 0; x < 48; ++x) {
                    const QRgb p = shown[i].pixel(x, y), q = a.frames[i].pixel(x, y);
                    error += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
                    bias += qGray(q) - qGray(p);
                    colours.insert(q);
                }
            error /= 3 * 48 * 36;
            bias /= 48 * 36;
            QVERIFY2(error < 4 && std::abs(bias) < 0.5,
                     qPrintable(QStringLiteral("frame %1: error %2, bias %3").arg(i).arg(error).arg(bias)));
            QVERIFY(colours.size() > 150);
        }
    }

    // Resizing keeps the clear part of a frame clear, at its new place.
    void resizedFramesKeepTheirHoles()
    {
        QTemporaryDir dir;
        TFGif window;
        openCopy(window, dir, QStringLiteral("disposals"));
        window.Largeur->setValue(80);
        window.OKBtn->click();
        QCOMPARE(window.frames().at(3).size(), QSize(80, 60));
        const QString saved = dir.filePath(QStringLiteral("grand.gif"));
        QVERIFY(window.Sauve(saved));
        const GifReader::Animation a = GifReader::read(saved);
        // Frame 3 shows the screen cleared where frame 2's sprite was
        // (12 x 10 at 20,10): now 24 x 20 at 40,20.
        QCOMPARE(qAlpha(a.frames[3].pixel(46, 25)), 0);
        QCOMPARE(qAlpha(a.frames[3].pixel(10, 10)), 255);
        QCOMPARE(qAlpha(a.frames[0].pixel(46, 25)), 255);
    }

    void brokenFileReportedAndClosed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("casse.gif"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("GIF89a\x10\x00");
        f.close();
        Boxes boxes;
        TFGif window;
        QString name = path;
        window.Init(name);
        window.show();
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts.first().contains(path));
        QTRY_VERIFY(!window.isVisible());
    }

    void otherNameOpensEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("texte");
        f.close();
        TFGif window;
        QString name = path;
        window.Init(name);
        window.show();
        QVERIFY(window.frames().isEmpty());
        QCOMPARE(window.Barre->text(), QStringLiteral("Cadre 1 / 0 (0 x 0)"));
        window.SuivantBtn->click();
        window.DernierBtn->click();
        QCOMPARE(window.currentFrame(), 0);
        // Nothing to write: reported, no file made.
        Boxes boxes;
        QVERIFY(!window.Sauve(dir.filePath(QStringLiteral("vide.gif"))));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("vide.gif"))));
    }

    void failedSaveReported()
    {
        QTemporaryDir dir;
        QString name = writeAnimation(dir);
        TFGif window;
        window.Init(name);
        window.show();
        Boxes boxes;
        QVERIFY(!window.Sauve(dir.filePath(QStringLiteral("absent/anim.gif"))));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts.first().startsWith(QStringLiteral("Impossible d'enregistrer le fichier")));
        QCOMPARE(window.fileName(), name);
    }
};
PEMO_TEST(GifEditorTest)

class PictureWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editAndSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("photo.jpg"));
        QImage img = flat({60, 30}, Qt::white);
        for (int x = 0; x < 30; ++x)
            for (int y = 0; y < 30; ++y)
                img.setPixel(x, y, qRgb(200, 0, 0));
        JpegCodec::save(path, img, 95);

        TFImage window;
        window.Init(path);
        window.show();
        QCOMPARE(window.picture().size(), QSize(60, 30));
        window.RotationDroite();
        QCOMPARE(window.picture().size(), QSize(30, 60));
        // Turned right, the red left half is on top.
        QVERIFY(qRed(window.picture().pixel(15, 10)) > 150 && qGreen(window.picture().pixel(15, 10)) < 60);
        window.RotationGauche();
        window.RetournerHorizontal();
        QVERIFY(qGreen(window.picture().pixel(5, 15)) > 200); // white now on the left
        window.AnnulerBtn->click();
        QVERIFY(qGreen(window.picture().pixel(5, 15)) < 60);

        // Crop to a rectangle drawn with the mouse.
        QVERIFY(!window.RecadrerBtn->isEnabled());
        QTest::mousePress(window.View, Qt::LeftButton, {}, QPoint(10, 5));
        QTest::mouseMove(window.View, QPoint(40, 25));
        QTest::mouseRelease(window.View, Qt::LeftButton, {}, QPoint(40, 25));
        QCOMPARE(window.View->selection(), QRect(10, 5, 30, 20));
        QVERIFY(window.RecadrerBtn->isEnabled());
        window.RecadrerBtn->click();
        QCOMPARE(window.picture().size(), QSize(30, 20));

        window.Filtre->setCurrentText(QStringLiteral("Lanczos3"));
        window.Redimensionner(60, 40);
        QCOMPARE(window.picture().size(), QSize(60, 40));

        const QString gif = dir.filePath(QStringLiteral("copie.gif"));
        QVERIFY(window.Sauve(gif));
        QCOMPARE(GifReader::read(gif).frames.first().size(), QSize(60, 40));
        window.Qualite->setValue(30);
        QVERIFY(window.Sauve(path));
        QCOMPARE(JpegCodec::read(path).size(), QSize(60, 40));
        QCOMPARE(window.fileName(), path);
    }

    void animationNotFlattenedUnasked()
    {
        QTemporaryDir dir;
        const QString path = writeAnimation(dir);
        TFImage window;
        window.Init(path);
        window.show();
        QCOMPARE(window.picture().pixel(0, 0), QColor(Qt::red).rgb());
        window.RetournerVertical();
        QStringList asked;
        Platform::setMessageHandler([&](const Platform::MessageRecord &r) {
            asked << r.text;
            return Platform::Answer::No;
        });
        QVERIFY(!window.Sauve(path));
        Platform::setMessageHandler({});
        QCOMPARE(asked.size(), 1);
        QCOMPARE(GifReader::read(path).frames.size(), 3);
        // Elsewhere it is written without a question.
        QVERIFY(window.Sauve(dir.filePath(QStringLiteral("fixe.gif"))));
    }

    void resizeDialogKeepsProportions()
    {
        TResizeDialog dialog(nullptr);
        dialog.Init(QSize(300, 200));
        dialog.Largeur->setValue(150);
        QCOMPARE(dialog.Hauteur->value(), 100);
        dialog.Hauteur->setValue(50);
        QCOMPARE(dialog.Largeur->value(), 75);
        dialog.Proportions->setChecked(false);
        dialog.Largeur->setValue(10);
        QCOMPARE(dialog.Hauteur->value(), 50);
        QVERIFY(!dialog.Result().isValid());
        dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
        QCOMPARE(dialog.Result(), QSize(10, 50));
    }

    void unreadablePictureReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("faux.jpg"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xFF\xD8\xFF\xE0 rien");
        f.close();
        Boxes boxes;
        TFImage window;
        window.Init(path);
        window.show();
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("Le fichier %1 n'est pas une image JPEG lisible.").arg(path)});
        QTRY_VERIFY(!window.isVisible());
    }
};
PEMO_TEST(PictureWindowTest)

#include "tst_gifeditor.moc"
