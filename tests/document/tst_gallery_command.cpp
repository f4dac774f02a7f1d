// "Générer vignettes": the chooser, the reduced copies and the table that
// replaces the selection.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"
#include "document/FrameServices.h"
#include "platform/Errors.h"
#include "platform/Messages.h"
#include "wizards/Cat.h"
#include "wizards/Gallery.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QTemporaryDir>

namespace {

class GalleryFrame : public TFrameServices
{
public:
    QStringList statuses;
    void setRedoEnabled(bool) override {}
    void enablePaste() override {}
    void setStatusText(const QString &text) override { statuses << text; }
    QPrinter *printer() override { return nullptr; }
};

// Chooses every picture of the folder in list order, then presses button.
void chooseAll(const char *button)
{
    Fragment::setModalRunner([button](QDialog &d) {
        auto &cat = static_cast<TCat &>(d);
        cat.show();
        cat.FileListBox1->selectAll();
        cat.SpeedButton1->click();
        cat.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    });
}

// Chooses only the named picture of the folder, then OK.
void chooseOne(const QString &name)
{
    Fragment::setModalRunner([name](QDialog &d) {
        auto &cat = static_cast<TCat &>(d);
        cat.show();
        for (QListWidgetItem *item : cat.FileListBox1->findItems(name, Qt::MatchExactly))
            item->setSelected(true);
        cat.SpeedButton1->click();
        cat.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
    });
}

void savePicture(const QString &name, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(name, "JPEG"));
}

} // namespace

class GalleryCommandTest : public QObject
{
    Q_OBJECT
    QString m_oldDir;

private Q_SLOTS:
    void initTestCase() { m_oldDir = QDir::currentPath(); }
    void cleanup()
    {
        Fragment::setModalRunner({});
        QDir::setCurrent(m_oldDir);
    }

    // The chooser lists the page's folder and the reduced copies go beside
    // the pictures there, whatever the current folder has become since.
    void picturesComeFromThePageFolder()
    {
        QTemporaryDir pageDir;
        QTemporaryDir elsewhere;
        QDir::setCurrent(pageDir.path());
        savePicture(QStringLiteral("photo.jpg"), QSize(400, 200));
        GalleryFrame frame;
        TEditeur e(&frame);
        e.Memo1->SetLines({QString()});
        QDir::setCurrent(elsewhere.path());
        savePicture(QStringLiteral("ailleurs.jpg"), QSize(40, 20));
        QString caption;
        Fragment::setModalRunner([&caption](QDialog &d) {
            auto &cat = static_cast<TCat &>(d);
            cat.show();
            caption = cat.windowTitle();
            cat.FileListBox1->selectAll();
            cat.SpeedButton1->click();
            cat.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
        });
        e.Vignettes();
        QCOMPARE(caption, QStringLiteral("Parcourir - ") + QDir(pageDir.path()).absolutePath());
        QCOMPARE(e.Memo1->Lines().join(QStringLiteral("\r\n")),
                 Gallery::table({QStringLiteral("photo.jpg")}, 100));
        QCOMPARE(QImageReader(pageDir.filePath(QStringLiteral("photosml.jpg"))).size(), QSize(100, 50));
        QVERIFY(!QFile::exists(QStringLiteral("ailleurssml.jpg")));
        QCOMPARE(QDir::currentPath(), QDir(elsewhere.path()).absolutePath());
    }

    void tableReplacesSelection()
    {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        savePicture(QStringLiteral("a.jpg"), QSize(400, 200));
        savePicture(QStringLiteral("b.jpeg"), QSize(50, 40));
        savePicture(QStringLiteral("c.jpg"), QSize(200, 400));
        GalleryFrame frame;
        TEditeur e(&frame);
        e.Memo1->SetLines({QStringLiteral("avant X apr\u00E8s")});
        e.Memo1->Select(6, 1);
        chooseAll("OKBtn");
        e.Vignettes();
        const QString expected = QStringLiteral("avant ") + Gallery::table({"a.jpg", "b.jpeg", "c.jpg"}, 100)
            + QStringLiteral(" apr\u00E8s");
        QCOMPARE(e.Memo1->Lines().join(QStringLiteral("\r\n")), expected);
        QCOMPARE(QImageReader(QStringLiteral("asml.jpg")).size(), QSize(100, 50));
        QCOMPARE(QImageReader(QStringLiteral("bsml.jpeg")).size(), QSize(50, 40));
        QCOMPARE(QImageReader(QStringLiteral("csml.jpg")).size(), QSize(50, 100));
        QCOMPARE(frame.statuses, (QStringList{"Génère images réduites", "Génère code html", QString()}));
        QVERIFY(!QGuiApplication::overrideCursor());
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("avant X apr\u00E8s")});
    }

    void cancelChangesNothing()
    {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        savePicture(QStringLiteral("a.jpg"), QSize(40, 20));
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("texte")});
        chooseAll("CancelBtn");
        e.Vignettes();
        QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("texte")});
        QVERIFY(!QFile::exists(QStringLiteral("asml.jpg")));
    }

    // A file of the thumbnail's name that the program did not write is the
    // user's: "Non" keeps it and still inserts the table, "Annuler" stops.
    void othersFileAskedBeforeWriting_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("inserted");
        QTest::newRow("Non: kept, table inserted") << int(Platform::Answer::No) << true;
        QTest::newRow("Annuler: nothing") << int(Platform::Answer::Cancel) << false;
    }
    void othersFileAskedBeforeWriting()
    {
        QFETCH(int, answer);
        QFETCH(bool, inserted);
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        savePicture(QStringLiteral("a.jpg"), QSize(400, 200));
        savePicture(QStringLiteral("asml.jpg"), QSize(30, 30));
        QStringList questions;
        Platform::setMessageHandler([&](const Platform::MessageRecord &r) {
            questions << r.title + QStringLiteral(": ") + r.text;
            return Platform::Answer(answer);
        });
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("texte")});
        e.Memo1->Select(0, 5);
        chooseOne(QStringLiteral("a.jpg"));
        e.Vignettes();
        Platform::setMessageHandler({});
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].startsWith(QStringLiteral("Confirmation: ")) && questions[0].contains(QStringLiteral("asml.jpg")),
                 qPrintable(questions[0]));
        QCOMPARE(QImageReader(QStringLiteral("asml.jpg")).size(), QSize(30, 30));
        QCOMPARE(e.Memo1->Lines().join(QString()) == QStringLiteral("texte"), !inserted);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // A picture that cannot be read ends the command: nothing is inserted,
    // and the cursor and the status line are back to normal.
    void unreadablePictureStops()
    {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QFile bad(QStringLiteral("abime.jpg"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("pas une image");
        bad.close();
        GalleryFrame frame;
        TEditeur e(&frame);
        e.Memo1->SetLines({QStringLiteral("texte")});
        chooseAll("OKBtn");
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, e.Vignettes());
        QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("texte")});
        QCOMPARE(frame.statuses.last(), QString());
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

PEMO_TEST(GalleryCommandTest)
#include "tst_gallery_command.moc"
