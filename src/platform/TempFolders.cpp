#include "TempFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {
namespace {

const QLatin1String prefix("pemohtml-");

// When the process started, in seconds since the epoch; 0 when unknown.
double startOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile system(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly) || !system.open(QIODevice::ReadOnly))
        return 0;
    // The command name, in brackets, may hold blanks: count from after it.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(19).toDouble();
    double boot = 0;
    for (const QByteArray &l : system.readAll().split('\n'))
        if (l.startsWith("btime "))
            boot = l.mid(6).trimmed().toDouble();
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    return boot > 0 && perSecond > 0 ? boot + ticks / double(perSecond) : 0;
}

// The folder's program may still be running: a process of that number
// exists and did not start after the folder was last changed (the number
// would then have been given to another process since).
bool mayStillRun(qint64 pid, const struct stat &folder)
{
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    const double started = startOf(pid);
    const double changed = double(folder.st_mtim.tv_sec) + double(folder.st_mtim.tv_nsec) / 1e9;
    return started == 0 || started <= changed + 1;
}

} // namespace

QString privateTempTemplate()
{
    return QDir::tempPath() + u'/' + prefix + QString::number(QCoreApplication::applicationPid())
           + QStringLiteral("-XXXXXX");
}

int removeLeftTempFolders(const QString &tempRoot)
{
    const QDir root(tempRoot.isEmpty() ? QDir::tempPath() : tempRoot);
    int removed = 0;
    const QStringList names = root.entryList({prefix + QStringLiteral("*-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : names) {
        bool number = false;
        const qint64 pid = name.mid(prefix.size()).section(u'-', 0, 0).toLongLong(&number);
        if (!number)
            continue;
        const QString path = root.filePath(name);
        struct stat st;
        // Never another user's folder, never through a link.
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (pid == QCoreApplication::applicationPid() || mayStillRun(pid, st))
            continue;
        if (QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace Platform
