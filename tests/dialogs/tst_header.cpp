// Reading and rewriting the page header for "Options du document".
#include "common/testmain.h"

#include "dialogs/DocumentHeader.h"
#include "dialogs/HtmlColour.h"

using DocumentHeader::Fields;

namespace {

// The page a new document window starts with.
const QStringList pageTemplate = {
    "<html>",
    "<head>",
    "<title></title>",
    "<meta name=\"Author\" content=\"\">",
    "<meta name=\"Description\" content=\"\">",
    "<meta name=\"Keywords\" content=\"\">",
    "</head>",
    "<body bgcolor=\"#F0F0F0\" link=\"#FF0000\" vlink=\"#00FF00\" ",
    "background=\"\">",
    "<font color=\"#FFFFFF\"></font>",
    "",
    "",
    "</body>",
    "</html>",
};

QString hex(const DocumentHeader::Colour &c) { return c.found ? HtmlColour::text(c.color) : QString(); }

void choose(DocumentHeader::Colour &c, const char *colour)
{
    c.chosen = true;
    c.color = QColor(QString::fromLatin1(colour));
}

} // namespace

class HeaderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsTheTemplate()
    {
        const Fields f = DocumentHeader::read(pageTemplate);
        QCOMPARE(f.titre, QString());
        QCOMPARE(f.imageFond, QString());
        QCOMPARE(hex(f.fond), QStringLiteral("#F0F0F0"));
        QCOMPARE(hex(f.lien), QStringLiteral("#FF0000"));
        QCOMPARE(hex(f.lienVisite), QStringLiteral("#00FF00"));
        QCOMPARE(hex(f.texte), QStringLiteral("#FFFFFF"));
    }

    void unchangedFieldsLeaveTheTemplateAlone()
    {
        QCOMPARE(DocumentHeader::write(pageTemplate, DocumentHeader::read(pageTemplate)), pageTemplate);
    }

    void colourPickedUnchangedIsWrittenAsBefore()
    {
        Fields f = DocumentHeader::read(pageTemplate);
        choose(f.lien, "#FF0000");
        choose(f.fond, "#F0F0F0");
        choose(f.texte, "#FFFFFF");
        QCOMPARE(DocumentHeader::write(pageTemplate, f), pageTemplate);
    }

    void writesEveryFieldIntoTheTemplate()
    {
        Fields f = DocumentHeader::read(pageTemplate);
        f.titre = "Ma page";
        f.auteur = "Jean";
        f.description = "Une \"belle\" page";
        f.motsCles = "html, page";
        f.imageFond = "images/fond.gif";
        choose(f.fond, "#102030");
        choose(f.lien, "#0000FF");
        choose(f.lienVisite, "#800080");
        choose(f.texte, "#000000");
        QStringList expected = pageTemplate;
        expected[2] = "<title>Ma page</title>";
        expected[3] = "<meta name=\"Author\" content=\"Jean\">";
        expected[4] = "<meta name=\"Description\" content=\"Une &quot;belle&quot; page\">";
        expected[5] = "<meta name=\"Keywords\" content=\"html, page\">";
        expected[7] = "<body bgcolor=\"#102030\" link=\"#0000FF\" vlink=\"#800080\" ";
        // The background stays in the body tag that goes on to the next line.
        expected[8] = "background=\"images/fond.gif\">";
        expected[9] = "<font color=\"#000000\"></font>";
        const QStringList written = DocumentHeader::write(pageTemplate, f);
        QCOMPARE(written, expected);
        const Fields back = DocumentHeader::read(written);
        QCOMPARE(back.imageFond, f.imageFond);
        QCOMPARE(back.description, QStringLiteral("Une &quot;belle&quot; page"));
        QCOMPARE(hex(back.fond), QStringLiteral("#102030"));
    }

    void pageWithoutTitleGetsNone()
    {
        QStringList page = pageTemplate;
        page.removeAt(2);
        Fields f = DocumentHeader::read(page);
        f.titre = "Titre";
        QCOMPARE(DocumentHeader::write(page, f), page);
    }

    void sharpSBeforeTheTitleIsReadInPlace()
    {
        QCOMPARE(DocumentHeader::read({"<p>Straße</p><title>Vieux</title>"}).titre, QStringLiteral("Vieux"));
    }

    void laterLineOverridesEarlierOne()
    {
        const QStringList page = {"<title>Un</title>", "<title>Deux</title>"};
        QCOMPARE(DocumentHeader::read(page).titre, QStringLiteral("Deux"));
        Fields f = DocumentHeader::read(page);
        f.titre = "Trois";
        QCOMPARE(DocumentHeader::write(page, f), QStringList({"<title>Trois</title>", "<title>Trois</title>"}));
    }

    void otherContentOfHeaderLinesIsKept_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-line head")
            << "<html><head><title>Vieux</title></head>" << "<html><head><title>Neuf</title></head>";
        QTest::newRow("body with other attributes")
            << "<body text=\"#000000\" bgcolor=\"white\" onload=\"init()\">"
            << "<body text=\"#000000\" bgcolor=\"#FFFF00\" onload=\"init()\">";
        QTest::newRow("meta with more after it")
            << "<meta name=\"author\" content=\"A\"><meta name=\"robots\" content=\"all\">"
            << "<meta name=\"author\" content=\"Jean\"><meta name=\"robots\" content=\"all\">";
        QTest::newRow("font tag around body text is not the text colour")
            << "<p><font color=\"#FF0000\">Attention</font></p>" << "<p><font color=\"#FF0000\">Attention</font></p>";
        QTest::newRow("font line with text is not the text colour")
            << "<font color=\"#FF0000\">Attention</font>" << "<font color=\"#FF0000\">Attention</font>";
        QTest::newRow("tag named like body") << "<bodyguard bgcolor=\"#000000\">" << "<bodyguard bgcolor=\"#000000\">";
        // Upper-cased in full, "ß" becomes two letters and every place after
        // it would move by one.
        QTest::newRow("sharp s before the title")
            << "<p>Straße</p><title>Vieux</title>" << "<p>Straße</p><title>Neuf</title>";
        QTest::newRow("sharp s before a meta")
            << "<!-- ßß --><meta name=\"author\" content=\"A\">" << "<!-- ßß --><meta name=\"author\" content=\"Jean\">";
    }
    void otherContentOfHeaderLinesIsKept()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        Fields f = DocumentHeader::read({line});
        f.titre = "Neuf";
        f.auteur = "Jean";
        choose(f.fond, "#FFFF00");
        choose(f.texte, "#00FFFF");
        QCOMPARE(DocumentHeader::write({line}, f), QStringList({expected}));
    }

    void bodyTextColourLineIsNotRead()
    {
        const QStringList page = {"<body>", "<font color=\"#FFFFFF\"></font>",
                                  "<p><font color=\"#FF0000\">Attention</font></p>"};
        QCOMPARE(hex(DocumentHeader::read(page).texte), QStringLiteral("#FFFFFF"));
    }

    void unreadableColoursFallBack_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("fond");
        QTest::addColumn<QString>("lien");
        QTest::addColumn<QString>("lienVisite");
        QTest::newRow("not hexadecimal")
            << "<body bgcolor=\"#XYZXYZ\" link=\"#QQ\" vlink=\"bof\">" << "" << "#808080" << "#0000FF" << "#00FF00";
        QTest::newRow("text colour") << "<font color=\"#ZZZZZZ\"></font>" << "#FFFFFF" << "" << "" << "";
        QTest::newRow("missing attributes stay unset") << "<body>" << "" << "" << "" << "";
        QTest::newRow("vlink before link")
            << "<body vlink=\"#00FF00\" link=\"#FF0000\">" << "" << "" << "#FF0000" << "#00FF00";
        QTest::newRow("without quotes") << "<body bgcolor=#102030>" << "" << "#102030" << "" << "";
    }
    void unreadableColoursFallBack()
    {
        QFETCH(QString, line);
        const Fields f = DocumentHeader::read({line});
        QTEST(hex(f.texte), "texte");
        QTEST(hex(f.fond), "fond");
        QTEST(hex(f.lien), "lien");
        QTEST(hex(f.lienVisite), "lienVisite");
    }

    void unchosenUnreadableColourIsLeftAsItStands()
    {
        const QStringList page = {"<body bgcolor=\"ivoire\" link=\"#FF0000\">"};
        Fields f = DocumentHeader::read(page);
        choose(f.lien, "#00FF00");
        QCOMPARE(DocumentHeader::write(page, f), QStringList({"<body bgcolor=\"ivoire\" link=\"#00FF00\">"}));
    }

    void missingAttributesAreAddedOnlyWhenChosen()
    {
        const QStringList page = {"<body>"};
        Fields f = DocumentHeader::read(page);
        QCOMPARE(DocumentHeader::write(page, f), page);
        choose(f.lienVisite, "#800080");
        choose(f.fond, "#FFFFFF");
        f.imageFond = "a b.gif";
        QCOMPARE(DocumentHeader::write(page, f),
                 QStringList({"<body bgcolor=\"#FFFFFF\" vlink=\"#800080\" background=\"a b.gif\">"}));
    }

    void metaWithoutContentGetsOne()
    {
        const QStringList page = {"<meta name=\"keywords\">"};
        Fields f = DocumentHeader::read(page);
        QCOMPARE(f.motsCles, QString());
        f.motsCles = "a, b";
        QCOMPARE(DocumentHeader::write(page, f), QStringList({"<meta name=\"keywords\" content=\"a, b\">"}));
    }

    void oddLayoutsAreReadAsTheyStand_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("auteur");
        QTest::newRow("indented title") << "  <TITLE>Accueil</TITLE>" << "Accueil" << "";
        QTest::newRow("title without its end") << "<title>Accueil" << "Accueil" << "";
        QTest::newRow("meta in capitals") << "<META NAME=\"AUTHOR\" CONTENT=\"Marie\">" << "" << "Marie";
        QTest::newRow("single quotes") << "<meta name=\"author\" content='Marie'>" << "" << "Marie";
    }
    void oddLayoutsAreReadAsTheyStand()
    {
        QFETCH(QString, line);
        const Fields f = DocumentHeader::read({line});
        QTEST(f.titre, "titre");
        QTEST(f.auteur, "auteur");
    }
};

PEMO_TEST(HeaderTest)
#include "tst_header.moc"
