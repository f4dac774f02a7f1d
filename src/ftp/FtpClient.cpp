#include "ftp/FtpClient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QLoggingCategory>
#include <QSslSocket>
#include <QTimer>

Q_LOGGING_CATEGORY(lcFtp, "pemo.ftp", QtWarningMsg)

namespace {

constexpr qint64 SendBlock = 1460;        // one TCP segment on Ethernet
constexpr qint64 ReceiveBlock = 64 * 1024;

using Step = TCustomFtpClient::TFtpStep;

constexpr unsigned bit(Step s) { return 1u << unsigned(s); }
bool has(unsigned set, Step s) { return (set & bit(s)) != 0; }

const unsigned loginSteps = bit(Step::stOpen) | bit(Step::stUser) | bit(Step::stPass);

QString socketErrorReply(int error)
{
    return QStringLiteral("500 ") + TAsyncSocket::SocketErrorDesc(error)
           + QStringLiteral(" (Winsock error #") + QString::number(error) + u')';
}

// What the log shows of a command line: the password never appears.
QString shownCommand(const QString &line)
{
    if (line.startsWith(QLatin1String("PASS "), Qt::CaseInsensitive)
        || line.compare(QLatin1String("PASS"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("PASS ****");
    return line;
}

} // namespace

TCustomFtpClient::TCustomFtpClient(QObject *parent)
    : QObject(parent), FControlSocket(new TAsyncSocket(this)), FDataSocket(new TAsyncSocket(this))
{
    FReader.setAcceptLF(FOptions & ftpAcceptLF);
    FControlSocket->OnDnsLookupDone = [this](TAsyncSocket *, int e) { lookupDone(e); };
    FControlSocket->OnSessionConnected = [this](TAsyncSocket *, int e) { controlConnected(e); };
    FControlSocket->OnDataAvailable = [this](TAsyncSocket *, int) { controlDataAvailable(); };
    FControlSocket->OnSessionClosed = [this](TAsyncSocket *, int e) { controlClosed(e); };
}

TCustomFtpClient::~TCustomFtpClient()
{
    FControlSocket->ClearEvents();
    FDataSocket->ClearEvents();
    closeLocalFile();
}

// --- properties

void TCustomFtpClient::setOptions(TFtpOptions v)
{
    FOptions = v;
    FReader.setAcceptLF(v & ftpAcceptLF);
}

void TCustomFtpClient::setConnectionType(TFtpConnectionType v)
{
    if (FConnected)
        throw FtpException(QStringLiteral("FTP component connected"));
    FConnectionType = v;
    if (v != ftpDirect)
        FPassiveMode = true; // a proxy or SOCKS server cannot take our PORT
    applySocks(FControlSocket);
    applySocks(FDataSocket);
}

void TCustomFtpClient::SetPassiveMode(bool v)
{
    FPassiveMode = FConnectionType == ftpDirect ? v : true;
}

void TCustomFtpClient::applySocks(TAsyncSocket *socket) const
{
    QString level;
    switch (FConnectionType) {
    case ftpSocks4: level = QStringLiteral("4"); break;
    case ftpSocks4A: level = QStringLiteral("4A"); break;
    case ftpSocks5: level = QStringLiteral("5"); break;
    default: break;
    }
    socket->setSocksLevel(level);
    socket->setSocksServer(FSocksServer);
    socket->setSocksPort(FSocksPort);
    socket->setSocksUsercode(FSocksUserCode);
    socket->setSocksPassword(FSocksPassword);
    socket->setSocksAuthentication(!level.isEmpty() && !FSocksUserCode.isEmpty());
}

bool TCustomFtpClient::IsSafeArgument(const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    }
    return true;
}

const char *TCustomFtpClient::StateName(TFtpState s)
{
    switch (s) {
    case ftpStReady: return "ready";
    case ftpStReadyBetweenSteps: return "ready between steps";
    case ftpStLookingUp: return "looking up the host";
    case ftpStConnected: return "connected";
    case ftpStAborting: return "aborting";
    case ftpStWaitingGreeting: return "waiting for the greeting";
    case ftpStWaitingReply: return "waiting for a reply";
    }
    return "?";
}

// The one place where the state changes.
void TCustomFtpClient::setState(TFtpState s)
{
    if (s == FState)
        return;
    qCDebug(lcFtp, "state: %s -> %s", StateName(FState), StateName(s));
    FState = s;
    if (auto handler = OnStateChange)
        handler(this);
}

void TCustomFtpClient::display(const QString &msg)
{
    if (auto handler = OnDisplay)
        handler(this, msg);
}

QString TCustomFtpClient::commandName(TFtpStep step) const
{
    switch (step) {
    case stRetr: return QStringLiteral("RETR");
    case stList: return QStringLiteral("LIST");
    case stNlst: return QStringLiteral("NLST");
    case stMlsd: return QStringLiteral("MLSD");
    case stStor: return QStringLiteral("STOR");
    case stAppe: return QStringLiteral("APPE");
    default: return QString();
    }
}

// --- starting requests

void TCustomFtpClient::startHighLevel(TFtpRequest kind, TStepSet steps)
{
    if (!isReady())
        throw FtpException(QStringLiteral("FTP component not ready"));
    if (FConnected && has(steps, stOpen))
        throw FtpException(QStringLiteral("FTP component already connected"));
    FLastResponseSave = FLastResponse;
    FStatusCodeSave = -1;
    FRequestType = kind;
    FStepSet = steps;
    FRequestResult = 0;
    FHighLevelResult = 0;
    FHighLevelFlag = true;
    FRequestActive = true;
    FPrevStep = stNone;
    FPrevCode = 0;
    FLastResponse.clear();
    FErrorMessage.clear();
    FStarting = true;
    try {
        selectNextStep();
    } catch (...) {
        FStarting = false;
        FRequestActive = false;
        FHighLevelFlag = false;
        FStepSet = 0;
        setState(ftpStReady);
        throw;
    }
    FStarting = false;
}

void TCustomFtpClient::beginPrimitive(TFtpRequest kind, TFtpStep step)
{
    if (step != stQuit) {
        if (!isReady())
            throw FtpException(QStringLiteral("FTP component not ready"));
        if (step == stOpen) {
            if (FConnected)
                throw FtpException(QStringLiteral("FTP component already connected"));
        } else if (!FConnected) {
            throw FtpException(QStringLiteral("FTP component not connected"));
        }
    }
    FRequestType = kind;
    FHighLevelFlag = false;
    FStepSet = 0;
    FRequestResult = 0;
    FHighLevelResult = 0;
    FStatusCodeSave = -1;
    FRequestActive = true;
    FErrorMessage.clear();
}

void TCustomFtpClient::runPrimitive(TFtpRequest kind, TFtpStep step)
{
    beginPrimitive(kind, step);
    FStarting = true;
    try {
        runStep(step);
    } catch (...) {
        FStarting = false;
        FRequestActive = false;
        setState(ftpStReady);
        throw;
    }
    FStarting = false;
}

// Picks and runs the next step of a high-level request.
void TCustomFtpClient::selectNextStep()
{
    for (;;) {
        if (FState == ftpStAborting) {
            FStepSet = 0;
            FHighLevelResult = 426;
            FErrorMessage = QStringLiteral("426 Operation aborted.");
        }
        if (FRequestResult != 0) {
            // The first error is the request's; a pending QUIT still runs.
            if (FHighLevelResult == 0)
                FHighLevelResult = FRequestResult;
            FStepSet = (FPrevStep != stQuit && has(FStepSet, stQuit)) ? bit(stQuit) : 0;
            FRequestResult = 0;
        }
        if (FStepSet == 0) {
            endRequest();
            return;
        }
        Step step = stNone;
        for (int s = stOpen; s <= stQuit; ++s) {
            if (has(FStepSet, Step(s))) {
                step = Step(s);
                break;
            }
        }
        FStepSet &= ~bit(step);

        // Steps skipped rather than run.
        if (step == stPass && FPrevStep == stUser && FPrevCode != 331)
            continue; // logged in without a password
        if (step == stCwd && FHostDirName.isEmpty())
            continue;
        if (step == stRest) {
            if ((FRequestType == ftpRestartGet || FRequestType == ftpRestartReceive)
                && !(FOptions & ftpNoAutoResumeAt)) {
                const QFileInfo local(FLocalFileName);
                FResumeAt = local.exists() ? local.size() : -1;
            }
            if (FResumeAt <= 0)
                continue;
        }
        if (step == stQuit) {
            // Report the reply of the command that mattered, not QUIT's.
            FLastResponseSave = FLastResponse;
            FStatusCodeSave = FStatusCode;
            if (!FConnected)
                continue; // the server has already gone
        }

        try {
            runStep(step);
        } catch (const FtpException &e) {
            if (FStarting)
                throw;
            // Misuse found in the middle of a sequence (a step run from a
            // socket event): the step fails, the request goes on to its end.
            display(QStringLiteral("! ") + e.Message());
            if (FErrorMessage.isEmpty())
                FErrorMessage = e.Message();
            FPrevStep = step;
            FRequestResult = 500;
            if (FState != ftpStAborting)
                setState(ftpStReadyBetweenSteps);
            continue;
        }
        return;
    }
}

void TCustomFtpClient::runStep(TFtpStep step)
{
    FStep = step;
    switch (step) {
    case stOpen: doOpen(); break;
    case stUser: doUser(); break;
    case stPass:
        sendCommand(stPass, QStringLiteral("PASS ") + FPassWord, {230});
        break;
    case stCwd:
        sendCommand(stCwd, QStringLiteral("CWD ") + FHostDirName, {200, 250, 257});
        break;
    case stCdup: sendCommand(stCdup, QStringLiteral("CDUP"), {250}); break;
    case stType:
        sendCommand(stType, FBinary ? QStringLiteral("TYPE I") : QStringLiteral("TYPE A"), {200});
        break;
    case stPort: doPort(); break;
    case stRest:
        sendCommand(stRest, QStringLiteral("REST ") + QString::number(FResumeAt), {});
        break;
    case stRetr:
    case stList:
    case stNlst:
    case stMlsd: startReceive(step); break;
    case stStor:
    case stAppe: startSend(step); break;
    case stSyst: sendCommand(stSyst, QStringLiteral("SYST"), {215}); break;
    case stMkd: sendCommand(stMkd, QStringLiteral("MKD ") + FHostFileName, {257}); break;
    case stRmd: sendCommand(stRmd, QStringLiteral("RMD ") + FHostFileName, {250, 257}); break;
    case stRnfr: sendCommand(stRnfr, QStringLiteral("RNFR ") + FHostFileName, {350}); break;
    case stRnto:
        sendCommand(stRnto, QStringLiteral("RNTO ") + FLocalFileName, {200, 250, 257});
        break;
    case stSize: sendCommand(stSize, QStringLiteral("SIZE ") + FHostFileName, {213}); break;
    case stDele: sendCommand(stDele, QStringLiteral("DELE ") + FHostFileName, {250, 257}); break;
    case stPwd: sendCommand(stPwd, QStringLiteral("PWD"), {250, 257}); break;
    case stQuote: sendCommand(stQuote, FLocalFileName, {}); break;
    case stFeat: sendCommand(stFeat, QStringLiteral("FEAT"), {211}); break;
    case stMfmt:
        if (!FModifyTime.isValid())
            throw FtpException(QStringLiteral("ModifyTime not set"));
        sendCommand(stMfmt, QStringLiteral("MFMT ") + FModifyTime.toUTC().toString(QStringLiteral("yyyyMMddHHmmss"))
                                + u' ' + FHostFileName, {213});
        break;
    case stQuit: doQuit(); break;
    case stNone: break;
    }
}

void TCustomFtpClient::sendCommand(TFtpStep step, const QString &line, QList<int> accepted,
                                   THandler afterReply)
{
    if (step != stQuit) {
        if (!isReady())
            throw FtpException(QStringLiteral("FTP component not ready"));
        if (!FConnected)
            throw FtpException(QStringLiteral("FTP component not connected"));
    }
    QString cmd = line;
    if (auto handler = OnCommand)
        handler(this, cmd);
    if (!IsSafeArgument(cmd)) {
        FStatusCode = 501;
        FLastResponse = QStringLiteral("501 Command not sent: an argument holds CR, LF or NUL");
        FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        throw FtpUnsafeArgument(cmd);
    }
    QByteArray bytes = cmd.toUtf8();
    if (FWindows1252Names && !FtpReply::encodeWindows1252(cmd, bytes)) {
        FStatusCode = 501;
        FLastResponse = QStringLiteral("501 Command not sent: a name has no Windows-1252 form");
        FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        throw FtpException(FLastResponse);
    }
    FStep = step;
    FReplyLines.clear();
    FOkResponses = accepted.mid(0, 16);
    FNext = &TCustomFtpClient::standardReply;
    FAfterReply = afterReply;
    setState(ftpStWaitingReply);
    display(QStringLiteral("> ") + shownCommand(cmd));
    if (FControlSocket->State() == TAsyncSocket::wsConnected)
        FControlSocket->Send(bytes + "\r\n");
}

// Runs once per step.
void TCustomFtpClient::stepDone()
{
    if (!FRequestActive) {
        if (FState != ftpStAborting)
            setState(ftpStReady);
        return;
    }
    FPrevStep = FStep;
    FPrevCode = FStatusCode;
    FStep = stNone;
    if (FRequestResult == 0)
        extractResults();
    if (FHighLevelFlag && FStepSet != 0) {
        if (FState != ftpStAborting)
            setState(ftpStReadyBetweenSteps);
        selectNextStep();
        return;
    }
    if (FHighLevelFlag && FRequestResult != 0 && FHighLevelResult == 0)
        FHighLevelResult = FRequestResult;
    endRequest();
}

void TCustomFtpClient::extractResults()
{
    switch (FPrevStep) {
    case stSize: {
        const qint64 n = FtpReply::numberAfterCode(FLastResponse);
        if (n >= 0)
            FReplySize = n;
        break;
    }
    case stCwd:
    case stMkd:
    case stPwd:
    case stCdup: FReplyDir = FtpReply::quotedName(FLastResponse); break;
    case stFeat:
        // The lines between "211-" and the final "211 ": one feature each.
        FFeatures.clear();
        for (qsizetype i = 1; i + 1 < FReplyLines.size(); ++i) {
            const QString feature = FReplyLines.at(i).trimmed();
            if (!feature.isEmpty())
                FFeatures << feature;
        }
        break;
    default: break;
    }
}

void TCustomFtpClient::endRequest()
{
    int error = FHighLevelFlag ? (FHighLevelResult ? FHighLevelResult : FRequestResult)
                               : FRequestResult;
    if (FState == ftpStAborting) {
        error = 426;
        FErrorMessage = QStringLiteral("426 Operation aborted.");
    }
    FRequestActive = false;
    FHighLevelFlag = false;
    FStepSet = 0;
    FStep = stNone;
    FTransferActive = false;
    // The data port step alone leaves its listening socket for what follows.
    if (!(FRequestType == ftpPort && FDataSocket->State() == TAsyncSocket::wsListening))
        closeDataSocket();
    closeLocalFile();
    if (FStatusCodeSave >= 0) {
        FLastResponse = FLastResponseSave;
        FStatusCode = FStatusCodeSave;
        FStatusCodeSave = -1;
    }
    if (FState != ftpStAborting)
        setState(ftpStReady);
    FLastRequestError = quint16(error);
    postRequestDone(FRequestType, quint16(error));
}

void TCustomFtpClient::postRequestDone(TFtpRequest kind, quint16 error)
{
    QMetaObject::invokeMethod(
        this,
        [this, kind, error] {
            runPosted([this, kind, error] {
                if (auto handler = OnRequestDone)
                    handler(this, kind, error);
            });
        },
        Qt::QueuedConnection);
}

void TCustomFtpClient::runPosted(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const std::exception &e) {
        bool canAbort = false;
        if (auto handler = OnBgException) {
            try {
                handler(this, e, canAbort);
            } catch (...) {
            }
        }
        if (canAbort)
            Abort();
    } catch (...) {
        const FtpException e(QStringLiteral("Unknown exception"));
        bool canAbort = false;
        if (auto handler = OnBgException) {
            try {
                handler(this, e, canAbort);
            } catch (...) {
            }
        }
        if (canAbort)
            Abort();
    }
}

// --- reply reading

void TCustomFtpClient::controlDataAvailable()
{
    FReader.append(FControlSocket->ReceiveAll());
    QString line;
    while (FReader.takeLine(line)) {
        FLastResponse = line;
        if (auto handler = OnResponse)
            handler(this);
        dispatchReply(line);
    }
}

// The one dispatch after each complete reply line.
void TCustomFtpClient::dispatchReply(const QString &line)
{
    switch (FState) {
    case ftpStWaitingGreeting: {
        display(QStringLiteral("< ") + line);
        if (!FtpReply::isFinal(line))
            return;
        FStatusCode = FtpReply::code(line);
        if (FStatusCode == 220) {
            setState(ftpStConnected);
            if (auto handler = OnSessionConnected)
                handler(this);
            FRequestResult = 0;
            if (FUseTls)
                startAuth();
            else
                stepDone();
        } else {
            FRequestResult = FStatusCode > 0 ? FStatusCode : 500;
            FErrorMessage = line;
            FControlSocket->Close(); // the closed handler ends the step
        }
        return;
    }
    case ftpStWaitingReply:
        // FEAT's answer is its lines; a hostile server gets no more room
        // for them than for a name listing.
        if (FReplyLines.size() < 4096)
            FReplyLines << line;
        if (!FtpReply::isFinal(line))
            return; // intermediate line of a multi-line reply
        if (takeOwedReply(line))
            return;
        FStatusCode = FtpReply::code(line);
        if (!FNext) {
            display(QStringLiteral("! Program error: FNext is nil"));
            return;
        }
        (this->*FNext)();
        return;
    default:
        if (FtpReply::isFinal(line) && takeOwedReply(line))
            return;
        display(QStringLiteral("< ") + line);
        return;
    }
}

// A transfer given up on our side (its data connection failed) while the
// server had not yet answered its command: that answer is still to come, and
// must not pass for the answer to the next command.
void TCustomFtpClient::noteOwedReply()
{
    if (FState == ftpStWaitingReply
        && (FNext == &TCustomFtpClient::transferReply || FNext == &TCustomFtpClient::transferFinalReply))
        FOwedReply = true;
}

bool TCustomFtpClient::takeOwedReply(const QString &line)
{
    if (!FOwedReply)
        return false;
    display(QStringLiteral("< ") + line + QStringLiteral(" (late answer to the failed transfer)"));
    // A preliminary 1xx reply announces the final one, which is owed still.
    const int code = FtpReply::code(line);
    if (code < 100 || code >= 200)
        FOwedReply = false;
    return true;
}

void TCustomFtpClient::standardReply()
{
    display(QStringLiteral("< ") + FLastResponse);
    const int code = FStatusCode;
    const bool ok = FOkResponses.isEmpty() ? code < 500 : FOkResponses.contains(code);
    FRequestResult = ok ? 0 : (code > 0 ? code : 500);
    if (!ok && FErrorMessage.isEmpty())
        FErrorMessage = FLastResponse;
    if (FPassiveMode && code == 227)
        FPasvResponse = FLastResponse;
    if (THandler after = FAfterReply) {
        FAfterReply = nullptr;
        (this->*after)();
    } else {
        stepDone();
    }
}

void TCustomFtpClient::lateReply()
{
    display(QStringLiteral("< ") + FLastResponse);
}

// --- open, login, quit

void TCustomFtpClient::doOpen()
{
    applySocks(FControlSocket);
    applySocks(FDataSocket);
    FReader.clear();
    FConnected = false;
    FDataProtected = false;
    FWindows1252Names = false;
    FOwedReply = false;
    FTlsFailure = ftpTlsNone;
    FControlSocket->setTlsCapable(FUseTls);
    const QString host = FConnectionType == ftpProxy ? FProxyServer : FHostName;
    if (FConnectionType == ftpSocks4A || FConnectionType == ftpSocks5) {
        // The SOCKS server resolves the name; a local lookup might not know it.
        setState(ftpStLookingUp);
        QTimer::singleShot(0, this, [this, host] {
            if (FState == ftpStLookingUp)
                connectControl(host);
        });
        return;
    }
    setState(ftpStLookingUp);
    FControlSocket->DnsLookup(host);
}

void TCustomFtpClient::lookupDone(int error)
{
    if (FState != ftpStLookingUp)
        return;
    if (error) {
        failOpen(error);
        return;
    }
    connectControl(FControlSocket->DnsResult());
}

void TCustomFtpClient::connectControl(const QString &address)
{
    FControlSocket->setAddr(address);
    FControlSocket->setPort(FPort);
    FControlSocket->setProto(QStringLiteral("tcp"));
    setState(ftpStWaitingGreeting);
    FControlSocket->Connect();
}

void TCustomFtpClient::controlConnected(int error)
{
    if (error) {
        failOpen(error);
        return;
    }
    FConnected = true;
}

void TCustomFtpClient::failOpen(int error)
{
    FStatusCode = 500;
    FLastResponse = socketErrorReply(error);
    if (FErrorMessage.isEmpty())
        FErrorMessage = FLastResponse;
    display(QStringLiteral("! ") + FLastResponse);
    FRequestResult = 500;
    FConnected = false;
    FControlSocket->Close();
    setState(ftpStReady);
    stepDone();
}

void TCustomFtpClient::doUser()
{
    QString line = QStringLiteral("USER ") + FUserName;
    if (FConnectionType == ftpProxy) {
        line += u'@' + FHostName;
        if (FPort.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0
            && FPort.compare(QLatin1String("21"), Qt::CaseInsensitive) != 0)
            line += u':' + FPort;
    }
    sendCommand(stUser, line, {331, 230});
}

void TCustomFtpClient::doQuit()
{
    sendCommand(stQuit, QStringLiteral("QUIT"), {221}, &TCustomFtpClient::afterQuit);
}

void TCustomFtpClient::afterQuit()
{
    if (FControlSocket->State() == TAsyncSocket::wsConnected
        || FControlSocket->State() == TAsyncSocket::wsClosing) {
        FControlSocket->Close(); // the closed handler ends the step
    } else {
        FConnected = false;
        stepDone();
    }
}

void TCustomFtpClient::controlClosed(int error)
{
    const TFtpState old = FState;
    FConnected = false;
    FReader.clear();
    if (FState != ftpStAborting)
        setState(ftpStReadyBetweenSteps);
    if (auto handler = OnSessionClosed)
        handler(this);
    if (!FRequestActive) {
        if (FState != ftpStAborting)
            setState(ftpStReady);
        return;
    }
    if (FState != ftpStAborting && FStep != stQuit && FRequestResult == 0
        && (old == ftpStWaitingReply || old == ftpStWaitingGreeting)) {
        // The server went away in the middle of a command: that is a failure,
        // whatever had been received so far.
        FRequestResult = error ? error : 426;
        if (FErrorMessage.isEmpty())
            FErrorMessage = error ? socketErrorReply(error)
                                  : QStringLiteral("426 Connection closed by the server");
        display(QStringLiteral("! ") + FErrorMessage);
    }
    FTransferActive = false;
    stepDone();
}

// --- TLS

void TCustomFtpClient::startAuth()
{
    if (!TAsyncSocket::TlsSupported()) {
        FLastResponse = QStringLiteral("500 TLS not available on this system");
        FStatusCode = 500;
        display(QStringLiteral("! ") + FLastResponse);
        failSecureOpen(ftpTlsUnavailable);
        return;
    }
    setState(ftpStReadyBetweenSteps);
    sendCommand(stOpen, QStringLiteral("AUTH TLS"), {234}, &TCustomFtpClient::afterAuth);
}

void TCustomFtpClient::afterAuth()
{
    if (FRequestResult != 0) {
        // No clear-text fall-back: the password must not travel unprotected.
        failSecureOpen(ftpTlsRefused);
        return;
    }
    FControlSocket->OnTlsDone = [this](TAsyncSocket *, int e) { controlTlsDone(e); };
    FControlSocket->OnSslErrors = [this](TAsyncSocket *s, int) { sslErrorsFound(s); };
    FControlSocket->StartTls(tlsConfiguration(), tlsPeerName(), FAcceptedSslErrors);
}

QSslConfiguration TCustomFtpClient::tlsConfiguration() const
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    // The data connections resume the control connection's session: many
    // servers require it, to know the data comes from the same client.
    config.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    return config;
}

