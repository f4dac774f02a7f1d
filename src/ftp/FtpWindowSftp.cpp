// The publishing window's commands over the secure shell: the same buttons
// and lists as for FTP, with SftpClient underneath.
#include "FtpWindow.h"

#include "ftp/FtpListing.h"
#include "ftp/FtpMessages.h"
#include "ftp/SftpClient.h"
#include "ftp/SshTexts.h"
#include "platform/Launcher.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

namespace {

QString requestName(SftpClient::Request request)
{
    switch (request) {
    case SftpClient::Request::Connect: return QStringLiteral("connexion");
    case SftpClient::Request::AcceptHostKey: return QStringLiteral("ouverture de session");
    case SftpClient::Request::List: return QStringLiteral("liste du dossier");
    case SftpClient::Request::ChangeFolder: return QStringLiteral("changement de dossier");
    case SftpClient::Request::MakeFolder: return QStringLiteral("création de dossier");
    case SftpClient::Request::RemoveFile: return QStringLiteral("effacement de fichier");
    case SftpClient::Request::RemoveFolder: return QStringLiteral("effacement de dossier");
    case SftpClient::Request::Upload: return QStringLiteral("envoi");
    case SftpClient::Request::Download: return QStringLiteral("réception");
    case SftpClient::Request::Disconnect: return QStringLiteral("déconnexion");
    }
    return QString();
}

} // namespace

void TFtp::setupSftp()
{
    Sftp = new SftpClient(this);
    Sftp->setTimeout(15);
    connect(Sftp, &SftpClient::display, this, [this](const QString &line) {
        if (!m_closing)
            Display(line);
    });
    connect(Sftp, &SftpClient::progress, this, [this](qint64 done, qint64) {
        if (!m_closing)
            progress(done);
    });
    connect(Sftp, &SftpClient::requestDone, this, [this](SftpClient::Request request, bool ok) {
        if (m_closing || request == SftpClient::Request::Disconnect)
            return;
        Display(QStringLiteral("SFTP, %1 : %2").arg(requestName(request), ok ? QStringLiteral("terminé")
                                                                              : QStringLiteral("échec")));
        if (!ok) {
            Display(QStringLiteral("! ") + Sftp->errorMessage());
            m_result = QStringLiteral("Nak");
            if (!Sftp->isConnected() && !Sftp->hostKeyPending() && Envoyer->isEnabled()) {
                // The session is gone: the commands wait for a new one.
                setConnectedState(false);
                ListeHote->clear();
                m_cancelled = true;
            }
            return;
        }
        m_result = request == SftpClient::Request::Upload || request == SftpClient::Request::Download
                       ? QStringLiteral("TransferDone")
                       : QStringLiteral("Ok");
    });
    // The secure shell listens on its own port: the field follows the kind
    // unless the user typed a port of his own.
    connect(Connexion, &QComboBox::currentIndexChanged, this, [this](int index) {
        const QString port = PortHote->text();
        if (index == SftpIndex && (port.isEmpty() || port == QLatin1String("21")))
            PortHote->setText(QStringLiteral("22"));
        else if (index != SftpIndex && port == QLatin1String("22"))
            PortHote->setText(QStringLiteral("21"));
        ModePassif->setEnabled(index != SftpIndex);
    });
}

bool TFtp::sftpStarted(bool started)
{
    if (started)
        return true;
    Display(QStringLiteral("! ") + Sftp->errorMessage());
    m_result = QStringLiteral("Nak");
    return false;
}

void TFtp::sftpWaitIdle()
{
    // A stopped transfer cleans up after itself before the next command.
    if (!Sftp->isBusy())
        return;
    const bool stop = m_stop;
    m_stop = false;
    waitFor([this] { return !Sftp->isBusy(); }, m_waitLimitMs);
    m_stop = stop;
}

void TFtp::sftpClose()
{
    // A connection still under way is closed too: whatever it reports
    // later is stale.
    if (Sftp->isConnected() || Sftp->hostKeyPending() || Sftp->isBusy())
        Sftp->disconnectFromHost();
}

bool TFtp::askHostKey()
{
    const SftpClient::HostKey key = Sftp->hostKey();
    const bool changed = key.state != SshTexts::KeyState::Unknown;
    ++m_asking;
    const bool accepted =
        Platform::showMessage(this, changed ? Platform::MessageKind::Warning : Platform::MessageKind::Question,
                              SshTexts::hostKeyQuestion(Sftp->host(), Sftp->port(), key.state, key.type,
                                                        key.fingerprint),
                              changed ? Platform::Buttons::YesNoSafe : Platform::Buttons::YesNo)
        == Platform::Answer::Yes;
    --m_asking;
    Display(accepted ? QStringLiteral("! Clé d'hôte acceptée, empreinte ") + key.fingerprint
                     : QStringLiteral("! Clé d'hôte refusée : connexion abandonnée"));
    return accepted;
}

