// The colours of the source pane after edits made by commands and after
// scrolling: every line must look as it does in a fresh window showing the
// whole text. Both are painted offscreen and their pixels compared.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>

namespace {

using Step = std::function<void(TEditeur &)>;

void answerWith(std::function<void(QDialog &)> fill)
{
    Fragment::setModalRunner([fill](QDialog &d) { fill(d); });
}

void okWithMessage(QDialog &d, const QString &message)
{
    if (auto *field = d.findChild<QLineEdit *>(QStringLiteral("Message")))
        field->setText(message);
    d.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
}

void scrollingMessage(TEditeur &e)
{
    answerWith([](QDialog &d) { okWithMessage(d, QStringLiteral("Bienvenue")); });
    e.JsDefile();
}

void gradientText(TEditeur &e)
{
    answerWith([](QDialog &d) { okWithMessage(d, QStringLiteral("Dégradé")); });
    e.JsDegrade();
}

// The caret on the empty line of the body of a new page.
void caretInBody(TEditeur &e)
{
    const QString text = e.Memo1->Text();
    e.Memo1->SetSelStart(int(text.indexOf(QStringLiteral("</body>"))) - 2);
}

QImage paint(TColorMemo *memo)
{
    QApplication::processEvents();
    return memo->viewport()->grab().toImage();
}

// One line's strip of a picture of memo's viewport.
QImage lineStrip(TColorMemo *memo, const QImage &image, int line, int width)
{
    const QRectF r = memo->blockRect(memo->document()->findBlockByNumber(line));
    const qreal dpr = image.devicePixelRatio();
    return image.copy(0, int(r.top() * dpr), width, int(r.height() * dpr));
}

// Lines fully shown by e's pane that it draws otherwise than a fresh window
// tall enough to show the whole text from its first line, with the same
// selection: the colours of a line must depend neither on the edits that
// led to the text nor on where the view stands.
QList<int> staleLines(TEditeur &e)
{
    const QImage shown = paint(e.Memo1);
    TEditeur fresh(nullptr);
    fresh.Memo1->setCursorWidth(0);
    fresh.Memo1->SetText(e.Memo1->Text());
    const qreal lineHeight = e.Memo1->blockRect(e.Memo1->document()->firstBlock()).height();
    fresh.resize(e.width(), e.height() + int(lineHeight * (e.Memo1->document()->blockCount() + 2)));
    fresh.Memo1->setMinimumHeight(fresh.height() - 40);
    fresh.show();
    if (!QTest::qWaitForWindowExposed(&fresh))
        return {-2};
    fresh.Memo1->Select(e.Memo1->SelStart(), e.Memo1->SelLength());
    fresh.Memo1->verticalScrollBar()->setValue(0);
    const QImage whole = paint(fresh.Memo1);
    // The tall window needs no scroll bar: its lines are wider.
    const int width = std::min(whole.width(), shown.width());
    if (width < shown.width() - 40)
        return {-3};
    QList<int> lines;
    const int bottom = e.Memo1->viewport()->height();
    for (QTextBlock block = e.Memo1->document()->findBlockByNumber(e.Memo1->firstVisibleBlockNumber());
         block.isValid(); block = block.next()) {
        const QRectF r = e.Memo1->blockRect(block);
        if (r.bottom() > bottom)
            break;
        if (r.top() < 0)
            continue;
        const QRectF f = fresh.Memo1->blockRect(fresh.Memo1->document()->findBlockByNumber(block.blockNumber()));
        if (f.bottom() > fresh.Memo1->viewport()->height())
            return {-4}; // the fresh window must show the line whole
        if (lineStrip(e.Memo1, shown, block.blockNumber(), width)
            != lineStrip(fresh.Memo1, whole, block.blockNumber(), width))
            lines << block.blockNumber();
    }
    return lines;
}

QString numbered(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("<p>ligne %1</p>\r\n").arg(i);
    return text;
}

// A page with a script whose comment runs over many lines, far enough down
// to be scrolled through.
QString pageWithScript()
{
    QString text = QStringLiteral("<html>\r\n<head>\r\n<title>t</title>\r\n</head>\r\n<body>\r\n") + numbered(8)
        + QStringLiteral("<script>\r\n<!--\r\n");
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("var v%1 = \"<b>\" + %1;\r\n").arg(i);
    text += QStringLiteral("//-->\r\n</script>\r\n") + numbered(30) + QStringLiteral("</body>\r\n</html>\r\n");
    return text;
}

void scrollTo(TEditeur &e, int line)
{
    QScrollBar *bar = e.Memo1->verticalScrollBar();
    bar->setValue(std::min(line, bar->maximum()));
}

} // namespace

class EditColoursTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Fragment::setModalRunner({}); }

    void paneMatchesAFreshPaneAfterEdits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<Step>>("steps");

        const QString page = TEditeur::pageTemplate().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        QTest::newRow("scrolling message, then gradient text")
            << page << QList<Step>{caretInBody, scrollingMessage, gradientText};
        QTest::newRow("gradient text, scrolled into the head script")
            << page
            << QList<Step>{caretInBody, scrollingMessage, gradientText, [](TEditeur &e) { scrollTo(e, 22); }};
        QTest::newRow("two-place insertion taken back")
            << page << QList<Step>{caretInBody, scrollingMessage, gradientText, [](TEditeur &e) { e.Annuler(); }};
        QTest::newRow("two-place insertion taken back and redone")
            << page
            << QList<Step>{caretInBody, scrollingMessage, gradientText, [](TEditeur &e) { e.Annuler(); },
                           [](TEditeur &e) { e.Retablir(); }};

        const auto openAbove = [](TEditeur &e) {
            e.Memo1->SetSelStart(int(e.Memo1->Text().indexOf(QStringLiteral("<p>ligne 3"))));
            e.Memo1->SetSelText(QStringLiteral("<!--"));
        };
        const auto removeIt = [](TEditeur &e) {
            const int at = int(e.Memo1->Text().indexOf(QStringLiteral("<!--<p>")));
            e.Memo1->Select(at, 4);
            e.Memo1->SetSelText(QString());
        };
        const auto atScript = [](TEditeur &e) { scrollTo(e, 14); };
        QTest::newRow("\"<!--\" typed above a block") << pageWithScript() << QList<Step>{atScript, openAbove};
        QTest::newRow("\"<!--\" typed above a block, then removed")
            << pageWithScript() << QList<Step>{atScript, openAbove, removeIt};
        QTest::newRow("inside the script, scrolled past its comment's start")
            << pageWithScript() << QList<Step>{[](TEditeur &e) { scrollTo(e, 20); }};
        QTest::newRow("line break typed above the script")
            << pageWithScript()
            << QList<Step>{atScript, [](TEditeur &e) {
                   e.Memo1->SetSelStart(int(e.Memo1->Text().indexOf(QStringLiteral("<p>ligne 2"))));
                   QTest::keyClick(e.Memo1, Qt::Key_Return);
               }};
    }

    void paneMatchesAFreshPaneAfterEdits()
    {
        QFETCH(QString, text);
        QFETCH(QList<Step>, steps);
        TEditeur e(nullptr);
        e.resize(640, 420);
        e.Memo1->setCursorWidth(0); // no blinking caret in the pictures
        e.Memo1->SetText(text);
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        paint(e.Memo1);
        for (const Step &step : steps) {
            step(e);
            const QList<int> stale = staleLines(e);
            if (!stale.isEmpty())
                qWarning() << "lines drawn otherwise:" << stale;
            QCOMPARE(stale, QList<int>());
            if (QTest::currentTestFailed())
                return;
        }
    }
};

PEMO_TEST(EditColoursTest)
#include "tst_editcolours.moc"
