#pragma once
// French texts about TLS for the publishing window: why a server's
// certificate does not verify, the question asked before accepting it, and
// why a secure session did not open. No widgets here.
#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

#include "ftp/FtpClient.h"

namespace TlsTexts {

// One reason, in French where we have our own words for it.
QString reason(const QSslError &error, const QString &host);
// "AB:CD:..." of the certificate's SHA-256 digest.
QString fingerprint(const QSslCertificate &certificate);
// The question shown before going on despite the errors.
QString question(const QString &host, const QList<QSslError> &errors,
                 const QSslCertificate &certificate);
// Why a session asked for with TLS did not open (empty when no text is due:
// the user turned the certificate down himself).
QString failure(TFtpTlsFailure failure, const QString &serverReply);

} // namespace TlsTexts
