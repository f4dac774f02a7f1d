#pragma once
// French texts about SSH sessions for the publishing window: the question
// asked about a server's host key, and why a secure shell session or one of
// its file commands failed. No widgets here.
#include <QByteArray>
#include <QString>

namespace SshTexts {

// What the user's known_hosts says of the key the server showed.
enum class KeyState {
    Known,     // recorded for this server: no question
    Unknown,   // nothing recorded for this server (or no known_hosts yet)
    Changed,   // another key of the same type is recorded: maybe an attack
    OtherType, // only keys of other types are recorded: maybe an attack too
};

// "SHA256:" then the digest in base64 without its padding, as the
// secure shell's own tools print it.
QString fingerprint(const QByteArray &sha256Digest);

// The question asked before trusting the key; a changed key is warned about
// in strong words. Host and port as the user typed them.
QString hostKeyQuestion(const QString &host, int port, KeyState state, const QString &keyType,
                        const QString &fingerprint);

// A file command's failure, from the status code of the file protocol.
QString statusText(int status);

// The session could not reach the server, was refused the login, or the
// file service.
QString connectFailure(const QString &host, int port, const QString &why);
QString authFailure(const QString &host, const QString &user, bool passwordGiven);
QString noFileService(const QString &host, const QString &why);

} // namespace SshTexts
