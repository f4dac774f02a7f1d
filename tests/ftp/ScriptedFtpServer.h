#pragma once
// A small FTP server on 127.0.0.1 that answers from a script and records every
// command line it receives, for tests that pin the exact conversation.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>

class QTcpServer;
class QTcpSocket;

class ScriptedFtpServer : public QObject
{
    Q_OBJECT

public:
    // When the final reply of a download goes out: before the data connection
    // is closed, or only once it is.
    enum class FinalReply { BeforeDataClose, AfterDataClose };

    explicit ScriptedFtpServer(QObject *parent = nullptr);
    ~ScriptedFtpServer() override;

    quint16 port() const;

    QByteArray greeting = "220 Scripted server ready\r\n";
    // Replies by command word (upper case); commands not listed get "502".
    QHash<QString, QByteArray> replies;
    // Runs first for each command line; returns true when it answered.
    std::function<bool(const QString &line)> onCommand;

    // Downloads (RETR, LIST, NLST) send this on the data connection.
    QByteArray downloadData;
    FinalReply finalReply = FinalReply::AfterDataClose;
    int finalReplyDelayMs = 150; // between the two events of a download
    // Host part of the 227 reply ("127,0,0,1" by default).
    QString passiveHost = QStringLiteral("127,0,0,1");
    // Active mode: connect as soon as PORT arrives, not at the transfer command.
    bool connectOnPort = false;
    // Uploads: hang up after the first bytes, then still reply 226.
    bool cutUploadShort = false;
    // Active mode: a stranger from this local address (127.0.0.2, say)
    // reaches the client's data port first and sends intruderData; the real
    // connection follows once the stranger is in.
    QString intruderAddress;
    QByteArray intruderData = "planted by a stranger\r\n";
    bool intruderTurnedAway = false;

    QStringList transcript;     // every command line, as received
    QList<QByteArray> rawTranscript; // the same, in the bytes that came
    QByteArray uploaded;        // what STOR/APPE brought
    bool uploadConnectionOpened = false;
    bool dataClosedByServer = false;
    bool finalReplySent = false;
    int dataConnections = 0;
    bool dataConnectionSeen() const { return dataConnections > 0; }

    void send(const QByteArray &bytes);
    void closeControl();
    void closeData();
    bool controlConnected() const;

Q_SIGNALS:
    void commandReceived(const QString &line);
    void controlClosed();
    void uploadFinished();

private:
    void acceptControl();
    void readControl();
    void handle(const QString &line);
    QByteArray passiveReply();
    void connectActive(const QString &args);
    void dialActive(std::function<void()> fn);
    void adoptData(QTcpSocket *socket);
    void startDownload();
    void startUpload();
    void whenDataReady(std::function<void()> fn);

    QTcpServer *FServer = nullptr;
    QTcpSocket *FControl = nullptr;
    QTcpServer *FDataServer = nullptr;
    QTcpSocket *FData = nullptr;
    QByteArray FBuffer;
    QString FActiveHost;
    quint16 FActivePort = 0;
    bool FPassive = false;
    std::function<void()> FOnDataReady;
};
