#include "ScriptedFtpServer.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

ScriptedFtpServer::ScriptedFtpServer(QObject *parent) : QObject(parent), FServer(new QTcpServer(this))
{
    FServer->setProxy(QNetworkProxy::NoProxy);
    FServer->listen(QHostAddress::LocalHost, 0);
    connect(FServer, &QTcpServer::newConnection, this, &ScriptedFtpServer::acceptControl);
    replies.insert(QStringLiteral("USER"), "331 Password required\r\n");
    replies.insert(QStringLiteral("PASS"), "230 Logged in\r\n");
    replies.insert(QStringLiteral("CWD"), "250 \"/pub\" is the current directory\r\n");
    replies.insert(QStringLiteral("TYPE"), "200 Type set\r\n");
    replies.insert(QStringLiteral("MKD"), "257 \"/new\" created\r\n");
    replies.insert(QStringLiteral("RMD"), "250 Directory removed\r\n");
    replies.insert(QStringLiteral("DELE"), "250 File removed\r\n");
    replies.insert(QStringLiteral("SIZE"), "213 1234\r\n");
    replies.insert(QStringLiteral("PWD"), "257 \"/pub\" is current\r\n");
    replies.insert(QStringLiteral("SYST"), "215 UNIX Type: L8\r\n");
    replies.insert(QStringLiteral("REST"), "350 Restarting\r\n");
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    for (QTcpSocket *s : {FControl, FData}) {
        if (s) {
            s->disconnect(this);
            s->abort();
        }
    }
}

quint16 ScriptedFtpServer::port() const
{
    return FServer->serverPort();
}

bool ScriptedFtpServer::controlConnected() const
{
    return FControl && FControl->state() == QAbstractSocket::ConnectedState;
}

void ScriptedFtpServer::acceptControl()
{
    QTcpSocket *s = FServer->nextPendingConnection();
    if (FControl && FControl->state() == QAbstractSocket::ConnectedState) {
        s->abort(); // one client at a time
        s->deleteLater();
        return;
    }
    if (FControl) {
        // The client comes back after the last session ended.
        FControl->disconnect(this);
        FControl->deleteLater();
        FBuffer.clear();
        // Nothing the last session left waiting may act in this one.
        FOnDataReady = nullptr;
        if (FData) {
            FData->disconnect(this);
            FData->abort();
            FData->deleteLater();
            FData = nullptr;
        }
    }
    FControl = s;
    connect(s, &QTcpSocket::readyRead, this, &ScriptedFtpServer::readControl);
    connect(s, &QTcpSocket::disconnected, this, [this] { Q_EMIT controlClosed(); });
    if (!greeting.isEmpty())
        send(greeting);
}

void ScriptedFtpServer::send(const QByteArray &bytes)
{
    if (FControl)
        FControl->write(bytes);
}

void ScriptedFtpServer::closeControl()
{
    if (FControl)
        FControl->disconnectFromHost();
}

void ScriptedFtpServer::closeData()
{
    if (FData) {
        dataClosedByServer = true;
        FData->disconnectFromHost();
    }
}

void ScriptedFtpServer::readControl()
{
    FBuffer += FControl->readAll();
    qsizetype end;
    while ((end = FBuffer.indexOf("\r\n")) >= 0) {
        rawTranscript << FBuffer.left(end);
        const QString line = QString::fromUtf8(FBuffer.left(end));
        FBuffer.remove(0, end + 2);
        transcript << line;
        Q_EMIT commandReceived(line);
        handle(line);
    }
}

void ScriptedFtpServer::handle(const QString &line)
{
    if (onCommand && onCommand(line))
        return;
    const QString verb = line.section(u' ', 0, 0).toUpper();
    if (verb == QLatin1String("QUIT")) {
        send("221 Goodbye\r\n");
        closeControl();
    } else if (verb == QLatin1String("PASV")) {
        send(passiveReply());
    } else if (verb == QLatin1String("PORT")) {
        connectActive(line.section(u' ', 1));
        send("200 PORT command successful\r\n");
        if (connectOnPort) {
            dataConnections = 0;
            dataClosedByServer = false;
            dialActive(nullptr);
        }
    } else if (verb == QLatin1String("RETR") || verb == QLatin1String("LIST")
               || verb == QLatin1String("NLST")) {
        send("150 Opening data connection\r\n");
        startDownload();
    } else if (verb == QLatin1String("STOR") || verb == QLatin1String("APPE")) {
        send("150 Ok to send data\r\n");
        startUpload();
    } else if (replies.contains(verb)) {
        send(replies.value(verb));
    } else {
        send("502 Command not implemented\r\n");
    }
}

