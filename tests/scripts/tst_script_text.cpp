// The generated scripts, compared byte for byte with the reference files in
// data/ (regenerate them with scripts/regenerate-script-references.sh after a
// deliberate change, and read the diff), and the rules around them.
#include "testmain.h"

#include "scripts/ScriptEffects.h"
#include "scripts/ScriptSkeletons.h"
#include "scripts/ScriptText.h"

#include <QFile>

using namespace ScriptEffects;
using namespace ScriptSkeletons;

namespace {

// Every generated text of the reference set, by file name.
QList<QPair<QString, QString>> referenceTexts()
{
    QList<QPair<QString, QString>> texts;
    const auto add = [&texts](const QString &name, const QString &text) { texts << qMakePair(name, text); };
    const auto addPieces = [&add](const QString &name, const Pieces &p) {
        add(name + QStringLiteral("-head"), p.head);
        add(name + QStringLiteral("-body"), p.body);
    };

    add(QStringLiteral("script-selection"), scriptBlock(QStringLiteral("var a=1;\r\nalert(a);")));
    add(QStringLiteral("script-empty"), scriptBlock(QString()));
    add(QStringLiteral("for-increasing"), forLoop(QStringLiteral("i"), QStringLiteral("1"), QStringLiteral("10"), false));
    add(QStringLiteral("for-decreasing"), forLoop(QStringLiteral("n"), QStringLiteral("10"), QStringLiteral("1"), true));
    add(QStringLiteral("while-less"), whileLoop(QStringLiteral("i"), 1, QStringLiteral("10")));
    add(QStringLiteral("if-else"), ifCondition(QStringLiteral("a"), 5, QStringLiteral("b"), true));
    add(QStringLiteral("if-without-else"), ifCondition(QStringLiteral("x"), 4, QStringLiteral("0"), false));

    Applet plain;
    plain.classFile = QStringLiteral("/site/pages/Anim.class");
    plain.width = plain.height = QStringLiteral("300");
    add(QStringLiteral("applet-same-folder"), appletElement(plain, QStringLiteral("/site/pages/")));
    Applet full = plain;
    full.classFile = QStringLiteral("/site/classes/jeux/Balle.class");
    full.width = QStringLiteral("200");
    full.height = QStringLiteral("120");
    full.paramName = QStringLiteral("vitesse");
    full.paramValue = QStringLiteral("5");
    full.text = QStringList{QStringLiteral("Votre navigateur"), QStringLiteral("ne sait pas lancer Java.")};
    add(QStringLiteral("applet-codebase-param-text"), appletElement(full, QStringLiteral("/site/pages/")));
    Applet typed = plain;
    typed.classFile = QStringLiteral("jeux/Balle.class");
    add(QStringLiteral("applet-typed-name"), appletElement(typed, QStringLiteral("/site/pages/")));
    Applet unsaved = plain;
    add(QStringLiteral("applet-page-without-folder"), appletElement(unsaved, QString()));
    Applet noValue = plain;
    noValue.paramName = QStringLiteral("vitesse");
    add(QStringLiteral("applet-param-without-value"), appletElement(noValue, QStringLiteral("/site/pages/")));

    add(QStringLiteral("xml-url"), xmlIsland(QStringLiteral(" data "), QStringLiteral("d.xml "),
                                             {QStringLiteral("<?xml version=\"1.0\"?>")}));
    add(QStringLiteral("xml-source"), xmlIsland(QStringLiteral("livres"), QString(),
                                                {QStringLiteral("<?xml version=\"1.0\"?>"), QStringLiteral("<livres>"),
                                                 QStringLiteral("<livre>Candide</livre>"), QStringLiteral("</livres>")}));

    addPieces(QStringLiteral("defile-bouton"), scrollingMessage(QStringLiteral("Bonjour"), true));
    addPieces(QStringLiteral("defile-statut"), scrollingMessage(QStringLiteral("Bonjour"), false));
    addPieces(QStringLiteral("degrade-default"),
              gradientText(QStringLiteral("Texte du message"), QColor(0, 0, 255), QColor(255, 0, 0)));
    addPieces(QStringLiteral("anime-30"), animatedMessage(QStringLiteral("Été à Paris, Noël à l'Hôtel!")
                                                          + QStringLiteral("ZZ")));
    addPieces(QStringLiteral("msgalea-default"),
              randomMessage({QStringLiteral("Message 1"), QStringLiteral("Message 2"), QStringLiteral("Message 3"),
                             QString(), QString()}));
    addPieces(QStringLiteral("msgalea-1-3-and-5"),
              randomMessage({QStringLiteral("Un"), QString(), QStringLiteral("C'est \"trois\""), QString(),
                             QStringLiteral("Cinq")}));
    add(QStringLiteral("compte-2026-03-07"), countDown(QDate(2026, 3, 7)));

    addPieces(QStringLiteral("imgalea-1-3"),
              randomPicture({QStringLiteral("a.gif"), QStringLiteral("b.gif"), QStringLiteral("img/c.jpg"), QString(),
                             QString()}));
    addPieces(QStringLiteral("imgalea-5-without-4"),
              randomPicture({QStringLiteral("a.gif"), QStringLiteral("b.gif"), QStringLiteral("c.gif"), QString(),
                             QStringLiteral("e.gif")}));
    addPieces(QStringLiteral("rollover"), rollover(QStringLiteral("bouton.gif"), QStringLiteral("bouton2.gif"), 40, 40));
    addPieces(QStringLiteral("favoris"), favourites(QStringLiteral("http://www.exemple.fr"), QStringLiteral("Titre du site")));
    add(QStringLiteral("imprime-bouton"), printPage(true));
    add(QStringLiteral("imprime-lien"), printPage(false));
    addPieces(QStringLiteral("cookie"), visitorCookie());
    return texts;
}

QString referencePath(const QString &name)
{
    return PemoTest::sourcePath(QStringLiteral("tests/scripts/data/") + name + QStringLiteral(".expected"));
}

} // namespace

class ScriptTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matchesReference_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        for (const auto &[name, text] : referenceTexts())
            QTest::newRow(qPrintable(name)) << name << text;
    }

    // The reference files hold the scripts as pages carry them: Windows-1252
    // bytes, CR LF after each line.
    void matchesReference()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFile file(referencePath(name));
        if (qEnvironmentVariableIsSet("PEMO_REGENERATE")) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toLatin1());
            return;
        }
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArray expected = file.readAll();
        QCOMPARE(QString::fromLatin1(expected), text);
        QCOMPARE(text.toLatin1(), expected);
    }

    void jsQuoted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("quote");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain text unchanged") << "Été à Paris <b>!</b>" << QChar(u'\'') << "Été à Paris <b>!</b>";
        QTest::newRow("apostrophe in single quotes") << "C'est l'été" << QChar(u'\'') << "C\\'est l\\'été";
        QTest::newRow("apostrophe in double quotes") << "C'est l'été" << QChar(u'"') << "C'est l'été";
        QTest::newRow("double quote in double quotes") << "Le \"meilleur\" pain" << QChar(u'"')
                                                       << "Le \\\"meilleur\\\" pain";
        QTest::newRow("double quote in single quotes") << "Le \"meilleur\"" << QChar(u'\'') << "Le \"meilleur\"";
        QTest::newRow("backslash") << "C:\\images\\a.gif" << QChar(u'"') << "C:\\\\images\\\\a.gif";
        QTest::newRow("escaped quote typed") << "\\'" << QChar(u'\'') << "\\\\\\'";
        QTest::newRow("line breaks") << "un\r\ndeux\n" << QChar(u'"') << "un\\r\\ndeux\\n";
        QTest::newRow("closing script tag") << "a</SCRIPT>b</b>" << QChar(u'"') << "a<\\/SCRIPT>b</b>";
    }
    void jsQuoted()
    {
        QFETCH(QString, text);
        QFETCH(QChar, quote);
        QFETCH(QString, quoted);
        QCOMPARE(ScriptText::jsQuoted(text, quote), quoted);
    }

    // Each generator keeps a typed quote, apostrophe or backslash inside its
    // string, on the one line that holds the text.
    void typedTextStaysInsideItsString_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("line");
        const QString apostrophe = QStringLiteral("C'est l'été");
        const QString quotes = QStringLiteral("Le \"meilleur\" pain");
        const QString backslash = QStringLiteral("a\\b");
        const auto both = [](const Pieces &p) { return p.head + p.body; };

        QTest::newRow("message aléatoire, apostrophe")
            << both(randomMessage({apostrophe, quotes, backslash})) << "MessAlea[0]='C\\'est l\\'été';";
        QTest::newRow("message aléatoire, guillemets")
            << both(randomMessage({apostrophe, quotes, backslash})) << "MessAlea[1]='Le \"meilleur\" pain';";
        QTest::newRow("message aléatoire, barre oblique inverse")
            << both(randomMessage({apostrophe, quotes, backslash})) << "MessAlea[2]='a\\\\b';";
        QTest::newRow("message aléatoire, cinquième texte")
            << both(randomMessage({backslash, backslash, backslash, QString(), apostrophe}))
            << "MessAlea[4]='C\\'est l\\'été';";
        QTest::newRow("message défilant, guillemets")
            << both(scrollingMessage(quotes, false)) << "msg=\"Le \\\"meilleur\\\" pain - \";";
        QTest::newRow("message défilant, apostrophe")
            << both(scrollingMessage(apostrophe, true)) << "msg=\"C'est l'été - \";";
        QTest::newRow("message défilant, barre oblique inverse")
            << both(scrollingMessage(backslash, true)) << "msg=\"a\\\\b - \";";
        QTest::newRow("bouton défilant, guillemets")
            << both(scrollingMessage(quotes, true))
            << "<input type=button name=buttonmsg value=\"Le &quot;meilleur&quot; pain - \">";
        QTest::newRow("texte dégradé, guillemets")
            << both(gradientText(quotes, Qt::black, Qt::white)) << "degrade(0,0,0,255,255,255,\"Le \\\"meilleur\\\" pain\");";
        QTest::newRow("texte dégradé, barre oblique inverse")
            << both(gradientText(backslash, Qt::black, Qt::white)) << "degrade(0,0,0,255,255,255,\"a\\\\b\");";
        QTest::newRow("message animé, guillemets, majuscules")
            << both(animatedMessage(quotes)) << "txt2=\"LE \\\"MEILLEUR\\\" PAIN\";";
        QTest::newRow("message animé, guillemets, minuscules")
            << both(animatedMessage(quotes)) << "txt1=\"le \\\"meilleur\\\" pain\";";
        QTest::newRow("message animé, barre oblique inverse")
            << both(animatedMessage(backslash)) << "txt1=\"a\\\\b\";";
        QTest::newRow("favoris, titre")
            << both(favourites(QStringLiteral("http://x.fr/"), quotes)) << "titre_site=\"Le \\\"meilleur\\\" pain\";";
        QTest::newRow("favoris, adresse")
            << both(favourites(QStringLiteral("http://x.fr/a\\\"b"), apostrophe)) << "url_site=\"http://x.fr/a\\\\\\\"b\";";
        QTest::newRow("image aléatoire, espace et apostrophe")
            << both(randomPicture({QStringLiteral("mes images\\l'été.gif"), QStringLiteral("b.gif"), QStringLiteral("c.gif")}))
            << "img[1]=\"mes%20images\\\\l%27été.gif\";";
        QTest::newRow("rollover, script")
            << both(rollover(QStringLiteral("a\\\"1.gif"), QStringLiteral("a\\\"2.gif"), 40, 40))
            << "logo_a['over'].src=\"a\\\\\\\"2.gif\";";
        QTest::newRow("rollover, image")
            << both(rollover(QStringLiteral("a\"1.gif"), QStringLiteral("a2.gif"), 40, 40))
            << "<a href=\"#\" onMouseOver=\"rollover('logo');\" onMouseOut=\"rollout('logo');\">"
               "<img name=\"logo\" src=\"a&quot;1.gif\" alt=\"\" border=\"0\"></a>";
    }
    void typedTextStaysInsideItsString()
    {
        QFETCH(QString, script);
        QFETCH(QString, line);
        QVERIFY2(script.split(QStringLiteral("\r\n")).contains(line), qPrintable(script));
    }

    void requiredFieldsMissingGiveNothing()
    {
        QCOMPARE(forLoop(QString(), QStringLiteral("1"), QStringLiteral("10"), false), QString());
        QCOMPARE(whileLoop(QStringLiteral("i"), -1, QStringLiteral("10")), QString());
        QCOMPARE(whileLoop(QString(), 0, QStringLiteral("10")), QString());
        QCOMPARE(ifCondition(QStringLiteral("a"), -1, QStringLiteral("b"), true), QString());
        QCOMPARE(xmlIsland(QStringLiteral("  "), QStringLiteral("d.xml"), {}), QString());
    }

    void keywordsAreTheTwentyNineInShownOrder()
    {
        const QStringList &list = keywords();
        QCOMPARE(list.size(), 29);
        QCOMPARE(list.first(), QStringLiteral("--"));
        QCOMPARE(list.last(), QStringLiteral("toUpperCase"));
        // Shown sorted: letters without regard to case, signs first.
        for (int i = 5; i < list.size(); ++i)
            QVERIFY2(list.at(i - 1).compare(list.at(i), Qt::CaseInsensitive) < 0, qPrintable(list.at(i)));
    }

    void countDownDates_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("parsed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("day without leading zero") << QDate(2026, 3, 7) << "Mar 7,2026" << "7 mars 2026";
        QTest::newRow("accented month") << QDate(2027, 8, 15) << "Aug 15,2027" << "15 août 2027";
        QTest::newRow("first and last month") << QDate(2030, 1, 1) << "Jan 1,2030" << "1 janvier 2030";
        QTest::newRow("december") << QDate(2029, 12, 31) << "Dec 31,2029" << "31 décembre 2029";
    }

    void countDownDates()
    {
        QFETCH(QDate, date);
        QFETCH(QString, parsed);
        QFETCH(QString, shown);
        QCOMPARE(countDownParseDate(date), parsed);
        QCOMPARE(countDownShownDate(date), shown);
    }

    void gradientPreviewColours()
    {
        const QColor blue(0, 0, 255), red(255, 0, 0);
        QVERIFY(gradientColours(0, blue, red).isEmpty());
        QCOMPARE(gradientColours(1, blue, red), QList<QColor>{blue});
        // 255 / 7 = 36 per step, truncated toward zero in both directions.
        const QList<QColor> seven = gradientColours(7, blue, red);
        QCOMPARE(seven.size(), 7);
        QCOMPARE(seven.at(1), QColor(36, 0, 219));
        QCOMPARE(seven.at(6), QColor(216, 0, 39));
    }

    void previewSteps()
    {
        QCOMPARE(rotated(QStringLiteral("abc - ")), QStringLiteral("bc - a"));
        QCOMPARE(rotated(QString()), QString());
        QCOMPARE(animatedFrame(QStringLiteral("Noël À Paris"), 0), QStringLiteral("Noël à paris"));
        QCOMPARE(animatedFrame(QStringLiteral("Noël À Paris"), 1), QStringLiteral("nOël à paris"));
        QCOMPARE(animatedFrame(QStringLiteral("été"), 0), QStringLiteral("Été"));
        // A capital of two letters would shift every letter after it.
        QCOMPARE(letterUpper(QStringLiteral("straße œuvre")), QStringLiteral("STRAßE ŒUVRE"));
        QCOMPARE(letterLower(QStringLiteral("ÉCOLE")), QStringLiteral("école"));
    }

    void headEndLine_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("index");
        QTest::newRow("upper case") << QStringList{"<HTML>", "<HEAD>", "</HEAD>", "<BODY>"} << 2;
        QTest::newRow("lower case, first of two") << QStringList{"<head>", "x</head><body>", "</head>"} << 1;
        QTest::newRow("none") << QStringList{"<body>", "texte"} << -1;
    }

    void headEndLine()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, index);
        QCOMPARE(ScriptEffects::headEndLine(lines), index);
    }
};

PEMO_TEST(ScriptTextTest)
#include "tst_script_text.moc"
