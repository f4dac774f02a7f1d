#include "FtpListing.h"

#include "ftp/FtpReply.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace FtpListing {

int attributesOf(const QFileInfo &info)
{
    int attributes = 0;
    const QString name = info.fileName();
    if (info.isDir())
        attributes |= Directory;
    else if (info.isFile())
        attributes |= Archive;
    else
        attributes |= System;
    if (name.startsWith(u'.') && name != QLatin1String(".."))
        attributes |= Hidden;
    // Checked on the owner's bit as well: the administrator may write every
    // file, yet a file its owner protected still reads as read-only.
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)))
        attributes |= ReadOnly;
    return attributes;
}

QString attributeLetters(int attributes)
{
    QString letters;
    if (attributes & Archive)
        letters += u'a';
    if (attributes & ReadOnly)
        letters += u'r';
    if (attributes & Hidden)
        letters += u'h';
    if (attributes & System)
        letters += u's';
    if (attributes & Directory)
        letters += u' ';
    return letters;
}

QString sizeText(int attributes, qint64 size)
{
    if (attributes == Directory || attributes == VolumeLabel)
        return QString();
    return QString::number(size);
}

QString dateText(const QDateTime &modified) { return modified.toString(QStringLiteral("dd/MM/yyyy")); }

QString localIconKey(const QString &name, bool directory)
{
    if (name == QLatin1String(".."))
        return QStringLiteral(".");
    if (directory)
        return QStringLiteral("/");
    const QString key = remoteIconKey(name);
    if (key == QLatin1String("exe") || key == QLatin1String("ico"))
        return name.toLower();
    return key;
}

QString remoteIconKey(const QString &name)
{
    const qsizetype dot = name.indexOf(u'.');
    return name.mid(dot + 1).toLower();
}

QList<LocalEntry> readLocalFolder(const QString &folder)
{
    QList<LocalEntry> entries;
    const QDir dir(folder);
    const QFileInfoList infos = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : infos) {
        LocalEntry entry;
        const int attributes = attributesOf(info);
        entry.name = info.fileName();
        entry.directory = attributes & Directory;
        entry.size = sizeText(attributes, info.size());
        entry.date = dateText(info.lastModified());
        entry.attributes = attributeLetters(attributes);
        entry.iconKey = localIconKey(entry.name, entry.directory);
        entries << entry;
    }
    return entries;
}

QStringList remoteNames(const QByteArray &listing) { return remoteNames(listing, nullptr); }

QStringList remoteNames(const QByteArray &listing, bool *windows1252)
{
    const bool legacy = !FtpReply::isUtf8(listing);
    if (windows1252)
        *windows1252 = legacy;
    QStringList names;
    const QList<QByteArray> lines = listing.split('\n');
    for (QByteArray line : lines) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line == ".")
            continue;
        if (names.size() >= MaxRemoteNames)
            break;
        names << (legacy ? FtpReply::decodeWindows1252(line) : QString::fromUtf8(line));
    }
    return names;
}

bool isTextFile(const QString &path)
{
    static const QStringList textExtensions = {
        QStringLiteral(".asc"), QStringLiteral(".asi"), QStringLiteral(".asp"), QStringLiteral(".cfm"),
        QStringLiteral(".cgi"), QStringLiteral(".css"), QStringLiteral(".diz"), QStringLiteral(".htm"),
        QStringLiteral(".html"), QStringLiteral(".shtm"), QStringLiteral(".shtml"), QStringLiteral(".text"),
        QStringLiteral(".txt"), QStringLiteral(".xml"),
    };
    const QString name = Platform::fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    return textExtensions.contains(name.mid(dot), Qt::CaseInsensitive);
}

namespace {

void planFolder(const QString &folderPath, QSet<QString> &visiting, QList<UploadStep> &steps)
{
    const QFileInfo self(folderPath);
    const QString canonical = self.canonicalFilePath();
    if (canonical.isEmpty() || visiting.contains(canonical))
        return;
    visiting.insert(canonical);

    const QString name = self.fileName();
    steps << UploadStep{UploadStep::Kind::MakeDir, name} << UploadStep{UploadStep::Kind::ChangeDir, name};
    const QDir dir(folderPath);
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, order))
        steps << UploadStep{UploadStep::Kind::SendFile, file.filePath()};
    for (const QFileInfo &sub : dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, order)) {
        if (!sub.fileName().startsWith(u'.'))
            planFolder(sub.filePath(), visiting, steps);
    }
    steps << UploadStep{UploadStep::Kind::ChangeDir, QStringLiteral("..")};
    visiting.remove(canonical);
}

} // namespace

QList<UploadStep> folderUpload(const QString &folderPath)
{
    QList<UploadStep> steps;
    QSet<QString> visiting;
    QString path = folderPath;
    while (path.size() > 1 && Platform::isSeparator(path.back()))
        path.chop(1);
    planFolder(path, visiting, steps);
    return steps;
}

} // namespace FtpListing
