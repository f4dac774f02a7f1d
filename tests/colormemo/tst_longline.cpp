#include "colormemo/ColMemo.h"
#include "colormemo/LineWindow.h"
#include "page/Page.h"
#include "testmain.h"

#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextBlock>
#include <QVBoxLayout>

#include <memory>

// A page that stands on one line (a minified page): a paint shapes only the
// columns it shows, and shows them as the control would.
class TestLongLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void paintShapesOnlyTheShownColumns_data();
    void paintShapesOnlyTheShownColumns();
    void paintAsksForNoOtherPaint();
    void shownColumnsLookAsOnAShortLine_data();
    void shownColumnsLookAsOnAShortLine();
    void textTypedLeftOfTheViewMovesWhatItShows();
    void keysStepOverTheJoinsOfALongLine();
    void homeAndEndTwiceReachTheLinesEdges();
    void anEditOfTheDocumentItselfKeepsThePieces();
    void placesAnswerForTheLineShapedLast();
    void placesKeptThroughEditsAreTheLinesOwn();

private:
    QWidget *m_host = nullptr;
    TColorMemo *m_memo = nullptr;
};

namespace {

// Tags, attributes, a comment and French text with accents and a no-break
// space; no tab, no line break.
QString minified(qsizetype size)
{
    static const QString piece = QStringLiteral(
        "<p class=\"note\">L’été, à Noël\u00A0: <b>très</b> <a href=\"a.htm\">là</a></p><!-- fin -->");
    QString out;
    out.reserve(size + piece.size());
    while (out.size() < size)
        out += piece;
    out.truncate(size);
    return out;
}


// A text laid out on one line, as the pane's layout lays out a block.
std::unique_ptr<QTextLayout> oneLine(const QString &text, const QFont &font, const QTextOption &option)
{
    auto layout = std::make_unique<QTextLayout>(text, font);
    layout->setTextOption(option);
    layout->beginLayout();
    layout->createLine();
    layout->endLayout();
    return layout;
}

// A line window's reader of the text's characters.
TLineWindow::Fetch fetchOf(const QString &text)
{
    return [text](int from, int to, QString &out) { out += QStringView(text).mid(from, to - from); };
}

} // namespace

void TestLongLine::init()
{
    // A caret that does not blink paints the same in every grab.
    QApplication::setCursorFlashTime(0);
    m_host = new QWidget;
    m_host->resize(420, 240);
    auto *layout = new QVBoxLayout(m_host);
    m_memo = new TColorMemo(m_host);
    layout->addWidget(m_memo);
    // Every glyph 9 pixels wide: a scroll by whole columns moves the text
    // by whole pixels.
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(15);
    m_memo->setFont(font);
    TColorRule *tags = m_memo->ColorRules().Add();
    tags->SetDefKeyColor(clBlue);
    tags->SetKeyBegEndLst({"<;>"});
    TColorRule *comments = m_memo->ColorRules().Add();
    comments->SetDefKeyColor(clGray);
    comments->SetKeyBegEndLst({"<!--;-->"});
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
}

void TestLongLine::cleanup()
{
    delete m_host;
    m_host = nullptr;
    QApplication::setCursorFlashTime(1000);
}

void TestLongLine::paintShapesOnlyTheShownColumns_data()
{
    QTest::addColumn<double>("scrolledTo"); // share of the horizontal range
    QTest::addColumn<bool>("caretOnly");    // the caret's blink repaints its rectangle
    QTest::newRow("start of the line") << 0.0 << false;
    QTest::newRow("scrolled to the middle") << 0.5 << false;
    QTest::newRow("scrolled to the end") << 1.0 << false;
    QTest::newRow("caret blink in the middle") << 0.5 << true;
}

