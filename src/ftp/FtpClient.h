#pragma once
// Asynchronous FTP client. A request (one command, or a fixed sequence of
// steps such as connect and log in) starts, returns at once and runs on as
// socket events arrive on the thread's event loop; OnRequestDone reports its
// end. TFtpClient adds two synchronous wrappers with a time-out.
//
// Usage:
//   client.setHostName("example.org"); client.setUserName(...); ...
//   client.OnRequestDone = [](QObject *, TFtpRequest kind, quint16 error) { ... };
//   client.OpenSession();
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

#include "ftp/AsyncSocket.h"
#include "ftp/FtpReply.h"

// Raised on misuse: wrong state, missing name.
class FtpException : public std::runtime_error
{
public:
    explicit FtpException(const QString &message)
        : std::runtime_error(message.toStdString()), FMessage(message)
    {
    }
    QString Message() const { return FMessage; }

private:
    QString FMessage;
};

// Raised instead of sending a command line whose argument holds CR, LF or
// NUL: such a name would end the line early and let the rest of it pass for
// a command of its own.
class FtpUnsafeArgument : public FtpException
{
public:
    explicit FtpUnsafeArgument(const QString &line)
        : FtpException(QStringLiteral("Command not sent: an argument holds CR, LF or NUL")), FLine(line)
    {
    }
    // The line as it would have gone out.
    QString Line() const { return FLine; }

private:
    QString FLine;
};

enum TFtpShareMode {
    ftpShareCompat,
    ftpShareExclusive,
    ftpShareDenyWrite,
    ftpShareDenyRead,
    ftpShareDenyNone
};

enum TFtpOption { ftpAcceptLF = 0x1, ftpNoAutoResumeAt = 0x2 };
using TFtpOptions = unsigned; // set of TFtpOption

enum TFtpConnectionType { ftpDirect, ftpProxy, ftpSocks4, ftpSocks4A, ftpSocks5 };

// Why a session asked for with TLS did not open.
enum TFtpTlsFailure {
    ftpTlsNone,
    ftpTlsRefused,        // AUTH, PBSZ or PROT refused by the server
    ftpTlsHandshake,      // the TLS handshake failed
    ftpTlsRejected,       // the server's certificate was not accepted
    ftpTlsUnavailable,    // this system has no TLS library
};

// Request kinds, as reported by OnRequestDone.
enum TFtpRequest : int {
    ftpNone = 0,
    ftpOpen = 1,
    ftpUser = 2,
    ftpPass = 3,
    ftpChangeDir = 4,
    ftpOpenSession = 5,
    ftpReceive = 6,
    ftpDir = 7,
    ftpListNames = 8,
    ftpPort = 9,
    ftpGet = 10,
    ftpDirectory = 11,
    ftpList = 12,
    ftpSystem = 13,
    ftpSyst = 14,
    ftpCloseSession = 15,  // QUIT
    ftpSize = 16,          // SIZE alone, and the file size sequence
    ftpStoreFile = 17,
    ftpAppend = 18,
    ftpCreateDir = 21,
    ftpRemoveDir = 22,
    ftpRename = 23,
    ftpDeleteRemoteFile = 24,
    ftpRen = 25,
    ftpRnto = 26,
    ftpRnfr = 27,
    ftpDelete = 28,
    ftpMkdir = 29,
    ftpRmdir = 30,
    ftpPwd = 31,
    ftpQuote = 32,
    ftpCdup = 33,
    ftpDoQuote = 34,
    ftpTransmit = 35,      // and append-transmit
    ftpSetTransferType = 36,
    ftpRest = 37,
    ftpRestartGet = 38,
    ftpRestartReceive = 39,
    ftpRestartPut = 40,
    ftpRestartTransmit = 41,
    ftpFeat = 42,          // FEAT: what the server offers beyond the basics
    ftpMlsd = 43,          // data port, MLSD
    ftpMfmt = 44,          // MFMT: sets a remote file's modification time
};

// States of the engine. A request may start only in the two ready states.
enum TFtpState {
    ftpStReady,
    ftpStReadyBetweenSteps,
    ftpStLookingUp,
    ftpStConnected,
    ftpStAborting,
    ftpStWaitingGreeting,
    ftpStWaitingReply,
};

