// The colours of the source pane after every way of moving through a page:
// keys, scroll bar, wheel, find, and a command moving the caret. The pane
// is painted offscreen and every fully visible line must show its blue tag.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>

namespace {

using Move = std::function<void(TColorMemo *)>;

void key(TColorMemo *memo, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(memo, k, m);
}

void wheel(TColorMemo *memo, int delta)
{
    const QPointF at(memo->viewport()->width() / 2.0, memo->viewport()->height() / 2.0);
    QWheelEvent e(at, memo->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(memo->viewport(), &e);
}

bool hasBlue(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 110 && c.green() < 110)
                return true;
        }
    return false;
}

// Lines fully inside the viewport whose tag is not drawn blue.
QList<int> uncolouredLines(TColorMemo *memo)
{
    QApplication::processEvents();
    const QImage image = memo->viewport()->grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    QList<int> missing;
    int visible = 0;
    for (QTextBlock b = memo->document()->findBlockByNumber(memo->firstVisibleBlockNumber()); b.isValid();
         b = b.next()) {
        const QRectF r = memo->blockRect(b);
        if (r.top() >= memo->viewport()->height())
            break;
        if (r.top() < 0 || r.bottom() > memo->viewport()->height() || !b.text().startsWith(u'<'))
            continue;
        ++visible;
        QTextCursor c(b);
        const int left = memo->cursorRect(c).left();
        c.setPosition(b.position() + 1);
        const int right = memo->cursorRect(c).left();
        const QRect cell(int((left + 1) * dpr), int(r.top() * dpr), int((right - left - 1) * dpr),
                         int(r.height() * dpr));
        if (!hasBlue(image, cell))
            missing << b.blockNumber();
    }
    if (visible < 5)
        missing << -1; // the check itself must see a screenful
    return missing;
}

QStringList page(int lines)
{
    QStringList out;
    out.reserve(lines);
    for (int i = 0; i < lines; ++i)
        out << QStringLiteral("<p>ligne %1 du texte</p>").arg(i);
    return out;
}

} // namespace

class ScrollColoursTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyVisibleLineColouredAfterEveryMove_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("height");
        QTest::addColumn<Move>("move");
        const QList<std::pair<const char *, Move>> moves = {
            {"Ctrl+End", [](TColorMemo *m) { key(m, Qt::Key_End, Qt::ControlModifier); }},
            {"Ctrl+End then Page Up",
             [](TColorMemo *m) {
                 key(m, Qt::Key_End, Qt::ControlModifier);
                 key(m, Qt::Key_PageUp);
             }},
            {"Page Down twice", [](TColorMemo *m) { key(m, Qt::Key_PageDown, Qt::NoModifier, 2); }},
            {"Down past the bottom", [](TColorMemo *m) { key(m, Qt::Key_Down, Qt::NoModifier, 40); }},
            {"Up past the top",
             [](TColorMemo *m) {
                 key(m, Qt::Key_PageDown, Qt::NoModifier, 3);
                 key(m, Qt::Key_Up, Qt::NoModifier, 60);
             }},
            {"Ctrl+End then Ctrl+Home",
             [](TColorMemo *m) {
                 key(m, Qt::Key_End, Qt::ControlModifier);
                 key(m, Qt::Key_Home, Qt::ControlModifier);
             }},
            {"scroll bar", [](TColorMemo *m) { m->verticalScrollBar()->setValue(m->verticalScrollBar()->maximum() / 2); }},
            {"scroll bar to the end", [](TColorMemo *m) { m->verticalScrollBar()->setValue(m->verticalScrollBar()->maximum()); }},
            {"wheel", [](TColorMemo *m) { wheel(m, -360); }},
            {"find",
             [](TColorMemo *m) {
                 m->SearchText(QStringLiteral("ligne %1 ").arg(m->document()->blockCount() - 3), SearchOption::Down);
             }},
            {"caret placed by a command",
             [](TColorMemo *m) {
                 m->SetSelStart(m->TextLength() * 2 / 3);
                 m->ensureCursorVisible();
             }},
        };
        for (int lines : {30, 300, 20000})
            for (int height : {301, 317, 480})
                for (const auto &[name, move] : moves)
                    QTest::addRow("%s, %d lines, pane %d high", name, lines, height) << lines << height << move;
    }
    void everyVisibleLineColouredAfterEveryMove()
    {
        QFETCH(int, lines);
        QFETCH(int, height);
        QFETCH(Move, move);
        TEditeur e(nullptr);
        e.resize(600, height); // heights that leave a part line at the bottom, or not
        e.Memo1->SetLines(page(lines));
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        e.Memo1->setFocus();
        QCOMPARE(uncolouredLines(e.Memo1), QList<int>());
        move(e.Memo1);
        QCOMPARE(uncolouredLines(e.Memo1), QList<int>());
    }

    void typedPageColouredAfterCtrlHome()
    {
        TEditeur e(nullptr);
        e.resize(600, 400);
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        e.Memo1->setFocus();
        e.Memo1->SetSelStart(e.Memo1->TextLength());
        for (int i = 0; i < 30; ++i) {
            QTest::keyClicks(e.Memo1, QStringLiteral("<p>ligne</p>"));
            key(e.Memo1, Qt::Key_Return);
        }
        key(e.Memo1, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(uncolouredLines(e.Memo1), QList<int>());
    }
};

PEMO_TEST(ScrollColoursTest)
#include "tst_scrollcolours.moc"
