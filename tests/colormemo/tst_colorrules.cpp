#include "colormemo/ColorRules.h"
#include "testmain.h"

class TestColorRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void colorFromText_data();
    void colorFromText();
    void begEndList_data();
    void begEndList();
    void lineEndList_data();
    void lineEndList();
    void keywordColours();
    void keywordsBeyondColourTable();
    void assignCopiesListsNotIntCharOrSelColor();
    void updateRulesRecompilesEveryOtherCall();
    void setterDoesNotAliasItsSource();
};

void TestColorRules::colorFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("color");
    QTest::newRow("name lower") << "red" << quint32(0x0000FF);
    QTest::newRow("name mixed") << "Red" << quint32(0x0000FF);
    QTest::newRow("name upper with blanks") << "  RED \t" << quint32(0x0000FF);
    QTest::newRow("name navy not swapped") << "navy" << quint32(0x800000);
    QTest::newRow("hash red swapped") << "#ff0000" << quint32(0x0000FF);
    QTest::newRow("hash green unchanged") << "#00FF00" << quint32(0x00FF00);
    QTest::newRow("hash blue swapped") << "#0000FF" << quint32(0xFF0000);
    QTest::newRow("bare digits are hex") << "12" << quint32(0x120000);
    QTest::newRow("dollar kept") << "$0000FF" << quint32(0xFF0000);
    QTest::newRow("unreadable is white") << "zz" << quint32(0xFFFFFF);
    QTest::newRow("blank is white") << "" << quint32(0xFFFFFF);
    QTest::newRow("bits above 24 dropped") << "$7F123456" << quint32(0x563412);
    QTest::newRow("overflow is white") << "#123456789" << quint32(0xFFFFFF);
    QTest::newRow("blanks around hex") << "  #0000ff  " << quint32(0xFF0000);
}

void TestColorRules::colorFromText()
{
    QFETCH(QString, text);
    QFETCH(quint32, color);
    QCOMPARE(ColorFromText(text), color);
}

void TestColorRules::begEndList_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected"); // "begin|end|colour" per entry
    QTest::newRow("tag pair") << QStringList {"<;>"} << QStringList {"<|>|0000ff"};
    QTest::newRow("colour text") << QStringList {"<!--;-->;#00FF00"} << QStringList {"<!--|-->|00ff00"};
    QTest::newRow("blue colour swapped") << QStringList {"[;];#0000FF"} << QStringList {"[|]|ff0000"};
    QTest::newRow("blank colour text uses default") << QStringList {"[;];  "} << QStringList {"[|]|0000ff"};
    QTest::newRow("second line without semicolon ends the table")
        << QStringList {"<;>", "{}", "[;]"} << QStringList {"<|>|0000ff"};
    QTest::newRow("line starting with semicolon ends the table")
        << QStringList {";x;y", "<;>"} << QStringList {};
    QTest::newRow("markers cut to six characters")
        << QStringList {"1234567;abcdefgh"} << QStringList {"123456|abcdef|0000ff"};
    QStringList many;
    for (int i = 0; i < 45; ++i)
        many << QStringLiteral("a%1;b").arg(i);
    QTest::newRow("forty lines at most") << many << QStringList {};
}

void TestColorRules::begEndList()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    TColorRule rule;
    rule.SetKeyBegEndLst(lines);
    QCOMPARE(rule.KeyBegEndLst(), lines);
    if (QByteArray(QTest::currentDataTag()) == "forty lines at most") {
        QCOMPARE(rule.markerCount(), 40);
        QCOMPARE(rule.markers()[39].begin, QStringLiteral("a39"));
        return;
    }
    QStringList got;
    for (int i = 0; i < rule.markerCount(); ++i) {
        const TMarkerEntry &e = rule.markers()[i];
        got << e.begin + u'|' + e.end + u'|' + QStringLiteral("%1").arg(e.color, 6, 16, QChar(u'0'));
    }
    QCOMPARE(got, expected);
}

void TestColorRules::lineEndList_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected"); // "marker|colour"
    QTest::newRow("marker and colour") << QStringList {"//;red"} << QStringList {"//|0000ff"};
    QTest::newRow("double semicolon is the semicolon marker") << QStringList {";;navy"} << QStringList {";|800000"};
    QTest::newRow("single leading semicolon: whole line") << QStringList {";x;red"} << QStringList {";x;red|0000ff"};
    QTest::newRow("no semicolon: whole line, default colour") << QStringList {"rem"} << QStringList {"rem|0000ff"};
    QTest::newRow("empty line ends the table") << QStringList {"#", "", "//"} << QStringList {"#|0000ff"};
}

void TestColorRules::lineEndList()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    TColorRule rule;
    rule.SetKeyDrawingType(dtBeginLineEnd);
    rule.SetKeyLineEndLst(lines);
    QStringList got;
    for (int i = 0; i < rule.markerCount(); ++i) {
        const TMarkerEntry &e = rule.markers()[i];
        QVERIFY(e.end.isEmpty());
        got << e.begin + u'|' + QStringLiteral("%1").arg(e.color, 6, 16, QChar(u'0'));
    }
    QCOMPARE(got, expected);
}

