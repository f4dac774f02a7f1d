#include "ftp/SyncPlan.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QTimeZone>

#include <algorithm>

namespace FtpSync {

namespace {

QDateTime wholeSeconds(QDateTime t)
{
    t = t.toUTC();
    return QDateTime::fromSecsSinceEpoch(t.toSecsSinceEpoch(), QTimeZone::utc());
}

void readFolder(const QString &root, const QString &relative, QSet<QString> &seen, LocalTree &tree)
{
    const QDir dir(relative.isEmpty() ? root : root + u'/' + relative);
    if (relative.isEmpty())
        seen.insert(QFileInfo(root).canonicalFilePath());
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    QStringList folders;
    for (const QFileInfo &info : entries) {
        const QString path = relative.isEmpty() ? info.fileName() : relative + u'/' + info.fileName();
        if (info.isDir()) {
            const QString canonical = info.canonicalFilePath();
            if (!info.fileName().startsWith(u'.') && !canonical.isEmpty() && !seen.contains(canonical)) {
                seen.insert(canonical);
                folders << path;
            }
        } else if (info.isFile()) {
            tree.files.append({path, info.size(), wholeSeconds(info.lastModified())});
        }
    }
    for (const QString &folder : std::as_const(folders)) {
        tree.folders << folder;
        readFolder(root, folder, seen, tree);
    }
}

QStringList lines(const QByteArray &listing)
{
    QStringList out;
    for (QByteArray line : listing.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            out << QString::fromUtf8(line);
    }
    return out;
}

bool usableName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/')
           && !name.contains(u'\r') && !name.contains(u'\n') && !name.contains(QChar(0));
}

bool hasDotComponent(const QString &path)
{
    for (const QString &part : path.split(u'/')) {
        if (part.startsWith(u'.'))
            return true;
    }
    return false;
}

int depth(const QString &path) { return int(path.count(u'/')); }

QString isoTime(const QDateTime &t) { return t.isValid() ? machineTime(t) : QString(); }

QDateTime fromMachineTime(const QString &text)
{
    if (text.size() < 14)
        return {};
    QDateTime t = QDateTime::fromString(text.left(14), QStringLiteral("yyyyMMddHHmmss"));
    if (!t.isValid())
        return {};
    t.setTimeZone(QTimeZone::utc());
    return t;
}

} // namespace

