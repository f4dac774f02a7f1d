// The desk utilities' arithmetic and texts, without windows.
#include "testmain.h"

#include "platform/Errors.h"
#include "tools/CalculatorEngine.h"
#include "tools/CalendarText.h"
#include "tools/EuroConversion.h"
#include "tools/NotesFile.h"
#include "tools/SystemClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

using namespace Tools;

namespace {
const QString nbsp = QString(QChar(0x00A0));

// Keys as typed: characters the calculator reads from the keyboard, plus
// capitals for its other keys.
void press(CalculatorEngine &calc, const QString &keys)
{
    for (QChar k : keys) {
        switch (k.unicode()) {
        case u'C': calc.clear(); break;
        case u'E': calc.clearEntry(); break;
        case u'B': calc.backspace(); break;
        case u'S': calc.changeSign(); break;
        case u'P': calc.memoryAdd(); break;
        case u'Q': calc.memorySubtract(); break;
        case u'R': calc.memoryRecall(); break;
        case u'Z': calc.memoryClear(); break;
        default: QVERIFY2(calc.key(k), qPrintable(QStringLiteral("key %1").arg(k)));
        }
    }
}
} // namespace

class CalculatorTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void display_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("addition") << "12+7=" << "19";
        QTest::newRow("operations chain left to right") << "2+3*4=" << "20";
        QTest::newRow("decimal comma, no binary noise") << "0,1+0,2=" << "0,3";
        QTest::newRow("point typed as comma") << "1.5*2=" << "3";
        QTest::newRow("leading comma") << ",5+1=" << "1,5";
        QTest::newRow("second comma ignored") << "1,,5" << "1,5";
        QTest::newRow("one third") << "1/3=" << "0,333333333333";
        QTest::newRow("division by zero") << "5/0=" << "Division par zéro impossible";
        QTest::newRow("division by zero in a chain") << "8/0+" << "Division par zéro impossible";
        QTest::newRow("operators ignored after error") << "5/0=+3" << "3";
        QTest::newRow("digit starts over after error") << "5/0=7+1=" << "8";
        QTest::newRow("clear after error") << "5/0=C" << "0";
        QTest::newRow("percent added to a sum") << "200+5%=" << "210";
        QTest::newRow("percent taken off") << "200-10%=" << "180";
        QTest::newRow("percent of a product") << "200*5%=" << "10";
        QTest::newRow("percent alone") << "50%" << "0,5";
        QTest::newRow("equals repeats last operation") << "2+3==" << "8";
        QTest::newRow("number without operand squared") << "4*=" << "16";
        QTest::newRow("new number after equals") << "2+3=7=" << "7";
        QTest::newRow("last operator wins") << "6+-2=" << "4";
        QTest::newRow("sign while typing") << "5S+2=" << "-3";
        QTest::newRow("sign of a result") << "2+3=S" << "-5";
        QTest::newRow("sign of the operand") << "9-4S=" << "13";
        QTest::newRow("backspace") << "123B" << "12";
        QTest::newRow("backspace down to zero") << "7BB" << "0";
        QTest::newRow("clear entry keeps the operation") << "9+5E3=" << "12";
        QTest::newRow("memory add and recall") << "5P3PCR" << "8";
        QTest::newRow("memory subtract") << "10P4QR" << "6";
        QTest::newRow("memory clear") << "5PZR" << "0";
        QTest::newRow("recalled memory as operand") << "7P2*R=" << "14";
        QTest::newRow("twelve digits at most") << "1234567890123" << "123456789012";
        QTest::newRow("large result in exponent form") << "999999999999*1000=" << "9,99999999999e+14";
        QTest::newRow("overflow") << QString(12, u'9') + u'*' + QString(30, u'=') << "Dépassement de capacité";
        QTest::newRow("no negative zero") << "2-2=" << "0";
    }
    void display()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        CalculatorEngine calc;
        press(calc, keys);
        QCOMPARE(calc.display(), shown);
    }

    void memoryIndicatorFollowsMemory()
    {
        CalculatorEngine calc;
        QVERIFY(!calc.hasMemory());
        press(calc, QStringLiteral("5P"));
        QVERIFY(calc.hasMemory());
        press(calc, QStringLiteral("C"));
        QVERIFY(calc.hasMemory());
        press(calc, QStringLiteral("Z"));
        QVERIFY(!calc.hasMemory());
    }

    void unknownKeysRefused()
    {
        CalculatorEngine calc;
        QVERIFY(!calc.key(u'a'));
        QVERIFY(!calc.key(u'é'));
        QCOMPARE(calc.display(), QStringLiteral("0"));
    }
};

class EuroTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void foundingCurrenciesFrancFirst()
    {
        QStringList codes, rates;
        for (const EuroCurrency &c : euroCurrencies()) {
            codes << c.code;
            rates << c.rateText;
            // The exact integer rate must agree with the written one.
            QCOMPARE(QString::number(c.rateMillionths / 1e6, 'g', 10), QString::number(c.rateText.toDouble(), 'g', 10));
        }
        QCOMPARE(codes.join(u' '), QStringLiteral("FRF DEM BEF LUF ESP ITL NLG ATS PTE FIM IEP GRD"));
        QCOMPARE(rates.join(u' '), QStringLiteral("6.55957 1.95583 40.3399 40.3399 166.386 1936.27 2.20371 "
                                                  "13.7603 200.482 5.94573 0.787564 340.750"));
        QCOMPARE(formatRate(euroCurrencies().first()), QStringLiteral("6,55957"));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<int>("decimals");
        QTest::newRow("comma and blanks") << "1 234,56" << true << qint64(123456) << 2;
        QTest::newRow("point") << "1234.56" << true << qint64(123456) << 2;
        QTest::newRow("no-break spaces") << QStringLiteral("12\u00A0345") << true << qint64(12345) << 0;
        QTest::newRow("negative, padded") << " -3 " << true << qint64(-3) << 0;
        QTest::newRow("leading comma") << ",5" << true << qint64(5) << 1;
        QTest::newRow("empty") << "" << false << qint64(0) << 0;
        QTest::newRow("sign alone") << "-" << false << qint64(0) << 0;
        QTest::newRow("two separators") << "1,2,3" << false << qint64(0) << 0;
        QTest::newRow("letters") << "12abc" << false << qint64(0) << 0;
        QTest::newRow("sixteen digits") << "1234567890123456" << false << qint64(0) << 0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto amount = parseAmount(text);
        QCOMPARE(amount.has_value(), valid);
        if (valid) {
            QFETCH(qint64, units);
            QFETCH(int, decimals);
            QCOMPARE(amount->units, units);
            QCOMPARE(amount->decimals, decimals);
        }
    }

    void convert_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("toEuros");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("100 francs") << "FRF" << true << "100" << "15,24";
        QTest::newRow("one euro's worth of francs") << "FRF" << true << "6,55957" << "1,00";
        QTest::newRow("a million francs") << "FRF" << true << "1000000" << QString(u"152" + nbsp + u"449,02");
        QTest::newRow("negative francs") << "FRF" << true << "-100" << "-15,24";
        QTest::newRow("one euro in francs") << "FRF" << false << "1" << "6,56";
        QTest::newRow("cents back to centimes") << "FRF" << false << "15,24" << "99,97";
        QTest::newRow("lire have no decimals") << "ITL" << false << "1000" << QString(u"1" + nbsp + u"936" + nbsp + u"270");
        QTest::newRow("lire to euros") << "ITL" << true << "1 936 270" << QString(u"1" + nbsp + u"000,00");
        QTest::newRow("fifteen digits of lire") << "ITL" << true << "999999999999999"
                                                << QString(u"516" + nbsp + u"456" + nbsp + u"899" + nbsp + u"089,49");
        QTest::newRow("half a drachma rounds up") << "GRD" << false << "2" << "682";
        QTest::newRow("half a drachma, negative") << "GRD" << false << "-2" << "-682";
        QTest::newRow("Irish pound above the euro") << "IEP" << true << "1" << "1,27";
        QTest::newRow("Belgian franc") << "BEF" << true << "40,3399" << "1,00";
        QTest::newRow("Luxembourg franc") << "LUF" << false << "1" << "40";
        QTest::newRow("escudo") << "PTE" << false << "1" << "200";
        QTest::newRow("mark, small sum") << "DEM" << true << "0,01" << "0,01";
        QTest::newRow("zero") << "NLG" << true << "0" << "0,00";
    }
    void convert()
    {
        QFETCH(QString, code);
        QFETCH(bool, toEuros);
        QFETCH(QString, amount);
        QFETCH(QString, expected);
        const EuroCurrency *currency = nullptr;
        for (const EuroCurrency &c : euroCurrencies())
            if (c.code == code)
                currency = &c;
        QVERIFY(currency);
        const auto value = parseAmount(amount);
        QVERIFY(value);
        const Amount result = toEuros ? toEuro(*value, *currency) : fromEuro(*value, *currency);
        QCOMPARE(formatAmount(result), expected);
    }
};

class CalendarTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void caption_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("caption");
        QTest::newRow("two blanks before the year") << QDate(2026, 12, 15) << "décembre  2026";
        QTest::newRow("accent in february") << QDate(2027, 2, 28) << "février  2027";
        QTest::newRow("august") << QDate(2001, 8, 1) << "août  2001";
        QTest::newRow("four-digit year") << QDate(999, 1, 31) << "janvier  0999";
    }
    void caption()
    {
        QFETCH(QDate, date);
        QFETCH(QString, caption);
        QCOMPARE(monthCaption(date), caption);
    }
};

class NotesFileTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingFileIsEmpty()
    {
        QTemporaryDir dir;
        QCOMPARE(loadNotes(dir.filePath(QStringLiteral("Pemohtml.nte"))), QString());
    }

    void roundTripAsUtf8WithCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Pemohtml.nte"));
        const QString text = QStringLiteral("Liste à faire :\n– cœur en €\n\u00A0\nfin");
        saveNotes(path, text);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QString(text).replace(u'\n', QStringLiteral("\r\n")).toUtf8());
        QCOMPARE(loadNotes(path), text);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("old Windows-1252 file") << QByteArray("caf\xE9 \x80 \x9C") << QStringLiteral("café € œ");
        QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9") << QStringLiteral("été");
        QTest::newRow("any line breaks") << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeNotes(bytes), text);
    }

    void failedSaveNamesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("absent/Pemohtml.nte"));
        try {
            saveNotes(path, QStringLiteral("texte"));
            QFAIL("the save should fail");
        } catch (const Platform::PemoError &e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
            QVERIFY(e.message().startsWith(QStringLiteral("Impossible d'enregistrer")));
        }
    }

    void unreadableFileIsAnErrorNotEmptyNotes()
    {
        // Loading must not pretend the notes are empty: the next save would erase them.
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, loadNotes(dir.path()));
    }
};

class SystemClockTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setClockSetter({}); }

    void setsTheLocalInstant()
    {
        qint64 asked = 0;
        setClockSetter([&asked](qint64 msecs) {
            asked = msecs;
            return 0;
        });
        const QDate date(2026, 12, 8);
        const QTime time(14, 5, 9);
        QCOMPARE(setSystemClock(date, time), QString());
        QCOMPARE(asked, QDateTime(date, time, Qt::LocalTime).toMSecsSinceEpoch());
    }

    void refusal_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("no privilege") << EPERM << "Vous n'avez pas le droit de changer l'heure du système.";
        QTest::newRow("refused value") << EINVAL << "L'horloge du système refuse cette date ou cette heure.";
        QTest::newRow("unsupported") << ENOSYS << "Ce système ne permet pas de changer l'heure depuis Pemo HTML.";
    }
    void refusal()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        setClockSetter([error](qint64) { return error; });
        QCOMPARE(setSystemClock(QDate(2026, 12, 8), QTime(10, 0)), text);
    }

    void invalidDateNeverReachesTheClock()
    {
        bool called = false;
        setClockSetter([&called](qint64) {
            called = true;
            return 0;
        });
        QVERIFY(!setSystemClock(QDate(), QTime(10, 0)).isEmpty());
        QVERIFY(!called);
    }
};

PEMO_TEST(CalculatorTest)
PEMO_TEST(EuroTest)
PEMO_TEST(CalendarTextTest)
PEMO_TEST(NotesFileTest)
PEMO_TEST(SystemClockTest)
#include "tst_tools_logic.moc"
