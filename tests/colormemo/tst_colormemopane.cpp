#include "colormemo/ColMemo.h"
#include "scanmask.h"
#include "testmain.h"

#include <QScreen>
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
    void upAndDownKeepTheColumnTypedTo();
    void onlyTheEditedLineKeepsItsShapes();
    void selectionKeepsItsHighlight();
    void spanOpenedAboveOrClosedBelowTheView_data();
    void spanOpenedAboveOrClosedBelowTheView();
    void typingThatOpensASpanRescansEverything();
    void endMarkerEditedBelowTheView();
    void partlyVisibleLastLineStaysPlain();
    void hotSpotHoverAndClick();
    void eventDrawAndDrawKey();
    void settersCopy();
    void scrollSignals();
    void sidewaysScrollKeepsTheColoursShown();

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

void TestColorMemoPane::upAndDownKeepTheColumnTypedTo()
{
    // The lines below hold the typed line's text, so that a column's place
    // is the same on each whatever the font.
    m_memo->SetLines({"abcdef", "abxycdef", "abxy"});
    m_memo->SetSelStart(2);
    QTest::keyClicks(m_memo, "xy");
    QCOMPARE(m_memo->Lines()[0], QStringLiteral("abxycdef"));
    QTest::keyClick(m_memo, Qt::Key_Down);
    QCOMPARE(m_memo->SelStart(), 10 + 4);
    QTest::keyClick(m_memo, Qt::Key_Down);
    QCOMPARE(m_memo->SelStart(), 20 + 4);
    QTest::keyClick(m_memo, Qt::Key_Up);
    QTest::keyClick(m_memo, Qt::Key_Up);
    QCOMPARE(m_memo->SelStart(), 4);
    // Typed over a selection: the column is the one the caret came to.
    m_memo->SetLines({"abcdef", "abxycdef", "abxy"});
    m_memo->Select(1, 2);
    QTest::keyClicks(m_memo, "bxy");
    QCOMPARE(m_memo->Lines()[0], QStringLiteral("abxydef"));
    QTest::keyClick(m_memo, Qt::Key_Down);
    QCOMPARE(m_memo->SelStart(), 9 + 4);
}

void TestColorMemoPane::onlyTheEditedLineKeepsItsShapes()
{
    m_memo->SetLines({"<p>un", "deux", "trois"});
    const QTextDocument *doc = m_memo->document();
    const auto keeps = [doc](int line) { return doc->findBlockByNumber(line).layout()->cacheEnabled(); };
    const auto kept = [&] {
        int count = 0;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            count += b.layout()->cacheEnabled();
        return count;
    };
    m_memo->SetSelStart(7);
    QTest::keyClicks(m_memo, "x");
    QVERIFY(keeps(1));
    QCOMPARE(kept(), 1);
    // A line break typed at the line's start, then typing on below.
    m_memo->SetSelStart(7);
    QTest::keyClick(m_memo, Qt::Key_Return);
    QCOMPARE(m_memo->Lines()[2], QStringLiteral("xdeux"));
    QTest::keyClicks(m_memo, "y");
    QVERIFY(keeps(2));
    QCOMPARE(kept(), 1);
    // Another line edited: the first lets its shapes go.
    m_memo->SetSelStart(0);
    QTest::keyClicks(m_memo, "z");
    QVERIFY(keeps(0));
    QCOMPARE(kept(), 1);
    // Joined to the line above, then grown past a long line's length.
    m_memo->SetSelStart(m_memo->Lines()[0].size() + 2);
    QTest::keyClick(m_memo, Qt::Key_Delete);
    QCOMPARE(kept(), 1);
    m_memo->SetSelText(QString(1000, u'a'));
    QCOMPARE(kept(), 0);
    // What is drawn is what the control draws of the same lines.
    m_memo->SetSelStart(3);
    QTest::keyClicks(m_memo, "abc");
    paint();
    const QImage withShapes = m_memo->viewport()->grab().toImage();
    m_memo->document()->findBlockByNumber(0).layout()->setCacheEnabled(false);
    m_memo->document()->markContentsDirty(0, m_memo->document()->characterCount());
    paint();
    QCOMPARE(withShapes, m_memo->viewport()->grab().toImage());
}

void TestColorMemoPane::selectionKeepsItsHighlight()
{
    m_memo->SetLines({"<b>x</b>"});
    m_memo->Select(1, 4);
    paint();
    QCOMPARE(mask().left(8), QStringLiteral("BSSSSBBB"));
}

