#include "colormemo/ColorScanner.h"
#include "scanmask.h"
#include "testmain.h"

// The scanner's own rules: tags, line comments, keywords, priorities and the
// sources that are not rules (hot spots, tabs, selection, caret line).
class TestColorScanner : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void beginEnd_data();
    void beginEnd();
    void lineEnd();
    void keywords_data();
    void keywords();
    void priorities();
    void disabledRuleSkipped();
    void hotSpots();
    void tabsAndCaretLine();
    void eventDraw();
    void spansStayInsideScannedText();
    void runsReuseRecords();
    void hotSpotAt_data();
    void hotSpotAt();
};

static void tagRule(TDrawRules &rules, const QStringList &lines, TColor color = clBlue)
{
    TColorRule *r = rules.Add();
    r->SetDefKeyColor(color);
    r->SetKeyBegEndLst(lines);
}

void TestColorScanner::beginEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<TColor>("color");
    QTest::newRow("two tags") << "<b>x</b>" << "BBB.BBBB" << clBlue;
    // Black at the lowest order looks like an empty cell: it must still be a run.
    QTest::newRow("black tags at order 0") << "a<b>x</b>" << ".kkk.kkkk" << clBlack;
    QTest::newRow("tag over a line break") << "<a\r\nb>c" << "BBBBBB." << clBlue;
    QTest::newRow("unclosed tag keeps earlier tags") << "<i>a<b c" << "BBB....." << clBlue;
    QTest::newRow("end marker searched one after begin") << "<>>" << "BB." << clBlue;
    QTest::newRow("no marker") << "plain" << "....." << clBlue;
}

void TestColorScanner::beginEnd()
{
    QFETCH(QString, text);
    QFETCH(QString, mask);
    QFETCH(TColor, color);
    TDrawRules rules;
    tagRule(rules, {"<;>"}, color);
    QCOMPARE(ScanMask::scan(rules, text), mask);
}

void TestColorScanner::lineEnd()
{
    TDrawRules rules;
    TColorRule *r = rules.Add();
    r->SetKeyDrawingType(dtBeginLineEnd);
    r->SetKeyLineEndLst({"//;red", "#;green"});
    QCOMPARE(ScanMask::scan(rules, "a // b\r\n#c\r\nd//"), QStringLiteral("..RRRR..gg...RR"));
}

void TestColorScanner::keywords_data()
{
    QTest::addColumn<bool>("keyCase");
    QTest::addColumn<bool>("partWord");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::newRow("case ignored") << false << false << "Link= x" << "RRRRR..";
    QTest::newRow("letter before blocks") << false << false << "vlink=" << "......";
    QTest::newRow("at sign counts as a letter") << false << false << "@link=" << "......";
    QTest::newRow("digit before does not block") << false << false << "1link=" << ".RRRRR";
    QTest::newRow("letter after blocks") << false << false << "link=a" << "......";
    QTest::newRow("part word matches inside") << false << true << "vlink=a" << ".RRRRR.";
    QTest::newRow("exact case") << true << false << "LINK= link=" << "......RRRRR";
    QTest::newRow("occurrences do not overlap") << false << true << "link=link=" << "RRRRRRRRRR";
}

void TestColorScanner::keywords()
{
    QFETCH(bool, keyCase);
    QFETCH(bool, partWord);
    QFETCH(QString, text);
    QFETCH(QString, mask);
    TDrawRules rules;
    TColorRule *r = rules.Add();
    r->SetKeyDrawingType(dtKeyShow);
    r->SetKeyCase(keyCase);
    r->SetPartWord(partWord);
    r->SetKeywords({"link="});
    QCOMPARE(ScanMask::scan(rules, text), mask);
}

void TestColorScanner::priorities()
{
    TDrawRules rules;
    tagRule(rules, {"<;>"}, clBlue);
    tagRule(rules, {"[;]"}, clRed);
    rules.Items(0)->SetZOrder(5);
    // Higher ZOrder wins whatever the order; equal ZOrder: the later rule.
    QCOMPARE(ScanMask::scan(rules, "[<a>]"), QStringLiteral("RBBBR"));
    rules.Items(0)->SetZOrder(0);
    QCOMPARE(ScanMask::scan(rules, "[<a>]"), QStringLiteral("RRRRR"));
    // The selection wins over every rule and is never painted as a rule.
    QCOMPARE(ScanMask::scan(rules, "[<a>]", 1, 2), QStringLiteral("RSSRR"));
}

void TestColorScanner::disabledRuleSkipped()
{
    TDrawRules rules;
    tagRule(rules, {"<;>"});
    rules.Items(0)->SetEnabled(false);
    QCOMPARE(ScanMask::scan(rules, "<b>"), QStringLiteral("..."));
}