void TestColorRules::keywordColours()
{
    TColorRule rule;
    rule.SetKeyDrawingType(dtKeyShow);
    rule.SetDefKeyColor(clMaroon);
    rule.SetKeywords({"title;navy", "   ", "meta", " x ;#0000FF", "Body;blue"});
    const auto &keys = rule.compiledKeys();
    QCOMPARE(int(keys.size()), 4);
    QCOMPARE(keys[0].key, QStringLiteral("TITLE"));
    QCOMPARE(rule.keyColor(keys[0].colorIndex), clNavy);
    QCOMPARE(keys[1].key, QStringLiteral("META"));
    QCOMPARE(rule.keyColor(keys[1].colorIndex), clMaroon);
    QCOMPARE(keys[2].key, QStringLiteral(" X ")); // blanks stay part of the keyword
    // "#0000FF" and "blue" are the same colour: one table entry.
    QCOMPARE(keys[3].colorIndex, keys[2].colorIndex);
    QCOMPARE(rule.keyColorCount(), 3);

    rule.SetKeyCase(true);
    rule.SetKeywords({"Body"});
    QCOMPARE(rule.compiledKeys()[0].key, QStringLiteral("Body"));
}

void TestColorRules::keywordsBeyondColourTable()
{
    TColorRule rule;
    rule.SetKeyDrawingType(dtKeyShow);
    QStringList lines;
    for (int i = 1; i <= 42; ++i)
        lines << QStringLiteral("k%1;$%2").arg(i).arg(i, 6, 16, QChar(u'0'));
    rule.SetKeywords(lines);
    const auto &keys = rule.compiledKeys();
    QCOMPARE(int(keys.size()), 42);
    QCOMPARE(rule.keyColorCount(), 41);
    for (int i = 0; i < 41; ++i)
        QCOMPARE(keys[i].colorIndex, i + 1);
    QCOMPARE(keys[41].colorIndex, 41);
    QCOMPARE(rule.keyColor(keys[41].colorIndex), rule.keyColor(keys[40].colorIndex));
}

void TestColorRules::assignCopiesListsNotIntCharOrSelColor()
{
    TColorRule source;
    source.SetKeyDrawingType(dtKeyShow);
    source.SetZOrder(3);
    source.SetKeyMaxHeight(4);
    source.SetKeyCase(true);
    source.SetEnabled(false);
    source.SetPartWord(true);
    source.SetDefKeyColor(clGreen);
    source.SetKeyBrushColor(clAqua);
    source.SetIntChar(QStringLiteral("source"));
    source.SetKeySelColor(clBlack);
    source.SetKeywords({"Head"});
    source.SetKeyBegEndLst({"<;>"});
    source.SetKeyLineEndLst({"//"});

    TColorRule target;
    target.SetIntChar(QStringLiteral("mine"));
    target.Assign(source);
    QCOMPARE(target.KeyDrawingType(), dtKeyShow);
    QCOMPARE(target.ZOrder(), quint8(3));
    QCOMPARE(target.KeyMaxHeight(), 4);
    QVERIFY(target.KeyCase());
    QVERIFY(!target.Enabled());
    QVERIFY(target.PartWord());
    QCOMPARE(target.DefKeyColor(), clGreen);
    QCOMPARE(target.KeyBrushColor(), clAqua);
    QCOMPARE(target.Keywords(), QStringList {"Head"});
    QCOMPARE(target.KeyBegEndLst(), QStringList {"<;>"});
    QCOMPARE(target.KeyLineEndLst(), QStringList {"//"});
    QCOMPARE(target.compiledKeys()[0].key, QStringLiteral("Head"));
    // The begin/end list is set last, so its markers are in the table.
    QCOMPARE(target.markers()[0].begin, QStringLiteral("<"));
    QCOMPARE(target.IntChar(), QStringLiteral("mine"));
    QCOMPARE(target.KeySelColor(), clYellow);
}

void TestColorRules::updateRulesRecompilesEveryOtherCall()
{
    TDrawRules rules;
    TColorRule *rule = rules.Add();
    rule->SetKeyBegEndLst({"<;>"});
    QVERIFY(rules.compileFlag());
    rules.UpdateRules(); // compiles, clears the flag
    QVERIFY(!rules.compileFlag());

    rule->KeyBegEndLst() = QStringList {"[;]"}; // changed in place, no setter
    rules.UpdateRules(); // sets the flag only
    QCOMPARE(rule->markers()[0].begin, QStringLiteral("<"));
    rules.UpdateRules(); // compiles
    QCOMPARE(rule->markers()[0].begin, QStringLiteral("["));

    TDrawRules empty;
    empty.Add();
    empty.UpdateRules();
    QVERIFY(empty.compileFlag()); // no rule has entries: stays set
}

void TestColorRules::setterDoesNotAliasItsSource()
{
    TColorRule rule;
    rule.SetKeyBegEndLst(rule.KeyBegEndLst()); // its own list: no copy, no crash
    QStringList lines {"<;>"};
    rule.SetKeyBegEndLst(lines);
    lines[0] = QStringLiteral("[;]");
    QCOMPARE(rule.KeyBegEndLst(), QStringList {"<;>"});

    TDrawRules a, b;
    a.Add()->SetKeyBegEndLst({"<;>"});
    b.Assign(a);
    a.Items(0)->SetKeyBegEndLst({"{;}"});
    QCOMPARE(b.Count(), 1);
    QCOMPARE(b.Items(0)->KeyBegEndLst(), QStringList {"<;>"});
}

PEMO_TEST(TestColorRules)
#include "tst_colorrules.moc"