QByteArray ScriptedFtpServer::passiveReply()
{
    FPassive = true;
    if (!FDataServer) {
        FDataServer = new QTcpServer(this);
        FDataServer->setProxy(QNetworkProxy::NoProxy);
        FDataServer->listen(QHostAddress::LocalHost, 0);
        connect(FDataServer, &QTcpServer::newConnection, this, [this] {
            while (FDataServer->hasPendingConnections())
                adoptData(FDataServer->nextPendingConnection());
        });
    }
    const int p = FDataServer->serverPort();
    return QStringLiteral("227 Entering Passive Mode (%1,%2,%3)\r\n")
        .arg(passiveHost)
        .arg(p / 256)
        .arg(p % 256)
        .toLatin1();
}

void ScriptedFtpServer::connectActive(const QString &args)
{
    FPassive = false;
    const QStringList n = args.split(u',');
    if (n.size() != 6)
        return;
    FActiveHost = QStringList(n.mid(0, 4)).join(u'.');
    FActivePort = quint16(n.at(4).toInt() * 256 + n.at(5).toInt());
}

void ScriptedFtpServer::adoptData(QTcpSocket *socket)
{
    if (FData) {
        FData->disconnect(this);
        FData->deleteLater();
    }
    FData = socket;
    ++dataConnections;
    if (FOnDataReady) {
        auto fn = std::move(FOnDataReady);
        FOnDataReady = nullptr;
        fn();
    }
}

void ScriptedFtpServer::whenDataReady(std::function<void()> fn)
{
    if (!FPassive && !connectOnPort) {
        dialActive(std::move(fn));
        return;
    }
    if (FData && FData->state() == QAbstractSocket::ConnectedState && dataConnections > 0
        && !dataClosedByServer) {
        fn();
        return;
    }
    FOnDataReady = std::move(fn);
}

void ScriptedFtpServer::dialActive(std::function<void()> fn)
{
    if (!intruderAddress.isEmpty()) {
        auto *stranger = new QTcpSocket(this);
        stranger->setProxy(QNetworkProxy::NoProxy);
        stranger->bind(QHostAddress(intruderAddress));
        connect(stranger, &QTcpSocket::disconnected, this, [this] { intruderTurnedAway = true; });
        connect(stranger, &QTcpSocket::connected, this, [this, stranger, fn] {
            stranger->write(intruderData);
            const QString saved = intruderAddress;
            intruderAddress.clear();
            QTimer::singleShot(100, this, [this, fn, saved] {
                dialActive(fn);
                intruderAddress = saved;
            });
        });
        stranger->connectToHost(FActiveHost, FActivePort);
        return;
    }
    auto *s = new QTcpSocket(this);
    s->setProxy(QNetworkProxy::NoProxy);
    connect(s, &QTcpSocket::connected, this, [this, s, fn] {
        adoptData(s);
        if (fn)
            fn();
    });
    s->connectToHost(FActiveHost, FActivePort);
}

void ScriptedFtpServer::startDownload()
{
    dataClosedByServer = false;
    finalReplySent = false;
    whenDataReady([this] {
        QTcpSocket *data = FData;
        data->write(downloadData);
        if (finalReply == FinalReply::BeforeDataClose) {
            data->flush();
            send("226 Transfer complete\r\n");
            finalReplySent = true;
            QTimer::singleShot(finalReplyDelayMs, this, [this, data] {
                if (FData == data)
                    closeData();
            });
        } else {
            connect(data, &QTcpSocket::disconnected, this, [this] {
                QTimer::singleShot(finalReplyDelayMs, this, [this] {
                    send("226 Transfer complete\r\n");
                    finalReplySent = true;
                });
            });
            closeData();
        }
    });
}

void ScriptedFtpServer::startUpload()
{
    uploaded.clear();
    uploadConnectionOpened = false;
    dataClosedByServer = false;
    whenDataReady([this] {
        QTcpSocket *data = FData;
        uploadConnectionOpened = true;
        connect(data, &QTcpSocket::readyRead, this, [this, data] {
            uploaded += data->readAll();
            if (cutUploadShort && !dataClosedByServer) {
                dataClosedByServer = true;
                data->disconnect(this);
                data->abort();
                send("226 Transfer complete\r\n");
            }
        });
        connect(data, &QTcpSocket::disconnected, this, [this, data] {
            uploaded += data->readAll();
            send("226 Transfer complete\r\n");
            Q_EMIT uploadFinished();
        });
        uploaded += data->readAll();
        if (data->state() != QAbstractSocket::ConnectedState) {
            send("226 Transfer complete\r\n");
            Q_EMIT uploadFinished();
        }
    });
}
