#include "colormemo/ColMemo.h"
#include "colormemo/scanmask.h"
#include "document/Childwin.h"
#include "document/DocumentRules.h"
#include "testmain.h"

#include <QTextBlock>

// The document window's colours: tags blue, comments grey, head keywords
// maroon, attributes fuchsia.
class TestDocumentRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runs_data();
    void runs();
    void selectionWinsOverRules();
    void memoPaintsTagAndKeywordColours();
};

void TestDocumentRules::runs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::newRow("b pair around title") << "<b>title</b>" << "BBBMMMMMBBBB";
    QTest::newRow("title in body text") << "Le title ici" << "...MMMMM....";
    QTest::newRow("head keywords inside tags") << "<html><head>" << "BMMMMBBMMMMB";
    QTest::newRow("closing title") << "</title>" << "BMMMMMMB";
    QTest::newRow("comment holding a p tag") << "<!-- <p> -->" << "GGGGGGGGGGGG";
    QTest::newRow("keyword inside a comment") << "<!-- color= -->" << "GGGGGFFFFFFGGGG";
    QTest::newRow("bgcolor") << "<body bgcolor=\"x\">" << "BBBBBBFFFFFFFFBBBB";
    QTest::newRow("vlink matches, link inside it does not") << "<a vlink=1 link=2>" << "BBBFFFFFFBBFFFFFBB";
    QTest::newRow("tag over two lines") << "<a\r\nhref=\"x\">" << "BBBBFFFFFBBBB";
    QTest::newRow("letter after a keyword") << "<a href=x>" << "BBBBBBBBBB";
    QTest::newRow("< without >") << "<b>x</b> a < b" << "BBB.BBBB......";
}

void TestDocumentRules::runs()
{
    QFETCH(QString, text);
    QFETCH(QString, mask);
    TDrawRules rules;
    DocumentRules::declare(rules);
    QCOMPARE(rules.Count(), 4);
    QCOMPARE(ScanMask::scan(rules, text), mask);
}

void TestDocumentRules::selectionWinsOverRules()
{
    TDrawRules rules;
    DocumentRules::declare(rules);
    QCOMPARE(ScanMask::scan(rules, "<b>title</b>", 1, 6), QStringLiteral("BSSSSSSMBBBB"));
}

// Counts the pixels of a rectangle near a colour.
static int pixelsNear(const QImage &image, const QRect &rect, QColor color, int tolerance)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) <= tolerance && std::abs(c.green() - color.green()) <= tolerance
                && std::abs(c.blue() - color.blue()) <= tolerance)
                ++count;
        }
    return count;
}

void TestDocumentRules::memoPaintsTagAndKeywordColours()
{
    TEditeur editor(nullptr);
    editor.resize(700, 500);
    TColorMemo *memo = editor.findChild<TColorMemo *>(QStringLiteral("Memo1"));
    QVERIFY(memo);
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(28);
    memo->setFont(font);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    memo->SetSelStart(8); // the caret on the second line, away from the cells looked at
    memo->viewport()->repaint();
    // The page template starts with "<html>".
    QCOMPARE(ScanMask::render(memo->runs(), 0, 6), QStringLiteral("BMMMMB"));

    const QImage image = memo->viewport()->grab().toImage();
    if (!qEnvironmentVariableIsEmpty("PEMO_SCREENSHOT"))
        editor.grab().save(qEnvironmentVariable("PEMO_SCREENSHOT"));
    const QRectF line = memo->blockRect(memo->document()->firstBlock());
    auto cell = [&](int position) {
        QTextCursor c(memo->document());
        c.setPosition(position);
        const int left = memo->cursorRect(c).left();
        c.setPosition(position + 1);
        const int right = memo->cursorRect(c).left();
        const qreal dpr = image.devicePixelRatio();
        return QRect(int((left + 2) * dpr), int(line.top() * dpr), int((right - left - 3) * dpr),
                     int(line.height() * dpr));
    };
    const QColor blue(0, 0, 255), maroon(128, 0, 0), black(0, 0, 0);
    const QRect tag = cell(0), keyword = cell(1);
    QVERIFY2(pixelsNear(image, tag, blue, 40) > 0, "the < of the tag is blue");
    QCOMPARE(pixelsNear(image, tag, black, 60), 0); // no black glyph left under it
    QVERIFY2(pixelsNear(image, keyword, maroon, 40) > 0, "the h of html is maroon");
    QCOMPARE(pixelsNear(image, keyword, blue, 40), 0);
    QCOMPARE(pixelsNear(image, keyword, black, 40), 0);
}

PEMO_TEST(TestDocumentRules)
#include "tst_documentrules.moc"
