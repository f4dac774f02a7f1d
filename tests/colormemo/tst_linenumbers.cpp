#include "colormemo/ColMemo.h"
#include "page/Page.h"
#include "scanmask.h"
#include "testmain.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QVBoxLayout>

// The line-number margin: its width, where the text starts beside it, and
// that showing it changes neither the offsets nor the colouring.
class TestLineNumbers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_host = new QWidget;
        m_host->resize(420, 240);
        auto *layout = new QVBoxLayout(m_host);
        m_memo = new TColorMemo(m_host);
        m_memo->SetInset(3, 2, 3, 2);
        layout->addWidget(m_memo);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host));
    }
    void cleanup()
    {
        delete m_host;
        m_host = nullptr;
    }

    void widthFitsTheLastNumber_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("digits");
        QTest::newRow("empty page") << 1 << 1;
        QTest::newRow("9 lines") << 9 << 1;
        QTest::newRow("10 lines") << 10 << 2;
        QTest::newRow("99 999 lines") << 99999 << 5;
        QTest::newRow("100 000 lines") << 100000 << 6;
    }
    void widthFitsTheLastNumber()
    {
        QFETCH(int, lines);
        QFETCH(int, digits);
        const int width = m_memo->lineNumberWidthFor(lines);
        // Every number up to the last fits, even in the caret line's bold.
        QFont bold = m_memo->font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        const int widest = metrics.horizontalAdvance(QString(digits, u'8'));
        QVERIFY2(widest < width, qPrintable(QStringLiteral("%1 >= %2").arg(widest).arg(width)));
        // ...and the margin is no wider than one more digit would need.
        QVERIFY(width <= metrics.horizontalAdvance(QString(digits + 1, u'8')) + 8);
        // Same digit count, same width: the text does not jump within a decade.
        int firstOfDecade = 1;
        for (int i = 1; i < digits; ++i)
            firstOfDecade *= 10;
        QCOMPARE(m_memo->lineNumberWidthFor(firstOfDecade), width);
    }

    void marginGrowsWithTheText()
    {
        // Nine lines, the last one without a line break: numbers 1 to 9.
        m_memo->SetText(QStringList(9, QStringLiteral("<p>")).join(QStringLiteral("\r\n")));
        QCOMPARE(m_memo->document()->blockCount(), 9);
        const int nine = m_memo->lineNumberWidth();
        QCOMPARE(nine, m_memo->lineNumberWidthFor(9));
        QCOMPARE(textLeft(), nine + 3);
        m_memo->SetSelStart(m_memo->TextLength());
        QTest::keyClick(m_memo, Qt::Key_Return); // the tenth line
        QCOMPARE(m_memo->document()->blockCount(), 10);
        QVERIFY(m_memo->lineNumberWidth() > nine);
        QCOMPARE(textLeft(), m_memo->lineNumberWidth() + 3);

        m_memo->SetLines(QStringList(100000, QStringLiteral("x")));
        QCOMPARE(m_memo->lineNumberWidth(), m_memo->lineNumberWidthFor(100000));
        QCOMPARE(m_memo->lineNumberArea()->width(), m_memo->lineNumberWidth());
        QCOMPARE(textLeft(), m_memo->lineNumberWidth() + 3);
    }

    void aBigPageIsNotLaidOutAgainForAWidth()
    {
        // The document layout tells of a whole new layout with an update of
        // everything, from its very top.
        auto *layout = m_memo->document()->documentLayout();
        int relayouts = 0, bigRelayouts = 0;
        connect(layout, &QAbstractTextDocumentLayout::update, this, [&](const QRectF &r) {
            if (r == QRectF(0, 0, 1000000000., 1000000000.)) {
                ++relayouts;
                bigRelayouts += m_memo->document()->blockCount() > 1000;
            }
        });
        // A small page follows the view's width.
        m_memo->SetLines({"a", "b"});
        m_host->resize(500, 240);
        QTRY_VERIFY(relayouts > 0);

        // A file's hundred thousand lines come with their margin already
        // sized: the view takes its new width while it still holds the
        // small page, and keeps it as they come in.
        const int before = m_memo->viewport()->width();
        m_memo->page()->loadText(QStringList(100000, QStringLiteral("<p>ligne</p>")).join(u'\n'));
        QCOMPARE(m_memo->lineNumberWidth(), m_memo->lineNumberWidthFor(100000));
        QCOMPARE(textLeft(), m_memo->lineNumberWidth() + 3);
        QCOMPARE(bigRelayouts, 0);

        // Widened, the big page is not laid out again; it still shows and
        // scrolls as it did.
        m_host->resize(700, 240);
        QTRY_VERIFY(m_memo->viewport()->width() > before);
        QCOMPARE(bigRelayouts, 0);
        QCOMPARE(textLeft(), m_memo->lineNumberWidth() + 3);
        m_memo->SetSelStart(m_memo->TextLength());
        m_memo->ensureCursorVisible();
        QVERIFY(m_memo->verticalScrollBar()->value() > 99900);
        QVERIFY(m_memo->viewport()->rect().contains(m_memo->cursorRect()));
    }

    void aGrowingLineMovesTheScrollRangeInSteps()
    {
        QScrollBar *bar = m_memo->horizontalScrollBar();
        // Lines narrower than the view: nothing to scroll, whatever the steps.
        const qreal charWidth = QFontMetricsF(m_memo->document()->defaultFont()).horizontalAdvance(u'x');
        const int fits = int((m_memo->viewport()->width() - 40) / charWidth);
        m_memo->SetLines({QString(fits, u'x'), QStringLiteral("<p>")});
        QTRY_COMPARE(bar->maximum(), 0);

        // Typed at the end of a line wider than the view, a hundred letters
        // change the range a few times, each time past the line's end.
        m_memo->SetLines({QString(fits + 40, u'x'), QStringLiteral("<p>")});
        m_memo->SetSelStart(fits + 40);
        int changes = 0;
        connect(bar, &QScrollBar::rangeChanged, this, [&] { ++changes; });
        for (int i = 0; i < 100; ++i)
            QTest::keyClick(m_memo, Qt::Key_X);
        QCOMPARE(m_memo->Lines().first().size(), fits + 140);
        QVERIFY2(changes <= 100 * charWidth / 128 + 2, qPrintable(QString::number(changes)));
        QVERIFY(changes > 0);
        const qreal lineWidth = m_memo->document()->documentLayout()->blockBoundingRect(m_memo->document()->firstBlock()).width();
        QVERIFY(bar->maximum() + m_memo->viewport()->width() >= lineWidth);
        QVERIFY(bar->maximum() + m_memo->viewport()->width() <= lineWidth + 128 + 1);
        // The end of the line can be scrolled to and shown.
        m_memo->SetSelStart(m_memo->Lines().first().size());
        m_memo->ensureCursorVisible();
        QVERIFY(m_memo->viewport()->rect().contains(m_memo->cursorRect()));
    }

    void switchedOffGivesTheWidthBack()
    {
        m_memo->SetLines({"a", "b"});
        QVERIFY(m_memo->LineNumbers());
        QVERIFY(m_memo->lineNumberArea()->isVisible());
        m_memo->SetLineNumbers(false);
        QCOMPARE(m_memo->lineNumberWidth(), 0);
        QVERIFY(!m_memo->lineNumberArea()->isVisible());
        QCOMPARE(textLeft(), 3);
        m_memo->SetLineNumbers(true);
        QVERIFY(m_memo->lineNumberArea()->isVisible());
        QCOMPARE(textLeft(), m_memo->lineNumberWidth() + 3);
    }

    void offsetsAndColoursDoNotDependOnTheMargin()
    {
        TColorRule *tags = m_memo->ColorRules().Add();
        tags->SetDefKeyColor(clBlue);
        tags->SetKeyBegEndLst({"<;>"});
        m_memo->SetLines({"<b>un</b>", "deux <i>trois</i>", "<hr>"});
        m_memo->Select(13, 8);
        m_memo->viewport()->repaint();
        const QString withNumbers = ScanMask::render(m_memo->runs(), 0, m_memo->TextLength());
        const QString selected = m_memo->SelText();
        m_memo->SetLineNumbers(false);
        m_memo->viewport()->repaint();
        QCOMPARE(ScanMask::render(m_memo->runs(), 0, m_memo->TextLength()), withNumbers);
        QCOMPARE(m_memo->SelStart(), 13);
        QCOMPARE(m_memo->SelText(), selected);
        // A click just right of the margin lands at the start of the line.
        m_memo->SetLineNumbers(true);
        const QRectF second = m_memo->blockRect(m_memo->document()->findBlockByNumber(1));
        QTest::mouseClick(m_memo->viewport(), Qt::LeftButton, {}, QPoint(1, int(second.center().y())));
        QCOMPARE(m_memo->SelStart(), 11);
    }

    void caretLineNumberStandsOut()
    {
        m_memo->SetLines({"un", "deux", "trois"});
        m_memo->SetSelStart(0);
        const QImage onFirst = m_memo->lineNumberArea()->grab().toImage();
        m_memo->SetSelStart(6); // second line
        const QImage onSecond = m_memo->lineNumberArea()->grab().toImage();
        QVERIFY(onFirst != onSecond);
        // Only the first two lines' rows differ; the third is drawn alike.
        const QRectF third = m_memo->blockRect(m_memo->document()->findBlockByNumber(2));
        const int top = int(third.top()) + 1, bottom = int(third.bottom()) - 1;
        QVERIFY(bottom < onFirst.height());
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < onFirst.width(); ++x)
                QCOMPARE(onFirst.pixel(x, y), onSecond.pixel(x, y));
    }

    void numbersRepaintOnlyWhereTheyChange()
    {
        QStringList lines;
        for (int i = 0; i < 30; ++i)
            lines << QStringLiteral("ligne numéro %1").arg(i + 1);
        m_memo->SetLines(lines);
        m_memo->setFocus();
        m_memo->SetSelStart(m_memo->Line(0).size() + 2 + m_memo->Line(1).size() + 2); // third line
        QCoreApplication::processEvents();
        PaintRecorder painted;
        m_memo->lineNumberArea()->installEventFilter(&painted);
        const int height = m_memo->lineNumberArea()->height();

        // Typing in a line changes no number: the margin is left alone.
        QTest::keyClicks(m_memo, QStringLiteral("doux"));
        QCoreApplication::processEvents();
        QCOMPARE(painted.region, QRegion());

        // The caret going down a line moves the emphasis: those two rows.
        QTest::keyClick(m_memo, Qt::Key_Down);
        QCoreApplication::processEvents();
        const QRectF third = m_memo->blockRect(m_memo->document()->findBlockByNumber(2));
        const QRectF fourth = m_memo->blockRect(m_memo->document()->findBlockByNumber(3));
        QVERIFY(painted.region.contains(QPoint(5, int(third.center().y()))));
        QVERIFY(painted.region.contains(QPoint(5, int(fourth.center().y()))));
        QVERIFY(painted.region.boundingRect().height() < height / 2);

        // A new line renumbers every line below it.
        painted.region = QRegion();
        QTest::keyClick(m_memo, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(painted.region.contains(QRect(0, int(fourth.bottom()) + 1, 1, height - int(fourth.bottom()) - 2)));
    }

private:
    struct PaintRecorder : QObject
    {
        QRegion region;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    };

    // Where the text area starts, from the pane's inner edge.
    int textLeft() const { return m_memo->viewport()->geometry().left() - m_memo->contentsRect().left(); }

    QWidget *m_host = nullptr;
    TColorMemo *m_memo = nullptr;
};

PEMO_TEST(TestLineNumbers)
#include "tst_linenumbers.moc"
