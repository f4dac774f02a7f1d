// Page files, the document window's file handling, close query and undo store.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FrameServices.h"
#include "page/PageFile.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

namespace {
class FakeFrame : public TFrameServices
{
public:
    bool redo = false;
    int redoCalls = 0;
    void setRedoEnabled(bool enabled) override { redo = enabled; ++redoCalls; }
    void enablePaste() override {}
    void setStatusText(const QString &) override {}
    QPrinter *printer() override { return nullptr; }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}
} // namespace

class FileHandlingTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QList<Platform::MessageRecord> m_messages;
    QList<Platform::FileDialogRequest> m_dialogs;
    QList<Platform::Answer> m_answers;
    QList<Platform::FileDialogResult> m_dialogResults;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        m_dialogs.clear();
        m_answers.clear();
        m_dialogResults.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return m_answers.isEmpty() ? Platform::Answer::Ok : m_answers.takeFirst();
        });
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &r) {
            m_dialogs << r;
            return m_dialogResults.isEmpty() ? Platform::FileDialogResult{} : m_dialogResults.takeFirst();
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        Platform::setFileDialogHandler({});
    }

    void lineBreaksAreReadInAnyStyleAndWrittenAsCrLf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb") << QStringList{"a", "b"};
        QTest::newRow("CR LF, empty line kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void lineBreaksAreReadInAnyStyleAndWrittenAsCrLf()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const PageFile::Page page = PageFile::decode(bytes);
        QCOMPARE(page.lines, lines);
        QByteArray expected;
        for (const QString &l : lines)
            expected += l.toLatin1() + "\r\n";
        QCOMPARE(PageFile::encode(page.lines, page.encoding), expected);
    }

    void encodingsRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("encoding");
        QTest::newRow("windows-1252 accents and euro")
            << QByteArray("\xe9t\xe9 \x80 \x9c\r\n") << QString::fromUtf8("été € œ") << int(PageFile::Encoding::Windows1252);
        QTest::newRow("utf-8 without mark") << QByteArray("\xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\n")
                                            << QString::fromUtf8("été €") << int(PageFile::Encoding::Utf8);
        QTest::newRow("utf-8 with mark") << QByteArray("\xef\xbb\xbfok\r\n") << QStringLiteral("ok")
                                         << int(PageFile::Encoding::Utf8Bom);
        QTest::newRow("unassigned 1252 bytes survive") << QByteArray("\x81\x8d\x8f\x90\x9d\r\n")
                                                       << QString::fromUtf16(u"\u0081\u008d\u008f\u0090\u009d")
                                                       << int(PageFile::Encoding::Windows1252);
    }
    void encodingsRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstLine);
        QFETCH(int, encoding);
        const PageFile::Page page = PageFile::decode(bytes);
        QCOMPARE(int(page.encoding), encoding);
        QCOMPARE(page.lines.value(0), firstLine);
        QCOMPARE(PageFile::encode(page.lines, page.encoding), bytes);
    }

    void charactersOutside1252AreSavedAsReferences()
    {
        const QByteArray out = PageFile::encode({QString::fromUtf8("a→b 😀 é")}, PageFile::Encoding::Windows1252);
        QCOMPARE(out, QByteArray("a&#8594;b &#128512; \xe9\r\n"));
    }

    void openReplacesTemplateAndSetsFolder()
    {
        writeAll(path("page.htm"), "<p>x</p>\n<p>y</p>\n");
        TEditeur e(nullptr);
        e.Memo1->SetSelStart(30);
        e.OpenFile(path("page.htm"));
        QCOMPARE(e.Memo1->Lines(), (QStringList{"<p>x</p>", "<p>y</p>"}));
        QCOMPARE(e.Memo1->SelStart(), 0);
        QVERIFY(!e.Memo1->Modified());
        QCOMPARE(e.GetFichier(), path("page.htm"));
        QCOMPARE(e.GetDossier(), m_dir.path() + u'/');
    }

    void openOfMissingFileThrowsAndKeepsTemplate()
    {
        TEditeur e(nullptr);
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, e.OpenFile(path("absent.htm")));
        QCOMPARE(e.Memo1->Lines(), TEditeur::pageTemplate());
        QCOMPARE(e.GetFichier(), path("absent.htm"));
    }

    // The file's own line breaks stay: an edit changes its line only.
    void saveKeepsLineBreaksAndClearsModified()
    {
        writeAll(path("lf.htm"), "a\nb\n");
        TEditeur e(nullptr);
        e.OpenFile(path("lf.htm"));
        e.Memo1->SetSelStart(0);
        e.Memo1->SetSelText(QStringLiteral("x"));
        QVERIFY(e.Memo1->Modified());
        QVERIFY(e.Enregistrer());
        QVERIFY(!e.Memo1->Modified());
        QCOMPARE(readAll(path("lf.htm")), QByteArray("xa\nb\n"));
    }

    void utf8PageIsSavedBackAsUtf8()
    {
        writeAll(path("u.htm"), "\xc3\xa9t\xc3\xa9\n");
        TEditeur e(nullptr);
        e.OpenFile(path("u.htm"));
        e.Memo1->SetSelStart(0);
        e.Memo1->SetSelText(QStringLiteral("«"));
        e.Enregistrer();
        QCOMPARE(readAll(path("u.htm")), QByteArray("\xc2\xab\xc3\xa9t\xc3\xa9\n"));
    }

    void saveAsAppendsExtensionByFilter_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("converted");
        QTest::newRow("html filter, no dot") << "page" << 1 << "page.htm" << false;
        QTest::newRow("xml filter, no dot") << "page" << 2 << "page.xml" << true;
        QTest::newRow("xml filter, .txt kept, still converted") << "page.txt" << 2 << "page.txt" << true;
        QTest::newRow("all files, no dot") << "page" << 3 << "page" << false;
        QTest::newRow("dotted folder") << "dir.d/page" << 1 << "dir.d/page" << false;
    }
    void saveAsAppendsExtensionByFilter()
    {
        QFETCH(QString, chosen);
        QFETCH(int, filter);
        QFETCH(QString, stored);
        QFETCH(bool, converted);
        QDir(m_dir.path()).mkpath(QStringLiteral("dir.d"));
        // Paths here hold no dot but the one under test: use a dot-free base.
        QTemporaryDir base(QDir::tempPath() + QStringLiteral("/pemoXXXXXX"));
        QDir(base.path()).mkpath(QStringLiteral("dir.d"));
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<html>", "<br>", "</html>"});
        Platform::FileDialogResult r;
        r.accepted = true;
        r.path = base.filePath(chosen);
        r.filterIndex = filter;
        m_dialogResults << r;
        QVERIFY(e.SaveAs());
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs.first().fileName, QString());
        QCOMPARE(e.GetFichier(), base.filePath(stored));
        QVERIFY(QFile::exists(base.filePath(stored)));
        QCOMPARE(e.Memo1->Line(1), converted ? QStringLiteral("<br/>") : QStringLiteral("<br>"));
        QCOMPARE(e.windowTitle(), stored.section(u'/', -1));
    }

    void saveAsCancelledChangesNothing()
    {
        TEditeur e(nullptr);
        e.setWindowTitle(QStringLiteral("Web1"));
        QVERIFY(!e.SaveAs());
        QCOMPARE(e.GetFichier(), QString());
        QCOMPARE(e.windowTitle(), QStringLiteral("Web1"));
    }

    void readOnlyFileWarnsThenAsksForAName()
    {
        writeAll(path("ro.htm"), "a\n");
        QFile::setPermissions(path("ro.htm"), QFile::ReadOwner);
        TEditeur e(nullptr);
        e.OpenFile(path("ro.htm"));
        QVERIFY(!e.Enregistrer());
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().text, QStringLiteral("Fichier en lecture seule"));
        QCOMPARE(m_messages.first().title, QStringLiteral("Avertissement"));
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs.first().fileName, QStringLiteral("ro.htm"));
    }

    void failedWriteKeepsOldFileAndModifiedFlag()
    {
        // The page lives on a small file system that the new text does not
        // fit in (CI runs as root). A folder the user may not write is no
        // failure: the file is then written in place.
        const bool root = ::geteuid() == 0;
        if (!root)
            QSKIP("mounting a small file system needs root");
        QString folder = path(QStringLiteral("petit"));
        QDir().mkpath(folder);
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                        QStringLiteral("size=64k"), QStringLiteral("tmpfs"), folder})
            != 0)
            QSKIP("cannot mount a small file system here");
        const QString file = folder + QStringLiteral("/keep.htm");
        writeAll(file, "old\r\n");
        bool failed = false;
        bool modified = false;
        {
            TEditeur e(nullptr);
            e.OpenFile(file);
            e.Memo1->SetSelText(QString(200 * 1024, u'x'));
            try {
                e.Enregistrer();
            } catch (const Platform::PemoError &) {
                failed = true;
            }
            modified = e.Memo1->Modified();
        }
        const QByteArray kept = readAll(file);
        QProcess::execute(QStringLiteral("umount"), {folder});
        QVERIFY(failed);
        QVERIFY(modified);
        QCOMPARE(kept, QByteArray("old\r\n"));
    }

    void writeErrorNamesFileAndKeepsModified()
    {
        TEditeur e(nullptr);
        e.SetFichier(QStringLiteral("x"));
        e.Memo1->SetSelText(QStringLiteral("x"));
        Platform::FileDialogResult r;
        r.accepted = true;
        r.path = path("no-such-folder/page.htm");
        m_dialogResults << r;
        try {
            e.SaveAs();
            QFAIL("the save must fail");
        } catch (const Platform::PemoError &error) {
            QVERIFY(error.message().contains(r.path));
        }
        QVERIFY(e.Memo1->Modified());
    }

    void closeQueryNamesFileAndHonoursAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Annuler keeps it") << int(Platform::Answer::Cancel) << false << false;
        QTest::newRow("Non closes") << int(Platform::Answer::No) << false << true;
        QTest::newRow("Oui with cancelled save dialog keeps it") << int(Platform::Answer::Yes) << false << false;
        QTest::newRow("Oui with a save closes") << int(Platform::Answer::Yes) << true << true;
    }
    void closeQueryNamesFileAndHonoursAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, closes);
        TEditeur e(nullptr);
        e.Memo1->SetSelText(QStringLiteral("x"));
        m_answers << Platform::Answer(answer);
        if (saveSucceeds) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = path("closed.htm");
            m_dialogResults << r;
        }
        QCOMPARE(e.FormCloseQuery(), closes);
        QCOMPARE(m_messages.first().text, QStringLiteral("Enregistrer changements dans ''?"));
        QCOMPARE(m_messages.first().title, QStringLiteral("Confirmation"));
    }

    void unmodifiedPageClosesWithoutQuestion()
    {
        TEditeur e(nullptr);
        QVERIFY(e.FormCloseQuery());
        QVERIFY(m_messages.isEmpty());
    }

    void undoRestoresSnapshotOnceAndAgain()
    {
        FakeFrame frame;
        TEditeur e(&frame);
        e.Memo1->SetSelStart(250);
        e.Memorise();
        const QStringList before = e.Memo1->Lines();
        e.Memo1->SetSelText(QStringLiteral("typed"));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), before);
        QCOMPARE(e.Memo1->SelStart(), 250);
        QVERIFY(frame.redo);
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), before);
    }

    void redoFollowsTheHistoryWhateverThePageLength()
    {
        FakeFrame frame;
        TEditeur e(&frame);
        e.Init({"a", "b"});
        e.Memo1->SetSelText(QStringLiteral("x"));
        const QStringList edited = e.Memo1->Lines();
        e.Annuler();
        QVERIFY(frame.redo);
        QVERIFY(e.redoAvailable());
        e.Retablir();
        QCOMPARE(e.Memo1->Lines(), edited);
        QVERIFY(!frame.redo); // nothing left to redo
        e.Annuler();
        e.FormActivate(); // the step undone is still there to redo
        QVERIFY(frame.redo);
    }

    void typingEmptiesRedoCopy()
    {
        FakeFrame frame;
        TEditeur e(&frame);
        e.Memorise();
        e.Memo1->SetSelText(QStringLiteral("x"));
        e.Annuler();
        QVERIFY(e.redoAvailable());
        e.Memo1->setFocus();
        QTest::keyClick(e.Memo1, Qt::Key_A);
        QVERIFY(!e.redoAvailable());
        QVERIFY(!frame.redo);
        e.FormActivate();
        QVERIFY(!frame.redo);
    }

    void initMemorisesWizardLines()
    {
        TEditeur e(nullptr);
        e.Init({"<html>", "<body>", "</html>"});
        e.Memo1->SetSelText(QStringLiteral("x"));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), (QStringList{"<html>", "<body>", "</html>"}));
    }

    void setFichierUsesCurrentDirectory()
    {
        TEditeur e(nullptr);
        e.SetFichier(QStringLiteral("index.htm"));
        QCOMPARE(e.GetFichier(), QDir::currentPath() + QStringLiteral("/index.htm"));
    }
};

PEMO_TEST(FileHandlingTest)
#include "tst_file.moc"
