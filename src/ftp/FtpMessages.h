#pragma once
// French texts the publishing window shows when the server says no or says
// nothing: the log keeps the server's own words, the user reads these. No
// widgets here.
#include <QString>
#include <QStringList>

namespace FtpMessages {

// Why a connection did not open, from the code and the text the request
// ended with (a reply of the server, or one the engine made for a failure of
// the network).
QString connectionFailure(const QString &host, const QString &port, int code, const QString &reply);
// The server closed a session that was open (its last words, if any, are
// in the reply); the user stopped it with "Arrêter".
QString sessionClosed(const QString &host, const QString &reply);
QString sessionStopped();
// The server gave no answer within the window's wait: to a connection,
// which is given up, or to a command of a session, which goes on.
QString noAnswer(const QString &host, int seconds);
QString lateAnswer(const QString &host, int seconds);
// Why a command was not even sent (empty when neither reason holds).
QString refusedCommand(bool connected, bool busy);
// A name (from the server's list, typed, or of a local file) holding a line
// break or a NUL character: it cannot go out inside a command.
QString unsafeName(const QString &line);
// The server's list held more names than the window shows.
QString listingCut(qsizetype shown);
// The server's names are not UTF-8: they are taken as Windows-1252.
QString windows1252Names();
// One line per remote entry that could not be deleted, then the message
// that gathers them.
QString deleteFailure(const QString &name, bool folder, const QString &reply);
QString deleteFailures(const QStringList &lines);
// A name the server would not let us into, deleted as a file therefore.
QString notAFolder(const QString &name);
// We went into a folder to learn its type and could not come back.
QString lostFolder(const QString &name);
// The server did not say what the name is: going on could act in a folder
// it moves us into later.
QString deletionStopped(const QString &name);
// The same for files and folders that could not be sent.
QString sendFailure(const QString &name, bool folder, const QString &reply);
QString sendFailures(const QStringList &lines);
// The server stopped taking or confirming a file: the session is given up.
QString sendStalled(const QString &name, const QString &host, int seconds);
// A folder the server would not create, or not let us into.
QString makeDirFailure(const QString &name, const QString &reply);
QString changeDirFailure(const QString &name, const QString &reply);

} // namespace FtpMessages
