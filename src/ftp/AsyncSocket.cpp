#include "ftp/AsyncSocket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

namespace {

int mapError(QAbstractSocket::SocketError e)
{
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError: return SocketError::ConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError: return SocketError::ConnectionReset;
    case QAbstractSocket::HostNotFoundError: return SocketError::HostNotFound;
    case QAbstractSocket::SocketAccessError: return SocketError::AccessDenied;
    case QAbstractSocket::SocketResourceError: return SocketError::NoBuffers;
    case QAbstractSocket::SocketTimeoutError: return SocketError::TimedOut;
    case QAbstractSocket::NetworkError: return SocketError::NetworkUnreachable;
    case QAbstractSocket::AddressInUseError: return SocketError::AddressInUse;
    case QAbstractSocket::SocketAddressNotAvailableError: return SocketError::AddressNotAvailable;
    case QAbstractSocket::UnsupportedSocketOperationError: return SocketError::ProtocolNotSupported;
    case QAbstractSocket::ProxyConnectionRefusedError: return SocketError::ConnectionRefused;
    case QAbstractSocket::ProxyNotFoundError: return SocketError::HostNotFound;
    case QAbstractSocket::ProxyAuthenticationRequiredError: return SocketError::SocksRequestFailed;
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyProtocolError: return SocketError::SocksProtocolError;
    default: return SocketError::Unknown;
    }
}

// Accepted and local addresses of IPv4 connections may come as IPv4-mapped
// IPv6 addresses; FTP commands need the dotted form.
QString addressText(const QHostAddress &a)
{
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : a.toString();
}

// Hands out TLS-able sockets for the connections it accepts.
class TlsServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *s = new QSslSocket(this);
        if (s->setSocketDescriptor(descriptor))
            addPendingConnection(s);
        else
            delete s;
    }
};

} // namespace

TAsyncSocket::TAsyncSocket(QObject *parent) : QObject(parent) {}

TAsyncSocket::~TAsyncSocket()
{
    ClearEvents();
    CancelDnsLookup();
    detach();
}

void TAsyncSocket::ClearEvents()
{
    OnDnsLookupDone = nullptr;
    OnSessionConnected = nullptr;
    OnSessionAvailable = nullptr;
    OnDataAvailable = nullptr;
    OnDataSent = nullptr;
    OnSessionClosed = nullptr;
    OnTlsDone = nullptr;
    OnSslErrors = nullptr;
}

// --- host lookup

void TAsyncSocket::DnsLookup(const QString &HostName)
{
    CancelDnsLookup();
    FDnsResult.clear();
    FLookupId = QHostInfo::lookupHost(HostName, this,
                                      [this](const QHostInfo &info) { lookupFinished(info); });
}

void TAsyncSocket::CancelDnsLookup()
{
    if (FLookupId >= 0) {
        QHostInfo::abortHostLookup(FLookupId);
        FLookupId = -1;
    }
}

void TAsyncSocket::lookupFinished(const QHostInfo &info)
{
    if (info.lookupId() != FLookupId)
        return; // a lookup cancelled after its answer was queued
    FLookupId = -1;
    int error = 0;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        error = info.error() == QHostInfo::HostNotFound ? SocketError::HostNotFound
                                                        : SocketError::TryAgain;
    } else {
        // FTP's PORT and PASV speak IPv4: prefer an IPv4 address.
        QHostAddress chosen = info.addresses().first();
        for (const QHostAddress &a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                chosen = a;
                break;
            }
        }
        FDnsResult = addressText(chosen);
    }
    FLastError = error;
    if (auto handler = OnDnsLookupDone)
        handler(this, error);
}

// --- connecting