void TestLongLine::paintShapesOnlyTheShownColumns()
{
    QFETCH(double, scrolledTo);
    QFETCH(bool, caretOnly);
    const QString text = minified(1024 * 1024);
    m_memo->SetText(text);
    // The caret in the view's middle line, then the view where it was meant.
    m_memo->SetSelStart(std::min(int(text.size() * scrolledTo) + 20, int(text.size())));
    QScrollBar *bar = m_memo->horizontalScrollBar();
    bar->setValue(int(bar->maximum() * scrolledTo));
    QApplication::processEvents();
    // The range is the widest piece's, known as the pieces are laid out.
    QVERIFY(std::abs(bar->value() - int(bar->maximum() * scrolledTo)) <= bar->maximum() / 100 + 1);
    if (caretOnly)
        m_memo->viewport()->repaint(m_memo->cursorRect().adjusted(-2, -2, 2, 2));
    else
        m_memo->viewport()->repaint();
    // The view shows some 45 columns of each piece of the line it shows;
    // the pane draws the text and then its runs, each over those columns
    // and a margin, never a piece's whole length.
    const int rows = m_memo->viewport()->height() / m_memo->fontMetrics().height() + 2;
    QVERIFY2(m_memo->lastPaintShaped() > 0, "nothing coloured");
    QVERIFY2(m_memo->lastPaintShaped() < 160 * rows, qPrintable(QString::number(m_memo->lastPaintShaped())));
    // The runs still lie where the tags are.
    QVERIFY(m_memo->runs().Count() > 0 && m_memo->runs()[0].StartPos != KeyFree);
}

void TestLongLine::paintAsksForNoOtherPaint()
{
    m_memo->SetText(minified(200 * 1024));
    m_memo->horizontalScrollBar()->setValue(5000);
    QApplication::processEvents();
    int paints = 0;
    struct Counter : QObject
    {
        int *paints;
        explicit Counter(int *p) : paints(p) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++*paints;
            return false;
        }
    } counter(&paints);
    m_memo->viewport()->installEventFilter(&counter);
    m_memo->viewport()->repaint();
    QApplication::processEvents();
    QApplication::processEvents();
    QCOMPARE(paints, 1);
}

void TestLongLine::shownColumnsLookAsOnAShortLine_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("selectFrom"); // columns of `shown`, -1 for none
    QTest::addColumn<int>("selectTo");
    const QString tabs = QStringLiteral("<td>\tprix\u00A0: 12 €</td>\t<!-- note -->\t<b>fin</b> ");
    QTest::newRow("tags and accents") << minified(44) << -1 << -1;
    QTest::newRow("tab stops") << tabs << -1 << -1;
    QTest::newRow("selection inside the view") << minified(44) << 5 << 20;
    QTest::newRow("selection from before the view") << tabs << -1 << 12;
    QTest::newRow("right-to-left words") << QStringLiteral("<p lang=\"he\">שלום עולם</p> <b>fin</b>") << -1 << -1;
}

