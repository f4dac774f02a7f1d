// "Synchroniser": the local folder against the server's current folder.
// The plan is made without widgets (SyncPlan); this file reads the remote
// tree, asks, and carries the plan out with the window's requests.
#include "ftp/FtpMessages.h"
#include "ftp/FtpSites.h"
#include "ftp/FtpWindow.h"
#include "ftp/SftpClient.h"
#include "ftp/SyncConfirm.h"
#include "ftp/SyncPlan.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

namespace {

QString joinRemote(const QString &base, const QString &relative)
{
    if (relative.isEmpty())
        return base;
    return base.endsWith(u'/') ? QString(base + relative) : QString(base + u'/' + relative);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QString nameOf(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString timeLeft(qint64 seconds)
{
    if (seconds < 60)
        return QString::number(seconds) + QStringLiteral(" s");
    return QString::number(seconds / 60) + QStringLiteral(" min ") + QString::number(seconds % 60) + QStringLiteral(" s");
}

} // namespace

void TFtp::setSyncStateFile(const QString &path) { m_syncState = std::make_unique<FtpSync::SyncState>(path); }

bool TFtp::listRemoteFolder(const QString &path, QByteArray &listing)
{
    const QString file = m_listingFile + QStringLiteral(".sync");
    QFile::remove(file);
    FtpClient1->setHostFileName(path);
    FtpClient1->setLocalFileName(file);
    FtpClient1->setDisplayFileFlag(false);
    FtpClient1->SetPassiveMode(ModePassif->isChecked());
    m_syncListing = true;
    const bool machine = FtpClient1->HasFeature(QStringLiteral("MLST"));
    if (start([this, machine] {
            if (machine)
                FtpClient1->MachineList();
            else
                FtpClient1->Dir();
        }))
        Delay();
    m_syncListing = false;
    QFile f(file);
    if (m_result == QLatin1String("Ok") && f.open(QIODevice::ReadOnly))
        listing = f.readAll();
    f.close();
    f.remove();
    return m_result == QLatin1String("Ok");
}

std::optional<FtpSync::RemoteTree> TFtp::readRemoteTree(const QString &base)
{
    const bool machine = FtpClient1->HasFeature(QStringLiteral("MLST"));
    FtpSync::RemoteTree tree;
    QStringList pending{QString()};
    while (!pending.isEmpty()) {
        const QString folder = pending.takeFirst();
        QByteArray listing;
        if (!listRemoteFolder(joinRemote(base, folder), listing) || m_stop || m_cancelled || m_closing) {
            if (!m_stop && !m_cancelled && !m_closing)
                Platform::error(this, QStringLiteral("Impossible de lire le dossier ") + joinRemote(base, folder)
                                          + QStringLiteral(" du serveur : ") + serverReply());
            return std::nullopt;
        }
        const QList<FtpSync::RemoteEntry> entries =
            machine ? FtpSync::parseMlsd(listing) : FtpSync::parseList(listing);
        for (const FtpSync::RemoteEntry &entry : entries) {
            const QString path = folder.isEmpty() ? entry.name : folder + u'/' + entry.name;
            if (entry.folder) {
                tree.folders << path;
                // What the server keeps in its dot folders is none of ours.
                if (!entry.name.startsWith(u'.'))
                    pending << path;
            } else {
                tree.files.insert(path, entry);
            }
        }
        QCoreApplication::processEvents();
    }
    return tree;
}

void TFtp::SynchroniserClick()
{
    if (m_waits == 0 && m_useSftp && Sftp && Sftp->isConnected()) {
        Platform::error(this, QStringLiteral("La synchronisation ne se fait pas encore en SFTP : connectez-vous en « FTP » "
                                             "ou en « FTP sécurisé (TLS explicite) » pour synchroniser ce site."));
        return;
    }
    if (m_waits > 0 || !FtpClient1->IsConnected())
        return;
    m_cancelled = false;
    m_stop = false;
    m_syncReport = SyncReport();
    if (!m_featuresAsked) {
        // What the server can do decides how we list (MLSD or LIST), how we
        // resume (REST or APPE) and whether times can be set (MFMT).
        if (start([this] { FtpClient1->Feat(); }))
            Delay();
        m_featuresAsked = m_result == QLatin1String("Ok") || m_result == QLatin1String("Nak");
    }
    if (start([this] { FtpClient1->Pwd(); }))
        Delay();
    if (m_result != QLatin1String("Ok") || FtpClient1->ReplyDir().isEmpty()) {
        if (!m_stop && !m_closing)
            Platform::error(this, QStringLiteral("Le serveur ne dit pas dans quel dossier nous sommes : ") + serverReply());
        return;
    }
    const QString base = FtpClient1->ReplyDir();
    Display(QStringLiteral("! Synchronisation de ") + m_localFolder + QStringLiteral(" vers ") + base);
    const FtpSync::LocalTree local = FtpSync::readLocalTree(m_localFolder);
    const std::optional<FtpSync::RemoteTree> remote = readRemoteTree(base);
    if (!remote)
        return;
    FtpSite site = siteFromFields();
    m_syncState->load();
    m_syncState->setSite(site.secretKey() + base);
    FtpSync::Plan plan = FtpSync::makePlan(local, *remote, m_syncState->sent(), SupprimerDistant->isChecked());
    if (!plan.learned.isEmpty()) {
        for (auto it = plan.learned.cbegin(); it != plan.learned.cend(); ++it)
            m_syncState->learnRemoteTime(it.key(), it.value());
        m_syncState->save();
    }
    if (plan.isEmpty()) {
        m_syncReport.nothingToDo = true;
        Display(QStringLiteral("! ") + SyncConfirm::summary(plan));
        Platform::information(this, SyncConfirm::summary(plan));
        return;
    }
    if (!SyncConfirm::ask(this, plan))
        return;
    m_syncReport.planned = int(plan.send.size());
    runPlan(plan, base);
    if (!m_syncState->save())
        m_syncReport.failures << QStringLiteral("- ") + QStringLiteral("État de la synchronisation non enregistré (")
                                     + m_syncState->file() + QStringLiteral(") : ") + m_syncState->reason();
    if (m_closing)
        return;
    Display(QStringLiteral("! Synchronisation : %1 fichier(s) envoyé(s) sur %2, %3 dossier(s) créé(s), %4 suppression(s)")
                .arg(m_syncReport.sent)
                .arg(m_syncReport.planned)
                .arg(m_syncReport.created)
                .arg(m_syncReport.deleted));
    if (!m_syncReport.failures.isEmpty())
        Platform::error(this, QStringLiteral("La synchronisation n'a pas tout fait :\n")
                                  + m_syncReport.failures.join(u'\n'));
    LitHote();
}

bool TFtp::runPlan(const FtpSync::Plan &plan, const QString &base)
{
    const auto failed = [this](const QString &what) {
        m_syncReport.failures << QStringLiteral("- ") + what + QStringLiteral(" : ") + serverReply();
        Display(QStringLiteral("! ") + m_syncReport.failures.last().mid(2));
    };
    const auto goOn = [this] { return !m_stop && !m_cancelled && !m_closing && FtpClient1->IsConnected(); };
    m_syncTotalBytes = qMax<qint64>(1, plan.bytesToSend());
    m_syncDoneBytes = 0;
    m_syncFiles = int(plan.send.size());
    m_syncFileNumber = 0;
    m_syncClock.start();
    ProgressionTotale->setValue(0);
    ProgressionTotale->show();
    EtatSynchro->show();
    Progression->setValue(0);
    Progression->show();
    showSyncProgress(0);

    for (const QString &folder : plan.createFolders) {
        if (!goOn())
            break;
        FtpClient1->setHostDirName(QStringLiteral("."));
        FtpClient1->setHostFileName(joinRemote(base, folder));
        if (start([this] { FtpClient1->CreateDir(); }))
            Delay();
        if (m_result == QLatin1String("Ok"))
            ++m_syncReport.created;
        else if (goOn())
            failed(QStringLiteral("Dossier ") + folder + QStringLiteral(" non créé"));
    }
    // Byte for byte: sizes then compare, and what the server holds is the
    // very file that was checked here.
    FtpClient1->setBinary(true);
    if (goOn() && start([this] { FtpClient1->SetTransferType(); }))
        Delay();
    QString current = QStringLiteral("\\none");
    for (const FtpSync::Upload &upload : plan.send) {
        if (!goOn())
            break;
        const QString folder = folderOf(upload.file.path);
        if (folder != current) {
            ChHost(joinRemote(base, folder));
            if (m_result != QLatin1String("Ok")) {
                if (goOn())
                    failed(QStringLiteral("Dossier ") + joinRemote(base, folder) + QStringLiteral(" inaccessible"));
                current = QStringLiteral("\\none");
                continue;
            }
            current = folder;
        }
        ++m_syncFileNumber;
        if (sendForSync(upload, base))
            ++m_syncReport.sent;
        m_syncDoneBytes += upload.file.size - upload.resumeAt;
        showSyncProgress(0);
        QCoreApplication::processEvents();
    }
    if (goOn() && !(plan.deleteFiles.isEmpty() && plan.deleteFolders.isEmpty())) {
        ChHost(base);
        for (const QString &file : plan.deleteFiles) {
            if (!goOn())
                break;
            SuppFile(joinRemote(base, file));
            if (m_result == QLatin1String("Ok")) {
                ++m_syncReport.deleted;
                m_syncState->forget(file);
            } else if (goOn()) {
                failed(QStringLiteral("Fichier ") + file + QStringLiteral(" non supprimé"));
            }
        }
        for (const QString &folder : plan.deleteFolders) {
            if (!goOn())
                break;
            SuppRep(joinRemote(base, folder));
            if (m_result == QLatin1String("Ok"))
                ++m_syncReport.deleted;
            else if (goOn())
                failed(QStringLiteral("Dossier ") + folder + QStringLiteral(" non supprimé"));
        }
    }
    if (FtpClient1->IsConnected() && !m_closing)
        ChHost(base);
    m_syncTotalBytes = 0;
    m_syncResumeAt = 0;
    ProgressionTotale->hide();
    EtatSynchro->hide();
    Progression->hide();
    if (!m_closing && !FtpClient1->IsConnected()) {
        m_syncReport.failures << QStringLiteral("- La connexion a été coupée : « Synchroniser » reprendra là où "
                                                "l'envoi s'est arrêté.");
    }
    return m_syncReport.failures.isEmpty();
}

qint64 TFtp::remoteSize(const QString &name)
{
    FtpClient1->setHostFileName(name);
    if (start([this] { FtpClient1->Size(); }))
        Delay();
    return m_result == QLatin1String("Ok") ? FtpClient1->ReplySize() : -1;
}

bool TFtp::transfer(const std::function<void()> &request, const QString &name)
{
    m_result.clear();
    m_lastProgress.start();
    if (start(request))
        waitFor([this] { return !m_result.isEmpty() || m_lastProgress.elapsed() >= m_waitLimitMs; }, 0);
    if (m_result.isEmpty() && !m_stop && !m_closing) {
        // A server that takes no more data: the session is dropped, and the
        // next synchronisation resumes the file.
        ++m_ownClose;
        FtpClient1->Abort();
        --m_ownClose;
        settle();
        m_result = QStringLiteral("Nak");
        setConnectedState(false);
        m_cancelled = true;
        m_syncReport.failures << FtpMessages::sendStalled(name, FtpClient1->HostName(), (m_waitLimitMs + 999) / 1000);
        Display(QStringLiteral("! ") + m_syncReport.failures.last().mid(2));
        return false;
    }
    return m_result == QLatin1String("TransferDone");
}

bool TFtp::sendForSync(const FtpSync::Upload &upload, const QString &base)
{
    Q_UNUSED(base);
    const QString name = nameOf(upload.file.path);
    const QString localPath = QDir(m_localFolder).filePath(upload.file.path);
    const QFileInfo info(localPath);
    // The file changed since the plan was made: the next synchronisation sees it as it is then.
    if (!info.isFile() || info.size() != upload.file.size) {
        m_syncReport.failures << QStringLiteral("- ") + upload.file.path
                                     + QStringLiteral(" a changé pendant la synchronisation : non envoyé");
        Display(QStringLiteral("! ") + m_syncReport.failures.last().mid(2));
        return false;
    }
    m_syncState->beginSend(upload.file);
    m_syncState->save();
    FtpClient1->setHostDirName(QString());
    FtpClient1->setHostFileName(name);
    FtpClient1->setLocalFileName(localPath);
    FtpClient1->SetPassiveMode(ModePassif->isChecked());
    FtpClient1->setDisplayFileFlag(false);
    m_fileSize = upload.file.size;
    Progression->setValue(0);

    const auto sendFrom = [&](qint64 at) {
        FtpClient1->setHostFileName(name);
        FtpClient1->setLocalFileName(localPath);
        m_syncResumeAt = at;
        if (at <= 0) {
            FtpClient1->setResumeAt(0);
            return transfer([this] { FtpClient1->StoreFile(); }, name);
        }
        Display(QStringLiteral("! Reprise de l'envoi de ") + upload.file.path + QStringLiteral(" à l'octet ")
                + QString::number(at));
        FtpClient1->setResumeAt(at);
        if (FtpClient1->HasFeature(QStringLiteral("REST")))
            return transfer([this] { FtpClient1->RestartPut(); }, name);
        return transfer([this] { FtpClient1->Append(); }, name);
    };
    // What the server holds is checked before going on from it.
    qint64 at = 0;
    if (upload.resumeAt > 0) {
        const qint64 there = remoteSize(name);
        at = there > 0 && there < upload.file.size ? there : 0;
    }
    bool done = sendFrom(at);
    if (at > 0 && done)
        ++m_syncReport.resumed;
    if (!done && !m_stop && !m_cancelled && !m_closing && FtpClient1->IsConnected()) {
        // Cut in the middle while the session lives on: once more, from
        // where the server's copy ends.
        const qint64 there = remoteSize(name);
        if (there > 0 && there < upload.file.size) {
            done = sendFrom(there);
            if (done)
                ++m_syncReport.resumed;
        }
    }
    m_syncResumeAt = 0;
    if (!done) {
        if (!m_stop && !m_cancelled && !m_closing) {
            m_syncReport.failures << FtpMessages::sendFailure(upload.file.path, false, serverReply());
            Display(QStringLiteral("! ") + m_syncReport.failures.last().mid(2));
        }
        return false;
    }
    QString remoteTime;
    if (FtpClient1->HasFeature(QStringLiteral("MFMT"))) {
        FtpClient1->setHostFileName(name);
        FtpClient1->setModifyTime(upload.file.modified);
        if (start([this] { FtpClient1->ModifyFileTime(); }))
            Delay();
        if (m_result == QLatin1String("Ok"))
            remoteTime = FtpSync::machineTime(upload.file.modified);
    }
    m_syncState->sent(upload.file, remoteTime);
    m_syncState->save();
    return true;
}

void TFtp::showSyncProgress(qint64 fileBytes)
{
    if (m_syncTotalBytes <= 0)
        return;
    const qint64 done = qBound<qint64>(0, m_syncDoneBytes + qMax<qint64>(0, fileBytes), m_syncTotalBytes);
    ProgressionTotale->setValue(int(done * 1000 / m_syncTotalBytes));
    QString text = QStringLiteral("Fichier %1 sur %2 — %3 sur %4")
                       .arg(qMax(1, qMin(m_syncFileNumber, m_syncFiles)))
                       .arg(m_syncFiles)
                       .arg(SyncConfirm::sizeText(done), SyncConfirm::sizeText(m_syncTotalBytes));
    const qint64 ms = m_syncClock.elapsed();
    if (done > 0 && ms > 1000)
        text += QStringLiteral(" — reste environ ") + timeLeft((m_syncTotalBytes - done) * ms / done / 1000);
    EtatSynchro->setText(text);
}
