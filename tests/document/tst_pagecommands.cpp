// The commands that need no dialog, on a page without any window.
#include "document/PageCommands.h"
#include "page/Page.h"
#include "testmain.h"

class PageCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wrapIsOneStepWithTheCaretOfItsUndo()
    {
        TPage page;
        page.load({QStringLiteral("un mot ici")});
        page.setCommandName(QStringLiteral("Gras"));
        page.Select(3, 3);
        PageCommands::wrap(page, QStringLiteral("<b>"), QStringLiteral("</b>"));
        QCOMPARE(page.Line(0), QStringLiteral("un <b>mot</b> ici"));
        QCOMPARE(page.SelStart(), 13);
        QCOMPARE(page.undoName(), QStringLiteral("Gras"));
        page.undo();
        QCOMPARE(page.Line(0), QStringLiteral("un mot ici"));
        QCOMPARE(page.SelStart(), 6);
        QVERIFY(!page.Modified());

        // A font face around nothing: no change, but the step is there.
        page.SetSelStart(0);
        PageCommands::wrapSelected(page, QStringLiteral("<font face=\"Arial\">"), QStringLiteral("</font>"));
        QCOMPARE(page.Line(0), QStringLiteral("un mot ici"));
        QVERIFY(!page.Modified());
    }

    void wholePageCommandsUndoInOneStep()
    {
        TPage page;
        const QStringList lines{QStringLiteral("<p>Été   à   la mer</p>"), QStringLiteral("<br />"),
                                QStringLiteral("  <b> déjà </b>")};
        page.load(lines);
        PageCommands::convertAccents(page);
        QCOMPARE(page.Line(0), QStringLiteral("<p>Ét&eacute;   &agrave;   la mer</p>"));
        PageCommands::compact(page);
        QVERIFY(page.Lines() != lines);
        page.undo();
        page.undo();
        QCOMPARE(page.Lines(), lines);
        QVERIFY(!page.Modified());
    }

    void styleSheetLinkGoesIntoTheHead()
    {
        TPage page;
        page.load({QStringLiteral("<html>"), QStringLiteral("<head>"), QStringLiteral("<title>t</title>"),
                   QStringLiteral("</head>"), QStringLiteral("<body>"), QStringLiteral("</body>")});
        page.SetSelStart(page.TextLength());
        PageCommands::linkStyleSheet(page, QStringLiteral("styles/été.css"));
        QVERIFY(page.Lines().contains(QStringLiteral("<link rel=stylesheet href=\"styles/été.css\" type=\"text/css\">")));
        QCOMPARE(page.SelStart(), page.TextLength());
        page.undo();
        QCOMPARE(page.LineCount(), 6);
    }
};

PEMO_TEST(PageCommandsTest)
#include "tst_pagecommands.moc"
