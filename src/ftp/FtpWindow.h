#pragma once
// TFtp: the publishing window. The local folder on the left, the server's
// current folder on the right, a log of every request below; sends files
// and whole folders, creates and deletes folders and files on the server and
// deletes local files. All work runs on the user-interface thread: the waits
// keep events flowing so that "Arrêter" can be pressed during them.
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "ftp/FtpClient.h"
#include "ftp/IconCache.h"

namespace FtpSync {
struct Plan;
struct RemoteTree;
struct Upload;
class SyncState;
} // namespace FtpSync
struct FtpSite;
class SecretStore;
class QCheckBox;
class SftpClient;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTemporaryDir;
class QToolButton;
class QTreeWidget;

class TFtp : public QDialog
{
    Q_OBJECT
public:
    explicit TFtp(QWidget *parent = nullptr);
    ~TFtp() override;

    // Longest wait for a request's answer before the next step runs anyway.
    static constexpr int WaitLimitMs = 15000;
    // Tests shorten the limit so that a slow server costs them little.
    void setWaitLimit(int ms) { m_waitLimitMs = ms; }

    QToolButton *Connecter = nullptr;
    QToolButton *Arreter = nullptr;
    QToolButton *Deconnecter = nullptr;
    QToolButton *Envoyer = nullptr;
    QToolButton *Actualiser = nullptr;
    QToolButton *CreerRepertoire = nullptr;
    QToolButton *EffacerFichier = nullptr;
    QToolButton *Fermer = nullptr;
    QLineEdit *Hote = nullptr;
    QLineEdit *PortHote = nullptr;
    QLineEdit *Usager = nullptr;
    QLineEdit *Passe = nullptr;
    QComboBox *Connexion = nullptr;
    QCheckBox *ModePassif = nullptr;
    QLabel *RepertoireLocal = nullptr;
    QTreeWidget *ListeLocale = nullptr;
    QListWidget *ListeHote = nullptr;
    QPlainTextEdit *Journal = nullptr;
    QProgressBar *Progression = nullptr;
    // Saved sites.
    QComboBox *Sites = nullptr;
    QLineEdit *NomSite = nullptr;
    QToolButton *NouveauSite = nullptr;
    QToolButton *EnregistrerSite = nullptr;
    QToolButton *SupprimerSite = nullptr;
    QLineEdit *DossierDistant = nullptr;
    // Synchronisation.
    QToolButton *Synchroniser = nullptr;
    QCheckBox *SupprimerDistant = nullptr;
    QProgressBar *ProgressionTotale = nullptr;
    QLabel *EtatSynchro = nullptr;

    TFtpClient *FtpClient1 = nullptr;
    // The engine of the "SFTP" connection kind.
    SftpClient *Sftp = nullptr;
    static constexpr int SftpIndex = 2; // in Connexion

    // The user hears once per run that passwords cannot be kept.
    static inline bool secretNoticeShown = false;
    // Where synchronisation remembers what it sent (tests use their own).
    void setSyncStateFile(const QString &path);
    // The figures of the last synchronisation, for the log and tests.
    struct SyncReport {
        int planned = 0;   // files to send
        int sent = 0;
        int resumed = 0;   // of them, sent on from where a cut left them
        int created = 0;
        int deleted = 0;
        bool nothingToDo = false;
        QStringList failures;
    };
    const SyncReport &lastSync() const { return m_syncReport; }

    // "" (nothing yet), "Ok", "Nak" or "TransferDone".
    QString result() const { return m_result; }
    QString localFolder() const { return m_localFolder; }
    QString remoteFolder() const { return m_remoteFolder; }
    // Where the server's name lists land: a folder of our own that only its
    // owner may enter, so nobody can plant a link under the name we write.
    QString listingFile() const { return m_listingFile; }
    const QStringList &workList() const { return m_work; }

    void LitRepert();
    void LitHote();
    void LitRepert2();
    void Remplit(bool remote);
    void Delay();
    void Display(const QString &line);
    void ChHost(const QString &name);
    void MakeDir(const QString &name);
    void SendFile(QString remoteFolder, const QString &localPath);
    void SendFolder(const QString &folderPath);
    void SuppFile(const QString &name);
    void SuppRep(const QString &name);
    void Supprimer();
    void Supprimer2();
    void Efface1();
    void Efface2();

