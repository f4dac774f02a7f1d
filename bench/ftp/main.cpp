// Upload of a 1 GB file to a local FTP server: the engine against curl to the
// same server in the same run, while a 1 ms timer on the engine's event loop
// measures how long it is kept waiting.
//
// Usage: bench_ftp [size in MB, default 1024] [pyftpdlib|vsftpd|both]
#include "LocalFtpServer.h"
#include "ftp/FtpClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Figures
{
    double seconds = 0;
    double cpu = 0;
    bool ok = false;
};

Figures curlUpload(LocalFtpServer &server, const QString &path)
{
    Figures f;
    const QString url = QStringLiteral("ftp://127.0.0.1:%1/curl.bin").arg(server.port());
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                QStringLiteral("-u"), server.userName() + u':' + server.passWord(),
                QStringLiteral("-T"), path, url});
    if (!curl.waitForFinished(600000))
        return f;
    f.seconds = clock.nsecsElapsed() / 1e9;
    f.ok = curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0
           && QFileInfo(server.root() + QStringLiteral("/curl.bin")).size() == QFileInfo(path).size();
    if (!f.ok)
        std::fprintf(stderr, "curl: %s\n", curl.readAllStandardError().constData());
    QFile::remove(server.root() + QStringLiteral("/curl.bin"));
    return f;
}

Figures engineUpload(LocalFtpServer &server, const QString &path, std::vector<qint64> &gapsUs)
{
    Figures f;
    TFtpClient c;
    c.setHostName(QStringLiteral("127.0.0.1"));
    c.setPort(QString::number(server.port()));
    c.setUserName(server.userName());
    c.setPassWord(server.passWord());
    c.SetPassiveMode(true);
    int done = 0;
    quint16 error = 0;
    c.OnRequestDone = [&](QObject *, TFtpRequest, quint16 e) {
        ++done;
        error = e;
    };
    auto wait = [&](int n) {
        while (done < n)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    c.OpenSession();
    wait(1);
    if (error)
        return f;
    c.setBinary(true);
    c.SetTransferType();
    wait(2);

    // The 1 ms timer: every gap between two of its ticks is recorded.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gapsUs.push_back(sinceTick.nsecsElapsed() / 1000);
        sinceTick.restart();
    });

    c.setLocalFileName(path);
    c.setHostFileName(QStringLiteral("engine.bin"));
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    sinceTick.start();
    tick.start(1);
    c.StoreFile();
    wait(3);
    tick.stop();
    f.seconds = clock.nsecsElapsed() / 1e9;
    f.cpu = cpuSeconds() - cpuBefore;
    f.ok = error == 0
           && QFileInfo(server.root() + QStringLiteral("/engine.bin")).size() == QFileInfo(path).size();
    if (!f.ok)
        std::fprintf(stderr, "engine: error %d, %lld bytes on the server, %s\n", int(error),
                     static_cast<long long>(QFileInfo(server.root() + QStringLiteral("/engine.bin")).size()),
                     qPrintable(c.LastResponse()));
    QFile::remove(server.root() + QStringLiteral("/engine.bin"));
    c.CloseSession();
    return f;
}

// The same timer on an idle event loop: what the machine itself costs.
std::vector<qint64> idleGaps(int ms)
{
    std::vector<qint64> gaps;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gaps.push_back(sinceTick.nsecsElapsed() / 1000);
        sinceTick.restart();
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    tick.start(1);
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::sort(gaps.begin(), gaps.end());
    return gaps;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? args.at(1).toLongLong() : 1024;
    const QString which = args.size() > 2 ? args.at(2) : QStringLiteral("both");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("upload.bin"));
    {
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator rng(42);
        rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        for (qint64 i = 0; i < megabytes; ++i) {
            block[0] = char(i); // not the same megabyte over and over
            f.write(block);
        }
    }
    const double mb = double(megabytes);

    std::printf("Upload of %lld MB on 127.0.0.1 (passive mode)\n", static_cast<long long>(megabytes));
    {
        const std::vector<qint64> idle = idleGaps(3000);
        std::printf("idle event loop: 1 ms timer, %zu ticks in 3 s, longest wait %.1f ms, 99th percentile %.1f ms\n",
                    idle.size(), idle.back() / 1000.0, idle[idle.size() * 99 / 100] / 1000.0);
    }
    int status = 0;
    for (LocalFtpServer::Kind kind : {LocalFtpServer::Daemon, LocalFtpServer::PythonLibrary}) {
        LocalFtpServer server(kind);
        if (which != QLatin1String("both") && which != server.name())
            continue;
        if (!server.start()) {
            std::printf("%s: not started (%s)\n", qPrintable(server.name()), qPrintable(server.reason()));
            status = 1;
            continue;
        }
        const Figures curl = curlUpload(server, path);
        std::vector<qint64> gaps;
        const Figures engine = engineUpload(server, path, gaps);
        std::sort(gaps.begin(), gaps.end());
        const qint64 worst = gaps.empty() ? 0 : gaps.back();
        const qint64 p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
        const double curlRate = curl.ok ? mb / curl.seconds : 0;
        const double engineRate = engine.ok ? mb / engine.seconds : 0;
        std::printf("%s: curl -T %.2f s (%.0f MB/s)%s; engine %.2f s (%.0f MB/s)%s; ratio %.2f\n",
                    qPrintable(server.name()), curl.seconds, curlRate, curl.ok ? "" : " FAILED",
                    engine.seconds, engineRate, engine.ok ? "" : " FAILED",
                    curlRate > 0 ? engineRate / curlRate : 0.0);
        std::printf("%s: engine used %.2f s of processor time; 1 ms timer, %zu ticks, longest wait %.1f ms, 99th percentile %.1f ms\n",
                    qPrintable(server.name()), engine.cpu, gaps.size(), worst / 1000.0, p99 / 1000.0);
        if (!curl.ok || !engine.ok)
            status = 1;
    }
    return status;
}