void TAsyncSocket::Connect()
{
    detach();
    FLastError = 0;
    FCloseError = 0;
    FSocksPending = false;
    FSocksReply.clear();

    int error = 0;
    const int port = ResolvePort(FPort, FProto);
    const bool socks4 = FSocksLevel == QLatin1String("4") || FSocksLevel == QLatin1String("4A");
    const bool socks5 = FSocksLevel == QLatin1String("5");
    const int socksPort = (socks4 || socks5) ? ResolvePort(FSocksPort.isEmpty() ? QStringLiteral("1080") : FSocksPort) : 0;
    if (FProto.compare(QLatin1String("tcp"), Qt::CaseInsensitive) != 0)
        error = SocketError::ProtocolNotSupported;
    else if (port < 0 || socksPort < 0)
        error = SocketError::InvalidArgument;
    else if ((socks4 || socks5) && FSocksServer.isEmpty())
        error = SocketError::InvalidArgument;
    if (error) {
        // Errors are reported like the outcome of a real attempt: later, from
        // the event loop, never inside the caller.
        FState = wsConnecting;
        QTimer::singleShot(0, this, [this, error] {
            if (FState == wsConnecting && !FSocket)
                fail(error);
        });
        return;
    }

    QTcpSocket *s = FTlsCapable ? new QSslSocket(this) : new QTcpSocket(this);
    if (socks5)
        s->setProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, FSocksServer, quint16(socksPort),
                                  FSocksAuthentication ? FSocksUsercode : QString(),
                                  FSocksAuthentication ? FSocksPassword : QString()));
    else
        s->setProxy(QNetworkProxy::NoProxy);
    attach(s);
    FState = wsConnecting;
    if (socks4) {
        FSocksPending = true;
        s->connectToHost(FSocksServer, quint16(socksPort));
    } else {
        s->connectToHost(FAddr, quint16(port));
    }
}

void TAsyncSocket::attach(QTcpSocket *s)
{
    FSocket = s;
    connect(s, &QTcpSocket::connected, this, &TAsyncSocket::socketConnected);
    connect(s, &QTcpSocket::readyRead, this, &TAsyncSocket::socketReadyRead);
    connect(s, &QTcpSocket::bytesWritten, this, &TAsyncSocket::socketBytesWritten);
    connect(s, &QTcpSocket::errorOccurred, this, &TAsyncSocket::socketError);
    connect(s, &QTcpSocket::disconnected, this, &TAsyncSocket::socketDisconnected);
    if (auto *ssl = qobject_cast<QSslSocket *>(s)) {
        connect(ssl, &QSslSocket::encrypted, this, &TAsyncSocket::tlsEncrypted);
        connect(ssl, &QSslSocket::sslErrors, this, &TAsyncSocket::tlsErrors);
        // Room in the queue comes back only when the encrypted bytes leave.
        connect(ssl, &QSslSocket::encryptedBytesWritten, this, &TAsyncSocket::socketBytesWritten);
    }
}

void TAsyncSocket::detach()
{
    if (FSocket) {
        FSocket->disconnect(this);
        FSocket->abort();
        FSocket->deleteLater();
        FSocket = nullptr;
    }
    if (FServer) {
        FServer->disconnect(this);
        FServer->close();
        FServer->deleteLater();
        FServer = nullptr;
    }
    FState = wsClosed;
    FTlsPending = false;
    FTlsPaused = false;
}

void TAsyncSocket::fail(int error)
{
    FLastError = error;
    detach();
    if (auto handler = OnSessionConnected)
        handler(this, error);
}

void TAsyncSocket::socketConnected()
{
    if (FSocksPending) {
        sendSocks4Request();
        return;
    }
    applyLinger();
    FState = wsConnected;
    if (auto handler = OnSessionConnected)
        handler(this, 0);
}

void TAsyncSocket::sendSocks4Request()
{
    const int port = ResolvePort(FPort, FProto);
    QHostAddress target;
    const bool numeric = target.setAddress(FAddr) && target.protocol() == QAbstractSocket::IPv4Protocol;
    const bool levelA = FSocksLevel == QLatin1String("4A");
    if (!numeric && !levelA) {
        fail(SocketError::SocksNeedsAddress);
        return;
    }
    QByteArray request;
    request.append(char(4)).append(char(1));
    request.append(char((port >> 8) & 0xFF)).append(char(port & 0xFF));
    // SOCKS 4A: the address 0.0.0.x (x not 0) asks the server to resolve the
    // name that follows the user code.
    const quint32 ip = numeric ? target.toIPv4Address() : 1;
    request.append(char(ip >> 24)).append(char(ip >> 16)).append(char(ip >> 8)).append(char(ip));
    request.append(FSocksUsercode.toLatin1()).append('\0');
    if (!numeric)
        request.append(FAddr.toUtf8()).append('\0');
    FSocket->write(request);
}

