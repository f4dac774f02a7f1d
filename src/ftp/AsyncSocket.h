#pragma once
// Event-driven TCP socket used by the FTP engine: host lookup, connect,
// listen/accept, send and receive, all reported through handlers run from the
// event loop of the thread that owns the socket. SOCKS 4 and 4A requests are
// made by the socket itself; SOCKS 5 goes through Qt's proxy support.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;
class QHostInfo;

// Error numbers of the socket layer. They keep the values long used by
// desktop socket libraries so that logs and "error #" texts stay comparable.
namespace SocketError {
enum : int {
    None = 0,
    AccessDenied = 10013,
    InvalidArgument = 10022,
    WouldBlock = 10035,
    NotSocket = 10038,
    ProtocolNotSupported = 10043,
    AddressInUse = 10048,
    AddressNotAvailable = 10049,
    NetworkDown = 10050,
    NetworkUnreachable = 10051,
    ConnectionAborted = 10053,
    ConnectionReset = 10054,
    NoBuffers = 10055,
    NotConnected = 10057,
    TimedOut = 10060,
    ConnectionRefused = 10061,
    HostUnreachable = 10065,
    HostNotFound = 11001,
    TryAgain = 11002,
    NoData = 11004,
    // Our own numbers for the SOCKS negotiation.
    SocksRequestFailed = 20000,
    SocksProtocolError = 20001,
    SocksNeedsAddress = 20002,
    // TLS on the connection could not be set up.
    TlsHandshakeFailed = 20010,
    TlsNotAvailable = 20011,
    Unknown = 20099,
};
}

class TAsyncSocket : public QObject
{
    Q_OBJECT

public:
    enum TSocketState { wsClosed, wsConnecting, wsConnected, wsListening, wsClosing };

    // Every handler receives the socket and an error number (0 = none).
    using TSocketEvent = std::function<void(TAsyncSocket *Sender, int Error)>;

    explicit TAsyncSocket(QObject *parent = nullptr);
    ~TAsyncSocket() override;

    // Where to connect or listen: host (dotted address or name), port (number
    // or service name) and protocol (only "tcp").
    QString Addr() const { return FAddr; }
    void setAddr(const QString &v) { FAddr = v; }
    QString Port() const { return FPort; }
    void setPort(const QString &v) { FPort = v; }
    QString Proto() const { return FProto; }
    void setProto(const QString &v) { FProto = v; }

    // Host lookup; OnDnsLookupDone reports the outcome, DnsResult the address.
    void DnsLookup(const QString &HostName);
    void CancelDnsLookup();
    bool LookupInProgress() const { return FLookupId >= 0; }
    QString DnsResult() const { return FDnsResult; }

    // Connects to Addr:Port; OnSessionConnected reports the outcome.
    void Connect();
    // Listens on Addr:Port (port "0": any); OnSessionAvailable reports each
    // incoming connection. Returns the error (0 = listening).
    int Listen();
    // Takes the pending incoming connection of a listening socket; the caller
    // hands it to Dup() of the socket that will carry it.
    QTcpSocket *Accept();
    bool HasPendingConnection() const;
    // Adopts an accepted connection: this socket becomes connected on it.
    void Dup(QTcpSocket *accepted);

    // Reading: what has arrived so far.
    qint64 BytesAvailable() const;
    qint64 Receive(char *buffer, qint64 size);
    QByteArray ReceiveAll();

    // Queues data; OnDataSent fires while the socket has room for more.
    // Returns the number of bytes taken or -1 with LastError set.
    qint64 Send(const char *data, qint64 size);
    qint64 Send(const QByteArray &data) { return Send(data.constData(), data.size()); }
    qint64 BytesToWrite() const;

    // Closes at once (pending data is dropped); a connected socket reports
    // OnSessionClosed before this returns.
    void Close();
    // Closes once the queued data has gone out; OnSessionClosed follows.
    void ShutDown();

    TSocketState State() const { return FState; }
    int LastError() const { return FLastError; }

    // Local address and port of the socket, and the address of its peer.
    QString GetXAddr() const;
    QString GetXPort() const;
    QString GetPeerAddr() const;
    QString GetPeerPort() const;

