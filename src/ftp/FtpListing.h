#pragma once
// What the transfer window shows and sends, without any widget: the rows of
// the local list, the names of the remote list, the transfer type of a file
// and the order in which a folder is published.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QFileInfo;

namespace FtpListing {

// File attributes as the list shows them; the values are those of the
// attribute words pages and tools from other systems speak of.
enum Attribute : int {
    ReadOnly = 0x01,
    Hidden = 0x02,
    System = 0x04,
    VolumeLabel = 0x08,
    Directory = 0x10,
    Archive = 0x20,
};

// This system has no archive or system bits: a regular file counts as
// archived (changed since any backup), anything that is neither a regular
// file nor a folder (device, pipe, socket, dangling link) as a system file,
// a name beginning with "." as hidden, and a file its owner may not write as
// read-only.
int attributesOf(const QFileInfo &info);

// "a", "r", "h", "s" in this order for each attribute present, then one
// blank for a folder.
QString attributeLetters(int attributes);
// Empty for an entry that is only a folder or only a volume label.
QString sizeText(int attributes, qint64 size);
QString dateText(const QDateTime &modified);

struct LocalEntry {
    QString name;
    QString size;
    QString date;
    QString attributes;
    QString iconKey;
    bool directory = false;
};

// Every entry of the folder, hidden ones included, ".." kept and "."
// left out, in name order.
QList<LocalEntry> readLocalFolder(const QString &folder);

// The icon cache's key of a local entry: the text after the first "." in
// lower case (the whole name when it has no dot, so ".." gives "."); the
// whole name for programs and icon files, whose icons are their own; "/" for
// every folder, so that a folder never lends its icon to files that share
// its name.
QString localIconKey(const QString &name, bool directory);
// The key of a remote name, which carries no type: the text after the first ".".
QString remoteIconKey(const QString &name);

// The names of a bare name listing, one a line, without "." or empty lines,
// at most MaxRemoteNames of them.
constexpr qsizetype MaxRemoteNames = 100000;
QStringList remoteNames(const QByteArray &listing);
// The same; a listing that is not valid UTF-8 is read as Windows-1252, and
// windows1252 tells which way it was read.
QStringList remoteNames(const QByteArray &listing, bool *windows1252);

// Pages, styles and scripts travel as text (their line ends follow the
// server's system); every other file as binary.
bool isTextFile(const QString &path);

// One step of publishing a local folder.
struct UploadStep {
    enum class Kind { MakeDir, ChangeDir, SendFile };
    Kind kind;
    QString argument; // folder name, "..", or the local path of the file
    bool operator==(const UploadStep &) const = default;
};

// Publishing a folder: create it under the server's current folder, go
// into it, send its files (hidden ones too) in name order, then its
// sub-folders the same way, depth first, and go back up with "..".
// Sub-folders whose names begin with "." stay home; a folder reached again
// through a link is not followed twice.
QList<UploadStep> folderUpload(const QString &folderPath);

} // namespace FtpListing
