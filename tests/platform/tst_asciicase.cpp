#include "platform/AsciiCase.h"
#include "testmain.h"

class AsciiCaseTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void change_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::newRow("tag name") << "<Table Border=1>" << "<TABLE BORDER=1>" << "<table border=1>";
        QTest::newRow("accented letters stay") << "éÉàÀçÇ" << "éÉàÀçÇ" << "éÉàÀçÇ";
        // Letters whose full case change has another length must stay, or a
        // place found in the changed text would not be the same place.
        QTest::newRow("sharp s and dotted I stay") << "ßİ<title>" << "ßİ<TITLE>" << "ßİ<title>";
        QTest::newRow("next to the letters") << "@[`{" << "@[`{" << "@[`{";
        QTest::newRow("outside the basic plane") << "😀a" << "😀A" << "😀a";
        QTest::newRow("empty") << "" << "" << "";
    }
    void change()
    {
        QFETCH(QString, text);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QCOMPARE(Ascii::upper(text), upper);
        QCOMPARE(Ascii::lower(text), lower);
    }
};

PEMO_TEST(AsciiCaseTest)
#include "tst_asciicase.moc"
