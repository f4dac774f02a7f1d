// The generated pages, compared byte for byte with the files kept in
// data/ (PEMO_REGENERATE=1 rewrites them; see scripts/regenerate-wizard-pages.sh).
#include "dialogs/HtmlEntity.h"
#include "testmain.h"

#include "wizards/WizardPages.h"

#include <QFile>
#include <functional>

using namespace WizardPages;

namespace {

const QString crlf = QStringLiteral("\r\n");

Colours customColours()
{
    Colours c;
    c.texte = QColor(0x12, 0x34, 0x56);
    c.fond = QColor(0xFF, 0xFF, 0xCC);
    c.lien = QColor(0xAB, 0x00, 0x0F);
    c.lienVisite = QColor(0x80, 0x00, 0x80);
    c.chosen = true;
    return c;
}

PersonalSite fullPersonalSite()
{
    PersonalSite s;
    s.document.titre = QStringLiteral("Ma page");
    s.document.description = QStringLiteral("Page de \"test\"");
    s.document.auteur = QStringLiteral("Jean Dupont");
    s.document.imageFond = QStringLiteral("../images/fond.gif");
    s.document.couleurs = customColours();
    s.titre = QStringLiteral("Bienvenue");
    s.titreNiveau = QStringLiteral("H3");
    s.sousTitre = QStringLiteral("chez moi");
    s.sousTitreNiveau = QStringLiteral("H5");
    Paragraph &p1 = s.paragraphes[0];
    p1.texte = QStringLiteral("Premi&egrave;re ligne\nDeuxi&egrave;me ligne\n");
    p1.image = QStringLiteral("photo.jpg");
    p1.emplacement = QStringLiteral("Left");
    p1.hauteur = 120;
    p1.largeur = 80;
    p1.cadre = 2;
    p1.lienTexte = QStringLiteral("Mon site");
    p1.adresse = QStringLiteral("http://www.exemple.fr/");
    Paragraph &p2 = s.paragraphes[1];
    p2.texte = QStringLiteral("Paragraphe deux");
    p2.image = QStringLiteral("deux.gif");
    p2.emplacement = QStringLiteral("Right");
    p2.lienTexte = QStringLiteral("Lien deux");
    p2.adresse = QStringLiteral("deux.htm");
    Paragraph &p3 = s.paragraphes[2];
    p3.texte = QStringLiteral("Trois");
    s.pied.texte = QStringLiteral("Pied\nde page");
    s.pied.lienMail = QStringLiteral("Ecrivez-moi");
    s.pied.adresseMail = QStringLiteral("moi@exemple.fr");
    return s;
}

Cv fullCv()
{
    Cv cv;
    cv.document.titre = QStringLiteral("CV");
    cv.document.couleurs = customColours();
    cv.nom = QStringLiteral("Marie Curie");
    cv.adresse1 = QStringLiteral("1 rue Pierre");
    cv.adresse2 = QStringLiteral("B\u00E2timent A");
    cv.cpVille = QStringLiteral("75005 Paris");
    cv.telephone1 = QStringLiteral("01 23 45 67 89");
    cv.telephone2 = QStringLiteral("7");
    cv.photo = QStringLiteral("/home/marie/photo.jpg");
    cv.accroche = QStringLiteral("CHIMISTE");
    cv.experience = QStringLiteral("1903 : prix\n1911 : prix encore");
    cv.etudes = QStringLiteral("Sorbonne");
    cv.divers = QString();
    cv.pied.texte = QStringLiteral("Merci\nde votre lecture");
    cv.pied.lienMail = QStringLiteral("Contact");
    cv.pied.adresseMail = QStringLiteral("marie@exemple.fr");
    return cv;
}

ProSite proWithHalfRows()
{
    ProSite s;
    s.menus = ProSite::defaultMenus();
    s.menus[4] = {QStringLiteral("Contact"), QString()};   // label without page
    s.menus[5] = {QString(), QStringLiteral("prix.htm")};  // page without label
    s.menus[6] = {QStringLiteral("Liens"), QStringLiteral("liens.htm")};
    s.document.couleurs = customColours();
    s.accueilTexte = QStringLiteral("Nos produits\net nos services");
    s.pied.texte = QStringLiteral("Soci\u00E9t\u00E9 Exemple");
    s.pied.lienMail = QStringLiteral("Nous \u00E9crire");
    s.pied.adresseMail = QStringLiteral("contact@exemple.fr");
    return s;
}

using Builder = std::function<QStringList()>;

const QList<QPair<QString, Builder>> &goldenCases()
{
    static const QList<QPair<QString, Builder>> cases = {
        {QStringLiteral("assistant_default"), [] { return personalSite(PersonalSite()); }},
        {QStringLiteral("assistant_full"), [] { return personalSite(fullPersonalSite()); }},
        {QStringLiteral("cv_default"), [] { return curriculumVitae(Cv()); }},
        {QStringLiteral("cv_full"), [] { return curriculumVitae(fullCv()); }},
        {QStringLiteral("pro_default_home"),
         [] {
             ProSite s;
             s.menus = ProSite::defaultMenus();
             return proHome(s, 372);
         }},
        {QStringLiteral("pro_default_catalogue"),
         [] { return proSecondary(ProSite::defaultMenus(), 372, QStringLiteral("Catalogue")); }},
        {QStringLiteral("pro_half_rows_home"), [] { return proHome(proWithHalfRows(), 455); }},
        {QStringLiteral("pro_half_rows_liens"),
         [] {
             const ProSite s = proWithHalfRows();
             return proSecondary(s.menus, 455, QStringLiteral("Liens"), s.document.couleurs);
         }},
    };
    return cases;
}

QString goldenPath(const QString &name)
{
    return PemoTest::sourcePath(QStringLiteral("tests/wizards/data/%1.expected").arg(name));
}

} // namespace

class PagesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goldenPages_data()
    {
        QTest::addColumn<QString>("name");
        for (const auto &c : goldenCases())
            QTest::newRow(qPrintable(c.first)) << c.first;
    }
    void goldenPages()
    {
        QFETCH(QString, name);
        Builder build;
        for (const auto &c : goldenCases())
            if (c.first == name)
                build = c.second;
        const QByteArray actual = pageText(build()).toUtf8();
        if (qEnvironmentVariableIsSet("PEMO_REGENERATE")) {
            QFile out(goldenPath(name));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(actual);
            return;
        }
        QFile expected(goldenPath(name));
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(expected.fileName()));
        QCOMPARE(actual, expected.readAll());
    }

    void bodyLine_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no swatch clicked") << false << QString() << QStringLiteral("<body>");
        QTest::newRow("no swatch, background") << false << QStringLiteral("fond.gif")
                                               << QStringLiteral("<body background=\"fond.gif\">");
        QTest::newRow("swatch clicked, default colours")
            << true << QString()
            << QStringLiteral("<font color=\"#000000\">\r\n<body bgcolor=\"#FFFFFF\" link=\"#0000FF\" vlink=\"#00FF00\" >");
        QTest::newRow("swatch clicked, background")
            << true << QStringLiteral("a b.jpg")
            << QStringLiteral("<font color=\"#000000\">\r\n<body bgcolor=\"#FFFFFF\" link=\"#0000FF\" "
                              "vlink=\"#00FF00\" background=\"a b.jpg\">");
    }
    void bodyLine()
    {
        QFETCH(bool, chosen);
        QFETCH(QString, image);
        QFETCH(QString, expected);
        Colours c;
        c.chosen = chosen;
        QCOMPARE(WizardPages::bodyLine(c, image), expected);
    }

    // Paragraphs 2 and 3 without text keep only their picture and the "<p>"
    // that follows; a link text left empty writes no link at all.
    void emptyParagraphsAndLinks()
    {
        PersonalSite s;
        s.paragraphes[0].adresse = QStringLiteral("orphelin.htm");
        s.paragraphes[1].image = QStringLiteral("seule.gif");
        s.paragraphes[1].lienTexte = QStringLiteral("sans texte");
        s.paragraphes[2].texte = QStringLiteral("\n"); // one empty line still counts
        const QStringList page = personalSite(s);
        QVERIFY(!page.join(u'|').contains(QLatin1String("orphelin")));
        QVERIFY(!page.join(u'|').contains(QLatin1String("sans texte")));
        const qsizetype image = page.indexOf(
            QStringLiteral("<img src=\"seule.gif\" align= width=100 height=100 border=0>"));
        QVERIFY(image > 0);
        QCOMPARE(page.at(image + 1), QStringLiteral("<p>"));
        // Paragraph 3's single empty line: the empty text entry and its closing tags.
        QCOMPARE(page.mid(image + 2, 6), (QStringList{QString(), QStringLiteral("</p>"), QStringLiteral("<br>"),
                                                       QStringLiteral("</p>"), QStringLiteral("<hr>"),
                                                       QStringLiteral("<p>")}));
    }

    void phoneEntries_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("entry");
        QTest::newRow("empty") << QString() << QStringLiteral("<br>");
        QTest::newRow("one character") << QStringLiteral("5") << QStringLiteral("<br>");
        QTest::newRow("two characters") << QStringLiteral("12") << QStringLiteral("Tél. 12<br>");
    }
    void phoneEntries()
    {
        QFETCH(QString, number);
        QFETCH(QString, entry);
        Cv cv;
        cv.telephone1 = number;
        const QStringList page = curriculumVitae(cv);
        // Name, blank line, two address lines, city, blank line, then the phones.
        QCOMPARE(page.at(page.indexOf(QStringLiteral("<P>")) + 7), entry);
    }

    void memoLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("one line") << QStringLiteral("a") << QStringList{QStringLiteral("a")};
        QTest::newRow("final break adds no line") << QStringLiteral("a\nb\n")
                                                  << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("empty line inside") << QStringLiteral("a\n\nb")
                                           << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
        QTest::newRow("lone break") << QStringLiteral("\n") << QStringList{QString()};
    }
    void memoLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(WizardPages::memoLines(text), lines);
    }

    // A label or a page name holding blanks, accents or characters that file
    // systems refuse still gives working links: the picture is named without
    // the refused characters and both names are percent-encoded.
    void menuBarLinksHoldForAnyLabel()
    {
        std::array<MenuRow, 8> menus{};
        menus[0] = {QStringLiteral("Accueil"), QStringLiteral("index.htm")};
        menus[1] = {QStringLiteral("Qui sommes-nous ?"), QStringLiteral("qui sommes-nous.htm")};
        menus[2] = {QStringLiteral("Prix/Tarifs"), QStringLiteral("tarifs.htm")};
        menus[3] = {QStringLiteral("Soci\u00E9t\u00E9 & Cie"), QStringLiteral("soci\u00E9t\u00E9.htm")};
        menus[4] = {QStringLiteral("Qui sommes-nous ?"), QStringLiteral("encore.htm")};
        const QStringList bar = menuBar(menus, 300);
        QCOMPARE(bar.mid(3, 5),
                 (QStringList{
                     QStringLiteral("<td><a href=\"index.htm\"><img src=\"Accueil.gif\"></a>"),
                     QStringLiteral("<td><a href=\"qui%20sommes-nous.htm\"><img src=\"Qui%20sommes-nous.gif\"></a>"),
                     QStringLiteral("<td><a href=\"tarifs.htm\"><img src=\"Prix-Tarifs.gif\"></a>"),
                     QStringLiteral("<td><a href=\"soci%C3%A9t%C3%A9.htm\">"
                                    "<img src=\"Soci%C3%A9t%C3%A9%20%26%20Cie.gif\"></a>"),
                     QStringLiteral("<td><a href=\"encore.htm\"><img src=\"Qui%20sommes-nous.gif\"></a>"),
                 }));
    }

    void documentLinesSplitEntries()
    {
        const QStringList entries{QStringLiteral("<font color=\"#000000\">\r\n<body>"), QStringLiteral("a\r\n\r\nb")};
        QCOMPARE(documentLines(entries), (QStringList{QStringLiteral("<font color=\"#000000\">"),
                                                      QStringLiteral("<body>"), QStringLiteral("a"), QString(),
                                                      QStringLiteral("b")}));
    }

    void accentEntities()
    {
        const QString letters = QStringLiteral("àâäèéêëîïôöùû");
        const QStringList entities{"&agrave;", "&acirc;", "&auml;", "&egrave;", "&eacute;", "&ecirc;", "&euml;",
                                   "&icirc;", "&iuml;", "&ocirc;", "&ouml;", "&ugrave;", "&ucirc;"};
        for (qsizetype i = 0; i < letters.size(); ++i)
            QCOMPARE(HtmlEntity::accent(letters.at(i)).toString(), entities.at(i));
        for (QChar c : QStringLiteral("çüÉa"))
            QVERIFY2(HtmlEntity::accent(c).isEmpty(), qPrintable(QString(c)));
    }
};

PEMO_TEST(PagesTest)
#include "tst_pages.moc"