QString TCustomFtpClient::tlsPeerName() const
{
    return FConnectionType == ftpProxy ? FProxyServer : FHostName;
}

void TCustomFtpClient::controlTlsDone(int error)
{
    FControlSocket->OnTlsDone = nullptr;
    if (error) {
        FStatusCode = 500;
        FLastResponse = QStringLiteral("500 TLS: ") + FControlSocket->TlsErrorString();
        display(QStringLiteral("! ") + FLastResponse);
        failSecureOpen(FTlsFailure == ftpTlsRejected ? ftpTlsRejected
                       : error == SocketError::TlsNotAvailable ? ftpTlsUnavailable
                                                               : ftpTlsHandshake);
        return;
    }
    display(QStringLiteral("! TLS session established"));
    setState(ftpStReadyBetweenSteps);
    sendCommand(stOpen, QStringLiteral("PBSZ 0"), {200}, &TCustomFtpClient::afterPbsz);
}

void TCustomFtpClient::afterPbsz()
{
    if (FRequestResult != 0) {
        failSecureOpen(ftpTlsRefused);
        return;
    }
    setState(ftpStReadyBetweenSteps);
    sendCommand(stOpen, QStringLiteral("PROT P"), {200}, &TCustomFtpClient::afterProt);
}

void TCustomFtpClient::afterProt()
{
    if (FRequestResult != 0) {
        failSecureOpen(ftpTlsRefused);
        return;
    }
    FDataProtected = true;
    stepDone();
}

