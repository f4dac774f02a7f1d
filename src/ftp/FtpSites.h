#pragma once
// The saved sites of the transfer window, kept in the program's settings.
// A site never holds its password: that lives in the desktop's secret
// store (SecretStore), under the site's secretKey().
#include <QList>
#include <QString>

struct FtpSite {
    QString name;
    QString host;
    int port = 21;
    QString user;
    // The connection as the window's "Connexion" list names it ("FTP",
    // "FTP sécurisé (TLS explicite)", "SFTP"), and its place there when the
    // text is not found (a later version may rename an entry).
    QString kind = QStringLiteral("FTP");
    int kindIndex = 0;
    bool passive = true;
    QString remoteFolder;
    QString localFolder;

    // The name of the password in the secret store, and of the site's
    // entries in the synchronisation state.
    QString secretKey() const;
    bool operator==(const FtpSite &) const = default;
};

namespace FtpSites {

// In name order, without regard to case.
QList<FtpSite> load();
// Replaces the site of the same name (case ignored) or adds it.
void save(const FtpSite &site);
void remove(const QString &name);

} // namespace FtpSites
