#pragma once
// French texts the publishing window shows when the server says no or says
// nothing: the log keeps the server's own words, the user reads these. No
// widgets here.
#include <QString>

namespace FtpMessages {

// Why a connection did not open, from the code and the text the request
// ended with (a reply of the server, or one the engine made for a failure of
// the network).
QString openFailure(const QString &host, const QString &port, int code, const QString &reply);
// The server gave no answer within the window's wait.
QString noAnswer(const QString &host, int seconds);
// One line per remote entry that could not be deleted.
QString deleteFailure(const QString &name, bool folder, const QString &reply);
QString deleteFailures(const QStringList &lines);

} // namespace FtpMessages