void TAsyncSocket::readSocks4Reply()
{
    FSocksReply.append(FSocket->read(8 - FSocksReply.size()));
    if (FSocksReply.size() < 8)
        return;
    FSocksPending = false;
    if (FSocksReply.at(0) != 0 || quint8(FSocksReply.at(1)) != 90) {
        fail(quint8(FSocksReply.at(0)) == 0 ? SocketError::SocksRequestFailed
                                            : SocketError::SocksProtocolError);
        return;
    }
    applyLinger();
    FState = wsConnected;
    if (auto handler = OnSessionConnected)
        handler(this, 0);
    // Data that came in behind the SOCKS reply is the peer's first data.
    if (FSocket && FSocket->bytesAvailable() > 0)
        socketReadyRead();
}

// --- listening

int TAsyncSocket::Listen()
{
    detach();
    FLastError = 0;
    const int port = ResolvePort(FPort, FProto);
    if (port < 0)
        return FLastError = SocketError::InvalidArgument;
    QHostAddress address;
    if (FAddr.isEmpty() || FAddr == QLatin1String("0.0.0.0"))
        address = QHostAddress(QHostAddress::AnyIPv4);
    else if (!address.setAddress(FAddr))
        return FLastError = SocketError::AddressNotAvailable;
    FServer = FTlsCapable ? new TlsServer(this) : new QTcpServer(this);
    FServer->setProxy(QNetworkProxy::NoProxy);
    if (!FServer->listen(address, quint16(port))) {
        const int error = mapError(FServer->serverError());
        detach();
        return FLastError = error;
    }
    applyLinger();
    connect(FServer, &QTcpServer::newConnection, this, [this] {
        if (auto handler = OnSessionAvailable)
            handler(this, 0);
    });
    FState = wsListening;
    return 0;
}

QTcpSocket *TAsyncSocket::Accept()
{
    if (!FServer || !FServer->hasPendingConnections())
        return nullptr;
    QTcpSocket *s = FServer->nextPendingConnection();
    s->setParent(nullptr); // the connection outlives the listening socket
    return s;
}

bool TAsyncSocket::HasPendingConnection() const
{
    return FServer && FServer->hasPendingConnections();
}

void TAsyncSocket::Dup(QTcpSocket *accepted)
{
    detach();
    FLastError = 0;
    FCloseError = 0;
    accepted->setParent(this);
    attach(accepted);
    FState = wsConnected;
    applyLinger();
    // The peer may already have sent everything and gone: make sure the
    // notifications that arrived before adoption are not lost.
    QTimer::singleShot(0, this, [this, accepted] {
        if (FSocket != accepted)
            return;
        if (accepted->bytesAvailable() > 0)
            socketReadyRead();
        if (FSocket == accepted && accepted->state() == QAbstractSocket::UnconnectedState)
            reportClosed(FCloseError);
    });
}

// --- data

void TAsyncSocket::socketReadyRead()
{
    if (FSocksPending) {
        readSocks4Reply();
        return;
    }
    if (auto handler = OnDataAvailable)
        handler(this, 0);
}

qint64 TAsyncSocket::BytesAvailable() const
{
    return FSocket ? FSocket->bytesAvailable() : 0;
}

qint64 TAsyncSocket::Receive(char *buffer, qint64 size)
{
    return FSocket ? FSocket->read(buffer, size) : -1;
}

QByteArray TAsyncSocket::ReceiveAll()
{
    return FSocket ? FSocket->readAll() : QByteArray();
}

qint64 TAsyncSocket::Send(const char *data, qint64 size)
{
    if (!FSocket || FState != wsConnected) {
        FLastError = SocketError::NotConnected;
        return -1;
    }
    const qint64 n = FSocket->write(data, size);
    if (n < 0)
        FLastError = mapError(FSocket->error());
    return n;
}