    void ConnecterClick();
    void DeconnecterClick();
    void ArreterClick();
    void EnvoyerClick();
    void ActualiserClick();
    void CreerRepertoireClick();
    void EffacerFichierClick();
    void chooseSite(int index);
    void NouveauSiteClick();
    void EnregistrerSiteClick();
    void SupprimerSiteClick();
    void SynchroniserClick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int r) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    // Sites
    void fillSites(const QString &select);
    FtpSite siteFromFields() const;
    void tellNoSecretStore(const QString &reason);
    // Synchronisation
    std::optional<FtpSync::RemoteTree> readRemoteTree(const QString &base);
    bool listRemoteFolder(const QString &path, QByteArray &listing);
    bool runPlan(const FtpSync::Plan &plan, const QString &base);
    bool sendForSync(const FtpSync::Upload &upload, const QString &base);
    bool transfer(const std::function<void()> &request, const QString &name);
    qint64 remoteSize(const QString &name);
    void showSyncProgress(qint64 fileBytes);
    void setConnectedState(bool connected);
    void settle();
    void openLocalEntry();
    void openRemoteEntry();
    // Starts a request; a request the engine refuses ends at once with its
    // reason in the log, as if the server had said no.
    bool start(const std::function<void()> &request);
    // Processes events until the condition holds, "Arrêter" is pressed, the
    // window closes or the limit (0: none) has passed.
    void waitFor(const std::function<bool()> &done, int limitMs);
    void requestDone(TFtpRequest kind, quint16 error);
    void progress(qint64 count);
    // The question about a server certificate that does not verify.
    bool acceptCertificate(const QList<QSslError> &errors, const QSslCertificate &certificate);
    void setRemoteActive(bool remote) { m_remoteActive = remote; }
    // The outcome of a connection that did not open, told to the user.
    void reportOpenFailure();
    // The control connection closed: by the server unless we closed it.
    void sessionClosed();
    // What the server said to the request that ended last.
    QString serverReply() const;
    // Whether the server takes the name for a folder: it lets us in. Empty
    // when it did not answer in time, or did let us in and we could not come
    // back to the listed folder.
    std::optional<bool> isRemoteFolder(const QString &name);

    // The secure shell's side of the commands (FtpWindowSftp.cpp).
    void setupSftp();
    void sftpConnect();
    void sftpClose();
    bool sftpStarted(bool started);
    void sftpWaitIdle();
    void sftpList();
    void sftpSendFile(const QString &localPath);
    std::optional<bool> sftpIsFolder(const QString &name) const;
    void sftpOpenEntry(const QString &name);
    bool askHostKey();

    bool m_useSftp = false; // the session is, or is being, opened over SFTP
    bool m_remoteActive = false;
    bool m_stop = false;
    // Set by "Arrêter" and kept until the next send or deletion starts, so
    // that a long send ends instead of trying every remaining file.
    bool m_cancelled = false;
    bool m_closing = false;
    int m_waits = 0;
    qint64 m_fileSize = 0;
    QElapsedTimer m_lastProgress; // of the upload in progress
    QElapsedTimer m_barDrawn;     // last change of the progress bar
    int m_waitLimitMs = WaitLimitMs;
    qint64 m_questionMs = 0; // time spent so far in certificate questions
    int m_asking = 0;        // certificate questions open now
    int m_ownClose = 0;      // inside our own close or abort of the session
    QString m_localFolder;
    QString m_remoteFolder = QStringLiteral("/");
    QString m_remotePath; // the server's name for it, when it gave one
    QString m_mask = QStringLiteral("*.*");
    QString m_listingFile;
    QStringList m_work;
    IconCache m_icons;
    QString m_result;
    QStringList m_sendFailures; // of the send in progress
    std::unique_ptr<QTemporaryDir> m_privateFolder;
    std::unique_ptr<SecretStore> m_secrets;
    bool m_secretsUnavailable = false;
    std::unique_ptr<FtpSync::SyncState> m_syncState;
    bool m_featuresAsked = false; // FEAT of this session
    bool m_syncListing = false;   // a listing of the synchronisation is in flight
    // The whole synchronisation's progress.
    qint64 m_syncTotalBytes = 0;
    qint64 m_syncDoneBytes = 0;
    qint64 m_syncResumeAt = 0;
    int m_syncFiles = 0;
    int m_syncFileNumber = 0;
    QElapsedTimer m_syncClock;
    SyncReport m_syncReport;
};
