#include "ftp/SshTexts.h"

namespace {

QString quoted(const QString &s)
{
    return QStringLiteral("«\u00A0") + s + QStringLiteral("\u00A0»");
}

// The file protocol's status codes (version 3).
enum Status {
    Ok = 0,
    Eof = 1,
    NoSuchFile = 2,
    PermissionDenied = 3,
    Failure = 4,
    BadMessage = 5,
    NoConnection = 6,
    ConnectionLost = 7,
    Unsupported = 8,
    InvalidHandle = 9,
    NoSuchPath = 10,
    AlreadyExists = 11,
    WriteProtect = 12,
    NoMedia = 13,
};

} // namespace

namespace SshTexts {

QString fingerprint(const QByteArray &sha256Digest)
{
    return QStringLiteral("SHA256:")
           + QString::fromLatin1(sha256Digest.toBase64(QByteArray::OmitTrailingEquals));
}

QString hostKeyQuestion(const QString &host, int port, KeyState state, const QString &keyType,
                        const QString &fingerprint)
{
    const QString server = port == 22 ? quoted(host) : quoted(host) + QStringLiteral(" (port %1)").arg(port);
    QString text;
    switch (state) {
    case KeyState::Known:
    case KeyState::Unknown:
        text = QStringLiteral("La clé d'hôte du serveur ") + server + QStringLiteral(" n'est pas connue :\n")
               + QStringLiteral("- aucune clé n'est enregistrée pour ce serveur dans known_hosts\n");
        break;
    case KeyState::Changed:
    case KeyState::OtherType:
        text = QStringLiteral("ATTENTION : la clé d'hôte du serveur ") + server
               + QStringLiteral(" a changé !\n")
               + (state == KeyState::Changed
                      ? QStringLiteral("- la clé présentée n'est pas celle qui est enregistrée dans known_hosts\n")
                      : QStringLiteral("- known_hosts enregistre pour ce serveur une clé d'un autre type\n"))
               + QStringLiteral("- quelqu'un intercepte peut-être la connexion pour lire vos mots de passe "
                                "et vos fichiers ; ou bien l'administrateur du serveur a remplacé sa clé\n");
        break;
    }
    text += QStringLiteral("Type de clé : ") + keyType + u'\n';
    // On a line of its own: the box would otherwise break it at a "/", and a
    // fingerprint cut in two is easy to misread.
    text += QStringLiteral("Empreinte SHA-256 :\n") + fingerprint;
    if (state == KeyState::Changed || state == KeyState::OtherType) {
        text += QStringLiteral("\n\nNe continuez que si l'administrateur du serveur vous a confirmé cette "
                               "empreinte.\nSe connecter quand même et remplacer la clé enregistrée ?");
    } else {
        text += QStringLiteral("\n\nSe connecter quand même et enregistrer cette clé ?");
    }
    return text;
}

QString statusText(int status)
{
    switch (status) {
    case Ok:
        return QStringLiteral("aucune erreur");
    case Eof:
        return QStringLiteral("fin de fichier inattendue");
    case NoSuchFile:
    case NoSuchPath:
        return QStringLiteral("fichier ou dossier introuvable");
    case PermissionDenied:
        return QStringLiteral("permission refusée");
    case Failure:
        return QStringLiteral("le serveur a refusé la commande (dossier non vide, nom déjà pris ?)");
    case BadMessage:
        return QStringLiteral("réponse incompréhensible du serveur");
    case NoConnection:
    case ConnectionLost:
        return QStringLiteral("la connexion avec le serveur est perdue");
    case Unsupported:
        return QStringLiteral("commande non prise en charge par le serveur");
    case InvalidHandle:
        return QStringLiteral("le fichier ouvert n'est plus valide");
    case AlreadyExists:
        return QStringLiteral("un fichier ou un dossier porte déjà ce nom");
    case WriteProtect:
        return QStringLiteral("le disque du serveur est protégé en écriture");
    case NoMedia:
        return QStringLiteral("aucun support dans le lecteur du serveur");
    default:
        return QStringLiteral("erreur %1 du serveur").arg(status);
    }
}

QString connectFailure(const QString &host, int port, const QString &why)
{
    return QStringLiteral("Impossible d'ouvrir une session SSH avec ") + quoted(host)
           + QStringLiteral(" sur le port %1").arg(port) + (why.isEmpty() ? QString() : QStringLiteral(" : ") + why)
           + u'.';
}

QString authFailure(const QString &host, const QString &user, bool passwordGiven)
{
    return QStringLiteral("Le serveur ") + quoted(host) + QStringLiteral(" a refusé la connexion de ") + quoted(user)
           + (passwordGiven ? QStringLiteral(" : ni les clés (agent SSH, ~/.ssh) ni le mot de passe n'ont été acceptés.")
                            : QStringLiteral(" : aucune clé (agent SSH, ~/.ssh) n'a été acceptée ; "
                                             "essayez avec le mot de passe."));
}

QString noFileService(const QString &host, const QString &why)
{
    return QStringLiteral("Le serveur ") + quoted(host)
           + QStringLiteral(" n'offre pas le transfert de fichiers SFTP")
           + (why.isEmpty() ? QString() : QStringLiteral(" : ") + why) + u'.';
}

} // namespace SshTexts
