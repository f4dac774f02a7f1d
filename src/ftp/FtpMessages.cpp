#include "ftp/FtpMessages.h"

#include <QLocale>

#include "ftp/AsyncSocket.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QString quoted(const QString &s)
{
    return QStringLiteral("«\u00A0") + s + QStringLiteral("\u00A0»");
}

// The socket error number of a reply the engine made up for a network
// failure ("500 ... (Winsock error #10061)"); 0 for a reply of the server.
int socketError(const QString &reply)
{
    static const QRegularExpression number(QStringLiteral("\\(Winsock error #(\\d+)\\)$"));
    const QRegularExpressionMatch m = number.match(reply);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString serverSaid(const QString &reply)
{
    return reply.isEmpty() ? QString() : QStringLiteral("\nRéponse du serveur : ") + reply;
}

QString replyAfter(const QString &reply)
{
    return reply.isEmpty() ? QString() : QStringLiteral(" ; réponse du serveur : ") + reply;
}

} // namespace

namespace FtpMessages {

QString connectionFailure(const QString &host, const QString &port, int code, const QString &reply)
{
    // The code of the reply that ended the request, rather than of the last
    // one read (a session closed in the middle of TLS has read 234 last).
    static const QRegularExpression leading(QStringLiteral("^(\\d{3})[ -]"));
    if (const QRegularExpressionMatch m = leading.match(reply); m.hasMatch())
        code = m.captured(1).toInt();
    const QString server = QStringLiteral("Le serveur ") + quoted(host);
    switch (socketError(reply)) {
    case 0:
        break;
    case SocketError::HostNotFound:
    case SocketError::TryAgain:
    case SocketError::NoData:
        return QStringLiteral("Aucun serveur ne porte le nom ") + quoted(host)
               + QStringLiteral(" : vérifiez l'adresse de l'hôte.");
    case SocketError::ConnectionRefused:
        return server + QStringLiteral(" refuse la connexion sur le port ") + port
               + QStringLiteral(" : aucun serveur FTP n'y répond.");
    case SocketError::TimedOut:
    case SocketError::HostUnreachable:
    case SocketError::NetworkUnreachable:
    case SocketError::NetworkDown:
        return server + QStringLiteral(" est injoignable : vérifiez l'adresse et la connexion au réseau.");
    case SocketError::ConnectionReset:
    case SocketError::ConnectionAborted:
        return server + QStringLiteral(" a coupé la connexion.");
    default:
        return QStringLiteral("La connexion au serveur ") + quoted(host) + QStringLiteral(" a échoué.")
               + serverSaid(reply);
    }
    if (code == 530)
        return server + QStringLiteral(" refuse l'identification : nom d'usager ou mot de passe incorrect.")
               + serverSaid(reply);
    if (code == 421)
        return server + QStringLiteral(" n'accepte pas de connexion pour l'instant.") + serverSaid(reply);
    if (code == 426)
        return server + QStringLiteral(" a fermé la connexion.") + serverSaid(reply);
    return QStringLiteral("La connexion au serveur ") + quoted(host) + QStringLiteral(" a échoué.")
           + serverSaid(reply);
}

QString sessionClosed(const QString &host, const QString &reply)
{
    // A server that closes on its own says why with a 421 first, if at all.
    const QString said = reply.startsWith(QLatin1String("421")) ? serverSaid(reply) : QString();
    return QStringLiteral("Le serveur ") + quoted(host)
           + QStringLiteral(" a fermé la connexion : reconnectez-vous pour continuer.") + said;
}

QString sessionStopped()
{
    return QStringLiteral("Session arrêtée : reconnectez-vous pour continuer.");
}

QString noAnswer(const QString &host, int seconds)
{
    return QStringLiteral("Le serveur ") + quoted(host) + QStringLiteral(" n'a pas répondu en %1 secondes : "
                                                                         "la connexion est abandonnée.")
                                                              .arg(seconds);
}

QString lateAnswer(const QString &host, int seconds)
{
    return QStringLiteral("Le serveur ") + quoted(host)
           + QStringLiteral(" n'a pas répondu en %1 secondes : les commandes suivantes attendront sa réponse "
                            "(«\u00A0Arrêter\u00A0» l'abandonne).")
                 .arg(seconds);
}

QString refusedCommand(bool connected, bool busy)
{
    if (!connected)
        return QStringLiteral("Commande non envoyée : la connexion au serveur est fermée.");
    if (busy)
        return QStringLiteral("Commande non envoyée : le serveur n'a pas encore répondu à la précédente.");
    return QString();
}

QString unsafeName(const QString &line)
{
    QString shown = line;
    shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n")).replace(QChar(0), QStringLiteral("\\0"));
    return QStringLiteral("Commande non envoyée : le nom contient un retour à la ligne ou un caractère nul (")
           + shown + u')';
}

QString listingCut(qsizetype shown)
{
    return QStringLiteral("La liste du serveur est trop longue : seuls les %1 premiers noms sont affichés.")
        .arg(QLocale(QLocale::French).toString(qlonglong(shown)));
}

QString windows1252Names()
{
    return QStringLiteral("Les noms du serveur ne sont pas en UTF-8 : ils sont lus et envoyés en Windows-1252 "
                          "pour cette connexion.");
}

QString deleteFailure(const QString &name, bool folder, const QString &reply)
{
    return QStringLiteral("- ") + quoted(name)
           + (folder ? QStringLiteral(" : le dossier n'a pas été supprimé (un dossier doit être vide pour "
                                      "être supprimé)")
                     : QStringLiteral(" : le fichier n'a pas été effacé"))
           + replyAfter(reply);
}

QString deleteFailures(const QStringList &lines)
{
    return QStringLiteral("Impossible d'effacer sur le serveur :\n") + lines.join(u'\n');
}

QString notAFolder(const QString &name)
{
    return quoted(name) + QStringLiteral(" n'est pas un dossier : effacé comme fichier");
}

QString lostFolder(const QString &name)
{
    return QStringLiteral("- ") + quoted(name)
           + QStringLiteral(" : impossible de revenir au dossier affiché du serveur, effacement arrêté");
}

QString deletionStopped(const QString &name)
{
    return QStringLiteral("- ") + quoted(name)
           + QStringLiteral(" : le serveur ne répond pas, effacement arrêté");
}

QString sendFailure(const QString &name, bool folder, const QString &reply)
{
    return QStringLiteral("- ") + quoted(name)
           + (folder ? QStringLiteral(" : le dossier n'a pas été envoyé")
                     : QStringLiteral(" : le fichier n'a pas été envoyé"))
           + replyAfter(reply);
}

QString sendFailures(const QStringList &lines)
{
    return QStringLiteral("Impossible d'envoyer sur le serveur :\n") + lines.join(u'\n');
}

QString sendStalled(const QString &name, const QString &host, int seconds)
{
    return QStringLiteral("- ") + quoted(name) + QStringLiteral(" : le fichier n'a pas été envoyé (le serveur ")
           + quoted(host)
           + QStringLiteral(" ne répond plus depuis %1 secondes ; la connexion est abandonnée, reconnectez-vous "
                            "pour envoyer à nouveau)")
                 .arg(seconds);
}

QString makeDirFailure(const QString &name, const QString &reply)
{
    return QStringLiteral("Le dossier ") + quoted(name) + QStringLiteral(" n'a pas été créé sur le serveur.")
           + serverSaid(reply);
}

QString changeDirFailure(const QString &name, const QString &reply)
{
    return QStringLiteral("Impossible d'ouvrir ") + quoted(name) + QStringLiteral(" sur le serveur")
           + replyAfter(reply);
}

} // namespace FtpMessages
