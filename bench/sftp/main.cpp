// Upload of a 200 MB file over SFTP to a local sshd: the engine against scp
// to the same server in the same run (two rounds each, the better kept),
// while a 1 ms timer on the engine's event loop measures how long it is kept
// waiting.
//
// Usage: bench_sftp [size in MB, default 200]
#include "LocalSshServer.h"
#include "ftp/SftpClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

bool waitDone(SftpClient &client, double *longestTickMs = nullptr)
{
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&client, &SftpClient::requestDone, &loop, [&](SftpClient::Request, bool result) {
        ok = result;
        loop.quit();
    });
    QTimer tick;
    QElapsedTimer sinceTick;
    double longest = 0;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    tick.start(1);
    sinceTick.start();
    loop.exec();
    if (longestTickMs)
        *longestTickMs = longest;
    return ok;
}

double scpUpload(const LocalSshServer &server, const QString &path, const QString &target)
{
    QProcess scp;
    QElapsedTimer clock;
    clock.start();
    scp.start(QStringLiteral("scp"),
              {QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("BatchMode=yes"), QStringLiteral("-o"),
               QStringLiteral("UserKnownHostsFile=") + server.knownHosts(), QStringLiteral("-o"),
               QStringLiteral("StrictHostKeyChecking=no"), QStringLiteral("-i"),
               server.clientFolder() + QStringLiteral("/id_ed25519"), QStringLiteral("-P"),
               QString::number(server.port()), path,
               server.userName() + QStringLiteral("@127.0.0.1:") + target});
    if (!scp.waitForFinished(600000) || scp.exitCode() != 0) {
        std::fprintf(stderr, "scp: %s\n", scp.readAllStandardError().constData());
        return -1;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (QFileInfo(target).size() != QFileInfo(path).size())
        return -1;
    QFile::remove(target);
    return seconds;
}

double ourUpload(SftpClient &client, const LocalSshServer &server, const QString &path, double *longestTickMs)
{
    QElapsedTimer clock;
    clock.start();
    if (!client.upload(path, QStringLiteral("ours.bin")) || !waitDone(client, longestTickMs)) {
        std::fprintf(stderr, "engine: %s\n", qPrintable(client.errorMessage()));
        return -1;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    const QString target = server.root() + QStringLiteral("/ours.bin");
    if (QFileInfo(target).size() != QFileInfo(path).size())
        return -1;
    QFile::remove(target);
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 200;
    qunsetenv("SSH_AUTH_SOCK");
    LocalSshServer server;
    if (!server.start()) {
        std::printf("sftp: server not started (%s)\n", qPrintable(server.reason()));
        return 0;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("upload.bin"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(1);
        for (qint64 i = 0; i < megabytes; ++i) {
            generator.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            f.write(block);
        }
    }

    SftpClient client;
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(server.port());
    client.setUser(server.userName());
    client.setSshFolder(server.clientFolder());
    if (!client.connectToHost() || !waitDone(client)
        || (client.hostKeyPending() && (!client.answerHostKey(true) || !waitDone(client)))
        || !client.changeFolder(server.root()) || !waitDone(client)) {
        std::printf("sftp: no session (%s)\n", qPrintable(client.errorMessage()));
        return 1;
    }

    double scpBest = 1e9, oursBest = 1e9, longestTick = 0;
    for (int round = 0; round < 2; ++round) {
        const double s = scpUpload(server, path, server.root() + QStringLiteral("/scp.bin"));
        double tick = 0;
        const double o = ourUpload(client, server, path, &tick);
        if (s < 0 || o < 0)
            return 1;
        scpBest = std::min(scpBest, s);
        oursBest = std::min(oursBest, o);
        longestTick = std::max(longestTick, tick);
    }
    const double mb = double(megabytes);
    std::printf("SFTP upload of %lld MB on 127.0.0.1: scp %.2f s (%.0f MB/s); engine %.2f s (%.0f MB/s); "
                "speed ratio engine/scp %.2f (goal >= 0.5)\n",
                static_cast<long long>(megabytes), scpBest, mb / scpBest, oursBest, mb / oursBest,
                scpBest / oursBest);
    std::printf("event loop during the engine's uploads: longest wait of a 1 ms timer %.1f ms\n", longestTick);
    return 0;
}
