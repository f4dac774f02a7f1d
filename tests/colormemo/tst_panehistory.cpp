// The pane hands every change of the text to its page: keys, the clipboard
// and input methods all become steps that "Annuler" takes back.
#include "colormemo/ColMemo.h"
#include "page/Page.h"
#include "testmain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTextDocument>

namespace {
// Keys that carry any character, accents included.
void typeText(QWidget *target, const QString &text)
{
    for (QChar c : text) {
        const int key = c == u' ' ? Qt::Key_Space : Qt::Key_A;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &release);
    }
}
} // namespace

class PaneHistoryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keysAreUndoneWordByWord()
    {
        TColorMemo memo;
        memo.show();
        memo.setFocus();
        TPage &page = *memo.page();
        page.load({});
        typeText(&memo, QStringLiteral("Déjà vu"));
        QTest::keyClick(&memo, Qt::Key_Backspace);
        QTest::keyClick(&memo, Qt::Key_Backspace);
        QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier); // a page's break, never U+2028
        typeText(&memo, QStringLiteral("fin"));
        QCOMPARE(memo.Text(), QStringLiteral("Déjà \r\nfin"));
        QVERIFY(memo.Modified());

        const QStringList back{QStringLiteral("Déjà \r\n"), QStringLiteral("Déjà "), QStringLiteral("Déjà vu"),
                               QStringLiteral("Déjà "), QString()};
        for (const QString &text : back) {
            QVERIFY(page.undo());
            QCOMPARE(memo.Text(), text);
            QCOMPARE(memo.textCursor().position(), page.cursor().position());
        }
        QVERIFY(!memo.Modified());
        while (page.redo()) {
        }
        QCOMPARE(memo.Text(), QStringLiteral("Déjà \r\nfin"));
    }

    void aCaretMovedByKeyStartsANewStep()
    {
        TColorMemo memo;
        memo.show();
        memo.setFocus();
        memo.page()->load({});
        QTest::keyClicks(&memo, QStringLiteral("ab"));
        QTest::keyClick(&memo, Qt::Key_Left);
        QTest::keyClicks(&memo, QStringLiteral("X"));
        QCOMPARE(memo.Text(), QStringLiteral("aXb"));
        QVERIFY(memo.page()->undo());
        QCOMPARE(memo.Text(), QStringLiteral("ab"));
        QCOMPARE(memo.SelStart(), 1);
    }

    void pasteAndInputMethodGoThroughThePage()
    {
        TColorMemo memo;
        memo.show();
        memo.setFocus();
        TPage &page = *memo.page();
        page.load({QStringLiteral("un mot")});
        memo.Select(3, 3);
        QGuiApplication::clipboard()->setText(QStringLiteral("été\nhiver"));
        QTest::keyClick(&memo, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(memo.Lines(), (QStringList{QStringLiteral("un été"), QStringLiteral("hiver")}));
        QCOMPARE(page.undoName(), QStringLiteral("Coller"));

        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("ç"));
        QCoreApplication::sendEvent(&memo, &commit);
        QCOMPARE(memo.Line(1), QStringLiteral("hiverç"));
        QCOMPARE(page.undoName(), QStringLiteral("Frappe"));

        QTest::keyClick(&memo, Qt::Key_Delete, Qt::ShiftModifier); // cut of nothing: no change
        memo.Select(0, 2);
        QTest::keyClick(&memo, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("un"));
        QCOMPARE(memo.Line(0), QStringLiteral(" été"));
        QVERIFY(page.undo());
        QVERIFY(page.undo());
        QVERIFY(page.undo());
        QCOMPARE(memo.Text(), QStringLiteral("un mot\r\n"));
        QVERIFY(page.canUndo() == false);
    }
};

PEMO_TEST(PaneHistoryTest)
#include "tst_panehistory.moc"
