// Reply framing of the control connection: lines, codes, quoted names.
#include "testmain.h"

#include "ftp/FtpReply.h"

using FtpReply::LineReader;

class FtpReplyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<bool>("acceptLF");
        QTest::addColumn<QStringList>("lines");
        const QByteArray longLine(LineReader::MaxLine + 100, 'x');
        const QString cut(LineReader::MaxLine, u'x');
        QTest::newRow("CR LF split between pieces")
            << QList<QByteArray>{"220 a\r", "\n250 b\r\n"} << false << QStringList{"220 a", "250 b"};
        QTest::newRow("bare LF ends a line with ftpAcceptLF")
            << QList<QByteArray>{"220 a\n250 b\n"} << true << QStringList{"220 a", "250 b"};
        QTest::newRow("bare LF stays inside the line without it")
            << QList<QByteArray>{"220 a\n250 b\r\n"} << false << QStringList{"220 a\n250 b"};
        QTest::newRow("no line end, no line") << QList<QByteArray>{"220 waiting"} << true << QStringList{};
        QTest::newRow("overlong line cut, next line kept")
            << QList<QByteArray>{longLine, longLine, "\r\n250 ok\r\n"} << false << QStringList{cut, "250 ok"};
        QTest::newRow("overlong line ending on a CR between pieces")
            << QList<QByteArray>{longLine + "\r", "\n250 ok\r\n"} << false << QStringList{cut, "250 ok"};
        QTest::newRow("Latin-1 when not UTF-8")
            << QList<QByteArray>{"250 \xe9t\xe9\r\n"} << true << QStringList{QStringLiteral("250 \u00e9t\u00e9")};
        QTest::newRow("UTF-8 when valid")
            << QList<QByteArray>{"250 \xc3\xa9t\xc3\xa9\r\n"} << true << QStringList{QStringLiteral("250 \u00e9t\u00e9")};
    }

    void lines()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(bool, acceptLF);
        QFETCH(QStringList, lines);
        LineReader reader;
        reader.setAcceptLF(acceptLF);
        QStringList got;
        QString line;
        for (const QByteArray &piece : pieces) {
            reader.append(piece);
            while (reader.takeLine(line))
                got << line;
            QVERIFY(reader.buffered() <= LineReader::MaxLine + 2);
        }
        QCOMPARE(got, lines);
    }

    void codes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("final");
        QTest::newRow("final") << "230 Logged in" << 230 << true;
        QTest::newRow("intermediate") << "230-Welcome" << 230 << false;
        QTest::newRow("code alone") << "221" << 221 << true;
        QTest::newRow("blank first: text of a multi-line reply") << "  500 no" << 500 << false;
        QTest::newRow("no digits") << "Welcome" << 0 << false;
        QTest::newRow("more than three digits") << "2000000000000 x" << 999 << true;
    }

    void codes()
    {
        QFETCH(QString, line);
        QFETCH(int, code);
        QFETCH(bool, final);
        QCOMPARE(FtpReply::code(line), code);
        QCOMPARE(FtpReply::isFinal(line), final);
    }

    void passivePort_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("port");
        QTest::newRow("usual") << "227 Entering Passive Mode (127,0,0,1,195,80)" << 195 * 256 + 80;
        QTest::newRow("blanks") << "227 ( 10, 0, 0, 2, 4, 1 )." << 1025;
        QTest::newRow("five numbers") << "227 (127,0,0,1,4)" << -1;
        QTest::newRow("number beyond a byte") << "227 (127,0,0,1,400,1)" << -1;
        QTest::newRow("no parentheses") << "227 127,0,0,1,4,1" << -1;
    }

    void passivePort()
    {
        QFETCH(QString, reply);
        QFETCH(int, port);
        QCOMPARE(FtpReply::passivePort(reply), port);
    }

    void windows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Latin-1 range") << QByteArray("caf\xe9 na\xefve \xe0 No\xebl") << QStringLiteral("café naïve à Noël");
        QTest::newRow("the letters only Windows-1252 has")
            << QByteArray("\x80 \x9c\x92 \x8a\x9f \x85") << QStringLiteral("€ œ’ ŠŸ …");
        QTest::newRow("undefined bytes stay themselves") << QByteArray("a\x81\x8d\x8f\x90\x9d")
                                                         << QStringLiteral("a\u0081\u008d\u008f\u0090\u009d");
    }
    void windows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(!FtpReply::isUtf8(bytes));
        QCOMPARE(FtpReply::decodeWindows1252(bytes), text);
        QByteArray back;
        QVERIFY(FtpReply::encodeWindows1252(text, back));
        QCOMPARE(back, bytes);
    }

    void replyTextFallsBackToLatin1_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("257 \"/\xc3\xa9t\xc3\xa9\"") << QStringLiteral("257 \"/été\"");
        QTest::newRow("Latin-1") << QByteArray("257 \"/\xe9t\xe9\"") << QStringLiteral("257 \"/été\"");
        QTest::newRow("UTF-8 cut at the end") << QByteArray("550 caf\xc3") << QStringLiteral("550 caf\u00c3");
    }
    void replyTextFallsBackToLatin1()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(FtpReply::decode(bytes), text);
    }

    void windows1252HasNoFormForOtherLetters()
    {
        QByteArray out;
        QVERIFY(!FtpReply::encodeWindows1252(QStringLiteral("Ελλάδα"), out));
    }
};

PEMO_TEST(FtpReplyTest)
#include "tst_ftpreply.moc"
