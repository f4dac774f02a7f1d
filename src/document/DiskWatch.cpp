#include "DiskWatch.h"

#include "page/SafeSave.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

DiskWatch::Stamp DiskWatch::stampOfBytes(const QByteArray &bytes)
{
    return {true, bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha1)};
}

DiskWatch::Stamp DiskWatch::stampOf(const QString &path)
{
    // By the name's own bytes, which may not be UTF-8.
    const std::optional<QByteArray> bytes = SafeSave::readContents(path);
    if (!bytes)
        return {};
    return stampOfBytes(*bytes);
}

DiskWatch::DiskWatch(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(200);
    connect(m_settle, &QTimer::timeout, this, &DiskWatch::settle);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DiskWatch::notified);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::notified);
}

DiskWatch::~DiskWatch() = default;

void DiskWatch::setSettleTime(int ms) { m_settle->setInterval(ms); }

void DiskWatch::stop()
{
    m_settle->stop();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path.clear();
    m_known = {};
}

void DiskWatch::watch(const QString &path, const Stamp &known)
{
    const QString full = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    if (full != m_path) {
        stop();
        m_path = full;
    }
    if (m_path.isEmpty())
        return;
    m_known = known;
    rewatch();
}

void DiskWatch::remember() { m_known = stampOf(m_path); }

void DiskWatch::rewatch()
{
    // The folder's watch survives the file being replaced or removed; the
    // file's own watch is put back whenever a file stands at the path again.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher->directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher->addPath(folder);
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
}

void DiskWatch::notified()
{
    if (m_path.isEmpty())
        return;
    m_settle->start();
}

void DiskWatch::settle()
{
    if (m_path.isEmpty())
        return;
    rewatch();
    if (m_gate && !m_gate()) {
        m_settle->start();
        return;
    }
    const Stamp now = stampOf(m_path);
    if (now == m_known)
        return;
    // Reported once: until the page takes the new content in, the same
    // state is not reported again.
    const bool gone = !now.exists;
    m_known = now;
    if (gone)
        Q_EMIT removed();
    else
        Q_EMIT changed();
}
