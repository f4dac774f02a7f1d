// The engine through a SOCKS 4 / 4A server: the request it makes, and both
// connections carried.
#include "testmain.h"

#include "ScriptedFtpServer.h"
#include "ftp/FtpClient.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

// Grants (or refuses) each request and then relays bytes both ways.
class Socks4Relay : public QObject
{
public:
    QList<QByteArray> requests;
    quint8 answer = 90;

    Socks4Relay()
    {
        FServer.setProxy(QNetworkProxy::NoProxy);
        FServer.listen(QHostAddress::LocalHost, 0);
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (FServer.hasPendingConnections())
                serve(FServer.nextPendingConnection());
        });
    }
    quint16 port() const { return FServer.serverPort(); }

private:
    void serve(QTcpSocket *client)
    {
        auto *request = new QByteArray;
        connect(client, &QObject::destroyed, this, [request] { delete request; });
        connect(client, &QTcpSocket::readyRead, this, [this, client, request] {
            if (request->isEmpty() || !complete(*request)) {
                request->append(client->readAll());
                if (!complete(*request))
                    return;
                requests << *request;
                open(client, *request);
            }
        });
    }

    static bool complete(const QByteArray &r)
    {
        if (r.size() < 9)
            return false;
        const qsizetype user = r.indexOf('\0', 8);
        if (user < 0)
            return false;
        const bool named = r.at(4) == 0 && r.at(5) == 0 && r.at(6) == 0 && r.at(7) != 0;
        return !named || r.indexOf('\0', user + 1) > user;
    }

    void open(QTcpSocket *client, const QByteArray &r)
    {
        if (answer != 90) {
            client->write(QByteArray("\0", 1) + char(answer) + QByteArray(6, '\0'));
            client->disconnectFromHost();
            return;
        }
        const quint16 port = quint16((quint8(r.at(2)) << 8) | quint8(r.at(3)));
        const bool named = r.at(4) == 0 && r.at(5) == 0 && r.at(6) == 0 && r.at(7) != 0;
        const qsizetype user = r.indexOf('\0', 8);
        const QString host = named ? QString::fromLatin1(r.mid(user + 1, r.indexOf('\0', user + 1) - user - 1))
                                   : QStringLiteral("%1.%2.%3.%4").arg(quint8(r.at(4))).arg(quint8(r.at(5)))
                                         .arg(quint8(r.at(6))).arg(quint8(r.at(7)));
        auto *upstream = new QTcpSocket(client);
        upstream->setProxy(QNetworkProxy::NoProxy);
        connect(upstream, &QTcpSocket::connected, client, [client] {
            client->write(QByteArray("\0\x5a\0\0\0\0\0\0", 8));
        });
        connect(upstream, &QTcpSocket::readyRead, client, [client, upstream] { client->write(upstream->readAll()); });
        connect(client, &QTcpSocket::readyRead, upstream, [client, upstream] { upstream->write(client->readAll()); });
        connect(upstream, &QTcpSocket::disconnected, client, [client] { client->disconnectFromHost(); });
        connect(client, &QTcpSocket::disconnected, upstream, [upstream] { upstream->disconnectFromHost(); });
        upstream->connectToHost(host, port);
    }

    QTcpServer FServer;
};

} // namespace

class FtpClientSocksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void throughSocks4_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("SOCKS 4, address") << int(ftpSocks4) << "127.0.0.1" << QByteArray("\x7f\0\0\x01", 4);
        QTest::newRow("SOCKS 4A, name for the server") << int(ftpSocks4A) << "localhost" << QByteArray("\0\0\0\x01", 4);
    }

    void throughSocks4()
    {
        QFETCH(int, type);
        QFETCH(QString, host);
        QFETCH(QByteArray, address);
        ScriptedFtpServer ftp;
        ftp.downloadData = "index.htm\r\n";
        Socks4Relay socks;
        TFtpClient c;
        QList<quint16> errors;
        c.OnRequestDone = [&](QObject *, TFtpRequest, quint16 e) { errors << e; };
        c.setHostName(host);
        c.setPort(QString::number(ftp.port()));
        c.setUserName(QStringLiteral("anna"));
        c.setPassWord(QStringLiteral("secret"));
        c.setSocksServer(QStringLiteral("127.0.0.1"));
        c.setSocksPort(QString::number(socks.port()));
        c.setSocksUserCode(QStringLiteral("pemo"));
        c.setConnectionType(TFtpConnectionType(type));
        c.SetPassiveMode(false);
        QVERIFY(c.PassiveMode());
        c.OpenSession();
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors.first(), quint16(0));
        QTemporaryDir dir;
        c.setLocalFileName(dir.filePath(QStringLiteral("names")));
        c.ListNames();
        QTRY_COMPARE(errors.size(), 2);
        QCOMPARE(errors.last(), quint16(0));
        QCOMPARE(ftp.transcript, (QStringList{QStringLiteral("USER anna"), QStringLiteral("PASS secret"),
                                              QStringLiteral("PASV"), QStringLiteral("NLST")}));
        QCOMPARE(socks.requests.size(), 2); // control and data connections
        const QByteArray &first = socks.requests.first();
        QCOMPARE(first.left(2), QByteArray("\x04\x01"));
        QCOMPARE(quint16((quint8(first.at(2)) << 8) | quint8(first.at(3))), ftp.port());
        QCOMPARE(first.mid(4, 4), address);
        QCOMPARE(first.mid(8, 5), QByteArray("pemo\0", 5));
        if (type == ftpSocks4A)
            QCOMPARE(first.mid(13), QByteArray("localhost\0", 10));
    }

    void refusedBySocksServer()
    {
        ScriptedFtpServer ftp;
        Socks4Relay socks;
        socks.answer = 91;
        TFtpClient c;
        QList<quint16> errors;
        c.OnRequestDone = [&](QObject *, TFtpRequest, quint16 e) { errors << e; };
        c.setHostName(QStringLiteral("127.0.0.1"));
        c.setPort(QString::number(ftp.port()));
        c.setUserName(QStringLiteral("anna"));
        c.setSocksServer(QStringLiteral("127.0.0.1"));
        c.setSocksPort(QString::number(socks.port()));
        c.setConnectionType(ftpSocks4);
        c.OpenSession();
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors.first(), quint16(500));
        QCOMPARE(c.LastResponse(), QStringLiteral("500 SOCKS request rejected or failed (Winsock error #20000)"));
        QVERIFY(!c.IsConnected());
        QCOMPARE(c.State(), ftpStReady);
    }
};

PEMO_TEST(FtpClientSocksTest)
#include "tst_ftpclient_socks.moc"