qint64 TAsyncSocket::BytesToWrite() const
{
    return pendingBytes();
}

// Over TLS the bytes written wait twice: clear ones not yet encrypted and
// encrypted ones not yet taken by the system.
qint64 TAsyncSocket::pendingBytes() const
{
    if (!FSocket)
        return 0;
    if (auto *ssl = qobject_cast<QSslSocket *>(FSocket))
        return ssl->bytesToWrite() + ssl->encryptedBytesToWrite();
    return FSocket->bytesToWrite();
}

void TAsyncSocket::socketBytesWritten()
{
    reportDataSent();
}

// One notification per block the handler may send, as long as the queue has
// room; the handler sends at most one block per notification. What is queued
// goes to the system at once, so the peer gets large segments, and one turn
// of the event loop never queues more than MaxBurst bytes, so timers and
// input keep their turn.
void TAsyncSocket::reportDataSent()
{
    static constexpr qint64 MaxBurst = 256 * 1024;
    if (FInDataSent)
        return;
    FInDataSent = true;
    qint64 queued = 0;
    bool idle = false; // the handler had nothing more to send
    while (queued < MaxBurst && !idle) {
        while (OnDataSent && FSocket && FState == wsConnected
               && pendingBytes() < FSendLowWater && queued < MaxBurst) {
            const qint64 before = pendingBytes();
            auto handler = OnDataSent;
            handler(this, 0);
            if (!FSocket || pendingBytes() <= before) {
                idle = true;
                break;
            }
            queued += pendingBytes() - before;
        }
        if (!FSocket || FState != wsConnected)
            break;
        const qint64 pending = pendingBytes();
        if (pending == 0)
            break;
        FSocket->flush();
        if (!FSocket || pendingBytes() >= pending)
            break; // the system takes no more for now
    }
    FInDataSent = false;
    // With everything handed to the system there is no write notification to
    // come: the next burst is asked for from the event loop.
    if (!idle && !FMoreDataPosted && OnDataSent && FSocket && FState == wsConnected
        && pendingBytes() == 0) {
        FMoreDataPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                FMoreDataPosted = false;
                reportDataSent();
            },
            Qt::QueuedConnection);
    }
}

// --- closing

void TAsyncSocket::socketError()
{
    if (!FSocket)
        return;
    const QAbstractSocket::SocketError e = FSocket->error();
    if (FTlsPending) {
        tlsFailed(FSocket->errorString());
        if (!FSocket)
            return; // the handler closed the socket
    }
    if (FState == wsConnecting) {
        fail(mapError(e));
        return;
    }
    if (e == QAbstractSocket::RemoteHostClosedError) {
        FCloseError = 0;
        // A TLS peer that ends with its closing alert waits for us to close
        // too (servers send their final reply only then); the alert alone
        // leaves the connection open.
        if (qobject_cast<QSslSocket *>(FSocket) && FSocket->state() == QAbstractSocket::ConnectedState)
            FSocket->disconnectFromHost();
    } else {
        FCloseError = mapError(e);
    }
    if (FSocket->state() == QAbstractSocket::UnconnectedState)
        reportClosed(FCloseError);
}

void TAsyncSocket::socketDisconnected()
{
    if (FTlsPending) {
        tlsFailed(QStringLiteral("Connection closed during the TLS handshake"));
        if (!FSocket)
            return;
    }
    reportClosed(FCloseError);
}

void TAsyncSocket::reportClosed(int error)
{
    if (FState != wsConnected && FState != wsClosing)
        return;
    FState = wsClosed;
    FLastError = error;
    if (auto handler = OnSessionClosed)
        handler(this, error);
}

void TAsyncSocket::Close()
{
    const bool wasOpen = FState == wsConnected || FState == wsClosing;
    if (FSocket && wasOpen) {
        // Our own close: Qt's notifications for it are not wanted.
        FSocket->disconnect(this);
        FSocket->abort();
    }
    detach();
    if (wasOpen) {
        if (auto handler = OnSessionClosed)
            handler(this, 0);
    }
}