// The open step fails: the session goes no further, no login is sent.
void TCustomFtpClient::failSecureOpen(TFtpTlsFailure failure)
{
    FTlsFailure = failure;
    if (FRequestResult == 0)
        FRequestResult = FStatusCode >= 400 ? FStatusCode : 500;
    if (FErrorMessage.isEmpty())
        FErrorMessage = FLastResponse;
    if (FControlSocket->State() == TAsyncSocket::wsConnected
        || FControlSocket->State() == TAsyncSocket::wsClosing) {
        FControlSocket->Close(); // the closed handler ends the step
    } else {
        FConnected = false;
        stepDone();
    }
}

void TCustomFtpClient::sslErrorsFound(TAsyncSocket *socket)
{
    const QList<QSslError> errors = socket->SslErrors();
    const QSslCertificate certificate = socket->PeerCertificate();
    for (const QSslError &e : errors)
        display(QStringLiteral("! Certificate: ") + e.errorString());
    bool accept = false;
    runPosted([&] {
        if (auto handler = OnSslErrors)
            handler(this, errors, certificate, accept);
    });
    // The question may have taken long: the connection may be gone.
    if (!socket->TlsPaused())
        return;
    if (accept) {
        for (const QSslError &e : errors) {
            if (!FAcceptedSslErrors.contains(e))
                FAcceptedSslErrors << e;
        }
        display(QStringLiteral("! Certificate accepted"));
        socket->ResumeTls(errors);
        return;
    }
    display(QStringLiteral("! Certificate not accepted"));
    if (socket == FControlSocket) {
        FTlsFailure = ftpTlsRejected;
        FStatusCode = 500;
        FLastResponse = QStringLiteral("500 Certificate not accepted");
        failSecureOpen(ftpTlsRejected);
    } else {
        FTlsFailure = ftpTlsRejected;
        dataTlsDone(SocketError::TlsHandshakeFailed);
    }
}

