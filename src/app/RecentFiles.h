#pragma once
// The list of recently opened or saved pages shown under "Fichier": most
// recent first, at most eight, no path twice, kept in the settings so that
// the next session finds it again. No widget here: the frame builds the menu.
#include <QString>
#include <QStringList>

class QSettings;

class RecentFiles
{
public:
    static constexpr qsizetype Capacity = 8;

    // Reads the list from the settings; hand-edited or stale values are
    // tidied (empty entries, duplicates, entries past the capacity).
    explicit RecentFiles(QSettings &settings);

    const QStringList &entries() const { return m_entries; }

    // Puts the page at the front; an older mention of it goes away.
    void add(const QString &path);
    void remove(const QString &path);
    // What choosing an entry does: true if the page still exists; a page
    // that is gone leaves the list and false is answered.
    bool choose(const QString &path);
    // Drops every entry whose file is gone; answers the dropped paths.
    QStringList pruneMissing();

    // The settings key the list lives under.
    static QString settingsKey();

private:
    static QString normalised(const QString &path);
    void store();

    QSettings &m_settings;
    QStringList m_entries;
};