void TFtp::sftpConnect()
{
    sftpWaitIdle();
    Sftp->setHost(Hote->text());
    Sftp->setPort(PortHote->text().isEmpty() ? 22 : PortHote->text().toInt());
    Sftp->setUser(Usager->text());
    Sftp->setPassword(Passe->text());
    Arreter->setEnabled(true);
    if (sftpStarted(Sftp->connectToHost()))
        Delay();
    if (m_result == QLatin1String("Ok") && Sftp->hostKeyPending()) {
        const bool accepted = askHostKey();
        if (m_closing)
            return;
        if (sftpStarted(Sftp->answerHostKey(accepted)))
            Delay();
        if (!accepted) {
            Arreter->setEnabled(false);
            return;
        }
    }
    if (m_result != QLatin1String("Ok") || !Sftp->isConnected()) {
        Arreter->setEnabled(false);
        if (m_closing)
            return;
        QString why = m_stop ? QStringLiteral("Connexion arrêtée") : Sftp->errorMessage();
        if (m_result.isEmpty() && !m_stop)
            why = FtpMessages::noAnswer(Hote->text(), (m_waitLimitMs + 999) / 1000);
        // The engine may still be trying: it is told to give up.
        sftpClose();
        Display(QStringLiteral("! ") + why);
        if (!m_stop)
            Platform::warning(this, why);
        return;
    }
    setConnectedState(true);
    m_remoteFolder = QStringLiteral(".");
    LitHote();
}

void TFtp::sftpList()
{
    sftpWaitIdle();
    if (!Sftp->isConnected())
        return;
    if (!sftpStarted(Sftp->list()))
        return;
    Delay();
    if (m_result != QLatin1String("Ok"))
        return;
    // The names go through the same list file as FTP's, so that both show
    // alike; the engine has refused any name with a line break.
    m_remotePath = Sftp->currentFolder();
    QFile listing(m_listingFile);
    if (!listing.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Display(QStringLiteral("! ") + listing.errorString());
        return;
    }
    for (const SftpClient::Entry &entry : Sftp->entries())
        listing.write(entry.name.toUtf8() + '\n');
    listing.close();
    LitRepert2();
}

void TFtp::sftpSendFile(const QString &localPath)
{
    const QFileInfo info(localPath);
    if (!info.isFile())
        return;
    sftpWaitIdle();
    m_fileSize = info.size();
    m_result.clear();
    m_stop = false;
    if (sftpStarted(Sftp->upload(localPath, info.fileName()))) {
        // As long as it takes: the engine gives up on a server that stops
        // taking data, and "Arrêter" stops it between two blocks.
        waitFor([this] { return !m_result.isEmpty(); }, 0);
    }
    if (m_result != QLatin1String("TransferDone") && !m_stop && !m_closing) {
        m_sendFailures << FtpMessages::sendFailure(info.fileName(), false, Sftp->errorMessage());
        Display(QStringLiteral("! ") + m_sendFailures.last().mid(2));
    }
}

std::optional<bool> TFtp::sftpIsFolder(const QString &name) const
{
    if (name == QLatin1String(".."))
        return true;
    for (const SftpClient::Entry &entry : Sftp->entries()) {
        if (entry.name == name)
            return entry.folder;
    }
    // Not in the listing shown: taken for a file, which the server refuses
    // if it is not one.
    return false;
}

void TFtp::sftpOpenEntry(const QString &name)
{
    if (!m_privateFolder || !m_privateFolder->isValid() || !SftpClient::isSafeName(name))
        return;
    // The listing's names hold no separator: the copy stays in our folder.
    const QString copy = QDir(m_privateFolder->path()).filePath(name);
    sftpWaitIdle();
    m_fileSize = 0;
    m_result.clear();
    m_stop = false;
    if (sftpStarted(Sftp->download(name, copy)))
        waitFor([this] { return !m_result.isEmpty(); }, 0);
    if (m_result != QLatin1String("TransferDone")) {
        if (!m_stop && !m_closing)
            Platform::error(this, Sftp->errorMessage());
        return;
    }
    Platform::openUrl(QUrl::fromLocalFile(copy));
}
