// Link names and page text as the preview builds them: no engine needed.
#include "renderer/LinkName.h"
#include "testmain.h"

#include <QDir>

class TestLinkName : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void expand_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected"); // "@" stands for the base folder
        QTest::newRow("relative name completed") << "son.wav" << "@/son.wav";
        QTest::newRow("blanks and controls around removed") << " \t film.avi\r\n" << "@/film.avi";
        QTest::newRow("relative folder") << "media/son.wav" << "@/media/son.wav";
        QTest::newRow("parent folder resolved") << "../up/page.htm" << "/base/up/page.htm";
        QTest::newRow("absolute kept") << "/srv/pages/a.htm" << "/srv/pages/a.htm";
        QTest::newRow("file URL keeps its absolute path") << "file:///srv/pages/a.htm" << "/srv/pages/a.htm";
        QTest::newRow("file URL in capitals") << "FILE:///srv/pages/a.htm" << "/srv/pages/a.htm";
        QTest::newRow("two-slash file URL") << "file://srv/a.htm" << "@/srv/a.htm";
        QTest::newRow("drive form loses all three slashes") << "file:///C|/web/a.htm" << "@/C:/web/a.htm";
        QTest::newRow("escapes of a file URL decoded") << "file:///srv/ma%20page.htm" << "/srv/ma page.htm";
        QTest::newRow("bar becomes colon with a slash") << "x|y/z.htm" << "@/x:y/z.htm";
        QTest::newRow("bar kept without a slash") << "x|y.htm" << "@/x|y.htm";
        QTest::newRow("escapes of a plain name kept") << "ma%20page.htm" << "@/ma%20page.htm";
    }
    void expand()
    {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        const QString base = QStringLiteral("/base/dir");
        expected.replace(u'@', base);
        QCOMPARE(LinkName::expand(target, base), expected);
    }

    void expandUsesCurrentDirectory()
    {
        QCOMPARE(LinkName::expand(QStringLiteral("x.htm")), QDir::current().filePath(QStringLiteral("x.htm")));
    }

    void followKind_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("kind");
        using K = LinkName::FollowKind;
        QTest::newRow("anchor") << "#haut" << int(K::Anchor);
        QTest::newRow("page") << "autre.htm" << int(K::Page);
        QTest::newRow("page with anchor") << "autre.HTML#bas" << int(K::Page);
        QTest::newRow("page with parameters") << "autre.htm?a=1" << int(K::Page);
        QTest::newRow("picture") << "images/photo.JPEG" << int(K::Picture);
        QTest::newRow("bitmap") << "fond.bmp" << int(K::Picture);
        QTest::newRow("web address") << "http://exemple.fr/page.htm" << int(K::Scheme);
        QTest::newRow("mail address") << "mailto:moi@exemple.fr" << int(K::Scheme);
        QTest::newRow("script") << "JavaScript:ouvre()" << int(K::Script);
        QTest::newRow("file URL is local") << "file:///srv/a.htm" << int(K::Page);
        QTest::newRow("drive letter is local") << "C:/web/a.gif" << int(K::Picture);
        QTest::newRow("other local file") << "notes.txt" << int(K::File);
    }
    void followKind()
    {
        QFETCH(QString, target);
        QFETCH(int, kind);
        QCOMPARE(int(LinkName::followKind(target)), kind);
    }

    void withBase_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("expected");
        const QString base = QStringLiteral("<base href=\"file:///d/\">");
        QTest::newRow("no doctype: base first") << "<html><body>x" << base + "<html><body>x";
        QTest::newRow("doctype stays first")
            << "\n<!DOCTYPE html>\n<html>" << "\n<!DOCTYPE html>" + base + "\n<html>";
        QTest::newRow("lower-case doctype") << "<!doctype html><p>" << "<!doctype html>" + base + "<p>";
    }
    void withBase()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(PageText::withBase(html, QStringLiteral("file:///d/")), expected);
    }

    void dataUrlSizeCountsEscapes()
    {
        // "a<b" : a and b as they are, "<" as %3C; "é" is two UTF-8 bytes.
        QCOMPARE(PageText::dataUrlSize(QByteArray("a<b")), 29 + 1 + 3 + 1);
        QCOMPARE(PageText::dataUrlSize(QStringLiteral("é").toUtf8()), 29 + 6);
        const QByteArray sample = QStringLiteral("<p class=\"x\">Déjà vu ~ 100%</p>\r\n").toUtf8();
        QCOMPARE(PageText::dataUrlSize(sample), 29 + sample.toPercentEncoding().size());
    }
};

PEMO_TEST(TestLinkName)
#include "tst_linkname.moc"