class TCustomFtpClient : public QObject
{
    Q_OBJECT

public:
    // Steps of the requests, in the order a sequence runs them.
    enum TFtpStep : int {
        stOpen, stUser, stPass, stCwd, stCdup, stType, stPort, stRest, stRetr,
        stStor, stAppe, stList, stNlst, stSyst, stMkd, stRmd, stRnfr, stRnto,
        stSize, stDele, stPwd, stQuote, stFeat, stMlsd, stMfmt, stQuit,
        stNone = -1
    };
    using TStepSet = unsigned;

    // Event handlers; each receives the component as Sender.
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    using TDisplayEvent = std::function<void(QObject *Sender, const QString &Msg)>;
    using TCommandEvent = std::function<void(QObject *Sender, QString &Cmd)>;
    using TProgressEvent = std::function<void(QObject *Sender, qint64 Count, bool &Abort)>;
    using TRequestDoneEvent =
        std::function<void(QObject *Sender, TFtpRequest RqType, quint16 Error)>;
    using TReadyToTransmitEvent = std::function<void(QObject *Sender, bool &Cancel)>;
    // Asked when the server's certificate does not verify; Accept = true goes
    // on despite exactly these errors (and remembers them for the session's
    // other connections and later sessions of this component).
    using TSslErrorsEvent = std::function<void(QObject *Sender, const QList<QSslError> &Errors,
                                               const QSslCertificate &Certificate, bool &Accept)>;
    using TBgExceptionEvent =
        std::function<void(QObject *Sender, const std::exception &E, bool &CanAbort)>;

    explicit TCustomFtpClient(QObject *parent = nullptr);
    ~TCustomFtpClient() override;

    // --- published properties
    QString HostName() const { return FHostName; }
    void setHostName(const QString &v) { FHostName = v; }
    QString Port() const { return FPort; }
    void setPort(const QString &v) { FPort = v; }
    QString UserName() const { return FUserName; }
    void setUserName(const QString &v) { FUserName = v; }
    QString PassWord() const { return FPassWord; }
    void setPassWord(const QString &v) { FPassWord = v; }
    QString HostDirName() const { return FHostDirName; }
    void setHostDirName(const QString &v) { FHostDirName = v; }
    QString HostFileName() const { return FHostFileName; }
    void setHostFileName(const QString &v) { FHostFileName = v; }
    QString LocalFileName() const { return FLocalFileName; }
    void setLocalFileName(const QString &v) { FLocalFileName = v; }
    bool Binary() const { return FBinary; }
    void setBinary(bool v) { FBinary = v; }
    TFtpShareMode ShareMode() const { return FShareMode; }
    void setShareMode(TFtpShareMode v) { FShareMode = v; }
    TFtpOptions Options() const { return FOptions; }
    void setOptions(TFtpOptions v);
    TFtpConnectionType ConnectionType() const { return FConnectionType; }
    void setConnectionType(TFtpConnectionType v); // throws while connected
    QString ProxyServer() const { return FProxyServer; }
    void setProxyServer(const QString &v) { FProxyServer = v; }
    QString SocksServer() const { return FSocksServer; }
    void setSocksServer(const QString &v) { FSocksServer = v; }
    QString SocksPort() const { return FSocksPort; }
    void setSocksPort(const QString &v) { FSocksPort = v; }
    QString SocksUserCode() const { return FSocksUserCode; }
    void setSocksUserCode(const QString &v) { FSocksUserCode = v; }
    QString SocksPassword() const { return FSocksPassword; }
    void setSocksPassword(const QString &v) { FSocksPassword = v; }
    // Explicit TLS: AUTH TLS after the greeting, then PBSZ 0 and PROT P, so
    // that the login and every data connection are encrypted. Never falls
    // back to clear text.
    bool UseTls() const { return FUseTls; }
    void setUseTls(bool v) { FUseTls = v; }
    TFtpTlsFailure TlsFailure() const { return FTlsFailure; }
    QList<QSslError> AcceptedSslErrors() const { return FAcceptedSslErrors; }
    void setAcceptedSslErrors(const QList<QSslError> &v) { FAcceptedSslErrors = v; }
    // Whether the control connection is encrypted now.
    bool IsSecure() const { return FControlSocket->IsEncrypted(); }
    bool DisplayFileFlag() const { return FDisplayFileFlag; }
    void setDisplayFileFlag(bool v) { FDisplayFileFlag = v; }
    QString ErrorMessage() const { return FErrorMessage; }
    // The time MFMT gives the file HostFileName, in UTC.
    QDateTime ModifyTime() const { return FModifyTime; }
    void setModifyTime(const QDateTime &v) { FModifyTime = v; }

