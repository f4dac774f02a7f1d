#include "LocalSshServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString Daemon = QStringLiteral("/usr/sbin/sshd");

bool run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

LocalSshServer::LocalSshServer() = default;

LocalSshServer::~LocalSshServer()
{
    stop();
}

bool LocalSshServer::available()
{
    return QFileInfo(Daemon).isExecutable();
}

QString LocalSshServer::userName() const
{
    const passwd *pw = getpwuid(getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

bool LocalSshServer::makeHostKey()
{
    const QString key = FDir.filePath(QStringLiteral("host_ed25519"));
    QFile::remove(key);
    QFile::remove(key + QStringLiteral(".pub"));
    if (!run(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                                            QStringLiteral("-N"), QString(), QStringLiteral("-f"), key})) {
        FReason = QStringLiteral("ssh-keygen could not make the host key");
        return false;
    }
    return true;
}

bool LocalSshServer::makeKeys()
{
    QDir().mkpath(clientFolder());
    QDir().mkpath(root());
    QFile::setPermissions(clientFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString client = clientFolder() + QStringLiteral("/id_ed25519");
    if (!makeHostKey())
        return false;
    if (!run(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                                            QStringLiteral("-N"), QString(), QStringLiteral("-f"), client})) {
        FReason = QStringLiteral("ssh-keygen could not make the client key");
        return false;
    }
    QFile::remove(FDir.filePath(QStringLiteral("authorized_keys")));
    return QFile::copy(client + QStringLiteral(".pub"), FDir.filePath(QStringLiteral("authorized_keys")));
}

QString LocalSshServer::hostFingerprint() const
{
    QString out;
    run(QStringLiteral("ssh-keygen"), {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"),
                                       QStringLiteral("-f"), FDir.filePath(QStringLiteral("host_ed25519.pub"))},
        &out);
    // "256 SHA256:... comment (ED25519)"
    return out.section(u' ', 1, 1);
}

bool LocalSshServer::start()
{
    if (!available()) {
        FReason = Daemon + QStringLiteral(" is not installed (openssh-server)");
        return false;
    }
    if (!FDir.isValid()) {
        FReason = QStringLiteral("no temporary folder");
        return false;
    }
    if (FPort == 0 && !makeKeys())
        return false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (FPort == 0 || attempt > 0)
            FPort = freePort();
        const QString config = FDir.filePath(QStringLiteral("sshd_config"));
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            FReason = QStringLiteral("cannot write the server's config");
            return false;
        }
        f.write(QStringLiteral("Port %1\n"
                               "ListenAddress 127.0.0.1\n"
                               "HostKey %2\n"
                               "PidFile %3\n"
                               "AuthorizedKeysFile %4\n"
                               "UsePAM no\n"
                               "StrictModes no\n"
                               "PermitRootLogin yes\n"
                               "PubkeyAuthentication yes\n"
                               "PasswordAuthentication no\n"
                               "KbdInteractiveAuthentication no\n"
                               "Subsystem sftp internal-sftp\n"
                               "LogLevel ERROR\n")
                    .arg(FPort)
                    .arg(FDir.filePath(QStringLiteral("host_ed25519")), FDir.filePath(QStringLiteral("sshd.pid")),
                         FDir.filePath(QStringLiteral("authorized_keys")))
                    .toUtf8());
        f.close();
        FProcess = std::make_unique<QProcess>();
        FProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QStringList daemonArguments{QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), config};
        if (getuid() == 0 && !QFileInfo::exists(QStringLiteral("/run/sshd"))) {
            // Run as root, the server wants its privilege separation folder,
            // which only its system service makes: a private /run of its own
            // gives it one without touching the machine's.
            if (run(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("true")})) {
                FProcess->start(QStringLiteral("unshare"),
                                QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                                            QStringLiteral("mount -t tmpfs tmpfs /run && mkdir -m 755 /run/sshd "
                                                           "&& exec \"$0\" \"$@\""),
                                            Daemon}
                                    + daemonArguments);
            } else {
                QDir().mkpath(QStringLiteral("/run/sshd"));
                FProcess->start(Daemon, daemonArguments);
            }
        } else {
            FProcess->start(Daemon, daemonArguments);
        }
        if (FProcess->waitForStarted(5000) && waitUntilListening())
            return true;
        stop();
    }
    if (FReason.isEmpty())
        FReason = QStringLiteral("sshd did not start listening");
    return false;
}

bool LocalSshServer::waitUntilListening()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (FProcess->state() != QProcess::Running)
            return false;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, FPort);
        if (probe.waitForConnected(200) && probe.waitForReadyRead(2000) && probe.readAll().startsWith("SSH-"))
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool LocalSshServer::replaceHostKey()
{
    const bool wasUp = FProcess && FProcess->state() == QProcess::Running;
    stop();
    if (!makeHostKey())
        return false;
    return !wasUp || start();
}

void LocalSshServer::stop()
{
    if (!FProcess)
        return;
    if (FProcess->state() != QProcess::NotRunning) {
        FProcess->terminate();
        if (!FProcess->waitForFinished(5000)) {
            FProcess->kill();
            FProcess->waitForFinished(2000);
        }
    }
    FProcess.reset();
}
