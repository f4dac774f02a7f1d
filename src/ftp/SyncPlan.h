#pragma once
// "Synchroniser" without any widget: what the local folder holds, what the
// server's folder holds, what we remember having sent, and from these the
// list of what to create, send and (when asked) delete on the server.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace FtpSync {

// Paths are relative to the folder being synchronised, with "/" between
// components and no leading "/".
struct LocalFile {
    QString path;
    qint64 size = 0;
    QDateTime modified; // UTC, whole seconds
};

struct LocalTree {
    QStringList folders; // parents before their children
    QList<LocalFile> files;
};

// The tree below root as publishing sends it: every file, hidden ones too;
// sub-folders whose names begin with "." stay home, as when a folder is sent
// with "Envoyer"; a folder reached again through a link is read once.
LocalTree readLocalTree(const QString &root);

struct RemoteEntry {
    QString name;
    bool folder = false;
    qint64 size = -1;
    QDateTime modified; // UTC; invalid when the listing gives no usable time
    QString timeText;   // what the listing says of the time, for comparing
};

// The entries of an MLSD answer ("type=file;size=12;modify=20261210182000; name").
// "." and ".." and the folder itself (cdir, pdir) are left out, as are names
// holding "/" or a line break, which no folder entry can have.
QList<RemoteEntry> parseMlsd(const QByteArray &listing);
// The entries of a LIST answer in the Unix form ("-rw-r--r-- 1 u g 12 Dec 10 18:20 name")
// or the DOS form ("12-10-26  06:20PM  <DIR>  name"); links are left out
// (their size is the link's), as are lines of neither form.
QList<RemoteEntry> parseList(const QByteArray &listing);

struct RemoteTree {
    QStringList folders;                 // parents before their children
    QHash<QString, RemoteEntry> files;   // by path
};

// What we wrote down of a file we sent, to know it unchanged next time
// where the server cannot be told a file's time.
struct Sent {
    qint64 size = -1;
    QDateTime localModified;
    QString remoteTime; // the remote entry's time text after the send; empty when not yet seen
    bool partial = false; // a send began and has not been seen to end
};

// The small state file of ours kept beside the settings: per site, per path.
class SyncState
{
public:
    explicit SyncState(QString file = QString());
    // The file beside the program's settings.
    static QString defaultFile();

    // A missing file is an empty state; an unreadable or damaged one too,
    // which costs only a resend.
    void load();
    // Atomic: a failed write leaves the old file. False with reason().
    bool save();
    QString reason() const { return m_reason; }
    QString file() const { return m_file; }

    void setSite(const QString &siteKey) { m_site = siteKey; }
    const QHash<QString, Sent> &sent() const;
    void beginSend(const LocalFile &file);
    void sent(const LocalFile &file, const QString &remoteTime);
    void learnRemoteTime(const QString &path, const QString &remoteTime);
    void forget(const QString &path);

private:
    QString m_file;
    QString m_site;
    QString m_reason;
    QHash<QString, QHash<QString, Sent>> m_sites;
};

struct Upload {
    LocalFile file;
    // Where a send cut in the middle of this very version stopped: the
    // size the server has of it. 0: from the start.
    qint64 resumeAt = 0;
    bool isNew = false;
};

struct Plan {
    QStringList createFolders; // parents first
    QList<Upload> send;
    QStringList deleteFiles;
    QStringList deleteFolders; // children first
    // Remote times seen for the first time of files that are as we sent them.
    QHash<QString, QString> learned;

    bool isEmpty() const
    {
        return createFolders.isEmpty() && send.isEmpty() && deleteFiles.isEmpty() && deleteFolders.isEmpty();
    }
    qint64 bytesToSend() const;
};

// A file is sent when the server lacks it, holds another size, or neither
// its time (set by us through MFMT) nor what we remember of our last send
// vouches for it. Deletions only when asked, and never of remote names
// beginning with "." (a server's own .htaccess, .well-known) that have no
// local counterpart.
Plan makePlan(const LocalTree &local, const RemoteTree &remote, const QHash<QString, Sent> &sent,
              bool deleteRemote);

// The time as MFMT and MLSD write it: yyyyMMddHHmmss in UTC.
QString machineTime(const QDateTime &t);

} // namespace FtpSync
