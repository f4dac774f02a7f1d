#include "RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

RecentFiles::RecentFiles(QSettings &settings)
    : m_settings(settings)
{
    const QStringList stored = m_settings.value(settingsKey()).toStringList();
    for (const QString &path : stored) {
        const QString clean = normalised(path);
        if (clean.isEmpty() || m_entries.contains(clean))
            continue;
        m_entries << clean;
        if (m_entries.size() == Capacity)
            break;
    }
}

QString RecentFiles::settingsKey() { return QStringLiteral("RecentFiles/pages"); }

QString RecentFiles::normalised(const QString &path)
{
    if (path.trimmed().isEmpty())
        return QString();
    // One page reached by two spellings ("a/../b.htm", a relative path)
    // must not take two places in the list.
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void RecentFiles::add(const QString &path)
{
    const QString clean = normalised(path);
    if (clean.isEmpty())
        return;
    m_entries.removeAll(clean);
    m_entries.prepend(clean);
    while (m_entries.size() > Capacity)
        m_entries.removeLast();
    store();
}

void RecentFiles::remove(const QString &path)
{
    if (m_entries.removeAll(normalised(path)) > 0)
        store();
}

bool RecentFiles::choose(const QString &path)
{
    if (QFileInfo(path).isFile())
        return true;
    remove(path);
    return false;
}

QStringList RecentFiles::pruneMissing()
{
    QStringList gone;
    for (const QString &path : std::as_const(m_entries))
        if (!QFileInfo(path).isFile())
            gone << path;
    if (gone.isEmpty())
        return gone;
    for (const QString &path : std::as_const(gone))
        m_entries.removeAll(path);
    store();
    return gone;
}

void RecentFiles::store()
{
    m_settings.setValue(settingsKey(), m_entries);
    m_settings.sync();
}
