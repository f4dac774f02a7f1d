// The pane's tag completion at the keyboard: "</" closing, the list taken
// with Enter or Tab, closed with Escape or a caret move, and each
// completion undone on its own.
#include "colormemo/ColMemo.h"
#include "colormemo/TagCompleter.h"
#include "page/Page.h"
#include "testmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

namespace {
struct Pane {
    TColorMemo memo;
    explicit Pane(const QStringList &lines = {})
    {
        memo.resize(600, 400);
        memo.show();
        memo.setFocus();
        memo.page()->load(lines);
        memo.tagCompleter()->setEnabledCheck([] { return true; });
    }
    // At the end of the last line (before its line break).
    void caretAtEnd() { memo.SetSelStart(memo.TextLength() - 2); }
    TTagCompleter &completer() { return *memo.tagCompleter(); }
    QString text() { return memo.Text(); }
    int caret() { return memo.textCursor().position(); }
};
} // namespace

class TagCompleterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slashClosesTheOpenElement()
    {
        Pane pane({"<CENTER><div>", "<p>un", "<p>deux<br>"});
        pane.caretAtEnd();
        QTest::keyClicks(&pane.memo, "</");
        QCOMPARE(pane.memo.Line(2), QStringLiteral("<p>deux<br></div>"));
        QCOMPARE(pane.memo.SelStart(), pane.memo.TextLength() - 2);
        QCOMPARE(pane.memo.SelLength(), 0);
        QVERIFY(!pane.completer().listShown());
        QTest::keyClicks(&pane.memo, "</");
        QVERIFY(pane.memo.Line(2).endsWith("</div></CENTER>"));
        // "Annuler" takes back the name written, then what was typed.
        QVERIFY(pane.memo.page()->undo());
        QVERIFY(pane.memo.Line(2).endsWith("</div></"));
        QVERIFY(pane.memo.page()->undo());
        QVERIFY(pane.memo.Line(2).endsWith("</div>"));
        // Nothing open: nothing written.
        Pane empty;
        QTest::keyClicks(&empty.memo, "texte </");
        QCOMPARE(empty.text(), QStringLiteral("texte </"));
    }

    void switchedOffDoesNothing()
    {
        Pane pane({"<div>"});
        pane.caretAtEnd();
        pane.completer().setEnabledCheck([] { return false; });
        QTest::keyClicks(&pane.memo, "</ <fo");
        QCOMPARE(pane.memo.Line(0), QStringLiteral("<div></ <fo"));
        QVERIFY(!pane.completer().listShown());
    }

    void enterTakesAnElement()
    {
        Pane pane;
        QTest::keyClicks(&pane.memo, "<fo");
        QVERIFY(pane.completer().listShown());
        QCOMPARE(pane.completer().choices(), QStringList({"font", "footer", "form"}));
        QVERIFY(!pane.completer().list()->hasFocus());
        QTest::keyClick(&pane.memo, Qt::Key_Down);
        QTest::keyClick(&pane.memo, Qt::Key_Return);
        QCOMPARE(pane.text(), QStringLiteral("<footer"));
        QCOMPARE(pane.memo.SelStart(), 7);
        QVERIFY(!pane.completer().listShown());
        // The completion is a step of its own.
        QVERIFY(pane.memo.page()->undo());
        QCOMPARE(pane.text(), QStringLiteral("<fo"));
    }

    void typingFiltersAndTabTakesAnAttribute()
    {
        Pane pane;
        QTest::keyClicks(&pane.memo, "<FONT ");
        QVERIFY(pane.completer().listShown());
        QCOMPARE(pane.completer().choices().first(), QStringLiteral("COLOR"));
        QTest::keyClicks(&pane.memo, "S");
        QCOMPARE(pane.completer().choices(), QStringList({"SIZE", "SPELLCHECK", "STYLE"}));
        QTest::keyClick(&pane.memo, Qt::Key_Backspace);
        QVERIFY(pane.completer().choices().size() > 3);
        QTest::keyClicks(&pane.memo, "si");
        QTest::keyClick(&pane.memo, Qt::Key_Tab);
        // The quotes are written, the caret between them.
        QCOMPARE(pane.text(), QStringLiteral("<FONT size=\"\""));
        QCOMPARE(pane.memo.SelStart(), pane.memo.TextLength() - 1);
        QTest::keyClicks(&pane.memo, "2");
        QCOMPARE(pane.text(), QStringLiteral("<FONT size=\"2\""));
        QVERIFY(!pane.completer().listShown());
    }

    void escapeAndCaretMovesClose()
    {
        Pane pane;
        QTest::keyClicks(&pane.memo, "<ta");
        QVERIFY(pane.completer().listShown());
        QTest::keyClick(&pane.memo, Qt::Key_Escape);
        QVERIFY(!pane.completer().listShown());
        QTest::keyClicks(&pane.memo, "b");
        QVERIFY(!pane.completer().listShown()); // closed until the next "<"
        QCOMPARE(pane.text(), QStringLiteral("<tab"));
        QTest::keyClick(&pane.memo, Qt::Key_Return);
        QCOMPARE(pane.text(), QStringLiteral("<tab\r\n")); // Enter is the pane's again
        QTest::keyClicks(&pane.memo, ">");

        QTest::keyClicks(&pane.memo, "<b");
        QVERIFY(pane.completer().listShown());
        QTest::keyClick(&pane.memo, Qt::Key_Left);
        QVERIFY(!pane.completer().listShown());
        QTest::keyClick(&pane.memo, Qt::Key_End);
        QTest::keyClicks(&pane.memo, "> <b");
        QVERIFY(pane.completer().listShown());
        QTest::keyClicks(&pane.memo, ">");
        QVERIFY(!pane.completer().listShown());
        QTest::keyClicks(&pane.memo, "<zz");
        QVERIFY(!pane.completer().listShown()); // nothing left to offer
    }

    void filesNextToThePage()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath("images"));
        for (const char *name : {"index.htm", "images/logo.gif"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Pane pane;
        pane.memo.page()->setPath(dir.filePath("index.htm"));
        QTest::keyClicks(&pane.memo, "<img src=\"");
        QVERIFY(pane.completer().listShown());
        QCOMPARE(pane.completer().choices(), QStringList({"images/", "index.htm"}));
        QTest::keyClicks(&pane.memo, "IM");
        QCOMPARE(pane.completer().choices(), QStringList({"images/"}));
        QTest::keyClick(&pane.memo, Qt::Key_Return);
        // A folder is written with what the user typed replaced, and its
        // content comes next.
        QCOMPARE(pane.text(), QStringLiteral("<img src=\"images/"));
        QVERIFY(pane.completer().listShown());
        QCOMPARE(pane.completer().choices(), QStringList({"logo.gif"}));
        QTest::keyClick(&pane.memo, Qt::Key_Return);
        QCOMPARE(pane.text(), QStringLiteral("<img src=\"images/logo.gif"));
        QVERIFY(pane.memo.page()->undo());
        QCOMPARE(pane.text(), QStringLiteral("<img src=\"images/"));
        QVERIFY(pane.memo.page()->undo());
        QCOMPARE(pane.text(), QStringLiteral("<img src=\"IM"));
    }

    void aClickTakesAChoice()
    {
        Pane pane;
        QTest::keyClicks(&pane.memo, "<cen");
        QListWidget *list = pane.completer().list();
        QVERIFY(pane.completer().listShown());
        const QRect item = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
        QCOMPARE(pane.text(), QStringLiteral("<center"));
        QVERIFY(!pane.completer().listShown());
        QCOMPARE(QApplication::focusWidget() == list || QApplication::focusWidget() == list->viewport(), false);
    }

    void listStaysInsideThePane()
    {
        Pane pane;
        pane.memo.resize(300, 120);
        QTest::keyClicks(&pane.memo, "<");
        QVERIFY(pane.completer().listShown());
        const QRect list = pane.completer().list()->geometry();
        QVERIFY(pane.memo.viewport()->rect().contains(list.topLeft()));
        QVERIFY(list.height() > 3 * pane.memo.fontMetrics().height());
    }
};

PEMO_TEST(TagCompleterTest)
#include "tst_tagcompleter.moc"