// Starts TLS on a data connection that has just come up; false when the
// session's data connections are in clear.
bool TCustomFtpClient::startDataTls()
{
    if (!FDataProtected)
        return false;
    FDataSocket->OnTlsDone = [this](TAsyncSocket *, int e) { dataTlsDone(e); };
    FDataSocket->OnSslErrors = [this](TAsyncSocket *s, int) { sslErrorsFound(s); };
    QSslConfiguration config = tlsConfiguration();
    config.setSessionTicket(FControlSocket->SslConfiguration().sessionTicket());
    FDataSocket->StartTls(config, tlsPeerName(), FAcceptedSslErrors);
    return true;
}

void TCustomFtpClient::dataTlsDone(int error)
{
    FDataSocket->OnTlsDone = nullptr;
    if (!FTransferActive)
        return;
    if (error) {
        FStatusCode = 500;
        FLastResponse = QStringLiteral("500 TLS on the data connection: ")
                        + (FTlsFailure == ftpTlsRejected ? QStringLiteral("certificate not accepted")
                                                         : FDataSocket->TlsErrorString());
        if (FErrorMessage.isEmpty())
            FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        noteOwedReply();
        failTransferStart(500);
        return;
    }
    dataReady();
}

// --- data port

QString TCustomFtpClient::serverAddress() const
{
    // Through SOCKS the control connection's peer is the SOCKS server; the
    // FTP server is the address it was asked to reach.
    if (FConnectionType == ftpSocks4 || FConnectionType == ftpSocks4A
        || FConnectionType == ftpSocks5)
        return FControlSocket->Addr();
    return FControlSocket->GetPeerAddr();
}

