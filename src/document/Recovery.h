#pragma once
// Copies of modified pages, kept in the user's data folder so that a crash
// or a session ended under the program loses nothing. Each running program
// owns a session: a lock file naming it, and for each window with unsaved
// changes a copy of the page and a small description beside it. At the next
// start, copies whose session is no longer held by a running program are
// offered back. Every file is written whole or not at all.
#include "page/PageFile.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

class QLockFile;
class QThreadPool;

namespace Recovery {

// "<data folder>/recuperation".
QString defaultFolder();

// What is kept of one page.
struct Copy {
    QString original;   // the page's file; empty for a page never saved
    QString title;      // the window's caption
    PageFile::Encoding encoding = PageFile::Encoding::Windows1252;
    PageFile::Breaks breaks;
    // The page's text as LF-separated lines (see TPage::linesText()); when
    // it is null, the lines below are the page.
    QString text;
    QStringList lines;
    int caret = 0;
};

// What tells a copy is still the page's: nothing in it changed since.
struct Stamp {
    quint64 changes = 0; // TPage::changeCount()
    QString original;
    QString title;
    PageFile::Encoding encoding = PageFile::Encoding::Windows1252;
    PageFile::Breaks breaks;
    bool operator==(const Stamp &) const = default;
};

// A copy found in the folder.
struct Entry {
    QString id;         // "<session>-<window>"
    QString copyPath;
    QString infoPath;
    QString original;
    QString title;
    QDateTime saved;    // local time of the copy
};

// "sans nom" for a page never saved.
QString shownOriginal(const Entry &entry);

// The page held by a copy. Throws Platform::PemoError when it cannot be read.
Copy load(const Entry &entry);
// Removes a copy and its description.
void discard(const Entry &entry);

class Session
{
public:
    // Creates the folder when needed and takes a lock of its own in it. The
    // copies hold pages the user has not saved: the folder is his alone
    // (0700) and so is every file in it (0600).
    explicit Session(const QString &folder = defaultFolder());
    ~Session(); // releases the locks; the copies stay
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    QString folder() const { return m_folder; }
    QString id() const { return m_id; }
    // False when the folder could not be made or locked: nothing is kept.
    bool active() const { return m_active; }

    // Writes window's copy over the previous one (nothing is written when
    // the page and its file name have not changed since). Throws
    // Platform::PemoError when the copy cannot be written.
    void save(int window, const Copy &copy);
    // The copy already kept for window was taken from the page as stamp
    // says it is now: the clock then neither reads nor writes anything.
    bool upToDate(int window, const Stamp &stamp) const;
    // Keeps a copy whose text is a TPage::snapshot(), taken on this thread
    // (one copy of the text); the conversion, encoding and writing happen
    // on a thread of the session's own, one copy after the other. A failure
    // is told by takeFailure().
    void saveInBackground(int window, Copy copy, const Stamp &stamp);
    // The message of a background copy that could not be written since the
    // last call (empty: none); that window is copied again at the next tick.
    QString takeFailure();
    // Waits for the copies under way.
    void wait();
    bool has(int window) const { return m_kept.contains(window); }
    void remove(int window);
    // Every copy of this session.
    void removeAll();

    // Copies left by programs no longer running, oldest first. Their
    // sessions are taken over, so that another program started meanwhile
    // does not offer them too.
    QList<Entry> leftBehind();

private:
    QString pathFor(int window, const char *suffix) const;

    QString m_folder;
    QString m_id;
    bool m_active = false;
    std::unique_ptr<QLockFile> m_lock;
    std::map<QString, std::unique_ptr<QLockFile>> m_adopted;
    struct Shared;
    std::shared_ptr<Shared> m_shared; // shared with the thread that writes
    QHash<int, Stamp> m_stamps;       // what each window's copy was taken from
    QSet<int> m_kept;                 // windows with a copy (written or under way)
    std::unique_ptr<QThreadPool> m_pool;
};

} // namespace Recovery
