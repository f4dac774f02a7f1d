#include "ftp/TlsTexts.h"

#include <QCryptographicHash>
#include <QSsl>
#include <QStringList>

namespace {

// Guillemets held to their word by no-break spaces, so that a line break
// never leaves one alone at the start of a line.
QString quoted(const QString &s)
{
    return QStringLiteral("«\u00A0") + s + QStringLiteral("\u00A0»");
}

// The names a certificate is made out to: its DNS alternative names, or its
// common name when it has none.
QStringList certificateNames(const QSslCertificate &certificate)
{
    QStringList names = certificate.subjectAlternativeNames().values(QSsl::DnsEntry);
    if (names.isEmpty())
        names = certificate.subjectInfo(QSslCertificate::CommonName);
    names.removeDuplicates();
    return names;
}

} // namespace

namespace TlsTexts {

QString reason(const QSslError &error, const QString &host)
{
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
        return QStringLiteral("le certificat est auto-signé : aucune autorité reconnue ne le garantit");
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("la chaîne du certificat part d'un certificat auto-signé non reconnu");
    case QSslError::CertificateExpired:
        return QStringLiteral("le certificat a expiré");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("le certificat n'est pas encore valide");
    case QSslError::HostNameMismatch: {
        QStringList names = certificateNames(error.certificate());
        if (names.isEmpty())
            return QStringLiteral("le certificat n'est pas établi au nom de ") + quoted(host);
        for (QString &n : names)
            n = quoted(n);
        return QStringLiteral("le certificat est établi au nom de ") + names.join(QStringLiteral(", "))
               + QStringLiteral(", pas de ") + quoted(host);
    }
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("l'autorité qui a émis le certificat n'est pas reconnue");
    case QSslError::CertificateRevoked:
        return QStringLiteral("le certificat a été révoqué");
    case QSslError::CertificateSignatureFailed:
        return QStringLiteral("la signature du certificat n'est pas valide");
    case QSslError::NoPeerCertificate:
        return QStringLiteral("le serveur n'a présenté aucun certificat");
    default:
        return error.errorString();
    }
}

QString fingerprint(const QSslCertificate &certificate)
{
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

QString question(const QString &host, const QList<QSslError> &errors,
                 const QSslCertificate &certificate)
{
    QStringList reasons;
    for (const QSslError &e : errors) {
        const QString r = reason(e, host);
        if (!reasons.contains(r))
            reasons << r;
    }
    QString text = QStringLiteral("Le certificat du serveur ") + quoted(host)
                   + QStringLiteral(" n'est pas vérifié :\n");
    for (const QString &r : std::as_const(reasons))
        text += QStringLiteral("- ") + r + u'\n';
    text += QStringLiteral("Empreinte SHA-256 : ") + fingerprint(certificate);
    text += QStringLiteral("\n\nSe connecter quand même ?");
    return text;
}

QString failure(TFtpTlsFailure failure, const QString &serverReply)
{
    switch (failure) {
    case ftpTlsRefused:
        return QStringLiteral("Le serveur refuse la connexion sécurisée (TLS) : ") + serverReply;
    case ftpTlsHandshake:
        return QStringLiteral("La connexion sécurisée (TLS) avec le serveur a échoué : ") + serverReply;
    case ftpTlsUnavailable:
        return QStringLiteral("La connexion sécurisée (TLS) n'est pas disponible sur ce système.");
    case ftpTlsRejected:
    case ftpTlsNone:
        break;
    }
    return QString();
}

} // namespace TlsTexts
