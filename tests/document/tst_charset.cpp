// A page that names its character set is read and written in it; a page
// that names none keeps the program's own rule.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "page/PageFile.h"
#include "platform/FileDialogs.h"

#include <QFile>
#include <QTemporaryDir>

class CharsetTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void typedTextSavedInTheDeclaredCharset_data()
    {
        QTest::addColumn<QByteArray>("head");     // first line of the file
        QTest::addColumn<QByteArray>("body");     // second line, as found on disk
        QTest::addColumn<QByteArray>("typed");    // " ç É € « »" as it must be saved
        const QByteArray utf8 = " \xC3\xA7 \xC3\x89 \xE2\x82\xAC \xC2\xAB \xC2\xBB";
        const QByteArray cp1252 = " \xE7 \xC9 \x80 \xAB \xBB";
        QTest::newRow("meta charset utf-8") << QByteArray("<meta charset=\"utf-8\">") << QByteArray("<p>a</p>") << utf8;
        QTest::newRow("meta charset unquoted, capitals")
            << QByteArray("<META CHARSET=UTF-8>") << QByteArray("<p>a</p>") << utf8;
        QTest::newRow("http-equiv content type utf-8")
            << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">")
            << QByteArray("<p>a</p>") << utf8;
        QTest::newRow("http-equiv, no blank, mixed case")
            << QByteArray("<Meta Http-Equiv='content-type' Content='text/html;charset=Utf-8'>")
            << QByteArray("<p>a</p>") << utf8;
        QTest::newRow("windows-1252 over bytes that look like UTF-8")
            << QByteArray("<meta charset=\"windows-1252\">") << QByteArray("<p>\xC3\xA9</p>") << cp1252;
        QTest::newRow("ISO-8859-1 over bytes that look like UTF-8")
            << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">")
            << QByteArray("<p>\xC3\xA9</p>") << cp1252;
        QTest::newRow("no declaration, ASCII page") << QByteArray("<html>") << QByteArray("<p>a</p>") << cp1252;
        QTest::newRow("no declaration, UTF-8 page")
            << QByteArray("<html>") << QByteArray("<p>\xC3\xA9</p>") << utf8;
        QTest::newRow("declaration in a comment is not one")
            << QByteArray("<!-- <meta charset=\"utf-8\"> -->") << QByteArray("<p>a</p>") << cp1252;
        QTest::newRow("a meta of the body is not one")
            << QByteArray("<body><meta charset=\"utf-8\">") << QByteArray("<p>a</p>") << cp1252;
        QTest::newRow("another charset keeps the rule")
            << QByteArray("<meta charset=\"koi8-r\">") << QByteArray("<p>a</p>") << cp1252;
        QTest::newRow("description naming the word charset")
            << QByteArray("<meta name=\"description\" content=\"charset utf-8\"><meta charset=utf-8>")
            << QByteArray("<p>a</p>") << utf8;
    }
    // The declaration is looked for in the file's bytes when it is opened
    // and in the page's text when it is saved: only ASCII may make it, or
    // the two readings differ and the page comes back changed.
    void declarationReadTheSameInBytesAndText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no-break space after <meta is no blank")
            << QByteArray("<meta\xA0" "charset=utf-8>\r\n<meta charset=iso-8859-1>\r\n<p>\xE9t\xE9</p>\r\n");
        QTest::newRow("long s is no s of charset")
            << QByteArray("<meta char\xC5\xBF" "et=windows-1252>\r\n<p>\xC3\xA9t\xC3\xA9</p>\r\n");
    }
    void declarationReadTheSameInBytesAndText()
    {
        QFETCH(QByteArray, bytes);
        const PageFile::Page page = PageFile::decode(bytes);
        const PageFile::Encoding saved = PageFile::saveEncoding(page.lines, page.encoding);
        QCOMPARE(PageFile::decode(PageFile::encode(page.lines, saved)).lines, page.lines);
    }

    // Only the first byte-order mark is the file's: a zero-width no-break
    // space the page itself begins with stays in the page.
    void secondByteOrderMarkKeptAsText()
    {
        const QByteArray bytes("\xEF\xBB\xBF\xEF\xBB\xBF<p>a</p>\r\n");
        const PageFile::Page page = PageFile::decode(bytes);
        QCOMPARE(int(page.encoding), int(PageFile::Encoding::Utf8Bom));
        QCOMPARE(page.lines, QStringList{QStringLiteral("\uFEFF<p>a</p>")});
        QCOMPARE(PageFile::encode(page.lines, page.encoding), bytes);
    }

    void typedTextSavedInTheDeclaredCharset()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, typed);
        const QString path = m_dir.filePath(QStringLiteral("page.htm"));
        const QByteArray original = head + "\r\n" + body + "\r\n<p>x</p>\r\n";
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(original);
        }
        TEditeur e(nullptr);
        e.OpenFile(path);
        // Saved untouched, the file comes back byte for byte.
        QVERIFY(e.Enregistrer());
        QCOMPARE(readAll(path), original);
        // The characters typed after the x land in the page's own charset.
        const int x = e.Memo1->Text().indexOf(QStringLiteral("x</p>")) + 1;
        e.Memo1->SetSelStart(x);
        e.Memo1->SetSelText(QStringLiteral(" \u00E7 \u00C9 \u20AC \u00AB \u00BB"));
        QVERIFY(e.Enregistrer());
        QCOMPARE(readAll(path), head + "\r\n" + body + "\r\n<p>x" + typed + "</p>\r\n");
    }

    void declarationTypedIntoAPageIsHonouredOnSave()
    {
        const QString path = m_dir.filePath(QStringLiteral("new.htm"));
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("<head>"), QStringLiteral("</head>"), QStringLiteral("<p>\u00E9</p>")});
        e.Memo1->SetSelStart(8);
        e.Memo1->SetSelText(QStringLiteral("<meta charset=\"utf-8\">\r\n"));
        Platform::setFileDialogHandler([&path](const Platform::FileDialogRequest &) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = path;
            return r;
        });
        const bool saved = e.SaveAs();
        Platform::setFileDialogHandler({});
        QVERIFY(saved);
        QCOMPARE(readAll(path), QByteArray("<head>\r\n<meta charset=\"utf-8\">\r\n</head>\r\n<p>\xC3\xA9</p>\r\n"));
    }

    void byteOrderMarkKeptUnderAUtf8Declaration()
    {
        const QString path = m_dir.filePath(QStringLiteral("bom.htm"));
        const QByteArray original = "\xEF\xBB\xBF<meta charset=\"utf-8\">\r\n<p>\xC3\xA9</p>\r\n";
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(original);
        }
        TEditeur e(nullptr);
        e.OpenFile(path);
        QCOMPARE(e.Memo1->Line(1), QStringLiteral("<p>\u00E9</p>"));
        QVERIFY(e.Enregistrer());
        QCOMPARE(readAll(path), original);
    }
};

PEMO_TEST(CharsetTest)
#include "tst_charset.moc"
