// The source pane's offsets count a line break as two characters.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"

#include <QAccessible>

class MemoOffsetTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void templateCaretAfterFontElement()
    {
        TEditeur e(nullptr);
        e.Memo1->SetSelStart(250);
        const QTextCursor c = e.Memo1->textCursor();
        QCOMPARE(c.blockNumber(), 9);
        QCOMPARE(c.positionInBlock(), int(QStringLiteral("<font color=\"#FFFFFF\"></font>").size()));
        QCOMPARE(e.Memo1->SelStart(), 250);
    }

    void selectionTextUsesCrLf()
    {
        TColorMemo m;
        m.SetLines({"ab", "cd"});
        m.Select(1, 4);
        QCOMPARE(m.SelText(), QStringLiteral("b\r\nc"));
        QCOMPARE(m.SelLength(), 4);
        m.SetSelText(QStringLiteral("X\r\nY"));
        QCOMPARE(m.Lines(), (QStringList{"aX", "Yd"}));
        QCOMPARE(m.SelStart(), 5);
        QCOMPARE(m.SelLength(), 0);
    }

    void offsetInsideLineBreakStandsAtLineEnd()
    {
        TColorMemo m;
        m.SetLines({"ab", "cd"});
        m.SetSelStart(3); // between CR and LF
        QCOMPARE(m.SelStart(), 2);
        m.SetSelStart(1000);
        QCOMPARE(m.SelStart(), m.TextLength());
    }

    void linesDropOneFinalEmptyLine()
    {
        TColorMemo m;
        m.SetLines({"a", ""});
        QCOMPARE(m.Lines(), (QStringList{"a", ""}));
        QCOMPARE(m.Text(), QStringLiteral("a\r\n\r\n"));
        QCOMPARE(m.LineCount(), 2);
    }

    void screenReadersReadThePageText()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<p>Bonjour</p>"});
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(e.Memo1);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Source HTML"));
        QVERIFY(iface->textInterface());
        QCOMPARE(iface->textInterface()->text(0, 14), QStringLiteral("<p>Bonjour</p>"));
    }
};

PEMO_TEST(MemoOffsetTest)
#include "tst_memo_offsets.moc"
