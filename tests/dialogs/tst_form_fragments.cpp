// What the form, character and style builders write, and how the style
// section is read from and written back into a page.
#include "common/testmain.h"

#include "dialogs/FormFragments.h"
#include "dialogs/CharacterGrid.h"
#include "dialogs/StyleSection.h"

#include <QStringDecoder>

using namespace StyleSection;

namespace {

const QString crlf = QStringLiteral("\r\n");

Fields withMargins(const QString &l, const QString &t, const QString &r, const QString &b)
{
    Fields f;
    f.left = l;
    f.top = t;
    f.right = r;
    f.bottom = b;
    return f;
}

} // namespace

class FormFragmentsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void steppers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("visibleUp");
        QTest::addColumn<QString>("down");
        QTest::newRow("80 stays at 80, visible items start again at 20") << "80" << "80" << "20" << "79";
        QTest::newRow("79 reaches 80") << "79" << "80" << "80" << "78";
        QTest::newRow("1 stays at 1") << "1" << "2" << "2" << "1";
        QTest::newRow("typed beyond the bound") << "500" << "80" << "20" << "499";
        QTest::newRow("not a number gives 2") << "abc" << "2" << "2" << "2";
    }
    void steppers()
    {
        QFETCH(QString, text);
        QFETCH(QString, up);
        QFETCH(QString, visibleUp);
        QFETCH(QString, down);
        QCOMPARE(FormFragments::stepUp(text), up);
        QCOMPARE(FormFragments::visibleItemsUp(text), visibleUp);
        QCOMPARE(FormFragments::stepDown(text), down);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("expected");
        QTest::newRow("form") << FormFragments::form(QStringLiteral("moi@exemple.fr"))
                              << "<form action=\"mailto:moi@exemple.fr\" method=\"Post\">\r\n\r\n</form>\r\n";
        QTest::newRow("input line, defaults") << FormFragments::inputLine("Edit", "30")
                                              << "<input type=\"Text\" name=\"Edit\" size=30><br>\r\n";
        QTest::newRow("text area, defaults") << FormFragments::textArea("Texte", "7", "40")
                                             << "<p><textarea name=\"Texte\" rows=7 cols=40></textarea></p>\r\n";
        QTest::newRow("check box checked") << FormFragments::checkBox("Nom", "Valeur", "Libellé", true)
                                           << "<input type=\"checkbox\" name=\"Nom\" value=\"Valeur\" Checked>Libellé\r\n";
        QTest::newRow("check box unchecked") << FormFragments::checkBox("Nom", "Valeur", "Libellé", false)
                                             << "<input type=\"checkbox\" name=\"Nom\" value=\"Valeur\">Libellé\r\n";
        QTest::newRow("radio") << FormFragments::radioButton("Nom", "Valeur", "Libellé")
                               << "<input type=\"radio\" name=\"Nom\" value=\"Valeur\">Libellé\r\n";
        QTest::newRow("sizes go in as typed") << FormFragments::inputLine("Edit", "x")
                                              << "<input type=\"Text\" name=\"Edit\" size=x><br>\r\n";
        QTest::newRow("radio value holding quotes, & and <")
            << FormFragments::radioButton("choix", "Le \"grand\" R&D <b>", "Libellé <b>gras</b>")
            << "<input type=\"radio\" name=\"choix\" value=\"Le &quot;grand&quot; R&amp;D &lt;b>\">Libellé <b>gras</b>\r\n";
        QTest::newRow("check box name and value escaped")
            << FormFragments::checkBox("a\"b", "x<y", "L", true)
            << "<input type=\"checkbox\" name=\"a&quot;b\" value=\"x&lt;y\" Checked>L\r\n";
        QTest::newRow("names of line, area and menu escaped")
            << FormFragments::inputLine("a\"b", "30") + FormFragments::textArea("a\"b", "7", "40")
                   + FormFragments::menuOpening("a\"b", "1")
            << "<input type=\"Text\" name=\"a&quot;b\" size=30><br>\r\n"
               "<p><textarea name=\"a&quot;b\" rows=7 cols=40></textarea></p>\r\n"
               "<p><select name=\"a&quot;b\" size=1>\r\n";
        QTest::newRow("mail address with a query") << FormFragments::form(QStringLiteral("moi@exemple.fr?subject=a&body=\"b\""))
            << "<form action=\"mailto:moi@exemple.fr?subject=a&amp;body=&quot;b&quot;\" method=\"Post\">\r\n\r\n</form>\r\n";
        QTest::newRow("typed references kept") << FormFragments::radioButton("n", "&eacute;t&#233; &#xE9; &amp; & ;", "")
            << "<input type=\"radio\" name=\"n\" value=\"&eacute;t&#233; &#xE9; &amp; &amp; ;\">\r\n";
        QTest::newRow("half references escaped") << FormFragments::radioButton("n", "&; &# &#x; &é; &eacute", "")
            << "<input type=\"radio\" name=\"n\" value=\"&amp;; &amp;# &amp;#x; &amp;é; &amp;eacute\">\r\n";
        QTest::newRow("submit") << FormFragments::submitButton()
                                << "<p><input type=\"submit\" name=\"Envoi\" value=\"Envoi\"></p>\r\n";
        QTest::newRow("reset") << FormFragments::resetButton() << "<P><input type=\"reset\" value=\"RAZ\"></p>\r\n";
    }
    void controls()
    {
        QFETCH(QString, fragment);
        QFETCH(QString, expected);
        QCOMPARE(fragment, expected);
    }

    void menuOptions_data()
    {
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QString>("options");
        QTest::newRow("defaults") << "Choix1\nChoix2\nChoix3"
                                  << "<option>Choix1\r\n<option>Choix2\r\n<option>Choix3\r\n";
        QTest::newRow("empty list") << "" << "";
        QTest::newRow("empty lines kept") << "a\n\nb" << "<option>a\r\n<option>\r\n<option>b\r\n";
        QTest::newRow("final break starts no line") << "a\r\n" << "<option>a\r\n";
        QTest::newRow("a choice in angle brackets stays text") << "<autre>\nR&D \"x\""
                                                         << "<option>&lt;autre>\r\n<option>R&amp;D \"x\"\r\n";
    }
    void menuOptions()
    {
        QFETCH(QString, choices);
        QFETCH(QString, options);
        QCOMPARE(FormFragments::menuOptions(choices), options);
    }

    void gridCellsFollowTheCodePage()
    {
        const QByteArray codes = QByteArray::fromHex("22263C3E999CA2A9ABAEBBBCBDBEC0C1C2C3C4C5C6C8C9CACBCCCDCECFD2D3D4D5D6DFE3E6B5F120");
        QStringDecoder decoder("windows-1252");
        if (!decoder.isValid())
            QSKIP("no windows-1252 decoder in this Qt");
        const QString expected = decoder.decode(codes);
        QString shown;
        for (const auto &cell : CharacterGrid::cells())
            shown += cell.character;
        QCOMPARE(shown, expected);
    }

    void gridEntities_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("entity");
        QTest::newRow("0 quote") << 0 << "&quot;";
        QTest::newRow("4 trade mark by code") << 4 << "&#153;";
        QTest::newRow("5 oe ligature") << 5 << "&oelig;";
        QTest::newRow("6 cent") << 6 << "&cent;";
        QTest::newRow("34 sharp s") << 34 << "&szlig;";
        QTest::newRow("39 space") << 39 << "&nbsp;";
        QTest::newRow("outside") << 40 << "";
    }
    void gridEntities()
    {
        QFETCH(int, cell);
        QFETCH(QString, entity);
        QCOMPARE(CharacterGrid::entityOf(cell), entity);
    }

    void smileys()
    {
        QCOMPARE(CharacterGrid::smileys().size(), 16);
        QCOMPARE(CharacterGrid::smileyOf(QStringLiteral(":-#|  Moustache")), QStringLiteral(":-#|"));
        QCOMPARE(CharacterGrid::smileyOf(CharacterGrid::smileys().constLast()), QStringLiteral("B-)"));
    }

    void declarations_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("rule");
        Fields ptOnly;
        ptOnly.pt = "12";
        ptOnly.font.clear();
        Fields fontOnly;
        fontOnly.pt.clear();
        fontOnly.font = "Verdana";
        Fields coloured;
        coloured.color = QColor(0xFF, 0, 0x10);
        coloured.background = QColor(0, 0, 0x80);
        QTest::newRow("defaults") << Fields() << "p {font: 10pt Arial;color: #000000;background: #FFFFFF}";
        QTest::newRow("pt without font: a size browsers accept")
            << ptOnly << "p {font-size: 12pt;color: #000000;background: #FFFFFF}";
        QTest::newRow("font without pt: a family browsers accept")
            << fontOnly << "p {font-family: Verdana;color: #000000;background: #FFFFFF}";
        QTest::newRow("colours") << coloured << "p {font: 10pt Arial;color: #FF0010;background: #000080}";
        QTest::newRow("four margins, in the order browsers read them")
            << withMargins("1", "2", "3", "4")
            << "p {font: 10pt Arial;color: #000000;margin: 2px 3px 4px 1px;background: #FFFFFF}";
        QTest::newRow("left margin only leaves the other sides alone")
            << withMargins("5", "", "", "") << "p {font: 10pt Arial;color: #000000;margin-left: 5px;background: #FFFFFF}";
    }
    void declarations()
    {
        QFETCH(Fields, fields);
        QFETCH(QString, rule);
        QCOMPARE(ruleLine(QStringLiteral("p"), fields), rule);
    }

    void rulesReadBack_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::newRow("defaults") << Fields();
        Fields all = withMargins("1", "2", "3", "4");
        all.font = "Times New Roman";
        all.pt = "14";
        all.color = QColor(0x12, 0x34, 0x56);
        all.background = QColor(0xAB, 0xCD, 0xEF);
        QTest::newRow("everything set") << all;
        QTest::newRow("first two margins") << withMargins("1", "2", "", "");
        QTest::newRow("inner margin empty") << withMargins("1", "", "3", "4");
    }
    void rulesReadBack()
    {
        QFETCH(Fields, fields);
        const QStringList rules = {ruleLine(QStringLiteral("h1"), fields)};
        QCOMPARE(readRule(rules, QStringLiteral("h1")), fields);
    }

    void analyseFallsBackOnUnreadableColours()
    {
        Fields f;
        f.color = Qt::red;
        f.background = Qt::red;
        Analyse(QStringLiteral("color: #ZZ0000"), f);
        Analyse(QStringLiteral("background: url(fond.png)"), f);
        QCOMPARE(f.color, QColor(Qt::black));
        QCOMPARE(f.background, QColor(Qt::white));
        Analyse(QStringLiteral("margin: 1 2 3 4"), f);
        Analyse(QStringLiteral("margin: 9 9 9 9 9"), f);
        Analyse(QStringLiteral("text-align: center"), f);
        QCOMPARE(withMargins(f.left, f.top, f.right, f.bottom), withMargins("4", "1", "2", "3"));
    }

    // What hand-written sections hold, read into the fields.
    void handWrittenRulesAreRead_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<Fields>("fields");
        const auto with = [](auto change) {
            Fields f;
            change(f);
            return f;
        };
        QTest::newRow("colour name, other properties ignored")
            << "p { color: navy; text-align: center; line-height: 1.4 }"
            << with([](Fields &f) { f.color = QColor(0, 0, 128); });
        QTest::newRow("font in pixels, shown in points") << "p {font: 12px Arial}"
                                                         << with([](Fields &f) { f.pt = "9"; });
        QTest::newRow("font with weight, line height and a family list")
            << "p {font: italic bold 14pt/1.5 'Times New Roman', serif}"
            << with([](Fields &f) { f.pt = "14"; f.font = "'Times New Roman', serif"; });
        QTest::newRow("the editor's older spaced unit") << "p {font: 12 pt Times New Roman}"
                                                        << with([](Fields &f) { f.pt = "12"; f.font = "Times New Roman"; });
        QTest::newRow("size keyword kept as written") << "p {font: small Verdana}"
                                                      << with([](Fields &f) { f.pt = "small"; f.font = "Verdana"; });
        QTest::newRow("longhands, the last one counts")
            << "p {font: 8pt Arial; font-size: 13px; font-family: Verdana, sans-serif}"
            << with([](Fields &f) { f.pt = "9.75"; f.font = "Verdana, sans-serif"; });
        QTest::newRow("two margins: top-bottom and left-right")
            << "p {margin: 10px 20px}" << withMargins("20", "10", "20", "10");
        QTest::newRow("three margins") << "p {margin: 1px 2px 3px}" << withMargins("2", "1", "2", "3");
        QTest::newRow("margin longhand over the shorthand, other units as written")
            << "p {margin: 0; margin-left: 2em}" << withMargins("2em", "0", "0", "0");
        QTest::newRow("background colour inside the shorthand")
            << "body {background: url(fond.png) #ff0 no-repeat}"
            << with([](Fields &f) { f.background = QColor(255, 255, 0); });
        QTest::newRow("background-color in rgb()") << "body {background-color: rgb(0, 128, 0)}"
                                                   << with([](Fields &f) { f.background = QColor(0, 128, 0); });
        QTest::newRow("semicolon inside a quoted family")
            << "p {font-family: \"a;b\"; color: #F00}"
            << with([](Fields &f) { f.font = "\"a;b\""; f.color = Qt::red; });
    }
    void handWrittenRulesAreRead()
    {
        QFETCH(QString, rule);
        QFETCH(Fields, fields);
        const QString element = rule.section(u' ', 0, 0);
        QCOMPARE(readRule({rule}, element), fields);
    }

    // "Appliquer" on an element that has a rule: only the changed fields'
    // declarations are written, in their place or at the end.
    void existingRulesKeepWhatTheDialogDoesNotShow_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("new size after the line height")
            << "p { color: navy; text-align: center; line-height: 1.4 }" << "pt" << "14"
            << "p { color: navy; text-align: center; line-height: 1.4; font-size: 14pt }";
        QTest::newRow("size inside the shorthand") << "p {font: 12px Arial}" << "pt" << "14" << "p {font: 14pt Arial}";
        QTest::newRow("family inside the shorthand, weight and line height kept")
            << "h1 { font: bold 20px/1.2 Georgia, serif; }" << "font" << "Verdana"
            << "h1 { font: bold 20px/1.2 Verdana; }";
        QTest::newRow("the editor's older line") << "p {font: 10 pt Arial;color: #000000;background: #FFFFFF}" << "pt"
                                                 << "14" << "p {font: 14pt Arial;color: #000000;background: #FFFFFF}";
        QTest::newRow("colour in place") << "a {color:red;text-decoration:none}" << "color" << "#0000FF"
                                         << "a {color:#0000FF;text-decoration:none}";
        QTest::newRow("colour added to a rule without one") << "a {text-decoration: none}" << "color" << "#0000FF"
                                                            << "a {text-decoration: none;color: #0000FF}";
        QTest::newRow("one side over the shorthand") << "body { margin: 0 }" << "left" << "10"
                                                     << "body { margin: 0; margin-left: 10px }";
        QTest::newRow("side longhand in place") << "body {margin-top: 5px}" << "top" << "8" << "body {margin-top: 8px}";
        QTest::newRow("side longhand emptied") << "body {color: red; margin-top: 5px}" << "top" << ""
                                               << "body {color: red}";
        QTest::newRow("background picture kept") << "body {background: url(fond.png) no-repeat #FFFFFF}"
                                                 << "background" << "#FFFFC0"
                                                 << "body {background: url(fond.png) no-repeat #FFFFC0}";
        QTest::newRow("background picture without colour") << "body {background: url(fond.png)}" << "background"
                                                           << "#000080" << "body {background: url(fond.png) #000080}";
        QTest::newRow("empty rule") << "p {}" << "pt" << "14" << "p {font-size: 14pt}";
        QTest::newRow("final semicolon kept") << "p { color: red; }" << "pt" << "14"
                                              << "p { color: red; font-size: 14pt; }";
        QTest::newRow("nothing changed: byte for byte") << "p {  COLOR : Red ;/* x */}" << "pt" << "10"
                                                        << "p {  COLOR : Red ;/* x */}";
    }
    void existingRulesKeepWhatTheDialogDoesNotShow()
    {
        QFETCH(QString, rule);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, written);
        const QString element = rule.section(u' ', 0, 0);
        QStringList rules = {QStringLiteral("h2 {color: red}"), rule, QStringLiteral("/* fin */")};
        const Fields shown = readRule(rules, element);
        Fields edited = shown;
        QString *text = field == "pt"     ? &edited.pt
                        : field == "font" ? &edited.font
                        : field == "left" ? &edited.left
                        : field == "top"  ? &edited.top
                                          : nullptr;
        if (text)
            *text = value;
        else if (field == "color")
            edited.color = QColor::fromString(value);
        else
            edited.background = QColor::fromString(value);
        applyRule(rules, element, shown, edited);
        QCOMPARE(rules, QStringList({QStringLiteral("h2 {color: red}"), written, QStringLiteral("/* fin */")}));
        QCOMPARE(readRule(rules, element), edited);
    }

    void rulesAreFoundByTheirWholeSelector()
    {
        QStringList rules = {QStringLiteral("address {color: #FF0000;background: #FFFFFF}"),
                             QStringLiteral("a:hover {color: #00FF00;background: #FFFFFF}"),
                             QStringLiteral("pre {color: #0000FF;background: #FFFFFF}")};
        QCOMPARE(readRule(rules, QStringLiteral("a")), Fields());
        QCOMPARE(readRule(rules, QStringLiteral("p")), Fields());
        const QStringList before = rules;
        applyRule(rules, QStringLiteral("a"), Fields(), Fields());
        applyRule(rules, QStringLiteral("p"), Fields(), Fields());
        QCOMPARE(rules.mid(0, 3), before);
        QCOMPARE(rules.mid(3), QStringList({ruleLine("a", Fields()), ruleLine("p", Fields())}));
        Fields red;
        red.color = Qt::red;
        applyRule(rules, QStringLiteral("a"), readRule(rules, QStringLiteral("a")), red);
        QCOMPARE(rules.size(), 5);
        QCOMPARE(rules.at(3), ruleLine("a", red));
    }

    void handWrittenSpacingIsRead()
    {
        const Fields f = readRule({QStringLiteral("  body { color: #FF0000; margin: 3 }")}, QStringLiteral("body"));
        QCOMPARE(f.color, QColor(Qt::red));
        QCOMPARE(f.left, QStringLiteral("3"));
    }

    void gatherAndRewrite_data()
    {
        QTest::addColumn<QStringList>("page");
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QStringList>("rewritten");
        QTest::newRow("no section: before </head>")
            << QStringList{"<html>", "<head>", "</head>", "<body>"} << QStringList{}
            << QStringList{"<html>", "<head>", "<style>", "p {x}", "</style>", "</head>", "<body>"};
        QTest::newRow("own section written again")
            << QStringList{"<head>", "<style>", "p {x}", "</style>", "</head>"} << QStringList{"p {x}"}
            << QStringList{"<head>", "<style>", "p {x}", "</style>", "</head>"};
        QTest::newRow("capitals")
            << QStringList{"<HEAD>", "<STYLE>", "p {x}", "</STYLE>", "</HEAD>"} << QStringList{"p {x}"}
            << QStringList{"<HEAD>", "<style>", "p {x}", "</style>", "</HEAD>"};
        QTest::newRow("section in the body moves to the head")
            << QStringList{"<head>", "</head>", "<style>", "h1 {y}", "</style>"} << QStringList{"h1 {y}"}
            << QStringList{"<head>", "<style>", "p {x}", "</style>", "</head>"};
        QTest::newRow("no </head>: where the section stood")
            << QStringList{"<title>t</title>", "<style>", "h1 {y}", "</style>", "<body>"} << QStringList{"h1 {y}"}
            << QStringList{"<title>t</title>", "<style>", "p {x}", "</style>", "<body>"};
        QTest::newRow("rules on the tag lines")
            << QStringList{"<head><style>h1 {y}", "h2 {z}", "h3 {w}</style></head>"}
            << QStringList{"h1 {y}", "h2 {z}", "h3 {w}"}
            << QStringList{"<head>", "<style>", "p {x}", "</style>", "</head>"};
        QTest::newRow("section on one line")
            << QStringList{"<head>", "<style>h1 {y} h2 {z}</style>", "</head>"} << QStringList{"h1 {y}", "h2 {z}"}
            << QStringList{"<head>", "<style>", "p {x}", "</style>", "</head>"};
        QTest::newRow("never closed: left alone")
            << QStringList{"<head>", "<style>", "h1 {y}", "</head>", "<body>"} << QStringList{}
            << QStringList{"<head>", "<style>", "h1 {y}", "<style>", "p {x}", "</style>", "</head>", "<body>"};
        QTest::newRow("neither section nor head: before the body")
            << QStringList{"<html>", "<body>"} << QStringList{}
            << QStringList{"<html>", "<style>", "p {x}", "</style>", "<body>"};
    }
    void gatherAndRewrite()
    {
        QFETCH(QStringList, page);
        QFETCH(QStringList, rules);
        QFETCH(QStringList, rewritten);
        QCOMPARE(gatherRules(page), rules);
        QCOMPARE(rewrite(page, sectionText({QStringLiteral("p {x}")})), rewritten);
    }

    void sectionTextRoundTrip()
    {
        QCOMPARE(sectionText({"a {x}", "", "b {y}"}), QStringLiteral("<style>\r\na {x}\r\n\r\nb {y}\r\n</style>"));
        QCOMPARE(sectionText({}), QStringLiteral("<style>\r\n</style>"));
        QCOMPARE(rulesFromText(QString()), QStringList());
        QCOMPARE(rulesFromText(QStringLiteral("a {x}\r\n\r\nb {y}")), QStringList({"a {x}", "", "b {y}"}));
    }
};

PEMO_TEST(FormFragmentsTest)

#include "tst_form_fragments.moc"