    // --- results
    int StatusCode() const { return FStatusCode; }
    QString LastResponse() const { return FLastResponse; }
    QString ReplyDir() const { return FReplyDir; }
    qint64 ReplySize() const { return FReplySize; }
    // The features the last FEAT listed, one a line as the server wrote them
    // without the leading blank ("MLST size*;modify*;", "MFMT", "REST STREAM").
    QStringList Features() const { return FFeatures; }
    // Whether the last FEAT listed the feature (its first word, any case).
    bool HasFeature(const QString &name) const;
    bool IsConnected() const { return FConnected; }
    bool PassiveMode() const { return FPassiveMode; }
    // Direct connections take the value; proxy and SOCKS always use passive mode.
    void SetPassiveMode(bool v);
    // Resume position of restart requests (taken from the local file's size
    // for restart receives unless ftpNoAutoResumeAt is set).
    qint64 ResumeAt() const { return FResumeAt; }
    void setResumeAt(qint64 v) { FResumeAt = v; }
    TFtpState State() const { return FState; }
    static const char *StateName(TFtpState s);
    // Whether a text can go out inside a command line.
    static bool IsSafeArgument(const QString &text);
    // Command lines go out in Windows-1252 instead of UTF-8, for a server
    // whose names are not UTF-8. Each new connection starts in UTF-8.
    bool Windows1252Names() const { return FWindows1252Names; }
    void setWindows1252Names(bool v) { FWindows1252Names = v; }
    // Longest listing taken (LIST, NLST); a longer one ends the request with
    // an error instead of filling the disk. Tests lower it.
    static constexpr qint64 DefaultListingLimit = 64 * 1024 * 1024;
    qint64 ListingLimit() const { return FListingLimit; }
    void setListingLimit(qint64 v) { FListingLimit = v; }
    TFtpRequest RequestType() const { return FRequestType; }
    // Error of the last request that ended (0 = none).
    quint16 LastRequestError() const { return FLastRequestError; }
    bool Busy() const { return FRequestActive; }

    // --- primitive requests (one command each)
    void Open();
    void User();
    void Pass();
    void ChangeDir();        // CWD
    void CDup();
    void Pwd();
    void CreateDir();        // MKD
    void RemoveDir();        // RMD
    void DeleteRemoteFile(); // DELE
    void RenFrom();          // RNFR
    void RenTo();            // RNTO
    void Size();             // SIZE
    void SetTransferType();  // TYPE
    void Syst();
    void Rest();
    void Quote();            // sends LocalFileName as it is
    void Feat();             // FEAT, filling Features
    void ModifyFileTime();   // MFMT ModifyTime HostFileName
    void DataPort();         // PORT or PASV
    void Quit();             // QUIT (the asynchronous form of CloseSession)
    // --- high-level requests (sequences of steps)
    void OpenSession();      // open, USER, PASS
    void Dir();              // data port, LIST
    void ListNames();        // data port, NLST
    void MachineList();      // data port, MLSD HostFileName (the facts of a folder's entries)
    void Get();              // data port, RETR
    void StoreFile();        // data port, STOR
    void Append();           // data port, APPE
    void Ren();              // RNFR, RNTO
    void RestartGet();       // data port, REST, RETR
    void RestartPut();       // data port, REST, STOR
    void Receive();          // open .. RETR, QUIT
    void RestartReceive();
    void Transmit();         // open .. STOR, QUIT
    void AppendTransmit();   // open .. APPE, QUIT
    void RestartTransmit();
    void Directory();        // open .. LIST, QUIT
    void List();             // open .. NLST, QUIT
    void System();           // open, USER, PASS, SYST, QUIT
    void FileSize();         // open .. SIZE, QUIT
    void Rename();           // open .. RNFR, RNTO, QUIT
    void Delete();           // open .. DELE, QUIT
    void Mkdir();            // open .. MKD, QUIT
    void Rmdir();            // open .. RMD, QUIT
    void DoQuote();          // open .. quote, QUIT

