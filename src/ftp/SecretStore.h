#pragma once
// Passwords in the desktop's secret store, never in a file of ours. Each
// call waits for the store's answer with events flowing, so the window
// stays alive while the store asks the user to unlock it.
//
// Where no secret service answers, the store says Unavailable and nothing is
// kept: the caller asks for the password at each connection.
#include <QString>

class SecretStore
{
public:
    enum class Status { Ok, NotFound, Unavailable, Refused };
    struct Result {
        Status status = Status::Unavailable;
        QString secret;
        QString reason; // the store's own words, for the log
    };

    explicit SecretStore(QString service = QStringLiteral("Pemo HTML"));

    Result read(const QString &key);
    Result write(const QString &key, const QString &secret);
    Result remove(const QString &key);

    // A store that gave no answer within this time counts as unavailable.
    void setTimeout(int ms) { m_timeoutMs = ms; }

    // What the user is told, once, when the desktop has no secret store.
    static QString unavailableText();

private:
    QString m_service;
    int m_timeoutMs = 20000;
};