    // TLS. A socket that may need it must be made able to before it
    // connects or listens: its connections are then TLS sockets that speak
    // in clear until StartTls. The handshake runs as the client's (an
    // accepted data connection too, as FTP wants); OnTlsDone reports its end.
    // A certificate that does not verify pauses the handshake and raises
    // OnSslErrors, unless every error is among those already accepted;
    // ResumeTls then goes on with the errors accepted, Close gives up.
    void setTlsCapable(bool v) { FTlsCapable = v; }
    bool TlsCapable() const { return FTlsCapable; }
    static bool TlsSupported();
    void StartTls(const QSslConfiguration &config, const QString &peerName,
                  const QList<QSslError> &accepted);
    void ResumeTls(const QList<QSslError> &accept);
    bool IsEncrypted() const;
    bool TlsPaused() const { return FTlsPaused; }
    QList<QSslError> SslErrors() const { return FSslErrors; }
    QSslCertificate PeerCertificate() const;
    QString TlsErrorString() const { return FTlsErrorString; }
    // The configuration in use, with the session to resume, once encrypted.
    QSslConfiguration SslConfiguration() const;

    void SetLingerOnOff(bool on) { FLingerOn = on; }
    void SetLingerTimeout(int seconds) { FLingerTimeout = seconds; }
    bool LingerOn() const { return FLingerOn; }

    // Size of the system's send buffer for this socket, -1 when unknown.
    int GetSendBufferSize() const;
    // How many queued bytes the socket accepts before it stops reporting
    // room through OnDataSent.
    void setSendLowWater(qint64 bytes) { FSendLowWater = bytes; }

    // SOCKS: level "" (none), "4", "4A" or "5".
    QString SocksLevel() const { return FSocksLevel; }
    void setSocksLevel(const QString &v) { FSocksLevel = v.toUpper(); }
    QString SocksServer() const { return FSocksServer; }
    void setSocksServer(const QString &v) { FSocksServer = v; }
    QString SocksPort() const { return FSocksPort; }
    void setSocksPort(const QString &v) { FSocksPort = v; }
    QString SocksUsercode() const { return FSocksUsercode; }
    void setSocksUsercode(const QString &v) { FSocksUsercode = v; }
    QString SocksPassword() const { return FSocksPassword; }
    void setSocksPassword(const QString &v) { FSocksPassword = v; }
    bool SocksAuthentication() const { return FSocksAuthentication; }
    void setSocksAuthentication(bool v) { FSocksAuthentication = v; }

    // Text for an error number of this layer.
    static QString SocketErrorDesc(int error);
    // Port number of a port string (digits or a service name), -1 if unknown.
    static int ResolvePort(const QString &port, const QString &proto = QStringLiteral("tcp"));

    TSocketEvent OnDnsLookupDone;
    TSocketEvent OnSessionConnected;
    TSocketEvent OnSessionAvailable;
    TSocketEvent OnDataAvailable;
    TSocketEvent OnDataSent;
    TSocketEvent OnSessionClosed;
    TSocketEvent OnTlsDone;
    TSocketEvent OnSslErrors;
    void ClearEvents();

private:
    void attach(QTcpSocket *socket);
    void detach();
    void lookupFinished(const QHostInfo &info);
    void socketConnected();
    void socketReadyRead();
    void socketBytesWritten();
    void socketError();
    void socketDisconnected();
    void reportDataSent();
    void applyLinger();
    void fail(int error);
    void sendSocks4Request();
    void readSocks4Reply();
    void reportClosed(int error);
    void tlsEncrypted();
    void tlsErrors(const QList<QSslError> &errors);
    void tlsFailed(const QString &reason);
    qint64 pendingBytes() const;

    QString FAddr;
    QString FPort;
    QString FProto = QStringLiteral("tcp");
    QString FDnsResult;
    int FLookupId = -1;

    QTcpSocket *FSocket = nullptr;
    QTcpServer *FServer = nullptr;
    TSocketState FState = wsClosed;
    int FLastError = 0;
    int FCloseError = 0;
    bool FInDataSent = false;
    bool FMoreDataPosted = false;
    qint64 FSendLowWater = 256 * 1024;

    bool FLingerOn = false;
    int FLingerTimeout = 0;

    QString FSocksLevel;
    QString FSocksServer;
    QString FSocksPort;
    QString FSocksUsercode;
    QString FSocksPassword;
    bool FSocksAuthentication = false;
    bool FSocksPending = false; // SOCKS 4 reply awaited
    QByteArray FSocksReply;

    bool FTlsCapable = false;
    bool FTlsPending = false;  // handshake under way
    bool FTlsPaused = false;   // handshake waits for a verdict on FSslErrors
    QList<QSslError> FSslErrors;
    QList<QSslError> FTlsAccepted;
    QString FTlsErrorString;
};
