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

QString programOf(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
}

// A process of that number runs this same program.
bool stillRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // The number may have been given to another program since.
    const QString theirs = programOf(pid);
    return !theirs.isEmpty() && theirs == programOf(::getpid());
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
        if (pid == QCoreApplication::applicationPid() || stillRunning(pid))
            continue;
        if (QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace Platform
