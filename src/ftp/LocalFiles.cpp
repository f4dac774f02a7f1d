#include "LocalFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace LocalFiles {

namespace {

bool isProtected(const QFileInfo &info)
{
    return !(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable();
}

void unprotect(const QFileInfo &info)
{
    // A link's rights are those of its target, which may lie outside the tree.
    if (info.isSymLink())
        return;
    QFileDevice::Permissions rights = info.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner;
    if (info.isDir())
        rights |= QFileDevice::ExeOwner;
    QFile::setPermissions(info.filePath(), rights);
}

bool isRealFolder(const QFileInfo &info) { return info.isDir() && !info.isSymLink(); }

bool removeFolder(const QFileInfo &info)
{
    unprotect(info);
    const bool emptied = delTree(info.filePath());
    return QDir().rmdir(info.filePath()) && emptied;
}

} // namespace

bool delTree(const QString &folder)
{
    bool complete = true;
    const QDir dir(folder);
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    const QFileInfoList entries = dir.entryInfoList(all);
    for (const QFileInfo &entry : entries) {
        if (isRealFolder(entry))
            continue;
        unprotect(entry);
        complete = QFile::remove(entry.filePath()) && complete;
    }
    for (const QFileInfo &entry : entries) {
        if (isRealFolder(entry))
            complete = removeFolder(entry) && complete;
    }
    return complete;
}

QStringList deleteEntries(const QString &folder, const QStringList &names,
                          const ReadOnlyQuestion &confirmReadOnly, const AfterEach &afterEach)
{
    QStringList failed;
    int done = 0;
    for (const QString &name : names) {
        const QFileInfo info(QDir(folder).filePath(name));
        bool deleted = true;
        if (!info.exists() && !info.isSymLink()) {
            // already gone
        } else if (isRealFolder(info)) {
            deleted = removeFolder(info);
        } else if (!info.isSymLink() && info.isFile() && isProtected(info)) {
            if (confirmReadOnly && confirmReadOnly(info.filePath())) {
                unprotect(info);
                deleted = QFile::remove(info.filePath());
            }
        } else {
            deleted = QFile::remove(info.filePath());
        }
        if (!deleted)
            failed << name;
        if (afterEach)
            afterEach(++done);
    }
    return failed;
}

} // namespace LocalFiles