    // Other names of the same requests.
    void Connect() { OpenSession(); }
    void Cwd() { ChangeDir(); }
    void Mkd() { CreateDir(); }
    void Rmd() { RemoveDir(); }
    void Dele() { DeleteRemoteFile(); }
    void Ls() { ListNames(); }
    void Put() { StoreFile(); }
    void TypeSet() { SetTransferType(); }

    // Stops whatever runs: closes the local file and both connections and
    // returns to ready. A request in flight ends with 426.
    void Abort();

    // --- events
    TDisplayEvent OnDisplay;
    TDisplayEvent OnDisplayFile;
    TCommandEvent OnCommand;
    TNotifyEvent OnResponse;
    TProgressEvent OnProgress;
    TNotifyEvent OnSessionConnected;
    TNotifyEvent OnSessionClosed;
    TRequestDoneEvent OnRequestDone;
    TNotifyEvent OnStateChange;
    TReadyToTransmitEvent OnReadyToTransmit;
    TSslErrorsEvent OnSslErrors;
    TBgExceptionEvent OnBgException;

    // The two sockets, for tests and diagnostics.
    TAsyncSocket *ControlSocket() const { return FControlSocket; }
    TAsyncSocket *DataSocket() const { return FDataSocket; }

protected:
    // Runs before each block of a transfer; false when the handler asked to abort.
    virtual bool TriggerProgress();
    bool isReady() const { return FState == ftpStReady || FState == ftpStReadyBetweenSteps; }
    void setErrorMessage(const QString &v) { FErrorMessage = v; }
    void setStatusCode(int v) { FStatusCode = v; }

private:
    using THandler = void (TCustomFtpClient::*)();

    // state and reporting
    void setState(TFtpState s);
    void display(const QString &msg);
    // request machinery
    void startHighLevel(TFtpRequest kind, TStepSet steps);
    void beginPrimitive(TFtpRequest kind, TFtpStep step);
    void runPrimitive(TFtpRequest kind, TFtpStep step);
    void selectNextStep();
    void runStep(TFtpStep step);
    void stepDone();
    void endRequest();
    void postRequestDone(TFtpRequest kind, quint16 error);
    void runPosted(const std::function<void()> &fn);
    void extractResults();
    void sendCommand(TFtpStep step, const QString &line, QList<int> accepted,
                     THandler afterReply = nullptr);
    // replies
    void controlDataAvailable();
    void dispatchReply(const QString &line);
    void standardReply();
    void noteOwedReply();
    bool takeOwedReply(const QString &line);
    void lateReply();
    // connection
    void doOpen();
    void lookupDone(int error);
    void connectControl(const QString &address);
    void controlConnected(int error);
    void failOpen(int error);
    void doUser();
    void doQuit();
    void afterQuit();
    void controlClosed(int error);
    QString serverAddress() const;
    // TLS
    void startAuth();
    void afterAuth();
    void controlTlsDone(int error);
    void afterPbsz();
    void afterProt();
    void failSecureOpen(TFtpTlsFailure failure);
    void sslErrorsFound(TAsyncSocket *socket);
    QSslConfiguration tlsConfiguration() const;
    QString tlsPeerName() const;
    bool startDataTls();
    void dataTlsDone(int error);
    void dataReady();
    // transfers
    void doPort();
    void resetTransfer(bool sending);
    bool openLocalFile(bool forWriting);
    void closeLocalFile();
    void closeDataSocket();
    bool connectDataPassive();
    void prepareDataSocket();
    void failTransferStart(int code);
    void startReceive(TFtpStep step);
    void startSend(TFtpStep step);
    void transferReply();
    void transferFinalReply();
    void dataSessionAvailable();
    void dataConnected(int error);
    void dataAvailable();
    void abortTransfer();
    void flushDisplayFile(bool all);
    void dataClosed(int error);
    void checkTransferComplete();
    void maybeStartSending();
    void sendNextBlock();
    QString commandName(TFtpStep step) const;
    void applySocks(TAsyncSocket *socket) const;

