// The file names of the professional site's menu buttons.
#include "testmain.h"

#include "wizards/WizardPages.h"

using namespace WizardPages;

class ButtonNamesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttonFileName_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << QStringLiteral("Accueil") << QStringLiteral("Accueil.gif");
        QTest::newRow("question mark at the end") << QStringLiteral("Qui sommes-nous ?")
                                                  << QStringLiteral("Qui sommes-nous.gif");
        QTest::newRow("folder separators") << QStringLiteral("a/b\\c") << QStringLiteral("a-b-c.gif");
        QTest::newRow("no way out of the folder") << QStringLiteral("../Tarifs") << QStringLiteral("Tarifs.gif");
        QTest::newRow("run of refused characters") << QStringLiteral("Prix : <50 €>")
                                                   << QStringLiteral("Prix - -50 €.gif");
        QTest::newRow("accents and apostrophe kept") << QStringLiteral("C'est l'été")
                                                     << QStringLiteral("C'est l'été.gif");
        QTest::newRow("control character") << QStringLiteral("a\tb") << QStringLiteral("a-b.gif");
        QTest::newRow("trailing dots and blanks") << QStringLiteral("Suite... ") << QStringLiteral("Suite.gif");
        QTest::newRow("nothing left") << QStringLiteral("???") << QStringLiteral("bouton.gif");
        QTest::newRow("device name") << QStringLiteral("Con") << QStringLiteral("Con_.gif");
        QTest::newRow("device name with more") << QStringLiteral("Console") << QStringLiteral("Console.gif");
    }
    void buttonFileName()
    {
        QFETCH(QString, label);
        QFETCH(QString, file);
        QCOMPARE(WizardPages::buttonFileName(label), file);
    }

    // Different labels never share a picture, even on a file system that
    // ignores case; equal labels do.
    void buttonFilesKeepApart()
    {
        std::array<MenuRow, 8> menus{};
        menus[0] = {QStringLiteral("Prix?"), QStringLiteral("a.htm")};
        menus[1] = {QStringLiteral("Prix*"), QStringLiteral("b.htm")};
        menus[2] = {QStringLiteral("Contact"), QString()}; // inactive
        menus[3] = {QStringLiteral("PRIX"), QStringLiteral("c.htm")};
        menus[4] = {QStringLiteral("Prix?"), QStringLiteral("d.htm")};
        const std::array<QString, 8> files = buttonFiles(menus);
        QCOMPARE(files[0], QStringLiteral("Prix.gif"));
        QCOMPARE(files[1], QStringLiteral("Prix-2.gif"));
        QCOMPARE(files[2], QString());
        QCOMPARE(files[3], QStringLiteral("PRIX-3.gif"));
        QCOMPARE(files[4], QStringLiteral("Prix.gif"));
    }

    void urlPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("url");
        QTest::newRow("plain") << QStringLiteral("index.htm") << QStringLiteral("index.htm");
        QTest::newRow("folder kept") << QStringLiteral("pages/prix.htm") << QStringLiteral("pages/prix.htm");
        QTest::newRow("blank") << QStringLiteral("nos prix.htm") << QStringLiteral("nos%20prix.htm");
        QTest::newRow("accent as UTF-8") << QStringLiteral("été.htm") << QStringLiteral("%C3%A9t%C3%A9.htm");
        QTest::newRow("hash, percent, question mark")
            << QStringLiteral("a#b%c?.htm") << QStringLiteral("a%23b%25c%3F.htm");
        QTest::newRow("quote cannot end the attribute") << QStringLiteral("a\"b.htm") << QStringLiteral("a%22b.htm");
    }
    void urlPath()
    {
        QFETCH(QString, name);
        QFETCH(QString, url);
        QCOMPARE(WizardPages::urlPath(name), url);
    }
};

PEMO_TEST(ButtonNamesTest)
#include "tst_button_names.moc"