void TCustomFtpClient::doPort()
{
    closeDataSocket();
    FByteCount = 0;
    FDataSocket->setProto(QStringLiteral("tcp"));
    FDataSocket->setAddr(QStringLiteral("0.0.0.0"));
    FDataSocket->setPort(QStringLiteral("0"));
    FDataSocket->setTlsCapable(FDataProtected);
    applySocks(FDataSocket);
    if (FPassiveMode) {
        FPasvResponse.clear();
        sendCommand(stPort, QStringLiteral("PASV"), {200, 227});
        return;
    }
    FDataSocket->SetLingerOnOff(true);
    FDataSocket->SetLingerTimeout(10);
    if (const int error = FDataSocket->Listen()) {
        FStatusCode = 500;
        FLastResponse = socketErrorReply(error);
        if (FErrorMessage.isEmpty())
            FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        FRequestResult = 500;
        stepDone();
        return;
    }
    const int p = FDataSocket->GetXPort().toInt();
    QString line;
    if (FControlSocket->GetPeerAddr() == QLatin1String("127.0.0.1")) {
        line = QStringLiteral("PORT 127,0,0,1,%1,%2").arg(p / 256).arg(p % 256);
    } else {
        QString a = FControlSocket->GetXAddr();
        a.replace(u'.', u',');
        line = QStringLiteral("PORT %1,%2,%3").arg(a).arg(p / 256).arg(p % 256);
    }
    sendCommand(stPort, line, {200, 227});
}

// --- transfers

void TCustomFtpClient::resetTransfer(bool sending)
{
    ++FTransferSerial;
    FTransferActive = true;
    FSending = sending;
    FFinalReceived = false;
    FDataClosed = false;
    FDataReady = false;
    FTransferStarted = false;
    FSendStarted = false;
    FEofFlag = false;
    FTransferError = 0;
    FDataCloseError = 0;
    FByteCount = 0;
    FDisplayFileRest.clear();
    FStartTime.invalidate();
}

