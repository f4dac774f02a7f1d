#include "colormemo/ColMemo.h"
#include "colormemo/TextSearch.h"
#include "testmain.h"

class TestTextSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void find_data();
    void find();
    void upper1252_data();
    void upper1252();
    void largeTextBothWays();
    void searchTextSelectsMatch();
};

void TestTextSearch::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("found");
    const int down = int(SearchOption::Down);
    const int word = int(SearchOption::WholeWord);
    const int exact = int(SearchOption::MatchCase);
    QTest::newRow("down to the end of the text") << "a b td" << "td" << 0 << 0 << down << 4;
    QTest::newRow("down starts after the selection") << "td td" << "td" << 0 << 2 << down << 3;
    QTest::newRow("down finds nothing above the caret") << "td x" << "td" << 2 << 0 << down << -1;
    QTest::newRow("up finds a match at offset 0") << "td x" << "td" << 4 << 0 << 0 << 0;
    QTest::newRow("up ends before the selection") << "td td" << "td" << 3 << 2 << 0 << 0;
    QTest::newRow("up start outside the text") << "td" << "td" << 1 << 0 << 0 << -1;
    QTest::newRow("whole word skips tdx") << "<tdx><td>" << "td" << 0 << 0 << down + word << 6;
    QTest::newRow("whole word up skips tdx") << "<td><tdx>" << "td" << 9 << 0 << word << 1;
    QTest::newRow("whole word at the caret") << "td x" << "td" << 0 << 0 << down + word << 0;
    QTest::newRow("whole word inside a word moves on") << "atd td" << "td" << 1 << 0 << down + word << 4;
    QTest::newRow("whole word ends at text end") << "x td" << "td" << 0 << 0 << down + word << 2;
    QTest::newRow("digits are word characters") << "td1 td" << "td" << 0 << 0 << down + word << 4;
    QTest::newRow("case ignored") << "a TD" << "td" << 0 << 0 << down << 2;
    QTest::newRow("match case") << "TD td" << "td" << 0 << 0 << down + exact << 3;
    QTest::newRow("accented capitals") << "Un ÉTÉ chaud" << "été" << 0 << 0 << down << 3;
    QTest::newRow("accented, match case") << "Un ÉTÉ chaud" << "été" << 0 << 0 << down + exact << -1;
    QTest::newRow("oe ligature and y diaeresis") << "ŒUVRE Ÿ" << "œuvre ÿ" << 0 << 0 << down << 0;
    QTest::newRow("line break counts two") << "ab\r\ncd" << "cd" << 0 << 0 << down << 4;
    QTest::newRow("match over a line break") << "ab\r\ncd" << "b\r\nc" << 0 << 0 << down << 1;
    QTest::newRow("empty needle") << "abc" << "" << 0 << 0 << down << -1;
    QTest::newRow("empty text") << "" << "a" << 0 << 0 << down << -1;
    QTest::newRow("needle longer than text") << "ab" << "abc" << 0 << 0 << down << -1;
}

void TestTextSearch::find()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(int, options);
    QFETCH(int, found);
    QCOMPARE(TextSearch::find(text, needle, selStart, selLength, SearchOptions(options)), found);
}

void TestTextSearch::upper1252_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::newRow("ascii") << "az" << "AZ";
    QTest::newRow("latin accents") << "àéîõüçñþ" << "ÀÉÎÕÜÇÑÞ";
    QTest::newRow("ÿ œ š ž") << "ÿœšž" << "ŸŒŠŽ";
    QTest::newRow("unchanged") << "÷ß1µ" << "÷ß1µ";
}

void TestTextSearch::upper1252()
{
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    QString got = lower;
    for (QChar &c : got)
        c = TextSearch::upper1252(c);
    QCOMPARE(got, upper);
}

void TestTextSearch::largeTextBothWays()
{
    // Long enough for the search window to be refilled several times; the
    // word lies across a window edge.
    QString text(300000, u'x');
    text.replace(131070, 4, QStringLiteral(" td "));
    text.replace(5, 4, QStringLiteral(" td "));
    const SearchOptions wholeDown = SearchOption::Down | SearchOption::WholeWord;
    QCOMPARE(TextSearch::find(text, u"td", 10, 0, wholeDown), 131071);
    QCOMPARE(TextSearch::find(text, u"td", int(text.size()), 0, SearchOption::WholeWord), 131071);
    QCOMPARE(TextSearch::find(text, u"td", 131071, 0, SearchOption::WholeWord), 6);
    QCOMPARE(TextSearch::find(text, u"td", 131073, 0, wholeDown), -1);
}

void TestTextSearch::searchTextSelectsMatch()
{
    TColorMemo memo;
    memo.SetLines({"<table>", "<tdx><td>", "fin"});
    memo.SetSelStart(0);
    QVERIFY(memo.SearchText("td", SearchOption::Down | SearchOption::WholeWord));
    QCOMPARE(memo.SelStart(), 9 + 6);
    QCOMPARE(memo.SelLength(), 2);
    QCOMPARE(memo.SelText(), QStringLiteral("td"));
    // Nothing further down: false, selection unchanged.
    QVERIFY(!memo.SearchText("td", SearchOption::Down | SearchOption::WholeWord));
    QCOMPARE(memo.SelStart(), 15);
    QCOMPARE(memo.SelLength(), 2);
    // Up from there finds tdx's letters when whole word is off.
    QVERIFY(memo.SearchText("TD", {}));
    QCOMPARE(memo.SelStart(), 10);
    QVERIFY(memo.SearchText("fin", SearchOption::Down));
    QCOMPARE(memo.SelStart(), 20);
    QVERIFY(!memo.SearchText("", SearchOption::Down));
}

PEMO_TEST(TestTextSearch)
#include "tst_textsearch.moc"
