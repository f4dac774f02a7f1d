// "Synchroniser" on an unchanged site of 1 000 files (20 folders of 50)
// against a local FTP server: the time until the window says there is
// nothing to send. The first run, which sends everything, is timed too.
//
// Usage: bench_ftpsync [files, default 1000]
#include "LocalFtpServer.h"
#include "ftp/FtpWindow.h"
#include "ftp/SyncConfirm.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("PemoBench"));

    LocalFtpServer server(LocalFtpServer::PythonLibrary);
    if (!server.start()) {
        std::fprintf(stderr, "pyftpdlib: %s\n", qPrintable(server.reason()));
        return 1;
    }
    QTemporaryDir local;
    for (int i = 0; i < files; ++i) {
        const QString path = local.filePath(QStringLiteral("rubrique%1/page%2.htm").arg(i / 50).arg(i));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(QByteArray("<p>Page ") + QByteArray::number(i) + "</p>\r\n");
    }
    Platform::setMessageHandler([](const Platform::MessageRecord &) { return Platform::Answer::Ok; });
    SyncConfirm::setHandler([](const SyncConfirm::Request &) { return true; });

    QDir::setCurrent(local.path());
    TFtp w;
    w.setSyncStateFile(settings.filePath(QStringLiteral("state.json")));
    w.show();
    w.Hote->setText(QStringLiteral("127.0.0.1"));
    w.PortHote->setText(QString::number(server.port()));
    w.Usager->setText(server.userName());
    w.Passe->setText(server.passWord());
    w.ConnecterClick();
    if (w.result() != QLatin1String("Ok")) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    w.SynchroniserClick();
    const double first = clock.nsecsElapsed() / 1e9;
    if (w.lastSync().sent != files) {
        std::fprintf(stderr, "first run sent %d of %d files\n", w.lastSync().sent, files);
        return 1;
    }
    clock.restart();
    w.SynchroniserClick();
    const double again = clock.nsecsElapsed() / 1e9;
    if (!w.lastSync().nothingToDo) {
        std::fprintf(stderr, "the second run found something to send\n");
        return 1;
    }
    std::printf("synchronisation, %d files (pyftpdlib, 127.0.0.1): first run %.2f s, "
                "unchanged site: \"rien à envoyer\" after %.3f s\n",
                files, first, again);
    return 0;
}
