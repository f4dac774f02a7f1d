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

    Kind FKind;
    QTemporaryDir FDir;
    std::unique_ptr<QProcess> FProcess;
    quint16 FPort = 0;
    QString FReason;
};