bool TCustomFtpClient::openLocalFile(bool forWriting)
{
    closeLocalFile();
    FLocalFile.setFileName(FLocalFileName);
    bool ok;
    if (!forWriting) {
        ok = FLocalFile.open(QIODevice::ReadOnly);
        if (ok && FResumeAt > 0)
            ok = FLocalFile.seek(FResumeAt);
    } else if (FResumeAt >= 1) {
        // Restarted receive: keep what is there and write on from the position.
        ok = FLocalFile.open(QIODevice::ReadWrite) && FLocalFile.seek(FResumeAt);
    } else {
        ok = FLocalFile.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    if (!ok)
        FLocalFile.close();
    return ok;
}

void TCustomFtpClient::closeLocalFile()
{
    if (FLocalFile.isOpen()) {
        if (FLocalFile.isWritable() && !FLocalFile.flush() && FTransferActive && !FTransferError) {
            display(QStringLiteral("! Error writing local file"));
            FTransferError = 426;
            FErrorMessage = QStringLiteral("426 Error writing local file");
        }
        FLocalFile.close();
    }
}

void TCustomFtpClient::closeDataSocket()
{
    FDataSocket->ClearEvents();
    FDataSocket->Close();
    FDataReady = false;
}

bool TCustomFtpClient::connectDataPassive()
{
    const int port = FtpReply::passivePort(FPasvResponse);
    if (port <= 0) {
        FStatusCode = 500;
        FLastResponse = QStringLiteral("500 Unusable passive reply: ") + FPasvResponse;
        if (FErrorMessage.isEmpty())
            FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        return false;
    }
    // Only the port of the reply is used: the data connection goes to the
    // server we are talking to, never to an address a reply names.
    FDataSocket->setAddr(serverAddress());
    FDataSocket->setPort(QString::number(port));
    FDataSocket->SetLingerOnOff(false);
    FDataSocket->OnSessionConnected = [this](TAsyncSocket *, int e) { dataConnected(e); };
    FDataSocket->Connect();
    return true;
}

void TCustomFtpClient::prepareDataSocket()
{
    FDataSocket->OnDataAvailable = [this](TAsyncSocket *, int) { dataAvailable(); };
    FDataSocket->OnSessionClosed = [this](TAsyncSocket *, int e) { dataClosed(e); };
    if (FSending)
        FDataSocket->OnDataSent = [this](TAsyncSocket *, int) { sendNextBlock(); };
    if (!FPassiveMode) {
        FDataSocket->OnSessionAvailable = [this](TAsyncSocket *, int) { dataSessionAvailable(); };
        // Some servers connect as soon as they get PORT, before the transfer
        // command: that connection waits in the listening socket.
        if (FDataSocket->HasPendingConnection())
            dataSessionAvailable();
    }
}

void TCustomFtpClient::failTransferStart(int code)
{
    FRequestResult = code;
    FTransferActive = false;
    closeDataSocket();
    closeLocalFile();
    stepDone();
}

void TCustomFtpClient::startReceive(TFtpStep step)
{
    if (!FConnected)
        throw FtpException(commandName(step) + QStringLiteral(": not connected"));
    if (FLocalFileName.isEmpty() && !FDisplayFileFlag)
        throw FtpException(QStringLiteral("LocalFileName empty"));
    if (step == stRetr && !(FPrevStep == stRest && FPrevCode == 350))
        FResumeAt = 0;
    resetTransfer(false);
    if (!FLocalFileName.isEmpty() && !openLocalFile(true)) {
        FStatusCode = 550;
        FLastResponse = QStringLiteral("550 Unable to open local file ") + FLocalFileName
                        + QStringLiteral(": ") + FLocalFile.errorString();
        if (FErrorMessage.isEmpty())
            FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        failTransferStart(550);
        return;
    }
    prepareDataSocket();
    if (FPassiveMode && !connectDataPassive()) {
        failTransferStart(500);
        return;
    }
    QString line = commandName(step);
    if (!FHostFileName.isEmpty())
        line += u' ' + FHostFileName;
    sendCommand(step, line, {150, 125});
    FNext = &TCustomFtpClient::transferReply;
}

void TCustomFtpClient::startSend(TFtpStep step)
{
    if (!FConnected)
        throw FtpException(QStringLiteral("STOR/APPE: not connected"));
    if (FLocalFileName.isEmpty())
        throw FtpException(QStringLiteral("LocalFileName empty"));
    bool cancel = false;
    if (auto handler = OnReadyToTransmit)
        handler(this, cancel);
    if (cancel) {
        FStatusCode = 426;
        FErrorMessage = QStringLiteral("426 Transmit cancelled by application");
        FLastResponse = FErrorMessage;
        display(QStringLiteral("! ") + FErrorMessage);
        FRequestResult = 426;
        closeDataSocket();
        stepDone();
        return;
    }
    // A position only counts when the server agreed to restart there;
    // otherwise the file would land on the server shifted.
    if (step == stStor && !(FPrevStep == stRest && FPrevCode == 350))
        FResumeAt = 0;
    resetTransfer(true);
    if (!openLocalFile(false)) {
        FStatusCode = 426;
        FLastResponse = QStringLiteral("426 Unable to open local file ") + FLocalFileName;
        if (FErrorMessage.isEmpty())
            FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse + QStringLiteral(": ")
                + FLocalFile.errorString());
        failTransferStart(426);
        return;
    }
    prepareDataSocket();
    if (FPassiveMode && !connectDataPassive()) {
        failTransferStart(500);
        return;
    }
    sendCommand(step, (step == stStor ? QStringLiteral("STOR ") : QStringLiteral("APPE ")) + FHostFileName,
                {150, 125});
    FNext = &TCustomFtpClient::transferReply;
}

// First reply of a transfer command.
void TCustomFtpClient::transferReply()
{
    display(QStringLiteral("< ") + FLastResponse);
    const int code = FStatusCode;
    if (code == 150 || code == 125) {
        FTransferStarted = true;
        FNext = &TCustomFtpClient::transferFinalReply;
        maybeStartSending();
        return;
    }
    if (FErrorMessage.isEmpty())
        FErrorMessage = FLastResponse;
    failTransferStart(code > 0 ? code : 500);
}

// Final reply of a transfer command.
void TCustomFtpClient::transferFinalReply()
{
    display(QStringLiteral("< ") + FLastResponse);
    const int code = FStatusCode;
    if (code == 226 || code == 250) {
        FFinalReceived = true;
        FNext = &TCustomFtpClient::lateReply;
        checkTransferComplete();
        return;
    }
    if (FErrorMessage.isEmpty())
        FErrorMessage = FLastResponse;
    failTransferStart(code > 0 ? code : 500);
}

void TCustomFtpClient::dataSessionAvailable()
{
    // Anyone may reach the port we named in PORT; only the server may carry
    // the data. Others are turned away and the wait goes on.
    const QHostAddress server(FControlSocket->GetPeerAddr());
    while (QTcpSocket *accepted = FDataSocket->Accept()) {
        const QHostAddress peer = accepted->peerAddress();
        if (server.isNull() || peer.isEqual(server, QHostAddress::ConvertV4MappedToIPv4)) {
            FDataSocket->Dup(accepted); // the listening socket is closed
            if (!startDataTls())
                dataReady();
            return;
        }
        display(QStringLiteral("! Data connection from ") + peer.toString()
                + QStringLiteral(" refused: the server is ") + server.toString());
        qCWarning(lcFtp, "data connection from %s refused", qPrintable(peer.toString()));
        accepted->abort();
        accepted->deleteLater();
    }
}

// The data connection counts once it carries data: over TLS, once the
// handshake is through.
void TCustomFtpClient::dataReady()
{
    FDataReady = true;
    FStartTime.start();
    maybeStartSending();
}

void TCustomFtpClient::dataConnected(int error)
{
    if (!FTransferActive)
        return;
    if (error) {
        FStatusCode = 500;
        FLastResponse = socketErrorReply(error);
        if (FErrorMessage.isEmpty())
            FErrorMessage = FLastResponse;
        display(QStringLiteral("! ") + FLastResponse);
        noteOwedReply();
        failTransferStart(500);
        return;
    }
    if (!startDataTls())
        dataReady();
}

void TCustomFtpClient::dataAvailable()
{
    if (!FTransferActive || FSending) {
        FDataSocket->ReceiveAll(); // nothing is expected here
        return;
    }
    if (FReceiveBuffer.size() != ReceiveBlock)
        FReceiveBuffer.resize(ReceiveBlock);
    const quint64 serial = FTransferSerial;
    for (;;) {
        const qint64 n = FDataSocket->Receive(FReceiveBuffer.data(), ReceiveBlock);
        if (n <= 0)
            return;
        if (!TriggerProgress()) {
            abortTransfer();
            return;
        }
        if (serial != FTransferSerial || !FTransferActive)
            return; // the progress handler ended the request
        FByteCount += n;
        if (FStep != stRetr && FByteCount > FListingLimit) {
            display(QStringLiteral("! Listing too large"));
            FTransferError = 426;
            FErrorMessage = QStringLiteral("426 Listing too large: more than ")
                            + QString::number(FListingLimit) + QStringLiteral(" bytes");
            FDataSocket->Close();
            return;
        }
        if (FLocalFile.isOpen() && FLocalFile.write(FReceiveBuffer.constData(), n) != n) {
            display(QStringLiteral("! Error writing local file"));
            FTransferError = 426;
            FErrorMessage = QStringLiteral("426 Error writing local file");
            FDataSocket->Close();
            return;
        }
        if (FDisplayFileFlag) {
            FDisplayFileRest.append(FReceiveBuffer.constData(), n);
            flushDisplayFile(false);
        }
    }
}