    // properties
    QString FHostName;
    QString FPort = QStringLiteral("ftp");
    QString FUserName;
    QString FPassWord;
    QString FHostDirName;
    QString FHostFileName;
    QString FLocalFileName;
    bool FBinary = true;
    TFtpShareMode FShareMode = ftpShareExclusive;
    TFtpOptions FOptions = ftpAcceptLF;
    TFtpConnectionType FConnectionType = ftpDirect;
    QString FProxyServer;
    QString FSocksServer;
    QString FSocksPort;
    QString FSocksUserCode;
    QString FSocksPassword;
    bool FDisplayFileFlag = false;
    QString FErrorMessage;
    QDateTime FModifyTime;
    bool FUseTls = false;
    bool FDataProtected = false; // PROT P accepted: data connections use TLS
    TFtpTlsFailure FTlsFailure = ftpTlsNone;
    QList<QSslError> FAcceptedSslErrors;
    // results
    int FStatusCode = 0;
    QString FLastResponse;
    QString FReplyDir;
    qint64 FReplySize = 0;
    QStringList FFeatures;
    QStringList FReplyLines; // of the reply being read, multi-line ones whole
    bool FConnected = false;
    bool FPassiveMode = false;

    // request state
    TFtpState FState = ftpStReady;
    TFtpRequest FRequestType = ftpNone;
    bool FRequestActive = false;
    bool FStarting = false;       // inside the call that starts a request
    bool FHighLevelFlag = false;
    TStepSet FStepSet = 0;
    TFtpStep FStep = stNone;      // step in flight
    TFtpStep FPrevStep = stNone;  // last step that ended
    int FPrevCode = 0;            // reply code of the last step that ended
    QList<int> FOkResponses;
    THandler FNext = nullptr;
    THandler FAfterReply = nullptr;
    int FRequestResult = 0;
    int FHighLevelResult = 0;
    quint16 FLastRequestError = 0;
    QString FLastResponseSave;
    int FStatusCodeSave = -1;
    QString FPasvResponse;
    FtpReply::LineReader FReader;

    // transfer state
    qint64 FByteCount = 0;
    qint64 FResumeAt = 0;
    bool FFinalReceived = false;   // 226/250 arrived
    bool FDataClosed = false;      // the data connection has ended
    bool FDataReady = false;       // the data connection is up
    bool FTransferStarted = false; // 150/125 arrived
    bool FEofFlag = false;
    bool FSending = false;
    bool FSendStarted = false;
    bool FTransferActive = false;
    int FTransferError = 0;
    int FDataCloseError = 0;
    QElapsedTimer FStartTime;
    QFile FLocalFile;
    QByteArray FDisplayFileRest;
    QByteArray FSendBlock;
    QByteArray FReceiveBuffer;
    quint64 FTransferSerial = 0;
    qint64 FListingLimit = DefaultListingLimit;
    bool FWindows1252Names = false;
    bool FOwedReply = false; // a failed transfer's command has its answer to come

    TAsyncSocket *FControlSocket = nullptr;
    TAsyncSocket *FDataSocket = nullptr;
};

class TFtpClient : public TCustomFtpClient
{
    Q_OBJECT

public:
    explicit TFtpClient(QObject *parent = nullptr);

    int Timeout() const { return FTimeout; }
    void setTimeout(int seconds) { FTimeout = seconds; }
    bool MultiThreaded() const { return FMultiThreaded; }
    void setMultiThreaded(bool v) { FMultiThreaded = v; }

    // Synchronous wrappers: start, then pump events until the engine is ready
    // again or Timeout seconds pass without progress (0: no limit). True when
    // the request ended without error.
    bool CloseSession(); // QUIT
    bool AbortSession();

protected:
    bool TriggerProgress() override;

private:
    bool waitUntilReady();

    int FTimeout = 15;
    bool FMultiThreaded = false;
    QElapsedTimer FDeadlineClock;
};