void TAsyncSocket::ShutDown()
{
    if (!FSocket || FState != wsConnected) {
        Close();
        return;
    }
    FState = wsClosing;
    FSocket->disconnectFromHost();
}

// --- TLS

bool TAsyncSocket::TlsSupported()
{
    return QSslSocket::supportsSsl();
}

void TAsyncSocket::StartTls(const QSslConfiguration &config, const QString &peerName,
                            const QList<QSslError> &accepted)
{
    auto *ssl = qobject_cast<QSslSocket *>(FSocket);
    FSslErrors.clear();
    FTlsErrorString.clear();
    FTlsPaused = false;
    if (!ssl || FState != wsConnected || !QSslSocket::supportsSsl()) {
        FTlsPending = false;
        QTimer::singleShot(0, this, [this, socket = FSocket] {
            if (FSocket != socket)
                return;
            FTlsErrorString = QStringLiteral("TLS is not available");
            FLastError = SocketError::TlsNotAvailable;
            if (auto handler = OnTlsDone)
                handler(this, SocketError::TlsNotAvailable);
        });
        return;
    }
    FTlsPending = true;
    FTlsAccepted = accepted;
    ssl->setSslConfiguration(config);
    ssl->setPeerVerifyName(peerName);
    ssl->setPauseMode(QAbstractSocket::PauseOnSslErrors);
    if (!accepted.isEmpty())
        ssl->ignoreSslErrors(accepted);
    ssl->startClientEncryption();
}

void TAsyncSocket::tlsErrors(const QList<QSslError> &errors)
{
    if (!FTlsPending)
        return;
    bool known = true;
    for (const QSslError &e : errors)
        known = known && FTlsAccepted.contains(e);
    if (known)
        return; // the handshake goes on by itself
    // The socket pauses once this signal has been handled; the verdict is
    // asked for from the event loop, where a question may be shown.
    FTlsPaused = true;
    FSslErrors = errors;
    QMetaObject::invokeMethod(
        this,
        [this, socket = FSocket] {
            if (FSocket != socket || !FTlsPaused)
                return;
            if (auto handler = OnSslErrors)
                handler(this, 0);
            else
                Close();
        },
        Qt::QueuedConnection);
}

void TAsyncSocket::ResumeTls(const QList<QSslError> &accept)
{
    auto *ssl = qobject_cast<QSslSocket *>(FSocket);
    if (!ssl || !FTlsPaused)
        return;
    FTlsPaused = false;
    FTlsAccepted += accept;
    ssl->ignoreSslErrors(FTlsAccepted);
    ssl->resume();
}

void TAsyncSocket::tlsEncrypted()
{
    if (!FTlsPending)
        return;
    FTlsPending = false;
    if (auto handler = OnTlsDone)
        handler(this, 0);
}

void TAsyncSocket::tlsFailed(const QString &reason)
{
    FTlsPending = false;
    FTlsPaused = false;
    FTlsErrorString = reason;
    FLastError = SocketError::TlsHandshakeFailed;
    if (auto handler = OnTlsDone)
        handler(this, SocketError::TlsHandshakeFailed);
}

bool TAsyncSocket::IsEncrypted() const
{
    auto *ssl = qobject_cast<QSslSocket *>(FSocket);
    return ssl && ssl->isEncrypted();
}

QSslCertificate TAsyncSocket::PeerCertificate() const
{
    if (auto *ssl = qobject_cast<QSslSocket *>(FSocket))
        return ssl->peerCertificate();
    return QSslCertificate();
}

QSslConfiguration TAsyncSocket::SslConfiguration() const
{
    if (auto *ssl = qobject_cast<QSslSocket *>(FSocket))
        return ssl->sslConfiguration();
    return QSslConfiguration();
}

// --- information

QString TAsyncSocket::GetXAddr() const
{
    if (FSocket)
        return addressText(FSocket->localAddress());
    if (FServer)
        return addressText(FServer->serverAddress());
    return QStringLiteral("0.0.0.0");
}

QString TAsyncSocket::GetXPort() const
{
    if (FSocket)
        return QString::number(FSocket->localPort());
    if (FServer)
        return QString::number(FServer->serverPort());
    return QStringLiteral("0");
}

