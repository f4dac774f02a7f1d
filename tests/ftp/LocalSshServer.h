#pragma once
// A real secure shell server started on 127.0.0.1 on a free port, as the
// user who runs the tests, with a host key, a config and a client key of its
// own in a temporary folder; the file service is the server's built-in one.
// Stopped with the object. The client side gets its own ssh folder, so that
// the user's keys and known_hosts are never read or written.
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

class LocalSshServer
{
public:
    LocalSshServer();
    ~LocalSshServer();
    LocalSshServer(const LocalSshServer &) = delete;
    LocalSshServer &operator=(const LocalSshServer &) = delete;

    static bool available();
    // Starts the server and waits until it listens. False, with reason(),
    // when it does not come up.
    bool start();
    void stop();
    // A new host key (the server restarts on the same port if it was up).
    bool replaceHostKey();
    QString reason() const { return FReason; }

    quint16 port() const { return FPort; }
    QString userName() const;
    // The client's ssh folder: its key (authorised on the server), and the
    // known_hosts file the client writes.
    QString clientFolder() const { return FDir.filePath(QStringLiteral("client")); }
    QString knownHosts() const { return clientFolder() + QStringLiteral("/known_hosts"); }
    // A folder for the test's files on the server (an absolute path).
    QString root() const { return FDir.filePath(QStringLiteral("root")); }
    // "SHA256:..." of the host key, as the key tool prints it.
    QString hostFingerprint() const;

private:
    bool makeKeys();
    bool makeHostKey();
    bool waitUntilListening();

    QTemporaryDir FDir;
    std::unique_ptr<QProcess> FProcess;
    quint16 FPort = 0;
    QString FReason;
};
