#include "Errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/statvfs.h>
#include <unistd.h>

namespace Platform {
namespace {

QString reasonFor(int err, bool writing)
{
    switch (err) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("Le disque est plein.");
    case EROFS:
        return QStringLiteral("Le disque est en lecture seule.");
    case EACCES:
    case EPERM:
        return writing ? QStringLiteral("Vous n'avez pas le droit d'écrire à cet endroit.")
                       : QStringLiteral("Vous n'avez pas le droit de lire ce fichier.");
    case ENOENT:
        return writing ? QStringLiteral("Le dossier n'existe pas.") : QStringLiteral("Le fichier n'existe pas.");
    case ENOTDIR:
        return QStringLiteral("Le dossier n'existe pas.");
    case EISDIR:
        return QStringLiteral("Ce nom est celui d'un dossier.");
    default:
        return QString();
    }
}

// When the error number was lost on the way, the file system tells the
// usual causes apart.
int probe(const QString &path, bool writing)
{
    const QFileInfo info(path);
    if (info.isDir())
        return EISDIR;
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return ENOENT;
    if (!writing)
        return info.exists() ? (info.isReadable() ? 0 : EACCES) : ENOENT;
    const QByteArray native = QFile::encodeName(folder);
    errno = 0;
    if (::access(native.constData(), W_OK) != 0)
        return errno;
    struct statvfs fs {};
    if (::statvfs(native.constData(), &fs) == 0 && fs.f_bavail == 0)
        return ENOSPC;
    return 0;
}

} // namespace

QString fileFailureReason(const QString &path, int err, const QString &qtText, bool writing)
{
    QString reason = reasonFor(err, writing);
    if (reason.isEmpty())
        reason = reasonFor(probe(path, writing), writing);
    if (reason.isEmpty())
        reason = qtText;
    return reason;
}

} // namespace Platform