// Stopped by the progress handler: the transfer ends as a failure even if
// the server, seeing the data connection close, calls it complete.
void TCustomFtpClient::abortTransfer()
{
    display(QStringLiteral("! Abort requested"));
    FTransferError = 426;
    FErrorMessage = QStringLiteral("426 Abort requested");
    FDataSocket->Close();
}

void TCustomFtpClient::flushDisplayFile(bool all)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < FDisplayFileRest.size(); ++i) {
        const char c = FDisplayFileRest.at(i);
        if (c != '\r' && c != '\n')
            continue;
        if (c == '\r' && i + 1 == FDisplayFileRest.size() && !all)
            break; // its LF may be in the next block
        const QString line = FtpReply::decode(FDisplayFileRest.mid(start, i - start));
        if (c == '\r' && i + 1 < FDisplayFileRest.size() && FDisplayFileRest.at(i + 1) == '\n')
            ++i;
        start = i + 1;
        if (auto handler = OnDisplayFile)
            handler(this, line);
    }
    FDisplayFileRest.remove(0, start);
    if (all && !FDisplayFileRest.isEmpty()) {
        const QString line = FtpReply::decode(FDisplayFileRest);
        FDisplayFileRest.clear();
        if (auto handler = OnDisplayFile)
            handler(this, line);
    }
}

void TCustomFtpClient::dataClosed(int error)
{
    if (!FTransferActive)
        return;
    if (!FSending && FDataSocket->BytesAvailable() > 0)
        dataAvailable(); // what came in just before the close
    if (!FTransferActive)
        return;
    if (FSending && !FEofFlag && FTransferError == 0) {
        // The server hung up before the end of the file: whatever it replies,
        // the file on the server is not the whole file.
        display(QStringLiteral("! Data connection closed before the end of the file"));
        FTransferError = 426;
        FErrorMessage = QStringLiteral("426 Data connection closed before the end of the file");
    }
    FDataClosed = true;
    FDataReady = false;
    FDataCloseError = error;
    checkTransferComplete();
}

void TCustomFtpClient::checkTransferComplete()
{
    if (!FTransferActive || !FFinalReceived || !FDataClosed)
        return;
    if (FDisplayFileFlag)
        flushDisplayFile(true);
    closeLocalFile();
    FTransferActive = false;

    const qint64 ms = FStartTime.isValid() ? FStartTime.elapsed() : 0;
    QString stats = QStringLiteral("! ") + QString::number(FByteCount)
                    + QStringLiteral(" bytes received/sent in ") + QString::number(ms / 1000)
                    + QStringLiteral(" seconds");
    if (ms != 0) {
        const qint64 rate = FByteCount < 32768 ? FByteCount * 1000 / ms : (FByteCount / ms) * 1000;
        stats += QStringLiteral(" (") + QString::number(rate) + QStringLiteral(" Bytes/sec)");
    }
    display(stats);
    FResumeAt = 0;
    FRequestResult = FTransferError ? FTransferError : FDataCloseError;
    stepDone();
}

void TCustomFtpClient::maybeStartSending()
{
    if (!FSending || !FTransferStarted || !FDataReady || FSendStarted)
        return;
    FSendStarted = true;
    const quint64 serial = FTransferSerial;
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            runPosted([this, serial] {
                if (serial != FTransferSerial || !FTransferActive)
                    return;
                FStartTime.start();
                sendNextBlock();
            });
        },
        Qt::QueuedConnection);
}

// One block per call: the first from the posted start, the others from the
// socket's data-sent notifications.
void TCustomFtpClient::sendNextBlock()
{
    if (!FTransferActive || !FSending || FEofFlag || !FSendStarted)
        return;
    const quint64 serial = FTransferSerial;
    if (!TriggerProgress()) {
        abortTransfer();
        return;
    }
    if (serial != FTransferSerial || !FTransferActive)
        return;
    if (FSendBlock.size() != SendBlock)
        FSendBlock.resize(SendBlock);
    const qint64 n = FLocalFile.read(FSendBlock.data(), SendBlock);
    if (n < 0) {
        // Closing alone would look like a complete file to the server.
        display(QStringLiteral("! Error reading file"));
        FTransferError = 426;
        FErrorMessage = QStringLiteral("426 Error reading file");
        FDataSocket->Close();
        return;
    }
    if (n == 0) {
        FEofFlag = true;
        QTimer::singleShot(100, this, [this, serial] {
            if (serial == FTransferSerial && FTransferActive && !FDataClosed)
                FDataSocket->ShutDown();
        });
        return;
    }
    if (FDataSocket->Send(FSendBlock.constData(), n) < 0) {
        const int error = FDataSocket->LastError();
        display(QStringLiteral("! Error #") + QString::number(error) + QStringLiteral(" sending data"));
        FTransferError = error ? error : 426;
        FDataSocket->Close();
        return;
    }
    FByteCount += n;
}

bool TCustomFtpClient::TriggerProgress()
{
    bool abort = false;
    if (auto handler = OnProgress)
        handler(this, FByteCount + FResumeAt, abort);
    return !abort;
}

// --- abort

void TCustomFtpClient::Abort()
{
    setState(ftpStAborting);
    closeLocalFile();
    FControlSocket->CancelDnsLookup();
    FTransferActive = false;
    closeDataSocket();
    FControlSocket->Close(); // ends a request in flight through the closed handler
    FConnected = false;
    FReader.clear();
    FOwedReply = false;
    if (FRequestActive)
        stepDone(); // looking up or connecting: no connection to close
    setState(ftpStReady);
}

// --- public requests

void TCustomFtpClient::Open() { runPrimitive(ftpOpen, stOpen); }

void TCustomFtpClient::User()
{
    if (FUserName.isEmpty())
        throw FtpException(QStringLiteral("UserName emtpy"));
    runPrimitive(ftpUser, stUser);
}

void TCustomFtpClient::Pass()
{
    if (FPassWord.isEmpty())
        throw FtpException(QStringLiteral("Password emtpy"));
    runPrimitive(ftpPass, stPass);
}

void TCustomFtpClient::ChangeDir()
{
    if (FHostDirName.isEmpty())
        throw FtpException(QStringLiteral("HostDirName emtpy"));
    runPrimitive(ftpChangeDir, stCwd);
}

