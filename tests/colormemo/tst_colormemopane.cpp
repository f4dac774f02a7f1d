#include "colormemo/ColMemo.h"
#include "scanmask.h"
#include "testmain.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

// The pane: when passes run, what they cover, and the pane's own events.
class TestColorMemoPane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void typingRescansOnlyTheCaretLine();
    void enterAndDeleteRescanEverything();
    void movingKeyCollapsesSelectionToItsEnd();
    void selectionKeepsItsHighlight();
    void tagOpenedAboveFirstVisibleLine();
    void partlyVisibleLastLineStaysPlain();
    void hotSpotHoverAndClick();
    void eventDrawAndDrawKey();
    void settersCopy();
    void scrollSignals();

private:
    QString mask() const { return ScanMask::render(m_memo->runs(), 0, m_memo->TextLength()); }
    void paint() { m_memo->viewport()->repaint(); }
    QWidget *m_host = nullptr;
    TColorMemo *m_memo = nullptr;
};

void TestColorMemoPane::init()
{
    m_host = new QWidget;
    m_host->resize(420, 240);
    auto *layout = new QVBoxLayout(m_host);
    m_memo = new TColorMemo(m_host);
    layout->addWidget(m_memo);
    TColorRule *tags = m_memo->ColorRules().Add();
    tags->SetDefKeyColor(clBlue);
    tags->SetKeyBegEndLst({"<;>"});
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
}

void TestColorMemoPane::cleanup()
{
    delete m_host;
    m_host = nullptr;
}

void TestColorMemoPane::typingRescansOnlyTheCaretLine()
{
    m_memo->SetLines({"<b>one</b>", "<i>two</i>", "three"});
    m_memo->SetSelStart(15); // after "<i>"
    paint();
    QVERIFY(!m_memo->lastPassCurrentLineOnly());
    const int passes = m_memo->passCount();
    QTest::keyClick(m_memo, Qt::Key_X);
    paint();
    QCOMPARE(m_memo->passCount(), passes + 1);
    QVERIFY(m_memo->lastPassCurrentLineOnly());
    // The other lines keep their colours, moved with the text.
    QCOMPARE(mask(), QStringLiteral("BBB...BBBB..BBB....BBBB........."));
    QCOMPARE(m_memo->Line(1), QStringLiteral("<i>xtwo</i>"));
}

void TestColorMemoPane::enterAndDeleteRescanEverything()
{
    m_memo->SetLines({"<b>one</b>", "two"});
    m_memo->SetSelStart(3);
    paint();
    QTest::keyClick(m_memo, Qt::Key_Return);
    paint();
    QVERIFY(!m_memo->lastPassCurrentLineOnly());
    QTest::keyClick(m_memo, Qt::Key_Backspace);
    paint();
    QVERIFY(!m_memo->lastPassCurrentLineOnly());
    QCOMPARE(mask().left(10), QStringLiteral("BBB...BBBB"));
}

void TestColorMemoPane::movingKeyCollapsesSelectionToItsEnd()
{
    m_memo->SetLines({"abcdefgh"});
    m_memo->Select(2, 3);
    QTest::keyClick(m_memo, Qt::Key_Left);
    QCOMPARE(m_memo->SelStart(), 4);
    QCOMPARE(m_memo->SelLength(), 0);
    // With Shift held the selection grows as usual.
    m_memo->Select(2, 3);
    QTest::keyClick(m_memo, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_memo->SelLength(), 4);
}

void TestColorMemoPane::selectionKeepsItsHighlight()
{
    m_memo->SetLines({"<b>x</b>"});
    m_memo->Select(1, 4);
    paint();
    QCOMPARE(mask().left(8), QStringLiteral("BSSSSBBB"));
}

void TestColorMemoPane::tagOpenedAboveFirstVisibleLine()
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("line");
    lines[10] = QStringLiteral("<a");
    lines[11] = QStringLiteral("href>x");
    m_memo->SetLines(lines);
    m_memo->verticalScrollBar()->setValue(11);
    paint();
    QCOMPARE(m_memo->firstVisibleBlockNumber(), 11);
    const int line11 = 10 * 6 + 4;
    QCOMPARE(ScanMask::render(m_memo->runs(), line11, 6), QStringLiteral("......"));
    // Spans reaching over two lines are found when scanning starts a line
    // higher.
    m_memo->ColorRules().Items(0)->SetKeyMaxHeight(2);
    m_memo->DrawColors();
    QCOMPARE(ScanMask::render(m_memo->runs(), line11, 6), QStringLiteral("BBBBB."));
}

