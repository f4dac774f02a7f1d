// Importing a text, HTML or RTF file into the page at the caret.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FrameServices.h"
#include "document/ImportText.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class StatusFrame : public TFrameServices
{
public:
    QStringList statuses;
    bool waitCursorWhileAnnounced = false;
    QWidget *window = nullptr;
    void setRedoEnabled(bool) override {}
    void enablePaste() override {}
    void setStatusText(const QString &text) override
    {
        statuses << text;
        if (!text.isEmpty() && window)
            waitCursorWhileAnnounced = window->cursor().shape() == Qt::WaitCursor;
    }
    QPrinter *printer() override { return nullptr; }
};

} // namespace

class ImportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<Platform::FileDialogRequest> m_requests;
    Platform::FileDialogResult m_chosen;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void choose(const QString &path)
    {
        m_chosen.accepted = true;
        m_chosen.path = path;
    }

private Q_SLOTS:
    void init()
    {
        m_requests.clear();
        m_chosen = {};
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &r) {
            m_requests << r;
            return m_chosen;
        });
    }
    void cleanup() { Platform::setFileDialogHandler({}); }

    void fromLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("html");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two-line text file") << QStringList{"a", "b"} << false << QStringLiteral("a<br>\r\nb<br>\r\n");
        QTest::newRow("html file") << QStringList{"<p>a</p>", "b"} << true << QStringLiteral("<p>a</p>\r\nb\r\n");
        QTest::newRow("accents of a text file, comments included")
            << QStringList{"été <!-- à -->", "Été ç"} << false
            << QStringLiteral("&eacute;t&eacute; <!-- &agrave; --><br>\r\nÉt&eacute; ç<br>\r\n");
        QTest::newRow("accents of an html file are kept") << QStringList{"été"} << true << QStringLiteral("été\r\n");
        QTest::newRow("empty file") << QStringList{} << false << QString();
    }

    void fromLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, html);
        QFETCH(QString, expected);
        QCOMPARE(ImportText::fromLines(lines, html), expected);
    }

    void htmlFilesAreToldByTheirPath()
    {
        QVERIFY(ImportText::isHtmlPath(QStringLiteral("/site/PAGE.HTM")));
        QVERIFY(ImportText::isHtmlPath(QStringLiteral("/site/page.html")));
        QVERIFY(ImportText::isHtmlPath(QStringLiteral("/x.htm.d/notes.txt")));
        QVERIFY(!ImportText::isHtmlPath(QStringLiteral("/site/notes.txt")));
    }

    void importerReplacesTheSelection()
    {
        TEditeur e(nullptr);
        e.Init({"avant [sel] apres"});
        e.Memo1->Select(6, 5);
        choose(write(QStringLiteral("notes.txt"), "un\r\nd\xE9j\xE0\n"));
        e.Importer();
        QCOMPARE(m_requests.size(), 1);
        const Platform::FileDialogRequest &r = m_requests.at(0);
        QCOMPARE(r.kind, Platform::FileDialogKind::Open);
        QCOMPARE(r.title, QStringLiteral("Insérer texte"));
        QCOMPARE(r.filter,
                 QStringLiteral("Fichiers texte (*.txt)|*.txt|Fichiers html (*.htm)|*.htm|Tous les fichiers (*.*)|*.*"));
        QCOMPARE(r.fileName, QStringLiteral("*.txt"));
        QCOMPARE(e.Memo1->Lines(), (QStringList{"avant un<br>", "d&eacute;j&agrave;<br>", " apres"}));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList{"avant [sel] apres"});
    }

    void importerCancelledChangesNothing()
    {
        TEditeur e(nullptr);
        e.Init({"page"});
        e.Importer();
        QCOMPARE(e.Memo1->Lines(), QStringList{"page"});
    }

    void importerUnreadableFileNamesIt()
    {
        TEditeur e(nullptr);
        e.Init({"page"});
        choose(m_dir.filePath(QStringLiteral("absent.txt")));
        QString message;
        try {
            e.Importer();
        } catch (const Platform::PemoError &error) {
            message = error.message();
        }
        QVERIFY2(message.contains(m_chosen.path), qPrintable(message));
        QCOMPARE(e.Memo1->Lines(), QStringList{"page"});
    }

    void importrtfConvertsWithStatusAndHourglass()
    {
        StatusFrame frame;
        TEditeur e(&frame);
        frame.window = &e;
        e.Init({"<body>", "</body>"});
        e.Memo1->SetSelStart(8);
        choose(write(QStringLiteral("lettre.rtf"),
                     "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\deflang1036\\pard\\plain\\b Ch\\'e8re amie\\par}"));
        e.Importrtf();
        QCOMPARE(m_requests.size(), 1);
        const Platform::FileDialogRequest &r = m_requests.at(0);
        QCOMPARE(r.kind, Platform::FileDialogKind::Open);
        QCOMPARE(r.title, QStringLiteral("Importer RTF"));
        QCOMPARE(r.filter, QStringLiteral("Fichiers texte enrichi (*.rtf)|*.rtf"));
        QCOMPARE(r.fileName, QStringLiteral("*.rtf"));
        QCOMPARE(e.Memo1->Lines(), (QStringList{"<body>", "", "<P><B>Chère amie</body>"}));
        QCOMPARE(frame.statuses, (QStringList{"Conversion en cours...", QString()}));
        QVERIFY(frame.waitCursorWhileAnnounced);
        QCOMPARE(e.cursor().shape(), Qt::ArrowCursor);
    }

    void importrtfWritesUnicodeCharactersForThePage()
    {
        const QString rtf = write(QStringLiteral("u.rtf"), "{\\rtf1\\uc1 n\\u8470?}");
        TEditeur latin(nullptr);
        latin.Init({});
        choose(rtf);
        latin.Importrtf();
        QCOMPARE(latin.Memo1->Lines(), (QStringList{"", "<P>n&#8470;"}));

        TEditeur unicode(nullptr);
        unicode.OpenFile(write(QStringLiteral("utf8.htm"), "<p>d\xC3\xA9j\xC3\xA0</p>\r\n"));
        unicode.Memo1->SetSelStart(0);
        unicode.Importrtf();
        QCOMPARE(unicode.Memo1->Lines(), (QStringList{"", "<P>n\u2116<p>déjà</p>"}));
    }

    void importrtfUnreadableFileRestoresStatusAndCursor()
    {
        StatusFrame frame;
        TEditeur e(&frame);
        e.Init({"page"});
        choose(m_dir.filePath(QStringLiteral("absent.rtf")));
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, e.Importrtf());
        QCOMPARE(e.Memo1->Lines(), QStringList{"page"});
        QCOMPARE(frame.statuses.last(), QString());
        QCOMPARE(e.cursor().shape(), Qt::ArrowCursor);
    }

    void importrtfRefusesAFileThatIsNotRtf()
    {
        StatusFrame frame;
        TEditeur e(&frame);
        e.Init({"page"});
        choose(write(QStringLiteral("photo.rtf"), QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00{\\rtf1 x}", 17)));
        QString message;
        try {
            e.Importrtf();
        } catch (const Platform::PemoError &error) {
            message = error.message();
        }
        QVERIFY2(message.endsWith(QStringLiteral("photo.rtf n'est pas un fichier RTF (texte enrichi) : il n'a pas été importé.")),
                 qPrintable(message));
        QCOMPARE(e.Memo1->Lines(), QStringList{"page"});
        QCOMPARE(frame.statuses.last(), QString());
        QCOMPARE(e.cursor().shape(), Qt::ArrowCursor);
    }
};

PEMO_TEST(ImportTest)
#include "tst_import.moc"
