// The saved sites of the transfer window: the list, and the fields it fills.
#include "ftp/FtpSites.h"
#include "ftp/FtpWindow.h"
#include "ftp/SecretStore.h"
#include "ftp/SyncPlan.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace {

QString secretFailure(const SecretStore::Result &r)
{
    return QStringLiteral("Le coffre à mots de passe du bureau a refusé : ") + r.reason;
}

} // namespace

void TFtp::fillSites(const QString &select)
{
    Sites->clear();
    for (const FtpSite &site : FtpSites::load())
        Sites->addItem(site.name);
    Sites->setCurrentIndex(select.isEmpty() ? -1 : Sites->findText(select, Qt::MatchFixedString));
    SupprimerSite->setEnabled(Sites->count() > 0);
}

FtpSite TFtp::siteFromFields() const
{
    FtpSite site;
    site.name = NomSite->text().trimmed();
    if (site.name.isEmpty())
        site.name = Hote->text().trimmed();
    site.host = Hote->text().trimmed();
    site.port = PortHote->text().isEmpty() ? 21 : PortHote->text().toInt();
    site.user = Usager->text();
    site.kind = Connexion->currentText();
    site.kindIndex = Connexion->currentIndex();
    site.passive = ModePassif->isChecked();
    site.remoteFolder = DossierDistant->text().trimmed();
    site.localFolder = localFolder();
    return site;
}

void TFtp::tellNoSecretStore(const QString &reason)
{
    m_secretsUnavailable = true;
    if (!reason.isEmpty())
        Display(QStringLiteral("! Coffre à mots de passe : ") + reason);
    if (secretNoticeShown)
        return;
    secretNoticeShown = true;
    Platform::information(this, SecretStore::unavailableText());
}

void TFtp::chooseSite(int index)
{
    if (index < 0 || m_waits > 0)
        return;
    const QString name = Sites->itemText(index);
    const QList<FtpSite> sites = FtpSites::load();
    const auto it = std::find_if(sites.cbegin(), sites.cend(), [&](const FtpSite &s) { return s.name == name; });
    if (it == sites.cend())
        return;
    const FtpSite &site = *it;
    NomSite->setText(site.name);
    Hote->setText(site.host);
    PortHote->setText(QString::number(site.port));
    Usager->setText(site.user);
    int kind = Connexion->findText(site.kind);
    if (kind < 0)
        kind = site.kindIndex >= 0 && site.kindIndex < Connexion->count() ? site.kindIndex : 0;
    Connexion->setCurrentIndex(kind);
    ModePassif->setChecked(site.passive);
    DossierDistant->setText(site.remoteFolder);
    if (!site.localFolder.isEmpty() && QDir(site.localFolder).exists() && QDir::setCurrent(site.localFolder))
        LitRepert();
    Passe->clear();
    if (m_secretsUnavailable)
        return;
    const SecretStore::Result r = m_secrets->read(site.secretKey());
    if (r.status == SecretStore::Status::Ok)
        Passe->setText(r.secret);
    else if (r.status == SecretStore::Status::Unavailable)
        tellNoSecretStore(r.reason);
    else if (r.status == SecretStore::Status::Refused)
        Display(QStringLiteral("! ") + secretFailure(r));
}

void TFtp::NouveauSiteClick()
{
    Sites->setCurrentIndex(-1);
    for (QLineEdit *field : {NomSite, Hote, Usager, Passe, DossierDistant})
        field->clear();
    PortHote->setText(QStringLiteral("21"));
    Connexion->setCurrentIndex(0);
    ModePassif->setChecked(true);
    NomSite->setFocus();
}

void TFtp::EnregistrerSiteClick()
{
    const FtpSite site = siteFromFields();
    if (site.host.isEmpty()) {
        Platform::warning(this, QStringLiteral("Indiquez l'adresse hôte du site avant de l'enregistrer."));
        return;
    }
    // A site saved again under another host or user leaves no password behind.
    for (const FtpSite &old : FtpSites::load()) {
        if (old.name.compare(site.name, Qt::CaseInsensitive) == 0 && old.secretKey() != site.secretKey()
            && !m_secretsUnavailable)
            m_secrets->remove(old.secretKey());
    }
    FtpSites::save(site);
    fillSites(site.name);
    NomSite->setText(site.name);
    if (m_secretsUnavailable)
        return;
    const SecretStore::Result r = Passe->text().isEmpty() ? m_secrets->remove(site.secretKey())
                                                          : m_secrets->write(site.secretKey(), Passe->text());
    if (r.status == SecretStore::Status::Unavailable)
        tellNoSecretStore(r.reason);
    else if (r.status != SecretStore::Status::Ok)
        Platform::error(this, secretFailure(r));
}

void TFtp::SupprimerSiteClick()
{
    const int index = Sites->currentIndex();
    if (index < 0)
        return;
    const QString name = Sites->itemText(index);
    if (Platform::confirm(this, QStringLiteral("Supprimer le site « ") + name + QStringLiteral(" » ?"),
                          Platform::Buttons::OkCancel)
        != Platform::Answer::Ok)
        return;
    for (const FtpSite &site : FtpSites::load()) {
        if (site.name == name && !m_secretsUnavailable)
            m_secrets->remove(site.secretKey());
    }
    FtpSites::remove(name);
    fillSites(QString());
    NouveauSiteClick();
}
