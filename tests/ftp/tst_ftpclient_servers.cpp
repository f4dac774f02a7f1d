// The FTP engine against real servers started on 127.0.0.1: what lands on
// the server must be byte for byte what was sent, and back.
#include "testmain.h"

#include "LocalFtpServer.h"
#include "ftp/FtpClient.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator rng(seed);
    rng.fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        data[i] = char(rng.bounded(256));
    return data;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result();
}

// Starts a request and waits for its end; returns the error.
struct Driver
{
    TFtpClient client;
    QList<quint16> errors;
    QList<TFtpRequest> kinds;
    QStringList log;

    Driver()
    {
        client.OnRequestDone = [this](QObject *, TFtpRequest kind, quint16 error) {
            kinds << kind;
            errors << error;
        };
        client.OnDisplay = [this](QObject *, const QString &msg) { log << msg; };
    }

    int run(const std::function<void()> &start, int timeoutMs = 30000)
    {
        const qsizetype before = errors.size();
        start();
        if (!QTest::qWaitFor([&] { return errors.size() > before; }, timeoutMs))
            return -1;
        return errors.last();
    }
};

} // namespace

class FtpClientServersTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<LocalFtpServer> FPython;
    std::unique_ptr<LocalFtpServer> FDaemon;

    LocalFtpServer *server(const QString &name)
    {
        return name == QLatin1String("pyftpdlib") ? FPython.get() : FDaemon.get();
    }

    void connect(Driver &d, LocalFtpServer *s)
    {
        d.client.setHostName(QStringLiteral("127.0.0.1"));
        d.client.setPort(QString::number(s->port()));
        d.client.setUserName(s->userName());
        d.client.setPassWord(s->passWord());
        QCOMPARE(d.run([&] { d.client.OpenSession(); }), 0);
        QVERIFY(d.client.IsConnected());
    }

