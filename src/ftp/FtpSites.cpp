#include "ftp/FtpSites.h"

#include <QSettings>
#include <QUrl>

#include <algorithm>

namespace {

const QString Group = QStringLiteral("FtpSites");

FtpSite read(QSettings &s)
{
    FtpSite site;
    site.name = s.value(QStringLiteral("name")).toString();
    site.host = s.value(QStringLiteral("host")).toString();
    site.port = s.value(QStringLiteral("port"), 21).toInt();
    site.user = s.value(QStringLiteral("user")).toString();
    site.kind = s.value(QStringLiteral("kind"), QStringLiteral("FTP")).toString();
    site.kindIndex = s.value(QStringLiteral("kindIndex"), 0).toInt();
    site.passive = s.value(QStringLiteral("passive"), true).toBool();
    site.remoteFolder = s.value(QStringLiteral("remoteFolder")).toString();
    site.localFolder = s.value(QStringLiteral("localFolder")).toString();
    return site;
}

void write(QSettings &s, const FtpSite &site)
{
    s.setValue(QStringLiteral("name"), site.name);
    s.setValue(QStringLiteral("host"), site.host);
    s.setValue(QStringLiteral("port"), site.port);
    s.setValue(QStringLiteral("user"), site.user);
    s.setValue(QStringLiteral("kind"), site.kind);
    s.setValue(QStringLiteral("kindIndex"), site.kindIndex);
    s.setValue(QStringLiteral("passive"), site.passive);
    s.setValue(QStringLiteral("remoteFolder"), site.remoteFolder);
    s.setValue(QStringLiteral("localFolder"), site.localFolder);
}

void writeAll(QList<FtpSite> sites)
{
    QSettings settings;
    settings.remove(Group);
    settings.beginWriteArray(Group, int(sites.size()));
    for (int i = 0; i < sites.size(); ++i) {
        settings.setArrayIndex(i);
        write(settings, sites.at(i));
    }
    settings.endArray();
    settings.sync();
}

} // namespace

QString FtpSite::secretKey() const
{
    // The kind is part of it: the same account may take another password
    // over another protocol on some hosts.
    QString scheme = kindIndex == 2 || kind == QLatin1String("SFTP") ? QStringLiteral("sftp")
                     : kindIndex == 1                                 ? QStringLiteral("ftpes")
                                                                      : QStringLiteral("ftp");
    return scheme + QStringLiteral("://") + QString::fromLatin1(QUrl::toPercentEncoding(user)) + u'@'
           + host.toLower() + u':' + QString::number(port);
}

namespace FtpSites {

QList<FtpSite> load()
{
    QSettings settings;
    QList<FtpSite> sites;
    const int n = settings.beginReadArray(Group);
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        FtpSite site = read(settings);
        if (!site.name.isEmpty())
            sites << site;
    }
    settings.endArray();
    std::sort(sites.begin(), sites.end(), [](const FtpSite &a, const FtpSite &b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return sites;
}

void save(const FtpSite &site)
{
    QList<FtpSite> sites = load();
    sites.removeIf([&](const FtpSite &s) { return s.name.compare(site.name, Qt::CaseInsensitive) == 0; });
    sites << site;
    writeAll(sites);
}

void remove(const QString &name)
{
    QList<FtpSite> sites = load();
    sites.removeIf([&](const FtpSite &s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; });
    writeAll(sites);
}

} // namespace FtpSites
