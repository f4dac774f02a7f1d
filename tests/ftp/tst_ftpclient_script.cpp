// The FTP engine against a scripted server: the exact command lines it sends
// and how it takes unusual replies.
#include "testmain.h"

#include "ScriptedFtpServer.h"
#include "ftp/FtpClient.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QHostAddress>
#include <QTcpServer>

namespace {

// Records what the engine reports.
struct Probe
{
    struct Done
    {
        TFtpRequest kind;
        quint16 error;
    };
    QList<Done> done;
    QStringList display;
    int sessionClosed = 0;
    bool inStartingCall = false;
    bool doneInsideCall = false;

    void attach(TCustomFtpClient &c)
    {
        c.OnRequestDone = [this](QObject *, TFtpRequest kind, quint16 error) {
            if (inStartingCall)
                doneInsideCall = true;
            done.append({kind, error});
        };
        c.OnDisplay = [this](QObject *, const QString &msg) { display << msg; };
        c.OnSessionClosed = [this](QObject *) { ++sessionClosed; };
    }
};

void setUp(TCustomFtpClient &c, const ScriptedFtpServer &server)
{
    c.setHostName(QStringLiteral("127.0.0.1"));
    c.setPort(QString::number(server.port()));
    c.setUserName(QStringLiteral("anna"));
    c.setPassWord(QStringLiteral("secret"));
}

// Logs in and forgets what the login produced.
bool logIn(TCustomFtpClient &c, ScriptedFtpServer &server, Probe &probe)
{
    setUp(c, server);
    c.OpenSession();
    if (!QTest::qWaitFor([&] { return !probe.done.isEmpty(); }, 5000))
        return false;
    const bool ok = probe.done.first().error == 0;
    probe.done.clear();
    server.transcript.clear();
    return ok;
}

const QStringList loginLines = {QStringLiteral("USER anna"), QStringLiteral("PASS secret")};

// A small French page in dir to upload; its path.
QString localPage(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("<p>été</p>");
    return path;
}

} // namespace

class FtpClientScriptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userAnsweredWith230SendsNoPass()
    {
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("USER"), "230 Welcome, no password needed\r\n");
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.OpenSession();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().kind, ftpOpenSession);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript, QStringList{QStringLiteral("USER anna")});
        QVERIFY(c.IsConnected());
        QCOMPARE(c.State(), ftpStReady);
    }

    void proxyLoginNamesTheServer()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.setHostName(QStringLiteral("ftp.example.org"));
        c.setProxyServer(QStringLiteral("127.0.0.1"));
        c.setConnectionType(ftpProxy);
        QVERIFY(c.PassiveMode());
        c.OpenSession();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript.first(),
                 QStringLiteral("USER anna@ftp.example.org:%1").arg(server.port()));
    }

    void multiLineReplyJudgedOnItsLastLine()
    {
        ScriptedFtpServer server;
        server.greeting = "220-Hello\r\n220-second line\r\n220 Ready\r\n";
        server.replies.insert(QStringLiteral("PASS"),
                              "230-Welcome\r\n230-500 is not a code here\r\n230 Logged in\r\n");
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.OpenSession();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript, loginLines);
        QCOMPARE(c.StatusCode(), 230);
        QCOMPARE(c.LastResponse(), QStringLiteral("230 Logged in"));
        // The greeting's lines are all shown; the intermediate 230 lines are only read.
        QVERIFY(probe.display.contains(QStringLiteral("< 220-second line")));
        QCOMPARE(probe.display.count(QStringLiteral("< 230 Logged in")), 1);
    }

    void failedCwdStillQuitsAndReportsTheCwdReply()
    {
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("CWD"), "550 nowhere: No such directory\r\n");
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.setHostDirName(QStringLiteral("nowhere"));
        QTemporaryDir dir;
        c.setLocalFileName(dir.filePath(QStringLiteral("listing")));
        c.Directory();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(server.transcript, (loginLines + QStringList{QStringLiteral("CWD nowhere"),
                                                              QStringLiteral("QUIT")}));
        QCOMPARE(probe.done.first().kind, ftpDirectory);
        QCOMPARE(probe.done.first().error, quint16(550));
        QCOMPARE(c.StatusCode(), 550);
        QCOMPARE(c.LastResponse(), QStringLiteral("550 nowhere: No such directory"));
        QCOMPARE(c.ErrorMessage(), QStringLiteral("550 nowhere: No such directory"));
        QTRY_VERIFY(!c.IsConnected());
    }

    void emptyHostDirSkipsCwd()
    {
        ScriptedFtpServer server;
        server.downloadData = "a.htm\r\nb.htm\r\n";
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.SetPassiveMode(true);
        QTemporaryDir dir;
        c.setLocalFileName(dir.filePath(QStringLiteral("names")));
        c.List();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript, (loginLines + QStringList{QStringLiteral("PASV"),
                                                              QStringLiteral("NLST"),
                                                              QStringLiteral("QUIT")}));
        // QUIT's 221 does not hide the reply of the listing.
        QCOMPARE(c.LastResponse(), QStringLiteral("226 Transfer complete"));
        QFile f(dir.filePath(QStringLiteral("names")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), server.downloadData);
    }

    void requestDoneNeverFiresInsideTheStartingCall()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        // A request that fails before anything is sent.
        c.OnReadyToTransmit = [](QObject *, bool &cancel) { cancel = true; };
        c.setLocalFileName(QStringLiteral("/nonexistent"));
        c.setHostFileName(QStringLiteral("x"));
        probe.inStartingCall = true;
        c.StoreFile();
        probe.inStartingCall = false;
        QVERIFY(probe.done.isEmpty());
        QTRY_COMPARE(probe.done.size(), 1);
        QVERIFY(!probe.doneInsideCall);
        QCOMPARE(probe.done.first().error, quint16(426));
        QCOMPARE(c.ErrorMessage(), QStringLiteral("426 Transmit cancelled by application"));
        QVERIFY(probe.display.contains(QStringLiteral("! 426 Transmit cancelled by application")));
    }

    void downloadEndsOnlyWithReplyAndClose_data()
    {
        QTest::addColumn<bool>("finalFirst");
        QTest::addColumn<bool>("passive");
        QTest::newRow("226 before close, passive") << true << true;
        QTest::newRow("226 after close, passive") << false << true;
        QTest::newRow("226 before close, active") << true << false;
        QTest::newRow("226 after close, active") << false << false;
    }

    void downloadEndsOnlyWithReplyAndClose()
    {
        QFETCH(bool, finalFirst);
        QFETCH(bool, passive);
        ScriptedFtpServer server;
        server.finalReply = finalFirst ? ScriptedFtpServer::FinalReply::BeforeDataClose
                                       : ScriptedFtpServer::FinalReply::AfterDataClose;
        server.finalReplyDelayMs = 300;
        server.downloadData = QByteArray(100000, 'z');
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        bool bothSeen = false;
        c.OnRequestDone = [&](QObject *, TFtpRequest kind, quint16 error) {
            bothSeen = server.finalReplySent && server.dataClosedByServer;
            probe.done.append({kind, error});
        };
        QTemporaryDir dir;
        c.setLocalFileName(dir.filePath(QStringLiteral("f.bin")));
        c.setHostFileName(QStringLiteral("f.bin"));
        c.SetPassiveMode(passive);
        c.Get();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QVERIFY(bothSeen);
        QCOMPARE(server.transcript.last(), QStringLiteral("RETR f.bin"));
        QCOMPARE(server.transcript.first().left(4), passive ? QStringLiteral("PASV") : QStringLiteral("PORT"));
        QFile f(dir.filePath(QStringLiteral("f.bin")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), qint64(100000));
        QVERIFY(probe.display.last().startsWith(QStringLiteral("! 100000 bytes received/sent in 0 seconds")));
    }

    void activeConnectionBeforeTheTransferCommand()
    {
        ScriptedFtpServer server;
        server.connectOnPort = true;
        server.downloadData = QByteArray(5000, 'r');
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.bin"));
        QFile part(path);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write(QByteArray(1000, 'r'));
        part.close();
        c.setLocalFileName(path);
        c.setHostFileName(QStringLiteral("r.bin"));
        c.SetPassiveMode(false);
        c.RestartGet();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().kind, ftpRestartGet);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript.mid(1), (QStringList{QStringLiteral("REST 1000"), QStringLiteral("RETR r.bin")}));
        QCOMPARE(QFileInfo(path).size(), qint64(6000));
    }

    void bareLineFeedReplies_data()
    {
        QTest::addColumn<bool>("acceptLF");
        QTest::newRow("ftpAcceptLF") << true;
        QTest::newRow("CR LF only") << false;
    }

    void bareLineFeedReplies()
    {
        QFETCH(bool, acceptLF);
        ScriptedFtpServer server;
        server.greeting = "220 Bare line feed\n";
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.setOptions(acceptLF ? TFtpOptions(ftpAcceptLF) : TFtpOptions(0));
        c.Open();
        if (acceptLF) {
            QTRY_COMPARE(probe.done.size(), 1);
            QCOMPARE(c.LastResponse(), QStringLiteral("220 Bare line feed"));
        } else {
            QTest::qWait(300);
            QVERIFY(probe.done.isEmpty());
            QCOMPARE(c.State(), ftpStWaitingGreeting);
            server.send("\r\n");
            QTRY_COMPARE(probe.done.size(), 1);
            QCOMPARE(c.LastResponse(), QStringLiteral("220 Bare line feed"));
        }
        QCOMPARE(probe.done.first().error, quint16(0));
    }

    void serverDropsControlConnectionMidTransfer()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        server.onCommand = [&](const QString &line) {
            if (!line.startsWith(QLatin1String("RETR")))
                return false;
            server.send("150 Here it comes\r\n");
            QTimer::singleShot(100, &server, [&] { server.closeControl(); });
            return true;
        };
        QTemporaryDir dir;
        c.setLocalFileName(dir.filePath(QStringLiteral("f")));
        c.setHostFileName(QStringLiteral("f"));
        c.SetPassiveMode(true);
        c.Get();
        QTRY_COMPARE(probe.done.size(), 1);
        QVERIFY(probe.done.first().error != 0);
        QVERIFY(!c.IsConnected());
        QCOMPARE(probe.sessionClosed, 1);
        QCOMPARE(c.State(), ftpStReady);
        QCOMPARE(c.ErrorMessage(), QStringLiteral("426 Connection closed by the server"));
    }

    void silentServerTimesOut()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        server.onCommand = [](const QString &line) { return line == QLatin1String("QUIT"); };
        c.setTimeout(1);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!c.CloseSession());
        QVERIFY(clock.elapsed() >= 1000);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(c.ErrorMessage(), QStringLiteral("426 Timeout"));
        QCOMPARE(c.StatusCode(), 426);
        QVERIFY(!c.IsConnected());
        QCOMPARE(c.State(), ftpStReady);
    }

    void overlongReplyLineIsCut()
    {
        ScriptedFtpServer server;
        server.onCommand = [&](const QString &line) {
            if (!line.startsWith(QLatin1String("USER")))
                return false;
            // Ten megabytes without a line break, then a proper reply.
            const QByteArray chunk(1024 * 1024, 'x');
            for (int i = 0; i < 10; ++i)
                server.send(chunk);
            server.send("\r\n331 Now the password\r\n");
            return true;
        };
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        qsizetype longest = 0;
        c.OnResponse = [&](QObject *) { longest = qMax(longest, c.LastResponse().size()); };
        setUp(c, server);
        c.OpenSession();
        QTRY_COMPARE_WITH_TIMEOUT(probe.done.size(), 1, 20000);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript, loginLines);
        QVERIFY(longest <= FtpReply::LineReader::MaxLine);
    }

    void garbageBytesAreOnlyRead()
    {
        ScriptedFtpServer server;
        QByteArray garbage(4096, Qt::Uninitialized);
        QRandomGenerator rng(7);
        for (qsizetype i = 0; i < garbage.size(); ++i) {
            char b = char(rng.bounded(256));
            // A digit right after a line break would make a reply of it.
            if (i > 0 && (garbage.at(i - 1) == '\n') && b >= '0' && b <= '9')
                b = '#';
            garbage[i] = b;
        }
        garbage[0] = '\xff';
        server.onCommand = [&](const QString &line) {
            if (!line.startsWith(QLatin1String("USER")))
                return false;
            server.send(garbage + "\r\n331 Password please\r\n");
            return true;
        };
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        setUp(c, server);
        c.OpenSession();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript, loginLines);
    }

    void passwordNeverShown()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QVERIFY(probe.display.contains(QStringLiteral("> PASS ****")));
        for (const QString &line : std::as_const(probe.display))
            QVERIFY2(!line.contains(QLatin1String("secret")), qPrintable(line));
        // A raw line carrying a password is hidden as well.
        c.setLocalFileName(QStringLiteral("PASS other-secret"));
        c.Quote();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(server.transcript.last(), QStringLiteral("PASS other-secret"));
        QVERIFY(!probe.display.join(u'\n').contains(QLatin1String("other-secret")));
    }

    void passiveReplyAddressIsNotFollowed()
    {
        ScriptedFtpServer server;
        server.passiveHost = QStringLiteral("10,255,1,2");
        server.downloadData = "listing\r\n";
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        c.setLocalFileName(dir.filePath(QStringLiteral("l")));
        c.SetPassiveMode(true);
        c.ListNames();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        // The data connection reached the server we talk to, on the port of the reply.
        QCOMPARE(server.dataConnections, 1);
        QCOMPARE(c.DataSocket()->Addr(), QStringLiteral("127.0.0.1"));
    }

    void emptyFileUpload_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active") << false;
    }

    void emptyFileUpload()
    {
        QFETCH(bool, passive);
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("empty.htm"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        c.setLocalFileName(path);
        c.setHostFileName(QStringLiteral("empty.htm"));
        c.SetPassiveMode(passive);
        c.StoreFile();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().kind, ftpStoreFile);
        QCOMPARE(probe.done.first().error, quint16(0));
        QVERIFY(server.uploadConnectionOpened);
        QCOMPARE(server.uploaded, QByteArray());
        QCOMPARE(server.transcript.last(), QStringLiteral("STOR empty.htm"));
    }

    void uploadCutShortIsAFailure()
    {
        ScriptedFtpServer server;
        server.cutUploadShort = true;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.bin"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8 * 1024 * 1024, 'b'));
        f.close();
        c.setLocalFileName(path);
        c.setHostFileName(QStringLiteral("big.bin"));
        c.SetPassiveMode(true);
        c.StoreFile();
        QTRY_COMPARE(probe.done.size(), 1);
        QVERIFY(probe.done.first().error != 0);
        QVERIFY(server.uploaded.size() < 8 * 1024 * 1024);
    }

    void activeModeNamesTheLoopbackAddress()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        c.SetPassiveMode(false);
        c.DataPort();
        QTRY_COMPARE(probe.done.size(), 1);
        const int port = c.DataSocket()->GetXPort().toInt();
        QVERIFY(port > 0);
        QCOMPARE(server.transcript,
                 QStringList{QStringLiteral("PORT 127,0,0,1,%1,%2").arg(port / 256).arg(port % 256)});
    }

    void primitiveResults_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("replyDir");
        QTest::newRow("quoted name") << QByteArray("257 \"/pub/new\" created\r\n") << QStringLiteral("/pub/new");
        QTest::newRow("doubled quotes") << QByteArray("257 \"/a \"\"b\"\"\" created\r\n") << QStringLiteral("/a \"b\"");
        QTest::newRow("no quotes") << QByteArray("257 created\r\n") << QString();
    }

    void primitiveResults()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, replyDir);
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("MKD"), reply);
        server.replies.insert(QStringLiteral("SIZE"), "213 3000000000\r\n");
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        c.setHostFileName(QStringLiteral("new"));
        c.CreateDir();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().kind, ftpCreateDir);
        QCOMPARE(c.ReplyDir(), replyDir);
        c.Size();
        QTRY_COMPARE(probe.done.size(), 2);
        QCOMPARE(c.ReplySize(), qint64(3000000000));
        QCOMPARE(server.transcript, (QStringList{QStringLiteral("MKD new"), QStringLiteral("SIZE new")}));
    }

    void misuseRaises()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        auto message = [](const std::function<void()> &fn) {
            try {
                fn();
            } catch (const FtpException &e) {
                return e.Message();
            }
            return QString();
        };
        QCOMPARE(message([&] { c.CreateDir(); }), QStringLiteral("FTP component not connected"));
        QVERIFY(logIn(c, server, probe));
        QCOMPARE(message([&] { c.OpenSession(); }), QStringLiteral("FTP component already connected"));
        QCOMPARE(message([&] { c.ChangeDir(); }), QStringLiteral("HostDirName emtpy"));
        QCOMPARE(message([&] { c.setConnectionType(ftpSocks5); }), QStringLiteral("FTP component connected"));
        QCOMPARE(c.State(), ftpStReady);
        c.SetTransferType();
        QCOMPARE(message([&] { c.CreateDir(); }), QStringLiteral("FTP component not ready"));
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().kind, ftpSetTransferType);
        QCOMPARE(server.transcript, QStringList{QStringLiteral("TYPE I")});

        // Found only when the step comes, after the data port step: the
        // request fails instead of raising into the event loop.
        c.setHostFileName(QStringLiteral("x"));
        c.SetPassiveMode(true);
        c.StoreFile();
        QTRY_COMPARE(probe.done.size(), 2);
        QCOMPARE(probe.done.last().error, quint16(500));
        QCOMPARE(c.ErrorMessage(), QStringLiteral("LocalFileName empty"));
        QCOMPARE(server.transcript.last(), QStringLiteral("PASV"));
    }

    void handlerExceptionGoesToOnBgException()
    {
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QStringList caught;
        c.OnRequestDone = [](QObject *, TFtpRequest, quint16) { throw std::runtime_error("handler failed"); };
        c.OnBgException = [&](QObject *, const std::exception &e, bool &) { caught << QString::fromUtf8(e.what()); };
        c.Pwd();
        QTRY_COMPARE(caught, QStringList{QStringLiteral("handler failed")});
        // The engine goes on.
        QCOMPARE(c.State(), ftpStReady);
        QVERIFY(c.CloseSession());
    }

    // Names from a listing, typed names and local names must never end a
    // command line early: what follows the break would run as a command.
    void unsafeArgumentsNeverSent_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<QString>("name");
        QTest::newRow("CWD of a listed name with a lone CR") << int(ftpChangeDir) << QStringLiteral("pub\rDELE index.html");
        QTest::newRow("MKD of a typed name with LF") << int(ftpCreateDir) << QStringLiteral("neuf\nRMD www");
        QTest::newRow("DELE with CR LF") << int(ftpDeleteRemoteFile) << QStringLiteral("a\r\nDELE b");
        QTest::newRow("RMD with NUL") << int(ftpRemoveDir) << QStringLiteral("www") + QChar(0) + QStringLiteral("x");
        QTest::newRow("RNTO of a local name") << int(ftpRnto) << QStringLiteral("été\r\nDELE b");
        QTest::newRow("STOR inside the sequence") << int(ftpStoreFile) << QStringLiteral("x.htm\r\nDELE y");
    }
    void unsafeArgumentsNeverSent()
    {
        QFETCH(int, request);
        QFETCH(QString, name);
        ScriptedFtpServer server;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString local = localPage(dir, QStringLiteral("local.htm"));
        QVERIFY(QFile::exists(local));
        c.setHostDirName(name);
        c.setHostFileName(name);
        c.setLocalFileName(request == ftpRnto ? name : local);
        c.SetPassiveMode(true);
        switch (request) {
        case ftpChangeDir: QVERIFY_THROWS_EXCEPTION(FtpUnsafeArgument, c.ChangeDir()); break;
        case ftpCreateDir: QVERIFY_THROWS_EXCEPTION(FtpUnsafeArgument, c.CreateDir()); break;
        case ftpDeleteRemoteFile: QVERIFY_THROWS_EXCEPTION(FtpUnsafeArgument, c.DeleteRemoteFile()); break;
        case ftpRemoveDir: QVERIFY_THROWS_EXCEPTION(FtpUnsafeArgument, c.RemoveDir()); break;
        case ftpRnto: QVERIFY_THROWS_EXCEPTION(FtpUnsafeArgument, c.RenTo()); break;
        case ftpStoreFile:
            c.StoreFile();
            QTRY_COMPARE(probe.done.size(), 1);
            QCOMPARE(probe.done.first().error, quint16(500));
            QVERIFY(c.ErrorMessage().contains(QStringLiteral("CR, LF or NUL")));
            break;
        }
        QCOMPARE(c.State(), ftpStReady);
        QVERIFY(!c.Busy());
        QCOMPARE(server.transcript.filter(QRegularExpression(QStringLiteral("^(CWD|MKD|DELE|RMD|RNTO|STOR)"))),
                 QStringList());
        QVERIFY(server.uploaded.isEmpty());
        // The session is still usable.
        probe.done.clear();
        c.Pwd();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(server.transcript.last(), QStringLiteral("PWD"));
    }

    // Anyone can reach the port named in PORT: only the server's connection
    // may bring the file; a stranger is closed and the wait goes on.
    void activeModeTakesOnlyTheServersConnection()
    {
        ScriptedFtpServer server;
        server.intruderAddress = QStringLiteral("127.0.0.2");
        server.downloadData = QByteArray(5000, 'r');
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.bin"));
        c.setLocalFileName(path);
        c.setHostFileName(QStringLiteral("r.bin"));
        c.SetPassiveMode(false);
        c.Get();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), server.downloadData);
        QTRY_VERIFY(server.intruderTurnedAway);
        QVERIFY(probe.display.filter(QStringLiteral("Data connection from 127.0.0.2 refused")).size() == 1);
    }

    // The data connection fails before the server has answered the transfer
    // command: its answer comes later and must not be taken for the answer
    // to the next command.
    void lateAnswerToAFailedTransferIsNotTheNextOnes_data()
    {
        QTest::addColumn<QByteArray>("lateAnswer");
        QTest::newRow("425 alone") << QByteArray("425 Can't open data connection\r\n");
        QTest::newRow("150 then 426") << QByteArray("150 Opening\r\n426 Connection closed\r\n");
    }
    void lateAnswerToAFailedTransferIsNotTheNextOnes()
    {
        QFETCH(QByteArray, lateAnswer);
        ScriptedFtpServer server;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 refused = closed.serverPort();
        closed.close();
        bool owing = false;
        QStringList waiting;
        server.onCommand = [&](const QString &line) {
            if (line == QLatin1String("PASV")) {
                server.send(QStringLiteral("227 Entering Passive Mode (127,0,0,1,%1,%2)\r\n")
                                .arg(refused / 256).arg(refused % 256).toLatin1());
                return true;
            }
            // Like any server, it answers in order: what comes after STOR
            // waits for STOR's answer.
            if (line.startsWith(QLatin1String("STOR"))) {
                owing = true;
                QTimer::singleShot(300, &server, [&] {
                    server.send(lateAnswer);
                    owing = false;
                    for (const QString &held : std::as_const(waiting))
                        server.send(server.replies.value(held.section(u' ', 0, 0)));
                    waiting.clear();
                });
                return true;
            }
            if (owing) {
                waiting << line;
                return true;
            }
            return false;
        };
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString local = localPage(dir, QStringLiteral("p.htm"));
        QVERIFY(QFile::exists(local));
        c.setLocalFileName(local);
        c.setHostFileName(QStringLiteral("p.htm"));
        c.SetPassiveMode(true);
        c.StoreFile();
        QTRY_COMPARE(probe.done.size(), 1);
        QVERIFY(probe.done.first().error != 0);
        probe.done.clear();
        c.Pwd();
        QTRY_COMPARE(probe.done.size(), 1);
        QVERIFY2(probe.done.first().error == 0, qPrintable(probe.display.join(u'\n')));
        QCOMPARE(c.ReplyDir(), QStringLiteral("/pub"));
        probe.done.clear();
        c.Pwd();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(c.StatusCode(), 257);
    }

    void listingOverTheLimitIsAnError()
    {
        ScriptedFtpServer server;
        QByteArray names;
        for (int i = 0; names.size() < 200000; ++i)
            names += "page" + QByteArray::number(i) + ".htm\r\n";
        server.downloadData = names;
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.tmp"));
        c.setListingLimit(64 * 1024);
        c.setLocalFileName(path);
        c.SetPassiveMode(true);
        c.ListNames();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(426));
        QVERIFY(c.ErrorMessage().startsWith(QStringLiteral("426 Listing too large")));
        QVERIFY(QFileInfo(path).size() <= 64 * 1024);
        // A listing within the limit still comes whole.
        probe.done.clear();
        c.setListingLimit(TCustomFtpClient::DefaultListingLimit);
        c.ListNames();
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(0));
        QCOMPARE(QFileInfo(path).size(), qint64(names.size()));
    }

    void abortEndsTheRequestWith426()
    {
        ScriptedFtpServer server;
        server.onCommand = [](const QString &line) { return line.startsWith(QLatin1String("MKD")); };
        TFtpClient c;
        Probe probe;
        probe.attach(c);
        QVERIFY(logIn(c, server, probe));
        c.setHostFileName(QStringLiteral("d"));
        c.CreateDir();
        QTRY_COMPARE(server.transcript.size(), 1);
        QVERIFY(c.AbortSession());
        QTRY_COMPARE(probe.done.size(), 1);
        QCOMPARE(probe.done.first().error, quint16(426));
        QCOMPARE(c.ErrorMessage(), QStringLiteral("426 Operation aborted."));
        QVERIFY(!c.IsConnected());
        QCOMPARE(c.State(), ftpStReady);
    }
};

PEMO_TEST(FtpClientScriptTest)
#include "tst_ftpclient_script.moc"