QString machineTime(const QDateTime &t) { return t.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")); }

LocalTree readLocalTree(const QString &root)
{
    LocalTree tree;
    QSet<QString> seen;
    readFolder(root, QString(), seen, tree);
    return tree;
}

QList<RemoteEntry> parseMlsd(const QByteArray &listing)
{
    QList<RemoteEntry> entries;
    for (const QString &line : lines(listing)) {
        const qsizetype space = line.indexOf(u' ');
        if (space < 0)
            continue;
        RemoteEntry entry;
        entry.name = line.mid(space + 1);
        if (!usableName(entry.name))
            continue;
        QString type;
        for (const QString &fact : line.left(space).split(u';', Qt::SkipEmptyParts)) {
            const qsizetype eq = fact.indexOf(u'=');
            if (eq < 0)
                continue;
            const QString key = fact.left(eq).toLower();
            const QString value = fact.mid(eq + 1);
            if (key == QLatin1String("type")) {
                type = value.toLower();
            } else if (key == QLatin1String("size")) {
                bool ok = false;
                const qint64 n = value.toLongLong(&ok);
                entry.size = ok && n >= 0 ? n : -1;
            } else if (key == QLatin1String("modify")) {
                entry.modified = fromMachineTime(value);
                entry.timeText = entry.modified.isValid() ? value.left(14) : QString();
            }
        }
        if (type == QLatin1String("dir"))
            entry.folder = true;
        else if (type != QLatin1String("file"))
            continue; // cdir, pdir, links and the like
        entries << entry;
    }
    return entries;
}

QList<RemoteEntry> parseList(const QByteArray &listing)
{
    static const QRegularExpression unixLine(QStringLiteral(
        R"(^([-dl])[rwxsStTlL-]{9}\S*\s+\d+\s+.+?\s+(\d+)\s+([A-Za-z]{3}\s+\d{1,2}\s+(?:\d{1,2}:\d{2}|\d{4}))\s(.+)$)"));
    static const QRegularExpression dos(
        QStringLiteral(R"(^(\d{2}-\d{2}-\d{2,4}\s+\d{1,2}:\d{2}\s*[AaPp][Mm])\s+(<DIR>|\d+)\s+(.+)$)"));
    QList<RemoteEntry> entries;
    for (const QString &line : lines(listing)) {
        RemoteEntry entry;
        if (const QRegularExpressionMatch m = unixLine.match(line); m.hasMatch()) {
            if (m.captured(1) == QLatin1String("l"))
                continue;
            entry.folder = m.captured(1) == QLatin1String("d");
            entry.size = m.captured(2).toLongLong();
            entry.timeText = m.captured(3).simplified();
            entry.name = m.captured(4);
        } else if (const QRegularExpressionMatch d = dos.match(line); d.hasMatch()) {
            entry.folder = d.captured(2) == QLatin1String("<DIR>");
            entry.size = entry.folder ? -1 : d.captured(2).toLongLong();
            entry.timeText = d.captured(1).simplified();
            entry.name = d.captured(3);
        } else {
            continue;
        }
        if (usableName(entry.name))
            entries << entry;
    }
    return entries;
}

// --- the state file

SyncState::SyncState(QString file) : m_file(file.isEmpty() ? defaultFile() : std::move(file)) {}

QString SyncState::defaultFile()
{
    return QFileInfo(QSettings().fileName()).absolutePath() + QStringLiteral("/ftp-sync-state.json");
}

void SyncState::load()
{
    m_sites.clear();
    QFile f(m_file);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QJsonObject sites = QJsonDocument::fromJson(f.read(64 * 1024 * 1024)).object().value(u"sites").toObject();
    for (auto site = sites.begin(); site != sites.end(); ++site) {
        QHash<QString, Sent> &files = m_sites[site.key()];
        const QJsonObject paths = site.value().toObject();
        for (auto it = paths.begin(); it != paths.end(); ++it) {
            const QJsonObject o = it.value().toObject();
            Sent s;
            s.size = qint64(o.value(u"size").toDouble(-1));
            s.localModified = fromMachineTime(o.value(u"mtime").toString());
            s.remoteTime = o.value(u"remote").toString();
            s.partial = o.value(u"partial").toBool();
            if (s.size >= 0 && s.localModified.isValid())
                files.insert(it.key(), s);
        }
    }
}

bool SyncState::save()
{
    QJsonObject sites;
    for (auto site = m_sites.cbegin(); site != m_sites.cend(); ++site) {
        QJsonObject paths;
        for (auto it = site->cbegin(); it != site->cend(); ++it) {
            QJsonObject o{{QStringLiteral("size"), double(it->size)},
                          {QStringLiteral("mtime"), isoTime(it->localModified)}};
            if (!it->remoteTime.isEmpty())
                o.insert(QStringLiteral("remote"), it->remoteTime);
            if (it->partial)
                o.insert(QStringLiteral("partial"), true);
            paths.insert(it.key(), o);
        }
        sites.insert(site.key(), paths);
    }
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSaveFile f(m_file);
    if (!f.open(QIODevice::WriteOnly)) {
        m_reason = f.errorString();
        return false;
    }
    f.write(QJsonDocument(QJsonObject{{QStringLiteral("version"), 1}, {QStringLiteral("sites"), sites}}).toJson());
    if (!f.commit()) {
        m_reason = f.errorString();
        return false;
    }
    return true;
}

const QHash<QString, Sent> &SyncState::sent() const
{
    static const QHash<QString, Sent> none;
    const auto it = m_sites.constFind(m_site);
    return it == m_sites.cend() ? none : *it;
}

void SyncState::beginSend(const LocalFile &file)
{
    m_sites[m_site].insert(file.path, Sent{file.size, file.modified, QString(), true});
}

void SyncState::sent(const LocalFile &file, const QString &remoteTime)
{
    m_sites[m_site].insert(file.path, Sent{file.size, file.modified, remoteTime, false});
}

void SyncState::learnRemoteTime(const QString &path, const QString &remoteTime)
{
    auto site = m_sites.find(m_site);
    if (site == m_sites.end())
        return;
    auto it = site->find(path);
    if (it != site->end() && !it->partial)
        it->remoteTime = remoteTime;
}

void SyncState::forget(const QString &path)
{
    auto site = m_sites.find(m_site);
    if (site != m_sites.end())
        site->remove(path);
}

// --- the plan

qint64 Plan::bytesToSend() const
{
    qint64 total = 0;
    for (const Upload &u : send)
        total += u.file.size - u.resumeAt;
    return total;
}

Plan makePlan(const LocalTree &local, const RemoteTree &remote, const QHash<QString, Sent> &sent,
              bool deleteRemote)
{
    Plan plan;
    const QSet<QString> remoteFolders(remote.folders.cbegin(), remote.folders.cend());
    for (const QString &folder : local.folders) {
        if (!remoteFolders.contains(folder))
            plan.createFolders << folder;
    }
    QSet<QString> localFiles;
    for (const LocalFile &file : local.files) {
        localFiles.insert(file.path);
        const auto there = remote.files.constFind(file.path);
        const auto mine = sent.constFind(file.path);
        const bool sameVersion = mine != sent.cend() && mine->size == file.size && mine->localModified == file.modified;
        if (there == remote.files.cend()) {
            plan.send.append({file, 0, true});
            continue;
        }
        if (there->size == file.size) {
            if (there->modified.isValid() && there->modified == file.modified)
                continue; // its time is ours: set after our send, or kept by the server
            if (sameVersion && !mine->partial
                && (mine->remoteTime.isEmpty() || mine->remoteTime == there->timeText)) {
                if (mine->remoteTime.isEmpty() && !there->timeText.isEmpty())
                    plan.learned.insert(file.path, there->timeText);
                continue;
            }
        }
        Upload upload{file, 0, false};
        // Resumed only when what the server holds can be the beginning of
        // this very version: we were sending it, and it is shorter.
        if (sameVersion && mine->partial && there->size > 0 && there->size < file.size)
            upload.resumeAt = there->size;
        plan.send.append(upload);
    }
    if (!deleteRemote)
        return plan;

    const QSet<QString> localFolders(local.folders.cbegin(), local.folders.cend());
    QStringList kept; // remote entries that stay, which keep their folders too
    for (auto it = remote.files.cbegin(); it != remote.files.cend(); ++it) {
        if (localFiles.contains(it.key()))
            continue;
        if (hasDotComponent(it.key()))
            kept << it.key();
        else
            plan.deleteFiles << it.key();
    }
    for (const QString &folder : remote.folders) {
        if (hasDotComponent(folder) || localFolders.contains(folder))
            kept << folder;
    }
    plan.deleteFiles.sort();
    for (const QString &folder : remote.folders) {
        if (localFolders.contains(folder) || hasDotComponent(folder))
            continue;
        const QString prefix = folder + u'/';
        const bool holdsKept = std::any_of(kept.cbegin(), kept.cend(),
                                           [&](const QString &path) { return path.startsWith(prefix); });
        if (!holdsKept)
            plan.deleteFolders << folder;
    }
    std::sort(plan.deleteFolders.begin(), plan.deleteFolders.end(), [](const QString &a, const QString &b) {
        return depth(a) != depth(b) ? depth(a) > depth(b) : a < b;
    });
    return plan;
}

} // namespace FtpSync
