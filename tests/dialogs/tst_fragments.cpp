// The fragments the structure dialogs write, and the number fields' rules.
#include "common/testmain.h"

#include "dialogs/HtmlColour.h"
#include "dialogs/NumberText.h"
#include "dialogs/StructureFragments.h"
#include "platform/Errors.h"

using namespace StructureFragments;

class FragmentsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stepper_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::newRow("down stops at 1") << "1" << "2" << "1";
        QTest::newRow("99 goes past two digits") << "99" << "100" << "98";
        QTest::newRow("not a number gives 2") << "abc" << "2" << "2";
        QTest::newRow("empty gives 2") << "" << "2" << "2";
        QTest::newRow("zero and below come back to 1") << "-5" << "-4" << "1";
        QTest::newRow("blanks around are read") << " 7 " << "8" << "6";
        QTest::newRow("largest integer does not wrap") << "2147483647" << "2147483647" << "2147483646";
    }
    void stepper()
    {
        QFETCH(QString, text);
        QFETCH(QString, up);
        QFETCH(QString, down);
        QCOMPARE(NumberText::stepUp(text), up);
        QCOMPARE(NumberText::stepDown(text), down);
    }

    void conversionErrorNamesTheText()
    {
        try {
            NumberText::toInteger(QStringLiteral("2x"));
            QFAIL("no error");
        } catch (const Platform::PemoError &e) {
            QCOMPARE(e.message(), QStringLiteral("'2x' n'est pas une valeur entière correcte"));
        }
        QCOMPARE(NumberText::toInteger(QStringLiteral("12")), 12);
    }

    void table_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("border");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2x3 centred, border 1")
            << 2 << 3 << "1" << true
            << "<CENTER>\r\n<table border=1>\r\n"
               "<tr>\r\n<td>Cellule11</td>\r\n<td>Cellule12</td>\r\n<td>Cellule13</td>\r\n</tr>\r\n"
               "<tr>\r\n<td>Cellule21</td>\r\n<td>Cellule22</td>\r\n<td>Cellule23</td>\r\n</tr>\r\n"
               "</table>\r\n</center>";
        QTest::newRow("defaults 2x2, not centred")
            << 2 << 2 << "1" << false
            << "<table border=1>\r\n<tr>\r\n<td>Cellule11</td>\r\n<td>Cellule12</td>\r\n</tr>\r\n"
               "<tr>\r\n<td>Cellule21</td>\r\n<td>Cellule22</td>\r\n</tr>\r\n</table>";
        QTest::newRow("empty border written as typed") << 0 << 2 << "" << false << "<table border=>\r\n</table>";
        QTest::newRow("no columns gives empty rows")
            << 1 << -1 << "x" << false << "<table border=x>\r\n<tr>\r\n</tr>\r\n</table>";
        QTest::newRow("row 10 column 1 run together")
            << 10 << 1 << "0" << false
            << []() -> QString {
                   QString s = "<table border=0>\r\n";
                   for (int r = 1; r <= 10; ++r)
                       s += "<tr>\r\n<td>Cellule" + QString::number(r) + "1</td>\r\n</tr>\r\n";
                   return s + "</table>";
               }();
    }
    void table()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(QString, border);
        QFETCH(bool, centred);
        QFETCH(QString, expected);
        QCOMPARE(StructureFragments::table(rows, columns, border, centred), expected);
    }

    void oversizedStructuresAreRefused()
    {
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, StructureFragments::table(101, 100, "1", false));
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, StructureFragments::table(MaxCells + 1, 0, "1", false));
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, StructureFragments::list(MaxItems + 1, true));
        QCOMPARE(StructureFragments::table(100, 100, "1", false).count(QStringLiteral("<td>")), 10000);
    }

    void list_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("ordered");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ordered") << 2 << true << "<ol>\r\n <li>Ligne1\r\n <li>Ligne2\r\n</ol>";
        QTest::newRow("unordered") << 3 << false
                                   << "<ul type=disc>\r\n <li>Ligne1\r\n <li>Ligne2\r\n <li>Ligne3\r\n</ul>";
        QTest::newRow("no items") << 0 << false << "<ul type=disc>\r\n</ul>";
    }
    void list()
    {
        QFETCH(int, items);
        QFETCH(bool, ordered);
        QFETCH(QString, expected);
        QCOMPARE(StructureFragments::list(items, ordered), expected);
    }

    void rule_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("align");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << 1 << 100 << int(RuleAlign::Center) << "<hr>";
        QTest::newRow("left, 50, 3") << 3 << 50 << int(RuleAlign::Left) << "<hr align=\"left\" width=50% size=3>";
        QTest::newRow("right only") << 1 << 100 << int(RuleAlign::Right) << "<hr align=\"right\">";
        QTest::newRow("width 0 and size 0") << 0 << 0 << int(RuleAlign::Center) << "<hr width=0% size=0>";
        QTest::newRow("negative size") << -2 << 100 << int(RuleAlign::Center) << "<hr size=-2>";
    }
    void rule()
    {
        QFETCH(int, size);
        QFETCH(int, width);
        QFETCH(int, align);
        QFETCH(QString, expected);
        QCOMPARE(horizontalRule(size, width, RuleAlign(align)), expected);
    }

    void anchorNames_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted") << "<a name=\"intro\">Intro</a>" << "intro";
        QTest::newRow("any case, mid line") << "texte <A NAME=\"Haut\"></A>" << "Haut";
        QTest::newRow("bare") << "<a name=fin>" << "fin";
        QTest::newRow("trailing quote only") << "<a name=fin\">" << "fin";
        QTest::newRow("first of the line") << "<a name=\"un\"></a><a name=\"deux\"></a>" << "un";
        QTest::newRow("other attributes after the name") << "<a name=\"x\" id=\"y\">" << "x";
        QTest::newRow("no closing bracket") << "<a name=\"suite" << "suite";
    }
    void anchorNames()
    {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QCOMPARE(anchorNameOf(line), name);
    }

    void anchorLink_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name gets its #") << "intro" << "<a href=\"#intro\">";
        QTest::newRow("already #") << "#intro" << "<a href=\"#intro\">";
        QTest::newRow("other page") << "page.htm#intro" << "<a href=\"page.htm#intro\">";
        QTest::newRow("empty") << "" << "<a href=\"\">";
    }
    void anchorLink()
    {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QCOMPARE(StructureFragments::anchorLink(target), expected);
    }

    void tagListHas71SortedEntries()
    {
        const QStringList &entries = tagEntries();
        QCOMPARE(entries.size(), 71);
        QCOMPARE(entries.first(), QStringLiteral("<!-- -->"));
        QCOMPARE(entries.last(), QStringLiteral("<xml> </xml>"));
        QStringList sorted = entries;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(entries, sorted);
        QCOMPARE(entries.count(QStringLiteral("<input type=text>")), 1);
    }

    void applyTagEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pair around") << "<b> </b>" << "mot" << "<b>mot</b>";
        QTest::newRow("comment around") << "<!-- -->" << "mot" << "<!--mot-->";
        QTest::newRow("single after") << "<br>" << "mot" << "mot<br>";
        QTest::newRow("input is one whole tag") << "<input type=text>" << "mot" << "mot<input type=text>";
        QTest::newRow("pair with nothing selected") << "<ul> </ul>" << "" << "<ul></ul>";
        QTest::newRow("selection over two lines") << "<pre> </pre>" << "a\r\nb" << "<pre>a\r\nb</pre>";
    }
    void applyTagEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        QCOMPARE(StructureFragments::applyTagEntry(entry, selected), expected);
    }

    void htmlColour_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("read"); // empty = unreadable
        QTest::newRow("red") << "#FF0000" << "#FF0000";
        QTest::newRow("lower case") << "#f0f0f0" << "#F0F0F0";
        QTest::newRow("only six digits count") << "#12345678" << "#123456";
        QTest::newRow("bare digits") << "00FF00" << "#00FF00";
        QTest::newRow("name") << "white" << "#FFFFFF";
        QTest::newRow("short form") << "#00f" << "#0000FF";
        QTest::newRow("not hexadecimal") << "#GG0000" << "";
        QTest::newRow("too short") << "#FF00" << "";
        QTest::newRow("empty") << "" << "";
    }
    void htmlColour()
    {
        QFETCH(QString, value);
        QFETCH(QString, read);
        const auto colour = HtmlColour::fromAttribute(value);
        QCOMPARE(colour ? HtmlColour::text(*colour) : QString(), read);
    }
};

PEMO_TEST(FragmentsTest)
#include "tst_fragments.moc"
