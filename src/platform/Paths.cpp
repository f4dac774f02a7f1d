#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace Platform {

bool isSeparator(QChar c) { return c == u'/' || c == u'\\'; }

static qsizetype lastSeparator(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path.at(i)))
            return i;
    return -1;
}

QString folderPart(const QString &path)
{
    const qsizetype at = lastSeparator(path);
    if (at < 0) {
        // "C:name" keeps its drive as folder
        if (path.size() >= 2 && path.at(1) == u':')
            return path.left(2);
        return QString();
    }
    return path.left(at + 1);
}

QString fileNamePart(const QString &path)
{
    qsizetype at = lastSeparator(path);
    if (at < 0 && path.size() >= 2 && path.at(1) == u':')
        at = 1;
    return path.mid(at + 1);
}

QString separator() { return QStringLiteral("/"); }

QString currentDirWithSeparator()
{
    QString dir = QDir::currentPath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

static QString driveOf(const QString &path)
{
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter())
        return path.left(2).toUpper();
    return QString();
}

static QStringList components(const QString &path)
{
    QString rest = path;
    if (!driveOf(path).isEmpty())
        rest = path.mid(2);
    QStringList parts;
    QString current;
    for (QChar c : rest) {
        if (isSeparator(c)) {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

QString relativePath(const QString &file, const QString &baseFolder)
{
    if (driveOf(file) != driveOf(baseFolder))
        return file;
    // Folders of the base (its trailing separator leaves an empty last part).
    QStringList base = components(baseFolder);
    if (!base.isEmpty() && base.last().isEmpty())
        base.removeLast();
    const QStringList target = components(file);
    const qsizetype folders = target.size() - 1; // last part is the file name
    qsizetype common = 0;
    while (common < base.size() && common < folders
           && base.at(common).compare(target.at(common), Qt::CaseInsensitive) == 0)
        ++common;
    QString result;
    for (qsizetype i = common; i < base.size(); ++i)
        result += QStringLiteral("../");
    for (qsizetype i = common; i < target.size(); ++i) {
        result += target.at(i);
        if (i + 1 < target.size())
            result += u'/';
    }
    return result;
}

bool isReadOnlyFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    // A file whose owner may not write it counts as read-only even for a
    // user whose rights would let him write it anyway.
    return info.exists() && info.isFile()
        && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner));
}

} // namespace Platform
