#include "LocalFtpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {

// The Python server binds port 0 itself and prints the port it got, so no
// other program can take it between choice and use.
const char *pythonServer = R"PY(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.ERROR)
auth = DummyAuthorizer()
auth.add_user(sys.argv[2], sys.argv[3], sys.argv[1], perm="elradfmwMT")
class Handler(FTPHandler):
    authorizer = auth
    banner = "220 Local test server ready."
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.address[1], flush=True)
server.serve_forever()
)PY";

quint16 freePort()
{
    QTcpServer probe;
    probe.setProxy(QNetworkProxy::NoProxy);
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString findProgram(const QStringList &candidates)
{
    for (const QString &c : candidates) {
        if (QFileInfo(c).isExecutable())
            return c;
    }
    return QString();
}

} // namespace

LocalFtpServer::LocalFtpServer(Kind kind) : FKind(kind)
{
    QDir(FDir.path()).mkpath(QStringLiteral("root"));
}

LocalFtpServer::~LocalFtpServer()
{
    stop();
}

QString LocalFtpServer::name() const
{
    return FKind == PythonLibrary ? QStringLiteral("pyftpdlib") : QStringLiteral("vsftpd");
}

QString LocalFtpServer::userName() const
{
    return FKind == PythonLibrary ? QStringLiteral("pemo") : QStringLiteral("anonymous");
}

QString LocalFtpServer::passWord() const
{
    return FKind == PythonLibrary ? QStringLiteral("mot de passe") : QStringLiteral("pemo@example.org");
}

bool LocalFtpServer::start()
{
    return FKind == PythonLibrary ? startPython() : startDaemon();
}

void LocalFtpServer::stop()
{
    if (FProcess) {
#ifdef Q_OS_UNIX
        if (FKind == Daemon && FProcess->processId() > 0)
            ::kill(-pid_t(FProcess->processId()), SIGKILL);
#endif
        FProcess->kill();
        FProcess->waitForFinished(5000);
        FProcess.reset();
    }
}

bool LocalFtpServer::startPython()
{
    // The system's interpreter: the library is installed for it.
    const QString python = findProgram({QStringLiteral("/usr/bin/python3")});
    if (python.isEmpty()) {
        FReason = QStringLiteral("/usr/bin/python3 is missing");
        return false;
    }
    FProcess = std::make_unique<QProcess>();
    FProcess->setProcessChannelMode(QProcess::SeparateChannels);
    FProcess->start(python, {QStringLiteral("-c"), QString::fromLatin1(pythonServer), root(),
                             userName(), passWord()});
    if (!FProcess->waitForStarted(5000)) {
        FReason = QStringLiteral("python3 does not start");
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!FProcess->canReadLine() && !deadline.hasExpired()) {
        if (!FProcess->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))
            && FProcess->state() != QProcess::Running)
            break;
    }
    const QByteArray line = FProcess->readLine().trimmed();
    FPort = quint16(line.toUInt());
    if (FPort == 0) {
        FReason = QStringLiteral("pyftpdlib did not start: ")
                  + QString::fromLocal8Bit(FProcess->readAllStandardError()).right(400);
        stop();
        return false;
    }
    return waitUntilListening();
}

bool LocalFtpServer::startDaemon()
{
    const QString daemon = findProgram({QStringLiteral("/usr/sbin/vsftpd")});
    if (daemon.isEmpty()) {
        FReason = QStringLiteral("/usr/sbin/vsftpd is missing");
        return false;
    }
    FPort = freePort();
    QDir(FDir.path()).mkpath(QStringLiteral("empty"));
    // Runs as the user who starts it: no chroot, no change of user, so it
    // works the same for root in a clean checkout and for a developer.
    const QString config = FDir.filePath(QStringLiteral("vsftpd.conf"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) {
        FReason = QStringLiteral("cannot write the configuration");
        return false;
    }
    const QString text = QStringLiteral(
                             "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
                             "listen_port=%1\nbackground=NO\n"
                             "anonymous_enable=YES\nlocal_enable=NO\nno_anon_password=NO\n"
                             "write_enable=YES\nanon_upload_enable=YES\n"
                             "anon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
                             "anon_umask=022\nanon_root=%2\nsecure_chroot_dir=%3\n"
                             "run_as_launching_user=YES\nseccomp_sandbox=NO\n"
                             "isolate=NO\nisolate_network=NO\nxferlog_enable=NO\n"
                             "connect_from_port_20=NO\ndirmessage_enable=NO\n"
                             "pasv_enable=YES\nport_enable=YES\n")
                             .arg(FPort)
                             .arg(root(), FDir.filePath(QStringLiteral("empty")));
    f.write(text.toUtf8());
    if (FTls) {
        if (!makeCertificate())
            return false;
        const QString tls =
            QStringLiteral("ssl_enable=YES\nrsa_cert_file=%1\nrsa_private_key_file=%2\n"
                           "allow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
                           "force_anon_data_ssl=YES\nrequire_ssl_reuse=YES\n"
                           "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\n"
                           "vsftpd_log_file=%3\n")
                .arg(certificateFile(), FDir.filePath(QStringLiteral("key.pem")),
                     FDir.filePath(QStringLiteral("vsftpd.log")));
        // Settings read last win over the clear-text ones above.
        f.write(tls.toUtf8());
    }
    f.close();
    FProcess = std::make_unique<QProcess>();
#ifdef Q_OS_UNIX
    // The daemon forks a process per session: in a group of their own they
    // all go with it when the server stops.
    FProcess->setChildProcessModifier([] { ::setsid(); });
#endif
    FProcess->start(daemon, {config});
    if (!FProcess->waitForStarted(5000)) {
        FReason = QStringLiteral("vsftpd does not start");
        return false;
    }
    return waitUntilListening();
}

bool LocalFtpServer::makeCertificate()
{
    const QString openssl = findProgram({QStringLiteral("/usr/bin/openssl")});
    if (openssl.isEmpty()) {
        FReason = QStringLiteral("/usr/bin/openssl is missing");
        return false;
    }
    QProcess p;
    p.start(openssl, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                      QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                      QStringLiteral("/CN=localhost"), QStringLiteral("-days"), QStringLiteral("2"),
                      QStringLiteral("-keyout"), FDir.filePath(QStringLiteral("key.pem")),
                      QStringLiteral("-out"), certificateFile()});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        FReason = QStringLiteral("openssl could not make a certificate: ")
                  + QString::fromLocal8Bit(p.readAllStandardError()).right(400);
        return false;
    }
    return true;
}

QString LocalFtpServer::protocolLog() const
{
    QFile f(FDir.filePath(QStringLiteral("vsftpd.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool LocalFtpServer::waitUntilListening()
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (FProcess->state() != QProcess::Running)
            break;
        QTcpSocket probe;
        probe.setProxy(QNetworkProxy::NoProxy);
        probe.connectToHost(QHostAddress::LocalHost, FPort);
        if (probe.waitForConnected(500) && probe.waitForReadyRead(2000)
            && probe.readAll().startsWith("220")) {
            probe.abort();
            return true;
        }
        QThread::msleep(50);
    }
    FReason = name() + QStringLiteral(" does not answer: ")
              + QString::fromLocal8Bit(FProcess->readAllStandardError()).right(400);
    stop();
    return false;
}