void TestColorScanner::hotSpots()
{
    TDrawRules rules;
    THotSpot hs;
    const QString text = QStringLiteral("a\x1E" "doc\x1F" "b\x1E" "x");
    QCOMPARE(ScanMask::scan(rules, text, 0, 0, &hs), QStringLiteral("........."));
    hs.Active = true;
    // The last opened hot spot has no end: not shown.
    QCOMPARE(ScanMask::scan(rules, text, 0, 0, &hs), QStringLiteral(".mHHHm..."));
    hs.BeginChar = QChar();
    QCOMPARE(ScanMask::scan(rules, text, 0, 0, &hs), QStringLiteral("........."));
}

void TestColorScanner::tabsAndCaretLine()
{
    TDrawRules rules;
    TColorScanner scanner;
    TKeyDescrList runs;
    const QString text = QStringLiteral("ab\tcd\r\nef");
    TScanInput in;
    in.text = text;
    in.acceptTabs = true;
    in.redrawAlways = true;
    in.caretLineStart = 0;
    in.selStart = 3;
    QCOMPARE(scanner.scan(rules, in, runs), 3);
    QCOMPARE(ScanMask::render(runs, 0, int(text.size())), QStringLiteral("WWTW....."));
    in.acceptTabs = false;
    in.redrawAlways = false;
    QCOMPARE(scanner.scan(rules, in, runs), 0);
    QCOMPARE(runs[0].StartPos, KeyFree);
}

void TestColorScanner::eventDraw()
{
    TDrawRules rules;
    TColorRule *r = rules.Add();
    r->SetKeyDrawingType(dtEventDraw);
    r->SetZOrder(7);
    std::vector<TKeyDescr> buffer(2);
    TColorRule *seen = nullptr;
    QString from;
    const TDrawHandler handler = [&](TColorRule *sender, const QChar *fromPos, TKeyDescr *a, int cap, int &count) {
        seen = sender;
        from = QString(fromPos, 3);
        QCOMPARE(cap, 2);
        a[0] = {1, 2, clRed, 0, 0};
        a[1] = {4, 4, clGreen, 200, 0};
        count = 99; // more than the buffer holds: only the buffer is read
    };
    TColorScanner scanner;
    TKeyDescrList runs;
    const QString text = QStringLiteral("abcdefgh");
    TScanInput in;
    in.text = QStringView(text).mid(2);
    in.scanStart = 2;
    in.colorLimMax = 2;
    in.drawBuffer = buffer.data();
    in.onDraw = &handler;
    QCOMPARE(scanner.scan(rules, in, runs), 2);
    QCOMPARE(seen, r);
    QCOMPARE(from, QStringLiteral("cde"));
    QCOMPARE(ScanMask::render(runs, 0, 8), QStringLiteral("...RR.g."));
    QCOMPARE(runs[0].Priority, quint8(7));
    QCOMPARE(runs[1].Priority, quint8(200));
}

void TestColorScanner::spansStayInsideScannedText()
{
    // A selection over a whole long page covers only the scanned lines.
    TDrawRules rules;
    tagRule(rules, {"<;>"});
    TColorScanner scanner;
    TKeyDescrList runs;
    const QString text = QStringLiteral("<b>");
    TScanInput in;
    in.text = text;
    in.scanStart = 1000;
    in.selStart = 0;
    in.selLength = 100000000;
    QCOMPARE(scanner.scan(rules, in, runs), 1);
    QCOMPARE(runs[0].StartPos, 1000);
    QCOMPARE(runs[0].EndPos, 1002);
    QCOMPARE(runs[0].Priority, PrioritySelection);
}

void TestColorScanner::runsReuseRecords()
{
    TDrawRules rules;
    tagRule(rules, {"<;>"});
    TColorScanner scanner;
    TKeyDescrList runs(100);
    QString text;
    for (int i = 0; i < 150; ++i)
        text += QStringLiteral("<a> ");
    TScanInput in;
    in.text = text;
    QCOMPARE(scanner.scan(rules, in, runs), 150);
    const int grown = runs.Count();
    QVERIFY(grown >= 150);
    in.text = QStringView(text).left(8);
    QCOMPARE(scanner.scan(rules, in, runs), 2);
    QCOMPARE(runs.Count(), grown); // records are kept
    QCOMPARE(runs[2].StartPos, KeyFree);
}

void TestColorScanner::hotSpotAt_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("over");
    QTest::addColumn<QString>("src");
    const QString line = QStringLiteral("see \x1E" "page.htm\x1F" " and \x1E" "x");
    QTest::newRow("inside") << line << 7 << true << "page.htm";
    QTest::newRow("on the end marker") << line << 13 << true << "page.htm";
    QTest::newRow("before the begin marker") << line << 1 << false << "";
    QTest::newRow("after the end") << line << 15 << false << "";
    QTest::newRow("past the line") << line << 99 << false << "";
}

void TestColorScanner::hotSpotAt()
{
    QFETCH(QString, line);
    QFETCH(int, col);
    QFETCH(bool, over);
    QFETCH(QString, src);
    QString got;
    QCOMPARE(::hotSpotAt(line, col, QChar(char16_t(30)), QChar(char16_t(31)), &got), over);
    if (over)
        QCOMPARE(got, src);
}

PEMO_TEST(TestColorScanner)
#include "tst_colorscanner.moc"
