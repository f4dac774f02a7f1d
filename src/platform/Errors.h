#pragma once
// A command that fails throws PemoError with a French text naming the file
// and the system's reason; the frame's command runner shows it in the error
// box and the program goes on.
#include <QString>
#include <stdexcept>

namespace Platform {

class PemoError : public std::runtime_error
{
public:
    explicit PemoError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// The French reason for a failed file operation on path, from the system's
// error number err (0 when unknown) and, failing that, from what the file
// system looks like now. qtText is the last resort.
QString fileFailureReason(const QString &path, int err, const QString &qtText, bool writing);

} // namespace Platform