void TestLongLine::shownColumnsLookAsOnAShortLine()
{
    QFETCH(QString, shown);
    QFETCH(int, selectFrom);
    QFETCH(int, selectTo);
    m_host->resize(800, 240);
    // 80 columns of whole tags before: a scroll by them moves the text by
    // 720 pixels, nine tab stops.
    const QString before = QStringLiteral("<b>x</b>").repeated(10);
    QString after;
    while (after.size() < 3000)
        after += QStringLiteral(" <u>suite</u>");

    int width = 0;
    auto render = [&](const QString &line, int columnsBefore) {
        m_memo->SetLines({line, QStringLiteral("fin")});
        if (selectTo >= 0) {
            const int from = selectFrom < 0 ? 0 : columnsBefore + 3 + selectFrom;
            m_memo->Select(from, columnsBefore + 3 + selectTo - from);
        } else {
            m_memo->SetSelStart(int(line.size()) + 2); // the caret on the second line
        }
        m_memo->horizontalScrollBar()->setValue(columnsBefore * 9);
        QApplication::processEvents();
        const QImage view = m_memo->viewport()->grab().toImage();
        const QRectF first = m_memo->blockRect(m_memo->document()->firstBlock());
        if (columnsBefore == 0) {
            QTextCursor end(m_memo->document()->firstBlock());
            end.movePosition(QTextCursor::EndOfBlock);
            width = m_memo->cursorRect(end).right() + 2;
        }
        // From the text's left edge: the long line's text goes on left of it.
        const int left = int(m_memo->document()->documentMargin());
        return view.copy(QRect(left, int(first.top()), width - left, int(first.height())));
    };
    const QImage shortLine = render(QStringLiteral("<i>") + shown, 0);
    QVERIFY(width > 100 && width < m_memo->viewport()->width());
    const QImage longLine = render(before + QStringLiteral("<i>") + shown + after, 80);
    QVERIFY(m_memo->Line(0).size() > 1000);
    QCOMPARE(m_memo->horizontalScrollBar()->value(), 720);
    if (longLine != shortLine) {
        const QString row = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        shortLine.save(QDir::temp().filePath(QStringLiteral("longline-%1-short.png").arg(row)));
        longLine.save(QDir::temp().filePath(QStringLiteral("longline-%1-long.png").arg(row)));
    }
    QVERIFY(longLine == shortLine);
}

void TestLongLine::textTypedLeftOfTheViewMovesWhatItShows()
{
    QString line;
    while (line.size() < 5000)
        line += QStringLiteral("<b>gras</b> à côté ");
    m_memo->SetLines({line, QStringLiteral("fin")});
    m_memo->SetSelStart(int(line.size()) + 2); // the caret on the second line
    auto grab = [this](int scroll) {
        m_memo->horizontalScrollBar()->setValue(scroll);
        QApplication::processEvents();
        const QImage view = m_memo->viewport()->grab().toImage();
        const QRectF first = m_memo->blockRect(m_memo->document()->firstBlock());
        return view.copy(QRect(0, int(first.top()), view.width(), int(first.height())));
    };
    const QImage before = grab(9 * 300);
    // The same view again, its first column found again from the last paint.
    QVERIFY(grab(9 * 300) == before);
    // Three columns more left of the view, not through the caret.
    QTextCursor(m_memo->document()->findBlockByNumber(0)).insertText(QStringLiteral("<i>"));
    QVERIFY(grab(9 * 303) == before);
}

