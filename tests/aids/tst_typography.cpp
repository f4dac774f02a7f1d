// French typography: what counts as text, each rule and its exceptions, the
// fixes, and the fixes as one step of the page's history.
#include "testmain.h"

#include "aids/FrenchTypography.h"
#include "aids/PageAids.h"
#include "page/Page.h"

using namespace FrenchTypography;

namespace {
const QString nnbsp(NarrowNoBreak), nbsp(NoBreak);

// The page's lines with every fault fixed (UTF-8 page: the spaces themselves).
QString fixed(const QString &line) { return applyFixes({line}, scan({line}), false).first(); }
} // namespace

class TypographyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rulesAndExceptions_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing before !") << "Bonjour!" << "Bonjour" + nnbsp + "!";
        QTest::newRow("ordinary before ?") << "Vraiment ?" << "Vraiment" + nnbsp + "?";
        QTest::newRow("two blanks before ;") << "un  ; deux" << "un" + nnbsp + "; deux";
        QTest::newRow("colon gets the wide one") << "Note : ceci" << "Note" + nbsp + ": ceci";
        QTest::newRow("guillemets") << QString("« oui »") << QString("«" + nbsp + "oui" + nbsp + "»");
        QTest::newRow("guillemets without spaces") << QString("«oui»") << QString("«" + nbsp + "oui" + nbsp + "»");
        QTest::newRow("across an inline tag") << "<b>Bonjour</b>!" << "<b>Bonjour</b>" + nnbsp + "!";
        QTest::newRow("?! takes one space") << "Quoi?!" << "Quoi" + nnbsp + "?!";
        QTest::newRow("already narrow") << "Oui" + nnbsp + "!" << "Oui" + nnbsp + "!";
        QTest::newRow("entity narrow") << "Oui&#8239;!" << "Oui&#8239;!";
        QTest::newRow("hex entity narrow") << "Oui&#x202F;?" << "Oui&#x202F;?";
        QTest::newRow("nbsp before colon") << "Note&nbsp;: x" << "Note&nbsp;: x";
        QTest::newRow("narrow accepted before colon") << "Note" + nnbsp + ": x" << "Note" + nnbsp + ": x";
        QTest::newRow("time") << "Rendez-vous à 10:30 demain" << "Rendez-vous à 10:30 demain";
        QTest::newRow("word with colon") << "le préfixe xml:lang" << "le préfixe xml:lang";
        QTest::newRow("address") << "Voir http://exemple.fr/?a=1!" << "Voir http://exemple.fr/?a=1!";
        QTest::newRow("mail address") << "Écrire à mailto:moi@exemple.fr?subject=x"
                                      << "Écrire à mailto:moi@exemple.fr?subject=x";
        QTest::newRow("www") << "(www.exemple.fr?x)" << "(www.exemple.fr?x)";
        QTest::newRow("emoticon") << "Super :-) et ;)" << "Super :-) et ;)";
        QTest::newRow("sign at line start") << "! suite" << "! suite";
        QTest::newRow("spaces from line start") << "   ? suite" << "   ? suite";
        QTest::newRow("bracketed sign") << "(!)" << "(!)";
        QTest::newRow("amp entity is no semicolon") << "A&amp;B" << "A&amp;B";
        QTest::newRow("doctype") << "<!DOCTYPE html>" << "<!DOCTYPE html>";
        QTest::newRow("attribute") << "<a title=\"Oui!\" href=\"a:b\">x</a>" << "<a title=\"Oui!\" href=\"a:b\">x</a>";
        QTest::newRow("apostrophe in unquoted value") << "<a title=l'arbre>Oui!</a>"
                                                       << "<a title=l'arbre>Oui" + nnbsp + "!</a>";
        QTest::newRow("comment") << "<!-- Oui! --> Non!" << "<!-- Oui! --> Non" + nnbsp + "!";
        QTest::newRow("script") << "<script>if (a!b) x;</script>Fin!" << "<script>if (a!b) x;</script>Fin" + nnbsp + "!";
        QTest::newRow("style") << "<style>p{color:red;}</style>" << "<style>p{color:red;}</style>";
        QTest::newRow("code sample") << "<code>a ? b : c</code> ok?" << "<code>a ? b : c</code> ok" + nnbsp + "?";
        QTest::newRow("entity space is replaced") << "Oui&#32;!" << "Oui" + nnbsp + "!";
    }
    void rulesAndExceptions()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(fixed(line), expected);
    }

    void nbspBeforeExclamationIsAHint()
    {
        const QList<Fault> faults = scan({"Oui&nbsp;!"});
        QCOMPARE(faults.size(), 1);
        QVERIFY(faults.first().hint());
        QCOMPARE(faults.first().start, 3);
        QCOMPARE(faults.first().length, 6);
        QCOMPARE(describe(faults.first()), QString("Espace insécable non fine avant « ! »"));
    }

    void stateCarriesOverLines()
    {
        // A comment, a script and a tag left open at a line's end.
        const QStringList lines = {"<!-- début", "Oui! -->Non!", "<script>", "a?b:c;", "</script><a", "title='x!'>Oui!"};
        QList<int> faultLines;
        for (const Fault &f : scan(lines))
            faultLines << f.line;
        QCOMPARE(faultLines, QList<int>({1, 5}));

        // The per-line entry point a painter uses: the state of line 3's start.
        LineState state;
        for (int i = 0; i < 3; ++i)
            state = scanLine(lines.at(i), state).end;
        QCOMPARE(state.mode, LineState::Mode::Script);
        QVERIFY(scanLine(lines.at(3), state).faults.isEmpty());
        QCOMPARE(scanLine(lines.at(3)).faults.size(), 1); // read as text: only the final ";"

        // The states alone, as a jump through a big page reads them: the
        // same at every line's end, whatever the line opened or closed.
        const QStringList more = {"<pre>a<b>&lt;</b><code>", "x < y &amp; <3 </code>", "<p title=\"a>b\" x='<'>t",
                                  "&#60;script> <", "<", "<!", "<!-", "<STYLE>p{}</Style><a href=x", ">\U0001F600<"};
        LineState withUnits, alone;
        QList<FrenchTypography::TextUnit> units;
        for (const QString &line : lines + more + lines) {
            withUnits = readText(line, withUnits, units);
            alone = FrenchTypography::endOf(line, alone);
            QVERIFY2(alone == withUnits, qPrintable(line));
        }
    }

    void windows1252PagesGetReferences()
    {
        const QStringList lines = {"Oui ! « non »"};
        QCOMPARE(applyFixes(lines, scan(lines), true),
                 QStringList({"Oui&#8239;! «" + nbsp + "non" + nbsp + "»"}));
    }

    void chosenFixesOnly()
    {
        const QStringList lines = {"Un! Deux!"};
        const QList<Fault> faults = scan(lines);
        QCOMPARE(faults.size(), 2);
        QCOMPARE(applyFixes(lines, {faults.at(1)}, false), QStringList({"Un! Deux" + nnbsp + "!"}));
    }

    void fixesAreOneUndoStep()
    {
        TPage page;
        const QStringList lines = {"<p>Bonjour!</p>", "<p>rien</p>", "<p>« Oui » : non ?</p>"};
        page.load(lines);
        page.setEncoding(PageFile::Encoding::Windows1252);
        const QString before = page.Text();
        QCOMPARE(PageAids::fixTypography(page, scan(page.Lines())), 3);
        QCOMPARE(page.Lines(), QStringList({"<p>Bonjour&#8239;!</p>", "<p>rien</p>",
                                            "<p>«" + nbsp + "Oui" + nbsp + "»" + nbsp + ": non&#8239;?</p>"}));
        QVERIFY(scan(page.Lines()).isEmpty());
        QVERIFY(page.undo());
        QCOMPARE(page.Text(), before);
        QVERIFY(!page.canUndo());
        QVERIFY(!page.Modified());
    }

    void nothingToFixRecordsNothing()
    {
        TPage page;
        page.load({"Oui" + nnbsp + "!"});
        QCOMPARE(PageAids::fixTypography(page, {}), 0);
        QVERIFY(!page.canUndo());
    }
};

PEMO_TEST(TypographyTest)
#include "tst_typography.moc"
