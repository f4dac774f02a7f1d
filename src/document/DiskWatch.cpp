#include "DiskWatch.h"

#include "page/SafeSave.h"

#include <QHash>

#include <algorithm>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

void DiskWatch::Digest::add(QByteArrayView bytes)
{
    m_size += bytes.size();
    if (!m_carry.isEmpty()) {
        const qsizetype take = std::min(Block - m_carry.size(), bytes.size());
        m_carry += bytes.first(take);
        bytes = bytes.sliced(take);
        if (m_carry.size() < Block)
            return;
        m_hash = qHash(QByteArrayView(m_carry), m_hash);
        m_carry.resize(0);
    }
    for (; bytes.size() >= Block; bytes = bytes.sliced(Block))
        m_hash = qHash(bytes.first(Block), m_hash);
    m_carry += bytes;
}

QByteArray DiskWatch::Digest::result() const
{
    // Blocks chained through the hash's seed, the size last: 64 bits that
    // tell one content from another, at the speed of memory.
    size_t hash = m_carry.isEmpty() ? m_hash : qHash(QByteArrayView(m_carry), m_hash);
    hash = qHash(m_size, hash);
    return QByteArray(reinterpret_cast<const char *>(&hash), sizeof hash);
}

DiskWatch::Stamp DiskWatch::stampOfBytes(const QByteArray &bytes)
{
    Digest digest;
    digest.add(bytes);
    return {true, bytes.size(), digest.result()};
}

DiskWatch::Stamp DiskWatch::stampOf(const QString &path)
{
    // By the name's own bytes, which may not be UTF-8.
    const std::optional<QByteArray> bytes = SafeSave::readContents(path);
    if (!bytes)
        return {};
    return stampOfBytes(*bytes);
}

FileTimes FileTimes::of(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {true, qint64(st.st_size), quint64(st.st_ino),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
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

const DiskWatch::Stamp &DiskWatch::known() const
{
    if (m_digest.valid()) {
        m_known.digest = m_digest.get();
        m_digest = {};
    }
    return m_known;
}

void DiskWatch::setKnown(const Stamp &known, const Times &times)
{
    m_digest = {};
    m_known = known;
    m_times = times;
}

void DiskWatch::setSettleTime(int ms) { m_settle->setInterval(ms); }

void DiskWatch::stop()
{
    m_settle->stop();
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path.clear();
    setKnown({}, {});
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
    // Times taken now could postdate what `known` describes: a notice is
    // then always judged on the bytes.
    setKnown(known, {});
    rewatch();
}

void DiskWatch::watchBytes(const QString &path, const QByteArray &bytes, const Times &times)
{
    watch(path, {true, bytes.size(), {}});
    if (m_path.isEmpty())
        return;
    m_times = times.exists && times.size == bytes.size() ? times : Times{};
    // About a tenth of a second for every 50 MB, which the window need not
    // wait for: the digest is only asked for when the file has moved.
    m_digest = std::async(std::launch::async, [bytes] { return stampOfBytes(bytes).digest; }).share();
}

void DiskWatch::watchWritten(const QString &path, const Stamp &written, const Times &times)
{
    watch(path, written);
    if (!m_path.isEmpty())
        m_times = times.exists && times.size == written.size ? times : Times{};
}

void DiskWatch::remember()
{
    const Times times = FileTimes::of(m_path);
    setKnown(stampOf(m_path), times);
}

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
    const Times times = FileTimes::of(m_path);
    if (times.exists && m_times.exists && times == m_times)
        return;
    const Stamp now = stampOf(m_path);
    if (now == known()) {
        // Touched, or written with what it held: known as it stands now.
        m_times = times;
        return;
    }
    // Reported once: until the page takes the new content in, the same
    // state is not reported again.
    const bool gone = !now.exists;
    setKnown(now, times);
    if (gone)
        Q_EMIT removed();
    else
        Q_EMIT changed();
}
