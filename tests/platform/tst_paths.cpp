// Links are written relative to the page's folder; the rule must read both
// separators and ignore the case of drives and folders.
#include "testmain.h"

#include "platform/Paths.h"

class PathsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void relativePath_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows sibling folder") << "C:\\Site\\pages\\" << "C:\\Site\\images\\logo.gif"
                                                << "../images/logo.gif";
        QTest::newRow("windows same folder") << "C:\\Site\\pages\\" << "C:\\Site\\pages\\a.htm" << "a.htm";
        QTest::newRow("windows other drive keeps full path") << "C:\\Site\\pages\\" << "D:\\x.gif" << "D:\\x.gif";
        QTest::newRow("windows sub-folder") << "C:\\Site\\" << "C:\\Site\\docs\\Plan.htm" << "docs/Plan.htm";
        QTest::newRow("drive and folders ignore case") << "c:\\SITE\\Pages\\" << "C:\\site\\pages\\img\\a.gif"
                                                       << "img/a.gif";
        QTest::newRow("two levels up") << "C:\\Site\\a\\b\\" << "C:\\Site\\x.htm" << "../../x.htm";
        QTest::newRow("file named like the base folder") << "C:\\Site\\a\\" << "C:\\Site\\a" << "../a";
        QTest::newRow("linux sibling folder") << "/home/u/site/pages/" << "/home/u/site/images/logo.gif"
                                              << "../images/logo.gif";
        QTest::newRow("linux same folder") << "/home/u/site/pages/" << "/home/u/site/pages/a.htm" << "a.htm";
        QTest::newRow("linux sub-folder") << "/home/u/site/" << "/home/u/site/docs/Plan.htm" << "docs/Plan.htm";
        QTest::newRow("mixed separators") << "/home/u/site/" << "/home/u/site\\docs\\Plan.htm" << "docs/Plan.htm";
        QTest::newRow("nothing in common but the root") << "/srv/www/" << "/home/u/a.gif" << "../../home/u/a.gif";
        QTest::newRow("empty base keeps the path") << "" << "/home/u/a.gif" << "/home/u/a.gif";
        QTest::newRow("drive against no drive") << "C:\\Site\\" << "/home/u/a.gif" << "/home/u/a.gif";
    }
    void relativePath()
    {
        QFETCH(QString, base);
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QCOMPARE(Platform::relativePath(file, base), expected);
    }
};

PEMO_TEST(PathsTest)
#include "tst_paths.moc"
