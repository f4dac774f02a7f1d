#pragma once
// Watches the file of one open page and tells when another program changed,
// replaced or removed it. A change is judged on the file's content: the
// watcher remembers what the page last read or wrote (size and a digest of
// the bytes) and stays quiet while the file still holds exactly that, so the
// program's own saves never look like a change from outside. Bursts of
// notifications (an editor writing in several steps, a save through a
// temporary file renamed over the page) are folded into one report after a
// short pause. The file's folder is watched as well: a file replaced by a
// rename loses its own watch, and the folder's notice brings it back.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

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
    static Stamp stampOf(const QString &path);
    static Stamp stampOfBytes(const QByteArray &bytes);

    explicit DiskWatch(QObject *parent = nullptr);
    ~DiskWatch() override;

    // Watches path (an empty path stops), whose content the page knows as
    // `known`: what it has just read or written there.
    void watch(const QString &path, const Stamp &known);
    void stop();
    QString path() const { return m_path; }
    // Takes what the file holds now as known (a change the page declined).
    void remember();
    const Stamp &known() const { return m_known; }

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

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QString m_path;
    Stamp m_known;
    std::function<bool()> m_gate;
};