void TCustomFtpClient::CDup() { runPrimitive(ftpCdup, stCdup); }
void TCustomFtpClient::Pwd() { runPrimitive(ftpPwd, stPwd); }
void TCustomFtpClient::CreateDir() { runPrimitive(ftpCreateDir, stMkd); }
void TCustomFtpClient::RemoveDir() { runPrimitive(ftpRemoveDir, stRmd); }
void TCustomFtpClient::DeleteRemoteFile() { runPrimitive(ftpDeleteRemoteFile, stDele); }
void TCustomFtpClient::RenFrom() { runPrimitive(ftpRnfr, stRnfr); }
void TCustomFtpClient::RenTo() { runPrimitive(ftpRnto, stRnto); }
void TCustomFtpClient::Size() { runPrimitive(ftpSize, stSize); }
void TCustomFtpClient::SetTransferType() { runPrimitive(ftpSetTransferType, stType); }
void TCustomFtpClient::Syst() { runPrimitive(ftpSyst, stSyst); }
void TCustomFtpClient::Rest() { runPrimitive(ftpRest, stRest); }
void TCustomFtpClient::Quote() { runPrimitive(ftpQuote, stQuote); }
void TCustomFtpClient::DataPort() { runPrimitive(ftpPort, stPort); }
void TCustomFtpClient::Feat() { runPrimitive(ftpFeat, stFeat); }

void TCustomFtpClient::ModifyFileTime()
{
    if (FHostFileName.isEmpty())
        throw FtpException(QStringLiteral("HostFileName emtpy"));
    if (!FModifyTime.isValid())
        throw FtpException(QStringLiteral("ModifyTime not set"));
    runPrimitive(ftpMfmt, stMfmt);
}

bool TCustomFtpClient::HasFeature(const QString &name) const
{
    for (const QString &feature : FFeatures) {
        if (feature.section(u' ', 0, 0).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void TCustomFtpClient::Quit()
{
    if (!FConnected && isReady()) {
        // Nothing to close: end at once instead of waiting for a reply that
        // cannot come.
        beginPrimitive(ftpCloseSession, stQuit);
        endRequest();
        return;
    }
    runPrimitive(ftpCloseSession, stQuit);
}

void TCustomFtpClient::OpenSession() { startHighLevel(ftpOpenSession, loginSteps); }
void TCustomFtpClient::Dir() { startHighLevel(ftpDir, bit(stPort) | bit(stList)); }
void TCustomFtpClient::ListNames() { startHighLevel(ftpListNames, bit(stPort) | bit(stNlst)); }
void TCustomFtpClient::MachineList() { startHighLevel(ftpMlsd, bit(stPort) | bit(stMlsd)); }
void TCustomFtpClient::Get() { startHighLevel(ftpGet, bit(stPort) | bit(stRetr)); }
void TCustomFtpClient::StoreFile() { startHighLevel(ftpStoreFile, bit(stPort) | bit(stStor)); }
void TCustomFtpClient::Append() { startHighLevel(ftpAppend, bit(stPort) | bit(stAppe)); }
void TCustomFtpClient::Ren() { startHighLevel(ftpRen, bit(stRnfr) | bit(stRnto)); }

void TCustomFtpClient::RestartGet()
{
    startHighLevel(ftpRestartGet, bit(stPort) | bit(stRest) | bit(stRetr));
}

void TCustomFtpClient::RestartPut()
{
    startHighLevel(ftpRestartPut, bit(stPort) | bit(stRest) | bit(stStor));
}

void TCustomFtpClient::Receive()
{
    startHighLevel(ftpReceive, loginSteps | bit(stCwd) | bit(stType) | bit(stPort) | bit(stRetr)
                                   | bit(stQuit));
}

void TCustomFtpClient::RestartReceive()
{
    startHighLevel(ftpRestartReceive, loginSteps | bit(stCwd) | bit(stType) | bit(stPort)
                                          | bit(stRest) | bit(stRetr) | bit(stQuit));
}

void TCustomFtpClient::Transmit()
{
    startHighLevel(ftpTransmit, loginSteps | bit(stCwd) | bit(stType) | bit(stPort) | bit(stStor)
                                    | bit(stQuit));
}

void TCustomFtpClient::AppendTransmit()
{
    startHighLevel(ftpTransmit, loginSteps | bit(stCwd) | bit(stType) | bit(stPort) | bit(stAppe)
                                    | bit(stQuit));
}

void TCustomFtpClient::RestartTransmit()
{
    startHighLevel(ftpRestartTransmit, loginSteps | bit(stCwd) | bit(stType) | bit(stPort)
                                           | bit(stRest) | bit(stStor) | bit(stQuit));
}

void TCustomFtpClient::Directory()
{
    startHighLevel(ftpDirectory, loginSteps | bit(stCwd) | bit(stPort) | bit(stList) | bit(stQuit));
}

void TCustomFtpClient::List()
{
    startHighLevel(ftpList, loginSteps | bit(stCwd) | bit(stPort) | bit(stNlst) | bit(stQuit));
}

void TCustomFtpClient::System() { startHighLevel(ftpSystem, loginSteps | bit(stSyst) | bit(stQuit)); }

void TCustomFtpClient::FileSize()
{
    startHighLevel(ftpSize, loginSteps | bit(stCwd) | bit(stSize) | bit(stQuit));
}

void TCustomFtpClient::Rename()
{
    startHighLevel(ftpRename, loginSteps | bit(stCwd) | bit(stRnfr) | bit(stRnto) | bit(stQuit));
}

void TCustomFtpClient::Delete()
{
    startHighLevel(ftpDelete, loginSteps | bit(stCwd) | bit(stDele) | bit(stQuit));
}

void TCustomFtpClient::Mkdir()
{
    startHighLevel(ftpMkdir, loginSteps | bit(stCwd) | bit(stMkd) | bit(stQuit));
}

void TCustomFtpClient::Rmdir()
{
    startHighLevel(ftpRmdir, loginSteps | bit(stCwd) | bit(stRmd) | bit(stQuit));
}

void TCustomFtpClient::DoQuote()
{
    startHighLevel(ftpDoQuote, loginSteps | bit(stCwd) | bit(stQuote) | bit(stQuit));
}

// --- TFtpClient

TFtpClient::TFtpClient(QObject *parent) : TCustomFtpClient(parent) {}

bool TFtpClient::TriggerProgress()
{
    FDeadlineClock.restart(); // a transfer that moves is not timed out
    return TCustomFtpClient::TriggerProgress();
}

bool TFtpClient::CloseSession()
{
    Quit();
    return waitUntilReady();
}

bool TFtpClient::AbortSession()
{
    Abort();
    waitUntilReady();
    return isReady();
}

bool TFtpClient::waitUntilReady()
{
    FDeadlineClock.start();
    // Wakes the wait below when nothing else happens, so the deadline is seen.
    QTimer tick;
    tick.start(50);
    const QEventLoop::ProcessEventsFlags flags =
        (FMultiThreaded ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents)
        | QEventLoop::WaitForMoreEvents;
    while (!isReady() || Busy()) {
        const bool expired = FTimeout > 0 && FDeadlineClock.elapsed() > qint64(FTimeout) * 1000;
        if (expired || QCoreApplication::closingDown()) {
            Abort();
            setErrorMessage(QStringLiteral("426 Timeout"));
            setStatusCode(426);
            return false;
        }
        QCoreApplication::processEvents(flags);
    }
    return LastRequestError() == 0;
}
