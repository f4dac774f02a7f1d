// The page's text taken and given whole: what files and recovery copies are
// made from, and the count that tells whether it changed.
#include "page/Page.h"
#include "testmain.h"

#include <QTextCursor>
#include <QTextDocument>

class PageTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void linesTextIsTheLinesJoined_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("final break") << QStringLiteral("<p>\u00e9t\u00e9\u00a0!</p>\n\n<b>x</b>\n");
        QTest::newRow("no final break") << QStringLiteral("a\nb");
        QTest::newRow("empty") << QString();
        // The document's own line break, held inside a line, comes back as
        // itself and not as a break.
        QTest::newRow("paragraph separator in a line") << QStringLiteral("a\u2029b\nc\n");
    }
    void linesTextIsTheLinesJoined()
    {
        QFETCH(QString, text);
        TPage page;
        page.loadText(text);
        QCOMPARE(page.linesText(), text);
        QCOMPARE(TPage::linesTextOf(page.snapshot()), text);
        QStringList lines = text.split(u'\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        QCOMPARE(page.Lines(), lines);
        QVERIFY(!page.Modified());
        QVERIFY(!page.canUndo());
    }

    void changeCountFollowsEveryChangeOfTheText()
    {
        TPage page;
        page.loadText(QStringLiteral("<p>un</p>\n<p>deux</p>\n"));
        quint64 count = page.changeCount();
        const auto changed = [&] {
            const bool moved = page.changeCount() != count;
            count = page.changeCount();
            return moved;
        };
        // Moving the caret or selecting is no change.
        page.Select(3, 4);
        page.SetSelStart(10);
        QVERIFY(!changed());
        page.type(QStringLiteral("x"));
        QVERIFY(changed());
        page.undo();
        QVERIFY(changed()); // the same text again, but a copy costs little then
        page.redo();
        QVERIFY(changed());
        page.beginCommand();
        page.replaceAllText(page.Text());
        QVERIFY(!changed()); // nothing differed: nothing was edited
        page.SetSelText(QStringLiteral("y"));
        QVERIFY(changed());
        // An edit made to the document behind the page's back counts too.
        QTextCursor(page.document()).insertText(QStringLiteral("z"));
        QVERIFY(changed());
        page.SetModified(false);
        QVERIFY(!changed());
    }
};

PEMO_TEST(PageTextTest)
#include "tst_pagetext.moc"
