// The FTP engine over explicit TLS against the standalone daemon on
// 127.0.0.1 with a throw-away self-signed certificate: the question about a
// certificate that does not verify, encrypted transfers both ways in both
// data modes, and a server without TLS, which must never see the login.
#include "testmain.h"

#include "LocalFtpServer.h"
#include "ftp/FtpClient.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTemporaryDir>

#include <memory>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator rng(seed);
    for (qsizetype i = 0; i < size; ++i)
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

struct Driver
{
    TFtpClient client;
    QList<quint16> errors;
    QStringList log;
    int questions = 0;
    bool answer = false;
    QList<QSslError> asked;
    QSslCertificate shown;

    Driver()
    {
        client.OnRequestDone = [this](QObject *, TFtpRequest, quint16 error) { errors << error; };
        client.OnDisplay = [this](QObject *, const QString &msg) { log << msg; };
        client.OnSslErrors = [this](QObject *, const QList<QSslError> &e, const QSslCertificate &c,
                                    bool &accept) {
            ++questions;
            asked = e;
            shown = c;
            accept = answer;
        };
    }

    int run(const std::function<void()> &start, int timeoutMs = 30000)
    {
        // A synchronous close's report is still queued: not this request's.
        QCoreApplication::processEvents();
        const qsizetype before = errors.size();
        start();
        if (!QTest::qWaitFor([&] { return errors.size() > before; }, timeoutMs)) {
            qWarning("no end of request; log:\n%s", qPrintable(log.mid(log.size() - 12).join(u'\n')));
            return -1;
        }
        return errors.last();
    }

    int open(quint16 port, const QString &user, const QString &password)
    {
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPort(QString::number(port));
        client.setUserName(user);
        client.setPassWord(password);
        client.setUseTls(true);
        return run([&] { client.OpenSession(); });
    }

    bool sent(const QString &command) const
    {
        for (const QString &line : log) {
            if (line.startsWith(QStringLiteral("> ") + command))
                return true;
        }
        return false;
    }
};

QList<QSslError::SslError> kinds(const QList<QSslError> &errors)
{
    QList<QSslError::SslError> k;
    for (const QSslError &e : errors)
        k << e.error();
    return k;
}

} // namespace

class FtpClientTlsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<LocalFtpServer> FDaemon;
    QSslCertificate FCertificate;