QString TAsyncSocket::GetPeerAddr() const
{
    return FSocket ? addressText(FSocket->peerAddress()) : QString();
}

QString TAsyncSocket::GetPeerPort() const
{
    return FSocket ? QString::number(FSocket->peerPort()) : QString();
}

int TAsyncSocket::GetSendBufferSize() const
{
    if (!FSocket)
        return -1;
    const QVariant v = FSocket->socketOption(QAbstractSocket::SendBufferSizeSocketOption);
    return v.isValid() && v.toInt() > 0 ? v.toInt() : -1;
}

void TAsyncSocket::applyLinger()
{
#ifdef Q_OS_UNIX
    const qintptr fd = FSocket ? FSocket->socketDescriptor()
                               : FServer ? FServer->socketDescriptor() : -1;
    if (fd < 0)
        return;
    struct linger l;
    l.l_onoff = FLingerOn ? 1 : 0;
    l.l_linger = FLingerOn ? FLingerTimeout : 0;
    ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
#endif
}

// --- helpers

int TAsyncSocket::ResolvePort(const QString &port, const QString &proto)
{
    const QString p = port.trimmed();
    if (p.isEmpty())
        return -1;
    bool numeric = false;
    const int n = p.toInt(&numeric);
    if (numeric)
        return n >= 0 && n <= 65535 ? n : -1;
#ifdef Q_OS_UNIX
    if (const servent *s = ::getservbyname(p.toLatin1().constData(), proto.toLatin1().constData()))
        return ntohs(quint16(s->s_port));
#else
    Q_UNUSED(proto);
#endif
    // Systems without a services database still know these two.
    if (p.compare(QLatin1String("ftp"), Qt::CaseInsensitive) == 0)
        return 21;
    if (p.compare(QLatin1String("ftp-data"), Qt::CaseInsensitive) == 0)
        return 20;
    return -1;
}

QString TAsyncSocket::SocketErrorDesc(int error)
{
    switch (error) {
    case SocketError::None: return QStringLiteral("No error");
    case SocketError::AccessDenied: return QStringLiteral("Permission denied");
    case SocketError::InvalidArgument: return QStringLiteral("Invalid argument");
    case SocketError::WouldBlock: return QStringLiteral("Operation would block");
    case SocketError::NotSocket: return QStringLiteral("Socket operation on non-socket");
    case SocketError::ProtocolNotSupported: return QStringLiteral("Protocol not supported");
    case SocketError::AddressInUse: return QStringLiteral("Address already in use");
    case SocketError::AddressNotAvailable: return QStringLiteral("Cannot assign requested address");
    case SocketError::NetworkDown: return QStringLiteral("Network is down");
    case SocketError::NetworkUnreachable: return QStringLiteral("Network is unreachable");
    case SocketError::ConnectionAborted: return QStringLiteral("Software caused connection abort");
    case SocketError::ConnectionReset: return QStringLiteral("Connection reset by peer");
    case SocketError::NoBuffers: return QStringLiteral("No buffer space available");
    case SocketError::NotConnected: return QStringLiteral("Socket is not connected");
    case SocketError::TimedOut: return QStringLiteral("Connection timed out");
    case SocketError::ConnectionRefused: return QStringLiteral("Connection refused");
    case SocketError::HostUnreachable: return QStringLiteral("No route to host");
    case SocketError::HostNotFound: return QStringLiteral("Host not found");
    case SocketError::TryAgain: return QStringLiteral("Non-authoritative host not found");
    case SocketError::NoData: return QStringLiteral("Valid name, no data record of requested type");
    case SocketError::SocksRequestFailed: return QStringLiteral("SOCKS request rejected or failed");
    case SocketError::SocksProtocolError: return QStringLiteral("SOCKS protocol error");
    case SocketError::SocksNeedsAddress: return QStringLiteral("SOCKS 4 needs a numeric address");
    case SocketError::TlsHandshakeFailed: return QStringLiteral("TLS handshake failed");
    case SocketError::TlsNotAvailable: return QStringLiteral("TLS not available");
    default: return QStringLiteral("Unknown error");
    }
}