// Home and End stop at the edges of the piece shown first, like on a wrapped
// line, then at the edges of the whole line.
void TestLongLine::homeAndEndTwiceReachTheLinesEdges()
{
    const QString line = minified(3 * TPage::LongBlock);
    m_memo->SetLines({QStringLiteral("avant"), line, QStringLiteral("fin")});
    m_memo->setFocus();
    const int start = 7; // "avant" and its break
    const int middle = start + line.size() / 2;
    m_memo->SetSelStart(middle);
    QTest::keyClick(m_memo, Qt::Key_End);
    const int pieceEnd = m_memo->SelStart();
    QVERIFY(pieceEnd > middle && pieceEnd < start + line.size());
    QTest::keyClick(m_memo, Qt::Key_End);
    QCOMPARE(m_memo->SelStart(), start + line.size());
    QTest::keyClick(m_memo, Qt::Key_End);
    QCOMPARE(m_memo->SelStart(), start + line.size());
    // Back to the middle, then Home twice with Shift: the selection runs to
    // the line's start, not into the line above.
    m_memo->SetSelStart(middle);
    QTest::keyClick(m_memo, Qt::Key_Home, Qt::ShiftModifier);
    const int pieceStart = m_memo->SelStart();
    QVERIFY(pieceStart > start && pieceStart < middle);
    QTest::keyClick(m_memo, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(m_memo->SelStart(), start);
    QCOMPARE(m_memo->SelText(), line.left(middle - start));
    QTest::keyClick(m_memo, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(m_memo->SelStart(), start);
}

// A line longer than a block may be stands in pieces: the keys go over the
// joins between them as over nothing, and what is copied has none.
void TestLongLine::keysStepOverTheJoinsOfALongLine()
{
    const QString line = minified(3 * TPage::LongBlock);
    m_memo->SetLines({line, QStringLiteral("fin")});
    QVERIFY(m_memo->page()->joinCount() > 0);
    const QTextBlock first = m_memo->document()->firstBlock();
    QVERIFY(m_memo->page()->joinsPrevious(first.next()));
    const int end = first.length() - 1; // the first piece's end, an offset too
    m_memo->setFocus();
    auto caret = [this] { return m_memo->SelStart(); };
    m_memo->SetSelStart(end);
    QTest::keyClick(m_memo, Qt::Key_Right);
    QCOMPARE(caret(), end + 1);
    QTest::keyClick(m_memo, Qt::Key_Left);
    QCOMPARE(caret(), end);
    QTest::keyClick(m_memo, Qt::Key_Left);
    QCOMPARE(caret(), end - 1);
    // Selected over the join with the keys, then copied: the line's own
    // characters.
    QTest::keyClick(m_memo, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(m_memo, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_memo->SelText(), line.mid(end - 1, 2));
    m_memo->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), line.mid(end - 1, 2));
    // Deleting on each side of the join takes a character of the line.
    QString expected = line;
    m_memo->SetSelStart(end);
    QTest::keyClick(m_memo, Qt::Key_Delete);
    expected.remove(end, 1);
    QCOMPARE(m_memo->Line(0), expected);
    QTest::keyClick(m_memo, Qt::Key_Backspace);
    expected.remove(end - 1, 1);
    QCOMPARE(m_memo->Line(0), expected);
    for (const QChar c : QStringLiteral("été")) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(m_memo, &key);
    }
    expected.insert(end - 1, QStringLiteral("été"));
    QCOMPARE(m_memo->Lines(), (QStringList{expected, QStringLiteral("fin")}));
    QCOMPARE(m_memo->LineCount(), 2);
    // The word typed, then both deletions (one run).
    m_memo->page()->undo();
    m_memo->page()->undo();
    QCOMPARE(m_memo->Line(0), line);
    QCOMPARE(m_memo->SelStart(), end);
}

