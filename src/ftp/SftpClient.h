#pragma once
// SftpClient: the publishing window's engine for servers reached over the
// secure shell. The library's calls block, so each session runs them on a
// thread of its own; every request returns at once and ends with
// requestDone, delivered on the thread that made the client (the window's).
// One request at a time, as with the FTP engine.
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

#include "ftp/SshTexts.h"

class QThread;

class SftpClient : public QObject
{
    Q_OBJECT
public:
    enum class Request {
        Connect,       // reach the server and check its host key
        AcceptHostKey, // after a question: record the key, log in
        List,
        ChangeFolder,
        MakeFolder,
        RemoveFile,
        RemoveFolder,
        Upload,
        Download,
        Disconnect,
    };
    Q_ENUM(Request)

    struct Entry {
        QString name;
        bool folder = false; // a link to a folder counts as one
        qint64 size = 0;
        QDateTime modified;
    };

    struct HostKey {
        SshTexts::KeyState state = SshTexts::KeyState::Unknown;
        QString type;        // "ssh-ed25519", "rsa-sha2-512"...
        QString fingerprint; // "SHA256:..."
    };

    explicit SftpClient(QObject *parent = nullptr);
    ~SftpClient() override;

    void setHost(const QString &host) { m_host = host; }
    void setPort(int port) { m_port = port; }
    void setUser(const QString &user) { m_user = user; }
    void setPassword(const QString &password) { m_password = password; }
    // The folder of the user's keys and config (~/.ssh by default).
    void setSshFolder(const QString &folder) { m_sshFolder = folder; }
    // known_hosts: the ssh folder's by default.
    void setKnownHostsFile(const QString &path) { m_knownHosts = path; }
    // Seconds a step of the protocol may wait for the server.
    void setTimeout(int seconds) { m_timeout = seconds; }
    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString knownHostsFile() const;

    bool isConnected() const { return m_connected; }
    bool isBusy() const { return m_busy; }
    // After a Connect that ended with a question about the key.
    bool hostKeyPending() const { return m_keyPending; }
    HostKey hostKey() const { return m_key; }
    // The server's absolute name of the current folder.
    QString currentFolder() const { return m_folder; }
    // The last listing, without "." and "..", and the names it left out as
    // unsafe to show or to send back.
    const QList<Entry> &entries() const { return m_entries; }
    const QStringList &refusedNames() const { return m_refused; }
    // Why the last request failed, in French.
    QString errorMessage() const { return m_error; }

    // Each starts a request, or returns false at once (with errorMessage)
    // when another is under way, no session is open, or a name holds CR, LF
    // or NUL. Names are taken in the current folder unless absolute.
    bool connectToHost();
    bool answerHostKey(bool accept);
    bool list();
    bool changeFolder(const QString &name);
    bool makeFolder(const QString &name);
    bool removeFile(const QString &name);
    bool removeFolder(const QString &name);
    // The file lands under a temporary name and takes its own only when
    // complete: a cut or stopped upload leaves the server's copy as it was.
    bool upload(const QString &localPath, const QString &remoteName);
    bool download(const QString &remoteName, const QString &localPath);
    // Ends the session (a request under way finishes first).
    void disconnectFromHost();
    // Stops an upload or download between two blocks.
    void cancel() { m_cancel = true; }

    // A name the server gave that may be shown and sent back: not empty,
    // not "." or "..", without "/", "\" or control characters.
    static bool isSafeName(const QString &name);
    // An argument that may go out in a request: no CR, LF or NUL.
    static bool isSafeArgument(const QString &text);
    // known_hosts without the lines about one host ("name" or
    // "[name]:port"), plain or hashed.
    static QByteArray withoutHost(const QByteArray &knownHosts, const QString &hostPattern);

Q_SIGNALS:
    void requestDone(SftpClient::Request request, bool ok);
    void progress(qint64 done, qint64 total);
    void display(const QString &line);

public:
    struct Session;
    struct Outcome;

private:
    bool refuse(const QString &why);
    bool post(Request request, std::function<void(Session &, Outcome &)> job);
    void finish(Request request, quint64 generation, const Outcome &outcome);
    bool checkArgument(const QString &name);

    QString m_host;
    int m_port = 22;
    QString m_user;
    QString m_password;
    QString m_sshFolder;
    QString m_knownHosts;
    int m_timeout = 15;

    bool m_connected = false;
    bool m_busy = false;
    bool m_keyPending = false;
    HostKey m_key;
    QString m_folder;
    QList<Entry> m_entries;
    QStringList m_refused;
    QString m_error;

    quint64 m_generation = 0; // sessions closed so far
    std::atomic<bool> m_cancel{false};
    QThread *m_thread = nullptr;
    std::unique_ptr<QObject> m_worker;
    std::unique_ptr<Session> m_session; // touched on the worker thread only
};