// A line shows the same colours wherever the view starts: a span whose
// begin marker lies above the first visible line, or whose end marker lies
// below the last, is coloured all the same. A begin marker never closed
// colours nothing.
void TestColorMemoPane::spanOpenedAboveOrClosedBelowTheView_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("mask");
    QStringList lines(40, QStringLiteral("line"));
    lines[10] = QStringLiteral("<a");
    lines[11] = QStringLiteral("href>x");
    QTest::newRow("tag opened a line above") << lines << 11 << 11 << "BBBBB.";
    QStringList longTag(40, QStringLiteral("line"));
    longTag[10] = QStringLiteral("<a");
    longTag[35] = QStringLiteral("href>x");
    QTest::newRow("tag closed below the view") << longTag << 0 << 10 << "BB";
    QStringList comment(60, QStringLiteral("<p>"));
    comment[3] = QStringLiteral("x<!--");
    comment[50] = QStringLiteral("-->y");
    QTest::newRow("comment opened far above") << comment << 30 << 31 << "GGG";
    QTest::newRow("comment opened far above, its end in view") << comment << 45 << 50 << "GGG.";
    QStringList tagInComment = comment;
    tagInComment[20] = QStringLiteral("<b");
    QTest::newRow("tag opened inside a comment, seen from below") << tagInComment << 30 << 31 << "GGG";
    QStringList unclosed(60, QStringLiteral("<p>"));
    unclosed[3] = QStringLiteral("x<!--");
    QTest::newRow("comment never closed") << unclosed << 30 << 31 << "BBB";
    QStringList closedTwice = comment;
    closedTwice[20] = QStringLiteral("-->");
    QTest::newRow("comment closed above the view") << closedTwice << 30 << 31 << "BBB";
    // A jump far down a big page reads the lines above from a copy of the
    // text: the same states as line by line.
    QStringList big(120000, QStringLiteral("<p>"));
    big[3] = QStringLiteral("x<!--");
    big[100050] = QStringLiteral("-->y");
    QTest::newRow("far down, comment opened far above") << big << 100000 << 100001 << "GGG";
    QTest::newRow("far down, comment closed in view") << big << 100045 << 100050 << "GGG.";
    QStringList bigClosed = big;
    bigClosed[70000] = QStringLiteral("-->");
    QTest::newRow("far down, comment closed far above") << bigClosed << 100000 << 100001 << "BBB";
}

void TestColorMemoPane::spanOpenedAboveOrClosedBelowTheView()
{
    QFETCH(QStringList, lines);
    QFETCH(int, top);
    QFETCH(int, line);
    QFETCH(QString, mask);
    TColorRule *comments = m_memo->ColorRules().Add();
    comments->SetDefKeyColor(clGray);
    comments->SetKeyBegEndLst({"<!--;-->"});
    m_memo->SetLines(lines);
    m_memo->verticalScrollBar()->setValue(top);
    paint();
    QCOMPARE(m_memo->firstVisibleBlockNumber(), top);
    int offset = 0;
    for (int i = 0; i < line; ++i)
        offset += int(lines.at(i).size()) + 2;
    QCOMPARE(ScanMask::render(m_memo->runs(), offset, int(mask.size())), mask);
}

void TestColorMemoPane::typingThatOpensASpanRescansEverything()
{
    m_memo->SetLines({"one", "two>", "<b>three</b>"});
    m_memo->SetSelStart(3);
    paint();
    const QString before = mask();
    QTest::keyClick(m_memo, Qt::Key_Less);
    paint();
    QVERIFY(!m_memo->lastPassCurrentLineOnly());
    QCOMPARE(mask().left(12), QStringLiteral("...BBBBBBB.."));
    QTest::keyClick(m_memo, Qt::Key_Backspace);
    paint();
    QCOMPARE(mask(), before);
    // A character that opens nothing still repaints its line alone.
    QTest::keyClick(m_memo, Qt::Key_X);
    paint();
    QVERIFY(m_memo->lastPassCurrentLineOnly());
}

// What was found below the view is looked for again when the text there
// changes.
void TestColorMemoPane::endMarkerEditedBelowTheView()
{
    TColorRule *comments = m_memo->ColorRules().Add();
    comments->SetDefKeyColor(clGray);
    comments->SetKeyBegEndLst({"<!--;-->"});
    QStringList lines(60, QStringLiteral("<p>"));
    lines[5] = QStringLiteral("<!--x");
    lines[50] = QStringLiteral("-->");
    m_memo->SetLines(lines);
    paint();
    const int line6 = 5 * 5 + 7;
    const int line50 = 49 * 5 + 7;
    QCOMPARE(ScanMask::render(m_memo->runs(), line6, 3), QStringLiteral("GGG"));
    m_memo->Select(line50, 3);
    m_memo->SetSelText(QString());
    m_memo->SetSelStart(0);
    paint();
    QCOMPARE(ScanMask::render(m_memo->runs(), line6, 3), QStringLiteral("BBB"));
    m_memo->SetSelStart(line50);
    m_memo->SetSelText(QStringLiteral("-->"));
    m_memo->SetSelStart(0);
    paint();
    QCOMPARE(ScanMask::render(m_memo->runs(), line6, 3), QStringLiteral("GGG"));
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

void TestColorMemoPane::sidewaysScrollKeepsTheColoursShown()
{
    // What the screen shows, not a new rendering of the widget.
    auto shown = [this] {
        QWidget *view = m_memo->viewport();
        const QPoint at = view->mapTo(view->window(), QPoint(0, 0));
        return view->screen()
            ->grabWindow(view->window()->winId(), at.x(), at.y(), view->width(), view->height())
            .toImage();
    };
    QApplication::setCursorFlashTime(0);
    QStringList lines;
    for (int i = 0; i < 14; ++i)
        lines << QStringLiteral("<b>gras</b> à côté <i>%1</i> ").arg(i).repeated(6);
    m_memo->SetLines(lines);
    paint();
    QApplication::processEvents();
    const int passes = m_memo->passCount();
    QScrollBar *bar = m_memo->horizontalScrollBar();
    QVERIFY(bar->maximum() > 200);
    // Sideways, the control moves the pixels it has and the pane paints the
    // columns uncovered: the colours are those a whole new paint gives, and
    // the runs are not looked for again.
    for (const int to : {60, 61, 200, 7, 0}) {
        bar->setValue(to);
        QApplication::processEvents();
        const QImage scrolled = shown();
        m_memo->viewport()->repaint();
        QApplication::processEvents();
        QVERIFY2(scrolled == shown(), qPrintable(QString::number(to)));
    }
    QCOMPARE(m_memo->passCount(), passes);
    QApplication::setCursorFlashTime(1000);
}

PEMO_TEST(TestColorMemoPane)
#include "tst_colormemopane.moc"
