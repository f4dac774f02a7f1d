#pragma once
// Watches the file of one open page and tells when another program changed,
// replaced or removed it. A change is judged on the file's content: the
// watcher remembers what the page last read or wrote (size and a digest of
// the bytes) and stays quiet while the file still holds exactly that, so the
// program's own saves never look like a change from outside. The digest of a
// big page is made on a worker thread, and a notice about a file whose
// identity and times have not moved since (a change of the folder beside it,
// the program's own save) is answered without reading the file again. Bursts of
// notifications (an editor writing in several steps, a save through a
// temporary file renamed over the page) are folded into one report after a
// short pause. The file's folder is watched as well: a file replaced by a
// rename loses its own watch, and the folder's notice brings it back.
#include "document/FileTimes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <functional>
#include <future>

class QFileSystemWatcher;
class QTimer;

class DiskWatch : public QObject
{
    Q_OBJECT
public:
    // What a file held when it was last read or written.
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        QByteArray digest;
        bool operator==(const Stamp &) const = default;
    };
    // The digest of a content given in pieces of any size: the same bytes
    // give the same digest however they were cut.
    class Digest
    {
    public:
        void add(QByteArrayView bytes);
        QByteArray result() const;

    private:
        static constexpr qsizetype Block = 64 * 1024;
        QByteArray m_carry; // the start of the block being filled
        size_t m_hash = 1;
        qint64 m_size = 0;
    };
    static Stamp stampOf(const QString &path);
    static Stamp stampOfBytes(const QByteArray &bytes);
    using Times = FileTimes;

    explicit DiskWatch(QObject *parent = nullptr);
    ~DiskWatch() override;

    // Watches path (an empty path stops), whose content the page knows as
    // `known`: what it has just read or written there.
    void watch(const QString &path, const Stamp &known);
    // The same for the bytes just read or written: `times` taken before
    // they were read (or after they were written), the digest made off the
    // user-interface thread.
    void watchBytes(const QString &path, const QByteArray &bytes, const Times &times);
    // The same for a content just written, of which only the stamp is left.
    void watchWritten(const QString &path, const Stamp &written, const Times &times);
    void stop();
    QString path() const { return m_path; }
    // Takes what the file holds now as known (a change the page declined).
    void remember();
    const Stamp &known() const;

    // The pause that folds a burst of notifications into one report.
    void setSettleTime(int ms);
    // Reports wait while the gate says no (a modal dialog is running), and
    // are looked at again after another pause.
    void setGate(std::function<bool()> open) { m_gate = std::move(open); }

Q_SIGNALS:
    // The file holds something other than what the page knows (it may
    // have come back after a removal).
    void changed();
    // The file is gone.
    void removed();

private:
    void notified();
    void settle();
    void rewatch();
    void setKnown(const Stamp &known, const Times &times);

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QString m_path;
    mutable Stamp m_known;
    // The digest of m_known while the worker still makes it.
    mutable std::shared_future<QByteArray> m_digest;
    Times m_times; // of the file when m_known was taken
    std::function<bool()> m_gate;
};