// An edit made to the document behind the page's back keeps the joins
// where they are: the text still reads right.
void TestLongLine::anEditOfTheDocumentItselfKeepsThePieces()
{
    const QString line = minified(50000);
    m_memo->SetText(line);
    QVERIFY(m_memo->page()->joinCount() > 0);
    QTextCursor c(m_memo->document());
    c.setPosition(m_memo->offsetToPosition(30000));
    c.insertText(QStringLiteral("à"));
    QCOMPARE(m_memo->Text(), QString(line).insert(30000, QStringLiteral("à")));
    // A change of formats over pieces changes no character.
    const int joins = m_memo->page()->joinCount();
    c.setPosition(0);
    c.setPosition(m_memo->offsetToPosition(40000), QTextCursor::KeepAnchor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.mergeCharFormat(bold);
    QCOMPARE(m_memo->page()->joinCount(), joins);
    QCOMPARE(m_memo->Text(), QString(line).insert(30000, QStringLiteral("à")));
}

void TestLongLine::placesAnswerForTheLineShapedLast()
{
    // Two lines of different widths, one short and one long enough to be
    // cut; the same columns asked of each in turn must give each line's own
    // places, never those remembered from the line before.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    auto laidOut = [&](const QString &text) { return oneLine(text, font, option); };
    const QString narrow = QStringLiteral("iiiiiiiiiiiiiiiiiiii");
    const QString wide = QStringLiteral("WWWWWWWWWWWWWWWWWWWW");
    const QString longText = minified(4 * TLineWindow::ShortLine);
    const auto a = laidOut(narrow), b = laidOut(wide), c = laidOut(longText);
    TLineWindow window;
    for (int round = 0; round < 2; ++round) {
        window.shape(a->lineAt(0), font, option, 0, 1000, fetchOf(narrow));
        QCOMPARE(window.x(5), a->lineAt(0).cursorToX(5));
        QCOMPARE(window.x(12), a->lineAt(0).cursorToX(12));
        window.shape(b->lineAt(0), font, option, 0, 1000, fetchOf(wide));
        QCOMPARE(window.x(12), b->lineAt(0).cursorToX(12));
        QCOMPARE(window.x(5), b->lineAt(0).cursorToX(5));
        // A stretch cut from the middle of the long line: the same columns
        // once more, now within the stretch.
        const qreal left = c->lineAt(0).cursorToX(2000);
        window.shape(c->lineAt(0), font, option, left, left + 300, fetchOf(longText));
        QVERIFY(!window.wholeLine() && window.from() <= 2000);
        for (const int column : {window.from() + 5, window.from() + 12, window.from() + 5})
            QVERIFY(std::abs(window.x(column) - c->lineAt(0).cursorToX(column)) < 0.5);
        // Out of the stretch: its edges' places.
        QCOMPARE(window.x(0), window.x(window.from()));
    }
}

void TestLongLine::placesKeptThroughEditsAreTheLinesOwn()
{
    // A proportional face: a character typed moves every place after it.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    auto laidOut = [&](const QString &text) { return oneLine(text, font, option); };
    auto agree = [&](TLineWindow &window, const QTextLayout &layout, int block, const QString &text) {
        window.shape(layout.lineAt(0), font, option, 0, 4000, fetchOf(text), block);
        for (int column = 0; column <= text.size(); ++column)
            if (window.x(column) != layout.lineAt(0).cursorToX(column))
                return false;
        return true;
    };
    TLineWindow window;
    QString line = QStringLiteral("L’été à Noël\u00A0: iiii WWWW ffi fl");
    QString other = QStringLiteral("mmmm iiii");
    auto layout = laidOut(line);
    auto otherLayout = laidOut(other);
    QVERIFY(agree(window, *layout, 7, line));
    QVERIFY(agree(window, *otherLayout, 8, other));
    // Typed at the start, in the middle and at the end; a word taken out.
    const std::vector<std::pair<int, QString>> typing{{0, "W"}, {10, "ii"}, {-1, "mm"}, {5, "f"}, {6, "i"}};
    for (const auto &[at, typed] : typing) {
        const int column = at < 0 ? int(line.size()) : at;
        line.insert(column, typed);
        layout = laidOut(line);
        window.edited(7, column, false);
        QVERIFY2(agree(window, *layout, 7, line), qPrintable(line));
        // The line below kept its text and its number.
        QVERIFY(agree(window, *otherLayout, 8, other));
    }
    line.remove(2, 6);
    layout = laidOut(line);
    window.edited(7, 2, false);
    QVERIFY(agree(window, *layout, 7, line));
    // Right-to-left letters: a letter typed at the end of their run moves
    // the run's earlier letters.
    line = QStringLiteral("abc ") + QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD").repeated(4) + QStringLiteral(" def");
    layout = laidOut(line);
    window.edited(7, 0, false);
    QVERIFY(agree(window, *layout, 7, line));
    line.insert(20, QChar(0x05E2));
    layout = laidOut(line);
    window.edited(7, 20, false);
    QVERIFY2(agree(window, *layout, 7, line), "right to left");
    // A line taken out above: the numbers below name other lines now.
    window.edited(3, 0, true);
    other = QStringLiteral("WWWW iiii");
    otherLayout = laidOut(other);
    QVERIFY(agree(window, *otherLayout, 7, other));
}

PEMO_TEST(TestLongLine)

#include "tst_longline.moc"