void TestColorMemoPane::partlyVisibleLastLineStaysPlain()
{
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("<p>");
    m_memo->SetLines(lines);
    // A viewport that shows five lines and half of the sixth.
    const QRectF first = m_memo->blockRect(m_memo->document()->firstBlock());
    m_memo->setFixedHeight(int(first.top() + 5.5 * first.height()) + 2 * m_memo->frameWidth());
    QApplication::processEvents();
    paint();
    int lastColoured = -1;
    for (int i = 0; i < m_memo->runs().Count() && m_memo->runs()[i].StartPos != KeyFree; ++i)
        lastColoured = std::max(lastColoured, m_memo->runs()[i].EndPos / 5);
    QCOMPARE(lastColoured, 4);
    const QTextBlock last = m_memo->document()->findBlockByNumber(lastColoured);
    const QTextBlock next = last.next();
    const int viewportHeight = m_memo->viewport()->height();
    QVERIFY(m_memo->blockRect(last).bottom() <= viewportHeight);
    QVERIFY(m_memo->blockRect(next).top() < viewportHeight);
    QVERIFY(m_memo->blockRect(next).bottom() > viewportHeight);
}

void TestColorMemoPane::hotSpotHoverAndClick()
{
    m_memo->SetLines({QStringLiteral("voir \x1E" "page.htm\x1F ici")});
    THotSpot hs;
    hs.Active = true;
    m_memo->SetHotSpot(hs);
    paint();
    QCOMPARE(mask().left(16), QStringLiteral(".....mHHHHHHHHm."));

    QTextCursor c(m_memo->document());
    c.setPosition(8);
    const QRect r = m_memo->cursorRect(c);
    const QPoint inside(r.left() + 2, r.center().y());
    QSignalSpy clicks(m_memo, &TColorMemo::OnHotSpotClick);
    QTest::mouseMove(m_memo->viewport(), inside);
    QTRY_COMPARE(m_memo->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(m_memo->viewport(), Qt::LeftButton, {}, inside);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("page.htm"));

    c.setPosition(1);
    const QPoint outside(m_memo->cursorRect(c).left() + 2, r.center().y());
    QTest::mouseMove(m_memo->viewport(), outside);
    QTRY_COMPARE(m_memo->viewport()->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(m_memo->viewport(), Qt::LeftButton, {}, outside);
    QCOMPARE(clicks.count(), 1);
}

void TestColorMemoPane::eventDrawAndDrawKey()
{
    m_memo->ColorRules().Clear();
    TColorRule *event = m_memo->ColorRules().Add();
    event->SetKeyDrawingType(dtEventDraw);
    TColorRule *keys = m_memo->ColorRules().Add();
    keys->SetKeyDrawingType(dtKeyShow);
    keys->SetKeywords({"title;maroon"});
    m_memo->SetLines({"ab title"});
    m_memo->SetColorLimMax(4);
    connect(m_memo, &TColorMemo::OnDraw, this,
            [](TColorRule *, const QChar *from, TKeyDescr *a, int capacity, int *count) {
                QCOMPARE(capacity, 4);
                QCOMPARE(from[0], QChar(u'a'));
                a[0] = {0, 1, clGreen, 0, 0};
                *count = 1;
            });
    QStringList keysDrawn;
    QRect keyRect;
    connect(m_memo, &TColorMemo::OnDrawKey, this,
            [&](QPainter *painter, const QString &key, const QRect &rect, TColor) {
                QVERIFY(painter);
                keysDrawn << key;
                keyRect = rect;
            });
    paint();
    QCOMPARE(mask().left(8), QStringLiteral("gg.MMMMM"));
    QCOMPARE(keysDrawn.value(0), QStringLiteral("title"));
    QVERIFY(keyRect.width() > 0 && keyRect.height() > 0);
}

void TestColorMemoPane::settersCopy()
{
    TDrawRules rules;
    rules.Add()->SetKeyBegEndLst({"[;]"});
    m_memo->SetColorRules(rules);
    rules.Items(0)->SetKeyBegEndLst({"{;}"});
    QCOMPARE(m_memo->ColorRules().Count(), 1);
    QCOMPARE(m_memo->ColorRules().Items(0)->KeyBegEndLst(), QStringList {"[;]"});
    QCOMPARE(m_memo->ColorRules().Items(0)->Memo(), m_memo);

    THotSpot hs;
    hs.Color = clRed;
    m_memo->SetHotSpot(hs);
    hs.Color = clGreen;
    QCOMPARE(m_memo->HotSpot().Color, clRed);
}

void TestColorMemoPane::scrollSignals()
{
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines << QString(200, u'x');
    m_memo->SetLines(lines);
    QSignalSpy vertical(m_memo, &TColorMemo::OnVScroll);
    QSignalSpy horizontal(m_memo, &TColorMemo::OnHScroll);
    m_memo->verticalScrollBar()->setValue(5);
    QCOMPARE(vertical.count(), 1);
    m_memo->horizontalScrollBar()->setValue(30);
    QCOMPARE(horizontal.count(), 1);
    paint();
    QVERIFY(!m_memo->lastPassCurrentLineOnly());
}

PEMO_TEST(TestColorMemoPane)
#include "tst_colormemopane.moc"
