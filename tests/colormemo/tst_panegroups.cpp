// A big page's short lines come in gathered into blocks of several; the
// pane takes them apart as they come into view. Scrolled anywhere, the
// pane shows a block a line, numbered and coloured as on any page, and its
// scroll bar counts the page's lines from the start.
#include "colormemo/ColMemo.h"
#include "page/Page.h"
#include "testmain.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

QString shortLines(int count)
{
    QString out;
    for (int i = 0; i < count; ++i)
        out += i % 5 == 2 ? QStringLiteral("\n") : QStringLiteral("<p>L\u2019\u00e9t\u00e9\u00a0: ligne %1</p>\n").arg(i);
    return out;
}

} // namespace

class TestPaneGroups : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        TPage::setGroupFrom(1000);
        m_host = new QWidget;
        m_host->resize(420, 300);
        auto *layout = new QVBoxLayout(m_host);
        m_memo = new TColorMemo(m_host);
        layout->addWidget(m_memo);
        TColorRule *tags = m_memo->ColorRules().Add();
        tags->SetDefKeyColor(clBlue);
        tags->SetKeyBegEndLst({"<;>"});
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host));
    }
    void cleanup()
    {
        delete m_host;
        m_host = nullptr;
        TPage::setGroupFrom(TPage::TwoStepsFrom);
    }

    void scrolledAnywhereTheViewShowsLinesAsBlocks()
    {
        const QString text = shortLines(6000);
        TPage *page = m_memo->page();
        page->loadText(text);
        QVERIFY(page->hasGroups());
        QScrollBar *bar = m_memo->verticalScrollBar();
        QApplication::processEvents();
        // The bar and the margin count every line, the groups' too.
        QCOMPARE(bar->maximum() + bar->pageStep(), page->LineCount() + 1);
        QVERIFY(m_memo->document()->blockCount() < 1000);
        QCOMPARE(m_memo->lineNumberWidth(), m_memo->lineNumberWidthFor(page->LineCount() + 1));
        for (const int line : {3100, 3107, 5900, 40, 4500, 0}) {
            bar->setValue(line);
            QApplication::processEvents();
            QCOMPARE(bar->value(), line);
            const QTextBlock first = m_memo->document()->findBlockByNumber(m_memo->firstVisibleBlockNumber());
            QCOMPARE(page->lineOf(first), line);
            QCOMPARE(first.text(), page->Line(line));
            for (QTextBlock b = first; b.isValid() && m_memo->blockRect(b).top() < m_memo->viewport()->height();
                 b = b.next())
                QVERIFY2(!page->holdsLines(b), qPrintable(QString::number(line)));
            // The colour pass covered the lines shown.
            m_memo->viewport()->repaint();
            QVERIFY(m_memo->lastScanStart() <= page->lineOffset(line));
            QVERIFY(m_memo->lastScanEnd() > page->lineOffset(line + 5));
        }
        QCOMPARE(page->linesText(), text);
        QVERIFY(!page->Modified());
    }

    void theCaretSentFarDownFindsItsLineAsABlock()
    {
        const QString text = shortLines(6000);
        TPage *page = m_memo->page();
        page->loadText(text);
        m_memo->setFocus();
        // A jump the scroll bar did not make: the end of the page, then a
        // line in the middle, chosen through the page.
        QTest::keyClick(m_memo, Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
        QCOMPARE(m_memo->SelStart(), page->TextLength());
        page->SetSelStart(page->lineOffset(3333) + 4);
        QApplication::processEvents();
        QApplication::processEvents();
        const QTextCursor caret = m_memo->textCursor();
        QVERIFY(!page->holdsLines(caret.block()));
        QCOMPARE(page->lineOf(caret.block()), 3333);
        QCOMPARE(caret.positionInBlock(), 4);
        // Typed there, and given back.
        QTest::keyClicks(m_memo, QStringLiteral("x "));
        QCOMPARE(page->Line(3333), QStringLiteral("<p>Lx \u2019\u00e9t\u00e9\u00a0: ligne 3333</p>"));
        QVERIFY(page->undo());
        QCOMPARE(page->linesText(), text);
    }

    void aWiderViewKeepsTheBarsCount()
    {
        TPage *page = m_memo->page();
        page->loadText(shortLines(3000));
        QApplication::processEvents();
        QScrollBar *bar = m_memo->verticalScrollBar();
        const int lines = bar->maximum() + bar->pageStep();
        m_host->resize(700, 300);
        QApplication::processEvents();
        QCOMPARE(bar->maximum() + bar->pageStep(), lines);
        QFont font = m_memo->font();
        font.setPointSize(font.pointSize() + 3);
        m_memo->setFont(font);
        QApplication::processEvents();
        QCOMPARE(bar->maximum() + bar->pageStep() - bar->pageStep(), lines - bar->pageStep());
    }

    void anEditOfTheDocumentItselfKeepsTheLines()
    {
        // The document edited directly, in a group and across several
        // lines: the page still reads the separators as line breaks.
        const QString text = shortLines(300);
        QStringList model = text.split(u'\n');
        model.removeLast();
        TPage &page = *m_memo->page();
        page.loadText(text);
        const int position = page.linePosition(150) + 3;
        QVERIFY(page.holdsLines(page.document()->findBlock(position)));
        QTextCursor c(page.document());
        c.setPosition(position);
        c.insertText(QStringLiteral("xy"));
        model[150].insert(3, QStringLiteral("xy"));
        QCOMPARE(page.Lines(), model);
        c.setPosition(page.linePosition(160) + 2);
        c.setPosition(page.linePosition(170) + 2, QTextCursor::KeepAnchor);
        c.insertText(QStringLiteral("\n"));
        model[160] = model[160].left(2);
        model[161] = model[170].mid(2);
        model.remove(162, 9);
        QCOMPARE(page.LineCount(), int(model.size()));
        QCOMPARE(page.Lines(), model);
        for (int line = 145; line < 175; ++line)
            QCOMPARE(page.Line(line), model[line]);
        QCOMPARE(page.linesText(), model.join(u'\n') + u'\n');
        QCOMPARE(page.TextLength(), int(page.Text().size()));
        QVERIFY(page.Modified());
    }

private:
    QWidget *m_host = nullptr;
    TColorMemo *m_memo = nullptr;
};

PEMO_TEST(TestPaneGroups)
#include "tst_panegroups.moc"
