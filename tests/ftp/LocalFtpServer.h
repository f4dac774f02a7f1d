#pragma once
// A real FTP server (the Python library's or the standalone daemon) started on
// 127.0.0.1 on a free port, serving a temporary folder, stopped with the object.
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

class LocalFtpServer
{
public:
    enum Kind { PythonLibrary, Daemon };

    explicit LocalFtpServer(Kind kind);
    ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer &) = delete;
    LocalFtpServer &operator=(const LocalFtpServer &) = delete;

    // The daemon only: explicit TLS required for logins and data, with a
    // self-signed certificate for "localhost" made for the occasion; data
    // connections must resume the control connection's TLS session. Call
    // before start().
    void setTls(bool on) { FTls = on; }
    // The certificate's file (PEM) and what the daemon wrote down of each
    // session (commands and replies; passwords hidden).
    QString certificateFile() const { return FDir.filePath(QStringLiteral("cert.pem")); }
    QString protocolLog() const;

    // Starts the server and waits until it answers. False, with reason(),
    // when the server program is missing or does not come up.
    bool start();
    void stop();
    QString reason() const { return FReason; }

    Kind kind() const { return FKind; }
    QString name() const;
    quint16 port() const { return FPort; }
    // The folder the login lands in, on disk.
    QString root() const { return FDir.path() + QStringLiteral("/root"); }
    QString userName() const;
    QString passWord() const;

private:
    bool startPython();
    bool startDaemon();
    bool waitUntilListening();
    bool makeCertificate();

    Kind FKind;
    QTemporaryDir FDir;
    std::unique_ptr<QProcess> FProcess;
    quint16 FPort = 0;
    bool FTls = false;
    QString FReason;
};