private Q_SLOTS:
    void initTestCase()
    {
        FPython = std::make_unique<LocalFtpServer>(LocalFtpServer::PythonLibrary);
        FDaemon = std::make_unique<LocalFtpServer>(LocalFtpServer::Daemon);
        QVERIFY2(FPython->start(), qPrintable(FPython->reason()));
        QVERIFY2(FDaemon->start(), qPrintable(FDaemon->reason()));
    }

    void cleanupTestCase()
    {
        FPython.reset();
        FDaemon.reset();
    }

    void sessionFoldersAndTransfers_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::addColumn<bool>("passive");
        QTest::newRow("pyftpdlib, passive") << QStringLiteral("pyftpdlib") << true;
        QTest::newRow("pyftpdlib, active") << QStringLiteral("pyftpdlib") << false;
        QTest::newRow("vsftpd, passive") << QStringLiteral("vsftpd") << true;
        QTest::newRow("vsftpd, active") << QStringLiteral("vsftpd") << false;
    }

    void sessionFoldersAndTransfers()
    {
        QFETCH(QString, serverName);
        QFETCH(bool, passive);
        LocalFtpServer *s = server(serverName);
        const QString folder = passive ? QStringLiteral("site-p") : QStringLiteral("site-a");
        const QString remote = s->root() + u'/' + folder;
        QTemporaryDir local;
        Driver d;
        TFtpClient &c = d.client;
        connect(d, s);
        c.SetPassiveMode(passive);

        // Folders.
        c.setHostFileName(folder);
        QCOMPARE(d.run([&] { c.CreateDir(); }), 0);
        QVERIFY(QFileInfo(remote).isDir());
        QVERIFY(c.ReplyDir().endsWith(folder));
        c.setHostDirName(folder);
        QCOMPARE(d.run([&] { c.ChangeDir(); }), 0);
        QCOMPARE(d.run([&] { c.Pwd(); }), 0);
        QVERIFY2(c.ReplyDir().endsWith(u'/' + folder), qPrintable(c.ReplyDir()));

        // Binary, text and empty files go up unchanged.
        const QByteArray binary = randomBytes(300 * 1024 + 7, 1);
        const QByteArray text = "<html>\n<body>\xe9t\xe9</body>\n</html>\n";
        struct Upload
        {
            QString name;
            QByteArray data;
            bool binary;
        };
        const QList<Upload> uploads = {{QStringLiteral("photo.gif"), binary, true},
                                       {QStringLiteral("index.htm"), text, false},
                                       {QStringLiteral("vide.htm"), QByteArray(), true}};
        for (const Upload &u : uploads) {
            const QString path = local.filePath(u.name);
            QVERIFY(writeFile(path, u.data));
            c.setBinary(u.binary);
            QCOMPARE(d.run([&] { c.SetTransferType(); }), 0);
            c.setLocalFileName(path);
            c.setHostFileName(u.name);
            QCOMPARE(d.run([&] { c.StoreFile(); }), 0);
            QCOMPARE(d.kinds.last(), ftpStoreFile);
            QCOMPARE(readFile(remote + u'/' + u.name), u.data);
        }
        c.setBinary(true);
        QCOMPARE(d.run([&] { c.SetTransferType(); }), 0);

        // The name list, written to a local file.
        const QString listing = local.filePath(QStringLiteral("ftpdir.tmp"));
        c.setLocalFileName(listing);
        c.setHostFileName(QString());
        QCOMPARE(d.run([&] { c.ListNames(); }), 0);
        QStringList names = QString::fromLatin1(readFile(listing)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("index.htm"), QStringLiteral("photo.gif"),
                                     QStringLiteral("vide.htm")}));

        // Size and receive.
        c.setHostFileName(QStringLiteral("photo.gif"));
        QCOMPARE(d.run([&] { c.Size(); }), 0);
        QCOMPARE(c.ReplySize(), qint64(binary.size()));
        const QString back = local.filePath(QStringLiteral("back.gif"));
        c.setLocalFileName(back);
        QCOMPARE(d.run([&] { c.Get(); }), 0);
        QCOMPARE(readFile(back), binary);

        // Restarted receive: the local file holds the first part.
        QVERIFY(writeFile(back, binary.left(100000)));
        QCOMPARE(d.run([&] { c.RestartGet(); }), 0);
        QCOMPARE(readFile(back), binary);
        QVERIFY(d.log.contains(QStringLiteral("> REST 100000")));

        // Restarted send: the server holds the first part.
        QVERIFY(writeFile(remote + QStringLiteral("/part.gif"), binary.left(123456)));
        c.setLocalFileName(local.filePath(QStringLiteral("photo.gif")));
        c.setHostFileName(QStringLiteral("part.gif"));
        c.setResumeAt(123456);
        QCOMPARE(d.run([&] { c.RestartPut(); }), 0);
        QCOMPARE(readFile(remote + QStringLiteral("/part.gif")), binary);

        // A refused command fails with the server's code and text.
        c.setHostFileName(QStringLiteral("missing.htm"));
        const int refused = d.run([&] { c.DeleteRemoteFile(); });
        QVERIFY2(refused >= 500, qPrintable(c.ErrorMessage()));
        QCOMPARE(c.ErrorMessage(), c.LastResponse());

        // Clean up through the engine.
        for (const QString &name : {QStringLiteral("photo.gif"), QStringLiteral("index.htm"),
                                    QStringLiteral("vide.htm"), QStringLiteral("part.gif")}) {
            c.setHostFileName(name);
            QCOMPARE(d.run([&] { c.DeleteRemoteFile(); }), 0);
        }
        QCOMPARE(QDir(remote).entryList(QDir::Files), QStringList());
        c.setHostDirName(QStringLiteral(".."));
        QCOMPARE(d.run([&] { c.ChangeDir(); }), 0);
        c.setHostFileName(folder);
        QCOMPARE(d.run([&] { c.RemoveDir(); }), 0);
        QVERIFY(!QFileInfo::exists(remote));

        QVERIFY(c.CloseSession());
        QVERIFY(!c.IsConnected());
        for (const QString &line : std::as_const(d.log))
            QVERIFY2(!line.contains(s->passWord()), qPrintable(line));
    }

    void largeUpload_data()
    {
        QTest::addColumn<QString>("serverName");
        QTest::newRow("pyftpdlib") << QStringLiteral("pyftpdlib");
        QTest::newRow("vsftpd") << QStringLiteral("vsftpd");
    }

    void largeUpload()
    {
        QFETCH(QString, serverName);
        LocalFtpServer *s = server(serverName);
        QTemporaryDir local;
        const QString path = local.filePath(QStringLiteral("big.bin"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 200; ++i)
                QCOMPARE(f.write(randomBytes(1024 * 1024, quint32(i + 10))), qint64(1024 * 1024));
        }
        Driver d;
        TFtpClient &c = d.client;
        connect(d, s);
        c.SetPassiveMode(true);
        QCOMPARE(d.run([&] { c.SetTransferType(); }), 0);
        qint64 lastProgress = 0;
        c.OnProgress = [&](QObject *, qint64 count, bool &) { lastProgress = count; };
        c.setLocalFileName(path);
        c.setHostFileName(QStringLiteral("big.bin"));
        QCOMPARE(d.run([&] { c.StoreFile(); }, 300000), 0);
        const QString remote = s->root() + QStringLiteral("/big.bin");
        QCOMPARE(QFileInfo(remote).size(), qint64(200) * 1024 * 1024);
        QCOMPARE(fileHash(remote), fileHash(path));
        QCOMPARE(lastProgress, qint64(200) * 1024 * 1024);
        QFile::remove(remote);
        QVERIFY(c.CloseSession());
    }
};

PEMO_TEST(FtpClientServersTest)
#include "tst_ftpclient_servers.moc"