private Q_SLOTS:
    void initTestCase()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("Qt has no TLS library here");
        if (!QFileInfo(QStringLiteral("/usr/sbin/vsftpd")).isExecutable()
            || !QFileInfo(QStringLiteral("/usr/bin/openssl")).isExecutable())
            QSKIP("vsftpd or openssl is not installed (scripts/install-deps.sh installs both)");
        FDaemon = std::make_unique<LocalFtpServer>(LocalFtpServer::Daemon);
        FDaemon->setTls(true);
        QVERIFY2(FDaemon->start(), qPrintable(FDaemon->reason()));
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(FDaemon->certificateFile());
        QCOMPARE(certs.size(), 1);
        FCertificate = certs.first();
    }

    void cleanupTestCase() { FDaemon.reset(); }

    void certificateRejectedStopsBeforeLogin()
    {
        Driver d;
        d.answer = false;
        const int error = d.open(FDaemon->port(), FDaemon->userName(), FDaemon->passWord());
        QVERIFY(error != 0);
        QCOMPARE(d.questions, 1);
        QCOMPARE(d.client.TlsFailure(), ftpTlsRejected);
        QVERIFY(!d.client.IsConnected());
        QCOMPARE(d.shown, FCertificate);
        // A self-signed certificate for "localhost", reached as 127.0.0.1.
        const QList<QSslError::SslError> found = kinds(d.asked);
        QVERIFY(found.contains(QSslError::SelfSignedCertificate));
        QVERIFY(found.contains(QSslError::HostNameMismatch));
        QVERIFY(d.sent(QStringLiteral("AUTH TLS")));
        QVERIFY(!d.sent(QStringLiteral("USER")));
        QVERIFY(!d.sent(QStringLiteral("PASS")));
        QVERIFY(d.client.AcceptedSslErrors().isEmpty());
        QTRY_VERIFY(FDaemon->protocolLog().contains(QStringLiteral("AUTH TLS")));
        QVERIFY2(!FDaemon->protocolLog().contains(QStringLiteral("\"USER")), qPrintable(FDaemon->protocolLog()));
    }

    void encryptedTransfers_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active") << false;
    }

    void encryptedTransfers()
    {
        QFETCH(bool, passive);
        const QString folder = passive ? QStringLiteral("tls-p") : QStringLiteral("tls-a");
        const QString remote = FDaemon->root() + u'/' + folder;
        QTemporaryDir local;
        Driver d;
        TFtpClient &c = d.client;
        d.answer = true;
        QCOMPARE(d.open(FDaemon->port(), FDaemon->userName(), FDaemon->passWord()), 0);
        QCOMPARE(d.questions, 1);
        QVERIFY(c.IsSecure());
        QCOMPARE(c.TlsFailure(), ftpTlsNone);
        // The order that keeps the password encrypted.
        const auto at = [&](const QString &command) {
            for (qsizetype i = 0; i < d.log.size(); ++i) {
                if (d.log.at(i).startsWith(QStringLiteral("> ") + command))
                    return i;
            }
            return qsizetype(-1);
        };
        QVERIFY(at(QStringLiteral("AUTH TLS")) >= 0);
        QVERIFY(at(QStringLiteral("AUTH TLS")) < at(QStringLiteral("PBSZ 0")));
        QVERIFY(at(QStringLiteral("PBSZ 0")) < at(QStringLiteral("PROT P")));
        QVERIFY(at(QStringLiteral("PROT P")) < at(QStringLiteral("USER")));
        c.SetPassiveMode(passive);

        c.setHostFileName(folder);
        QCOMPARE(d.run([&] { c.CreateDir(); }), 0);
        c.setHostDirName(folder);
        QCOMPARE(d.run([&] { c.ChangeDir(); }), 0);

        // A text sent as text and a binary file (larger than any TLS record
        // and the socket's queue) sent as binary land byte for byte.
        const QByteArray text = "<html>\r\n<body>\xe9t\xe9</body>\r\n</html>\r\n";
        const QByteArray binary = randomBytes(700 * 1024 + 3, 7);
        const QList<std::tuple<QString, QByteArray, bool>> uploads = {
            {QStringLiteral("index.htm"), text, false}, {QStringLiteral("photo.jpg"), binary, true}};
        for (const auto &[name, data, isBinary] : uploads) {
            const QString path = local.filePath(name);
            QVERIFY(writeFile(path, data));
            c.setBinary(isBinary);
            QCOMPARE(d.run([&] { c.SetTransferType(); }), 0);
            c.setLocalFileName(path);
            c.setHostFileName(name);
            QCOMPARE(d.run([&] { c.StoreFile(); }), 0);
            QCOMPARE(readFile(remote + u'/' + name), data);
        }
        // The count is of the file's bytes, not of what TLS made of them.
        QVERIFY(std::any_of(d.log.cbegin(), d.log.cend(), [&](const QString &l) {
            return l.startsWith(QStringLiteral("! %1 bytes received/sent").arg(binary.size()));
        }));

        // The name list and a download come back through TLS too.
        const QString listing = local.filePath(QStringLiteral("ftpdir.tmp"));
        c.setLocalFileName(listing);
        c.setHostFileName(QString());
        QCOMPARE(d.run([&] { c.ListNames(); }), 0);
        QStringList names = QString::fromLatin1(readFile(listing)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("index.htm"), QStringLiteral("photo.jpg")}));
        const QString back = local.filePath(QStringLiteral("back.jpg"));
        c.setLocalFileName(back);
        c.setHostFileName(QStringLiteral("photo.jpg"));
        QCOMPARE(d.run([&] { c.Get(); }), 0);
        QCOMPARE(readFile(back), binary);

        // Data connections and a new session do not ask again.
        QCOMPARE(d.questions, 1);
        QVERIFY(c.CloseSession());
        QCOMPARE(d.open(FDaemon->port(), FDaemon->userName(), FDaemon->passWord()), 0);
        QCOMPARE(d.questions, 1);
        QVERIFY2(c.IsSecure(), qPrintable(d.log.mid(d.log.size() - 14).join(u'\n')));
        QVERIFY(c.CloseSession());
        for (const QString &line : std::as_const(d.log))
            QVERIFY2(!line.contains(FDaemon->passWord()), qPrintable(line));
    }

    void serverWithoutTls()
    {
        LocalFtpServer plain(LocalFtpServer::PythonLibrary);
        QVERIFY2(plain.start(), qPrintable(plain.reason()));
        Driver d;
        const int error = d.open(plain.port(), plain.userName(), plain.passWord());
        QVERIFY(error >= 500);
        QCOMPARE(d.client.TlsFailure(), ftpTlsRefused);
        QVERIFY(d.client.ErrorMessage().startsWith(QString::number(error)));
        QVERIFY(!d.client.IsConnected());
        QCOMPARE(d.questions, 0);
        QVERIFY(!d.sent(QStringLiteral("USER")));
        QVERIFY(!d.sent(QStringLiteral("PASS")));
    }
};

PEMO_TEST(FtpClientTlsTest)
#include "tst_ftpclient_tls.moc"
