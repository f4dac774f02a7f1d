#include "FtpWindow.h"

#include "ftp/FtpListing.h"
#include "ftp/FtpMessages.h"
#include "ftp/LocalFiles.h"
#include "ftp/SftpClient.h"
#include "ftp/SecretStore.h"
#include "ftp/SyncPlan.h"
#include "ftp/TlsTexts.h"
#include "platform/CommonDialogs.h"
#include "platform/Messages.h"
#include "platform/TempFolders.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Lists sort by name as a file manager does, without regard to case.
class NameItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return QString::compare(text(column), other.text(column), Qt::CaseInsensitive) < 0;
    }
};

class RemoteItem : public QListWidgetItem
{
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem &other) const override
    {
        // The way up stays at the top, where the local list has it too.
        const bool up = text() == QLatin1String("..");
        const bool otherUp = other.text() == QLatin1String("..");
        if (up || otherUp)
            return up && !otherUp;
        return QString::compare(text(), other.text(), Qt::CaseInsensitive) < 0;
    }
};

// The password shows as stars whatever the desktop's style draws.
class StarStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QToolButton *toolButton(QToolBar *bar, const char *name, const QString &caption, const QString &hint)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setAccessibleName(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

QLabel *buddyLabel(const QString &caption, QWidget *field)
{
    auto *label = new QLabel(caption);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return label;
}

} // namespace

TFtp::TFtp(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Ftp"));
    setWindowTitle(QStringLiteral("Fenêtre Ftp"));
    setAccessibleName(windowTitle());

    m_privateFolder = std::make_unique<QTemporaryDir>(Platform::privateTempTemplate());
    if (m_privateFolder->isValid()) {
        QFile::setPermissions(m_privateFolder->path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_listingFile = m_privateFolder->filePath(QStringLiteral("ftpdir.tmp"));
    }

    FtpClient1 = new TFtpClient(this);
    FtpClient1->setTimeout(15);
    FtpClient1->setMultiThreaded(false);
    FtpClient1->setBinary(true);
    FtpClient1->setShareMode(ftpShareExclusive);
    FtpClient1->setOptions(ftpAcceptLF);
    FtpClient1->setConnectionType(ftpDirect);
    FtpClient1->OnDisplay = [this](QObject *, const QString &message) { Display(message); };
    FtpClient1->OnProgress = [this](QObject *, qint64 count, bool &) { progress(count); };
    FtpClient1->OnRequestDone = [this](QObject *, TFtpRequest kind, quint16 error) { requestDone(kind, error); };
    FtpClient1->OnSessionClosed = [this](QObject *) { sessionClosed(); };
    FtpClient1->OnSslErrors = [this](QObject *, const QList<QSslError> &errors,
                                     const QSslCertificate &certificate, bool &accept) {
        accept = acceptCertificate(errors, certificate);
    };

    m_secrets = std::make_unique<SecretStore>();
    m_syncState = std::make_unique<FtpSync::SyncState>();

    buildWidgets();
    setupSftp();
    resize(1060, 700);
}

TFtp::~TFtp()
{
    m_closing = true;
    // The engine's handlers point at this window; nothing may reach them now.
    FtpClient1->OnDisplay = nullptr;
    FtpClient1->OnProgress = nullptr;
    FtpClient1->OnRequestDone = nullptr;
    FtpClient1->OnSslErrors = nullptr;
    FtpClient1->OnSessionClosed = nullptr;
}

void TFtp::buildWidgets()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    Connecter = toolButton(bar, "Connecter", QStringLiteral("Connecter"), QStringLiteral("Se connecter au serveur"));
    Arreter = toolButton(bar, "Arreter", QStringLiteral("Arrêter"), QStringLiteral("Arrêter la commande en cours"));
    Deconnecter = toolButton(bar, "Deconnecter", QStringLiteral("Déconnecter"), QStringLiteral("Se déconnecter du serveur"));
    bar->addSeparator();
    Envoyer = toolButton(bar, "Envoyer", QStringLiteral("Envoyer"), QStringLiteral("Envoyer les fichiers sélectionnés"));
    Actualiser = toolButton(bar, "Actualiser", QStringLiteral("Actualiser l'affichage"), QStringLiteral("Actualiser la liste active (F5)"));
    CreerRepertoire = toolButton(bar, "CreerRepertoire", QStringLiteral("Créer répertoire local"),
                                 QStringLiteral("Créer un dossier sur le serveur"));
    EffacerFichier = toolButton(bar, "EffacerFichier", QStringLiteral("Effacer fichier"),
                                QStringLiteral("Effacer les fichiers sélectionnés de la liste active"));
    Synchroniser = toolButton(bar, "Synchroniser", QStringLiteral("Synchroniser"),
                              QStringLiteral("Envoyer seulement ce qui a changé depuis le dossier local"));
    bar->addSeparator();
    Fermer = toolButton(bar, "Fermer", QStringLiteral("Fermer"), QStringLiteral("Fermer la fenêtre"));

    Hote = new QLineEdit;
    Hote->setObjectName(QStringLiteral("Hote"));
    PortHote = new QLineEdit(QStringLiteral("21"));
    PortHote->setObjectName(QStringLiteral("PortHote"));
    PortHote->setValidator(new QIntValidator(1, 65535, PortHote));
    PortHote->setMaximumWidth(60);
    Usager = new QLineEdit;
    Usager->setObjectName(QStringLiteral("Usager"));
    Passe = new QLineEdit;
    Passe->setObjectName(QStringLiteral("Passe"));
    Passe->setEchoMode(QLineEdit::Password);
    auto *stars = new StarStyle;
    stars->setParent(Passe);
    Passe->setStyle(stars);
    Connexion = new QComboBox;
    Connexion->setObjectName(QStringLiteral("Connexion"));
    Connexion->addItems({QStringLiteral("FTP"), QStringLiteral("FTP sécurisé (TLS explicite)"), QStringLiteral("SFTP")});
    ModePassif = new QCheckBox(QStringLiteral("Mode passif"));
    ModePassif->setObjectName(QStringLiteral("ModePassif"));
    ModePassif->setAccessibleName(ModePassif->text());
    // Active mode needs the server to call back in, which the address
    // translation of nearly every home and office network prevents.
    ModePassif->setChecked(true);

    // Saved sites, above the connection fields.
    Sites = new QComboBox;
    Sites->setObjectName(QStringLiteral("Sites"));
    Sites->setMinimumContentsLength(16);
    Sites->setPlaceholderText(QStringLiteral("(aucun site choisi)"));
    NomSite = new QLineEdit;
    NomSite->setObjectName(QStringLiteral("NomSite"));
    auto *siteBar = new QToolBar;
    siteBar->setIconSize(QSize(0, 0));
    NouveauSite = toolButton(siteBar, "NouveauSite", QStringLiteral("Nouveau"), QStringLiteral("Vider les champs pour un nouveau site"));
    EnregistrerSite = toolButton(siteBar, "EnregistrerSite", QStringLiteral("Enregistrer"),
                                 QStringLiteral("Enregistrer le site sous ce nom (le mot de passe va dans le coffre du bureau)"));
    SupprimerSite = toolButton(siteBar, "SupprimerSite", QStringLiteral("Supprimer"), QStringLiteral("Supprimer le site choisi"));
    DossierDistant = new QLineEdit;
    DossierDistant->setObjectName(QStringLiteral("DossierDistant"));
    DossierDistant->setPlaceholderText(QStringLiteral("(dossier d'arrivée)"));
    SupprimerDistant = new QCheckBox(QStringLiteral("Supprimer sur le serveur ce qui n'existe plus en local"));
    SupprimerDistant->setObjectName(QStringLiteral("SupprimerDistant"));
    SupprimerDistant->setAccessibleName(SupprimerDistant->text());
    ProgressionTotale = new QProgressBar;
    ProgressionTotale->setObjectName(QStringLiteral("ProgressionTotale"));
    ProgressionTotale->setAccessibleName(QStringLiteral("Progression de la synchronisation"));
    ProgressionTotale->setRange(0, 1000);
    ProgressionTotale->setTextVisible(false);
    ProgressionTotale->hide();
    EtatSynchro = new QLabel;
    EtatSynchro->setObjectName(QStringLiteral("EtatSynchro"));
    EtatSynchro->setAccessibleName(QStringLiteral("État de la synchronisation"));
    EtatSynchro->hide();

    RepertoireLocal = new QLabel;
    RepertoireLocal->setObjectName(QStringLiteral("RepertoireLocal"));
    RepertoireLocal->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    RepertoireLocal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    RepertoireLocal->setAccessibleName(QStringLiteral("Dossier local"));
    RepertoireLocal->setMinimumWidth(40);

    ListeLocale = new QTreeWidget;
    ListeLocale->setObjectName(QStringLiteral("ListeLocale"));
    ListeLocale->setAccessibleName(QStringLiteral("Fichiers locaux"));
    ListeLocale->setHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Taille"), QStringLiteral("Date"),
                                  QStringLiteral("Attr.")});
    ListeLocale->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ListeLocale->setRootIsDecorated(false);
    ListeLocale->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListeLocale->setIconSize(QSize(16, 16));
    ListeLocale->setSortingEnabled(true);
    ListeLocale->sortByColumn(0, Qt::AscendingOrder);
    ListeLocale->setColumnWidth(0, 180);
    ListeLocale->setColumnWidth(1, 70);
    ListeLocale->setColumnWidth(2, 85);
    ListeLocale->setColumnWidth(3, 45);

    ListeHote = new QListWidget;
    ListeHote->setObjectName(QStringLiteral("ListeHote"));
    ListeHote->setAccessibleName(QStringLiteral("Fichiers du serveur"));
    ListeHote->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListeHote->setIconSize(QSize(16, 16));
    ListeHote->setSortingEnabled(true);

    Journal = new QPlainTextEdit;
    Journal->setObjectName(QStringLiteral("Journal"));
    Journal->setAccessibleName(QStringLiteral("Journal"));
    Journal->setReadOnly(true);
    Journal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Progression = new QProgressBar;
    Progression->setObjectName(QStringLiteral("Progression"));
    Progression->setAccessibleName(QStringLiteral("Progression"));
    Progression->setRange(0, 100);
    Progression->hide();

    // Two halves of equal width: the local side with its folder above the
    // list, the server side with the connection fields above its list.
    auto *left = new QVBoxLayout;
    left->addWidget(RepertoireLocal);
    left->addStretch();
    left->addWidget(ListeLocale, 1);

    auto *fields = new QGridLayout;
    auto *hostRow = new QHBoxLayout;
    hostRow->addWidget(Hote, 1);
    hostRow->addWidget(buddyLabel(QStringLiteral("Port"), PortHote));
    hostRow->addWidget(PortHote);
    fields->addWidget(buddyLabel(QStringLiteral("Adresse hôte"), Hote), 0, 0);
    fields->addLayout(hostRow, 0, 1, 1, 3);
    fields->addWidget(buddyLabel(QStringLiteral("ID de l'usager"), Usager), 1, 0);
    fields->addWidget(Usager, 1, 1);
    fields->addWidget(buddyLabel(QStringLiteral("Passe"), Passe), 1, 2);
    fields->addWidget(Passe, 1, 3);
    fields->addWidget(buddyLabel(QStringLiteral("Connexion :"), Connexion), 2, 0);
    fields->addWidget(Connexion, 2, 1);
    fields->addWidget(ModePassif, 2, 2, 1, 2);
    fields->addWidget(buddyLabel(QStringLiteral("Dossier distant"), DossierDistant), 3, 0);
    fields->addWidget(DossierDistant, 3, 1, 1, 3);
    fields->addWidget(SupprimerDistant, 6, 0, 1, 4);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    auto *siteRow = new QHBoxLayout;
    siteRow->addWidget(buddyLabel(QStringLiteral("Sites"), Sites));
    siteRow->addWidget(Sites, 1);
    siteRow->addWidget(siteBar);
    fields->addWidget(buddyLabel(QStringLiteral("Nom du site"), NomSite), 4, 0);
    fields->addWidget(NomSite, 4, 1, 1, 3);
    auto *right = new QVBoxLayout;
    right->addLayout(siteRow);
    right->addLayout(fields);
    right->addWidget(ListeHote, 1);

    auto *halves = new QHBoxLayout;
    halves->addLayout(left, 1);
    halves->addLayout(right, 1);

    auto *main = new QVBoxLayout(this);
    main->setMenuBar(bar);
    main->addLayout(halves, 3);
    main->addWidget(Journal, 1);
    main->addWidget(Progression);
    auto *wholeSync = new QHBoxLayout;
    wholeSync->addWidget(ProgressionTotale, 2);
    wholeSync->addWidget(EtatSynchro, 3);
    main->addLayout(wholeSync);

    setConnectedState(false);
    Deconnecter->setEnabled(false);

    connect(Connecter, &QToolButton::clicked, this, &TFtp::ConnecterClick);
    connect(Arreter, &QToolButton::clicked, this, &TFtp::ArreterClick);
    connect(Deconnecter, &QToolButton::clicked, this, &TFtp::DeconnecterClick);
    connect(Envoyer, &QToolButton::clicked, this, &TFtp::EnvoyerClick);
    connect(Actualiser, &QToolButton::clicked, this, &TFtp::ActualiserClick);
    connect(CreerRepertoire, &QToolButton::clicked, this, &TFtp::CreerRepertoireClick);
    connect(EffacerFichier, &QToolButton::clicked, this, &TFtp::EffacerFichierClick);
    connect(Fermer, &QToolButton::clicked, this, &TFtp::close);
    connect(Synchroniser, &QToolButton::clicked, this, &TFtp::SynchroniserClick);
    connect(NouveauSite, &QToolButton::clicked, this, &TFtp::NouveauSiteClick);
    connect(EnregistrerSite, &QToolButton::clicked, this, &TFtp::EnregistrerSiteClick);
    connect(SupprimerSite, &QToolButton::clicked, this, &TFtp::SupprimerSiteClick);
    connect(Sites, &QComboBox::activated, this, &TFtp::chooseSite);
    fillSites(QString());
    connect(ListeLocale, &QTreeWidget::itemActivated, this, [this] { openLocalEntry(); });
    connect(ListeHote, &QListWidget::itemActivated, this, [this] { openRemoteEntry(); });
    ListeLocale->installEventFilter(this);
    ListeHote->installEventFilter(this);
}

void TFtp::setConnectedState(bool connected)
{
    for (QToolButton *button : {Envoyer, EffacerFichier, Actualiser, Arreter, CreerRepertoire, Synchroniser})
        button->setEnabled(connected);
}

void TFtp::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_localFolder = QDir::currentPath();
    m_remoteFolder = QStringLiteral("/");
    LitRepert();
}

bool TFtp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListeLocale || watched == ListeHote) {
        if (event->type() == QEvent::FocusIn) {
            setRemoteActive(watched == ListeHote);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Delete) {
                setRemoteActive(watched == ListeHote);
                EffacerFichierClick();
                return true;
            }
            if (key == Qt::Key_F5 && watched == ListeLocale) {
                setRemoteActive(false);
                ActualiserClick();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFtp::done(int r)
{
    m_closing = true;
    sftpClose();
    if (FtpClient1->IsConnected()) {
        try {
            if (m_waits > 0)
                FtpClient1->AbortSession();
            else
                FtpClient1->CloseSession();
        } catch (const FtpException &) {
            FtpClient1->Abort();
        }
    }
    if (!m_listingFile.isEmpty())
        QFile::remove(m_listingFile);
    QDialog::done(r);
}

// --- the log and the waits

void TFtp::Display(const QString &line)
{
    QTextDocument *log = Journal->document();
    const bool empty = log->isEmpty();
    if (!empty && log->blockCount() > 200) {
        QTextCursor cursor(log);
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 50);
        cursor.removeSelectedText();
    }
    Journal->appendPlainText(line);
    Journal->verticalScrollBar()->setValue(Journal->verticalScrollBar()->maximum());
}

void TFtp::waitFor(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    ++m_waits;
    QEventLoop loop;
    QTimer tick;
    // The time a question about the server's certificate stays open is the
    // user's, not the server's: it does not count against the limit.
    const qint64 questionsBefore = m_questionMs;
    const auto finished = [&] {
        if (done() || m_stop || m_closing)
            return true;
        // The clock ticks on while the question is open, and its time is
        // only taken off once it is answered: until then, no limit.
        if (limitMs <= 0 || m_asking > 0)
            return false;
        return clock.elapsed() - (m_questionMs - questionsBefore) >= limitMs;
    };
    connect(&tick, &QTimer::timeout, &loop, [&] {
        if (finished())
            loop.quit();
    });
    tick.start(5);
    if (!finished())
        loop.exec();
    --m_waits;
}

void TFtp::Delay()
{
    m_result.clear();
    m_stop = false;
    waitFor([this] { return !m_result.isEmpty(); }, m_waitLimitMs);
    // The request goes on in the engine; the log says why the window did
    // not wait for it. A connection says so itself.
    if (m_result.isEmpty() && !m_stop && !m_closing && Envoyer->isEnabled())
        Display(QStringLiteral("! ") + FtpMessages::lateAnswer(m_useSftp ? Hote->text() : FtpClient1->HostName(),
                                                               (m_waitLimitMs + 999) / 1000));
}

bool TFtp::start(const std::function<void()> &request)
{
    try {
        request();
        return true;
    } catch (const FtpUnsafeArgument &e) {
        Display(QStringLiteral("! ") + FtpMessages::unsafeName(e.Line()));
        m_result = QStringLiteral("Nak");
        return false;
    } catch (const FtpException &e) {
        Display(QStringLiteral("! ") + e.Message());
        const QString why = FtpMessages::refusedCommand(FtpClient1->IsConnected(), FtpClient1->Busy());
        if (!why.isEmpty())
            Display(QStringLiteral("! ") + why);
        m_result = QStringLiteral("Nak");
        return false;
    }
}

void TFtp::requestDone(TFtpRequest kind, quint16 error)
{
    Display(QStringLiteral("Request %1 Done.").arg(int(kind)));
    Display(QStringLiteral("StatusCode = %1").arg(FtpClient1->StatusCode()));
    Display(QStringLiteral("LastResponse was : '") + FtpClient1->LastResponse() + u'\'');
    if (error != 0) {
        Display(QStringLiteral("Error = %1 (%2)").arg(error).arg(FtpClient1->ErrorMessage()));
        m_result = QStringLiteral("Nak");
        return;
    }
    Display(QStringLiteral("No error"));
    m_result = QStringLiteral("Ok");
    switch (int(kind)) {
    case ftpChangeDir:
    case ftpCreateDir:
    case ftpPwd:
    case ftpCdup:
        Display(QStringLiteral("Directory is \"") + FtpClient1->ReplyDir() + u'"');
        break;
    case ftpDir:
    case ftpListNames:
    case ftpDirectory:
    case ftpList:
        // The synchronisation reads its listings itself.
        if (!m_syncListing)
            LitRepert2();
        break;
    case ftpGet:
    case ftpStoreFile:
    case ftpAppend:
    case ftpRestartPut:
        m_result = QStringLiteral("TransferDone");
        break;
    case ftpSize:
        Display(QStringLiteral("File size is %1 bytes").arg(FtpClient1->ReplySize()));
        break;
    default:
        break;
    }
}

void TFtp::progress(qint64 count)
{
    m_lastProgress.restart();
    if (m_syncTotalBytes > 0)
        showSyncProgress(count - m_syncResumeAt);
    if (m_fileSize <= 0)
        return;
    // The bar repaints at once on each new value; a burst of blocks in one
    // turn of the event loop would spend it on drawing.
    const int value = int(qMin<qint64>(100, count * 100 / m_fileSize));
    if (value == Progression->value() || (m_barDrawn.isValid() && m_barDrawn.elapsed() < 40 && value < 100))
        return;
    m_barDrawn.start();
    Progression->setValue(value);
}

// --- the lists

void TFtp::LitRepert()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_icons.trimIfFull();
    ListeLocale->setSortingEnabled(false);
    ListeLocale->clear();
    const QString folder = QDir::currentPath();
    for (const FtpListing::LocalEntry &entry : FtpListing::readLocalFolder(folder)) {
        auto *item = new NameItem(ListeLocale);
        item->setText(0, entry.name);
        item->setText(1, entry.size);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, entry.date);
        item->setText(3, entry.attributes);
        const QFileInfo info(QDir(folder).filePath(entry.name));
        item->setIcon(0, m_icons.iconFor(entry.iconKey, [&] { return FileIcons::localFileIcon(info); }));
    }
    ListeLocale->setSortingEnabled(true);
    ListeLocale->sortByColumn(0, Qt::AscendingOrder);
    QApplication::restoreOverrideCursor();
    m_localFolder = folder;
    while (m_localFolder.size() > 1 && m_localFolder.endsWith(u'/'))
        m_localFolder.chop(1);
    RepertoireLocal->setText(m_localFolder);
}

void TFtp::LitHote()
{
    if (m_useSftp) {
        sftpList();
        return;
    }
    if (!FtpClient1->IsConnected())
        return;
    // Where the list is decides whether it offers a way up.
    m_remotePath.clear();
    if (start([this] { FtpClient1->Pwd(); })) {
        Delay();
        if (m_result == QLatin1String("Ok"))
            m_remotePath = FtpClient1->ReplyDir();
    }
    FtpClient1->setHostFileName(QString());
    FtpClient1->setLocalFileName(m_listingFile);
    FtpClient1->setDisplayFileFlag(false);
    FtpClient1->SetPassiveMode(ModePassif->isChecked());
    if (start([this] { FtpClient1->ListNames(); }))
        Delay();
}

void TFtp::LitRepert2()
{
    QStringList names;
    QFile listing(m_listingFile);
    if (listing.exists()) {
        if (listing.open(QIODevice::ReadOnly)) {
            bool windows1252 = false;
            names = FtpListing::remoteNames(listing.readAll(), &windows1252);
            if (windows1252 && !FtpClient1->Windows1252Names()) {
                // Names go back to the server in the bytes it listed them in.
                FtpClient1->setWindows1252Names(true);
                Display(QStringLiteral("! ") + FtpMessages::windows1252Names());
            }
        }
        listing.close();
        listing.remove();
    }
    if (names.size() >= FtpListing::MaxRemoteNames)
        Display(QStringLiteral("! ") + FtpMessages::listingCut(FtpListing::MaxRemoteNames));
    // Many servers do not list "..": without it the way back up from an
    // opened folder would be a reconnection.
    if (m_remotePath != QLatin1String("/") && !names.contains(QStringLiteral("..")))
        names.prepend(QStringLiteral(".."));
    m_icons.trimIfFull();
    ListeHote->setSortingEnabled(false);
    ListeHote->clear();
    for (const QString &name : names) {
        const QString key = FtpListing::remoteIconKey(name);
        auto *item = new RemoteItem(m_icons.iconFor(key, [&] { return FileIcons::typeIcon(key); }), name);
        ListeHote->addItem(item);
    }
    ListeHote->setSortingEnabled(true);
    ListeHote->sortItems();
}

void TFtp::Remplit(bool remote)
{
    m_work.clear();
    QStringList names;
    if (remote) {
        for (QListWidgetItem *item : ListeHote->selectedItems())
            names << item->text();
    } else {
        // In the order the list shows them.
        for (int i = 0; i < ListeLocale->topLevelItemCount(); ++i) {
            if (ListeLocale->topLevelItem(i)->isSelected())
                names << ListeLocale->topLevelItem(i)->text(0);
        }
    }
    for (const QString &name : names) {
        if (name != QLatin1String(".."))
            m_work << name;
    }
}

void TFtp::openLocalEntry()
{
    if (ListeLocale->selectedItems().size() != 1)
        return;
    const QString path = QDir(m_localFolder).filePath(ListeLocale->selectedItems().first()->text(0));
    if (!QFileInfo(path).isDir())
        return;
    QDir::setCurrent(path);
    LitRepert();
}

void TFtp::openRemoteEntry()
{
    const QList<QListWidgetItem *> selected = ListeHote->selectedItems();
    if (selected.size() != 1 || selected.first()->text() == QLatin1String("."))
        return;
    const QString name = selected.first()->text();
    if (m_useSftp && sftpIsFolder(name) == false) {
        sftpOpenEntry(name);
        return;
    }
    ChHost(name);
    if (m_result != QLatin1String("Ok")) {
        // A file, or a folder we may not enter: the list stays as it is.
        if (!m_stop && !m_closing)
            Display(QStringLiteral("! ") + FtpMessages::changeDirFailure(name, serverReply()));
        return;
    }
    m_remoteFolder = name;
    LitHote();
}

// --- connection

bool TFtp::acceptCertificate(const QList<QSslError> &errors, const QSslCertificate &certificate)
{
    if (m_closing)
        return false;
    QElapsedTimer asking;
    asking.start();
    ++m_asking;
    const QString host = FtpClient1->HostName();
    const bool accepted = Platform::confirm(this, TlsTexts::question(host, errors, certificate),
                                            Platform::Buttons::YesNo)
                          == Platform::Answer::Yes;
    m_questionMs += asking.elapsed();
    --m_asking;
    // The engine keeps the accepted errors, with the certificate they are
    // about, for this window's later connections.
    Display(accepted ? QStringLiteral("! Certificat accepté, empreinte SHA-256 : ") + TlsTexts::fingerprint(certificate)
                     : QStringLiteral("! Certificat refusé : connexion abandonnée"));
    return accepted;
}

// The synchronous close leaves its end report queued; taken now, it cannot
// pass for the outcome of the next request's wait.
void TFtp::settle()
{
    QCoreApplication::sendPostedEvents(FtpClient1, QEvent::MetaCall);
}

void TFtp::ConnecterClick()
{
    if (Hote->text().isEmpty() || Usager->text().isEmpty())
        return;
    if (Passe->text().isEmpty() && m_secretsUnavailable) {
        // Without a secret store the password is typed for each connection.
        Platform::warning(this, QStringLiteral("Tapez le mot de passe dans le champ « Passe » : "
                                               "il n'est enregistré nulle part."));
        Passe->setFocus();
        return;
    }
    Deconnecter->setEnabled(true);
    m_featuresAsked = false;
    if (FtpClient1->Busy()) {
        // A command still waits for a server that answers slowly or not at
        // all: a polite QUIT would queue behind it. The session is dropped.
        ++m_ownClose;
        FtpClient1->Abort();
        --m_ownClose;
        settle();
    }
    if (FtpClient1->IsConnected()) {
        ++m_ownClose;
        try {
            FtpClient1->CloseSession();
        } catch (const FtpException &e) {
            Display(QStringLiteral("! ") + e.Message());
        }
        --m_ownClose;
        settle();
    }
    sftpClose();
    m_useSftp = Connexion->currentIndex() == SftpIndex;
    if (m_useSftp) {
        sftpConnect();
        return;
    }
    FtpClient1->setHostName(Hote->text());
    FtpClient1->setPort(PortHote->text().isEmpty() ? QStringLiteral("21") : PortHote->text());
    FtpClient1->setUserName(Usager->text());
    FtpClient1->setPassWord(Passe->text());
    FtpClient1->setDisplayFileFlag(true);
    FtpClient1->setUseTls(Connexion->currentIndex() == 1);
    // A server that never answers can be given up on while we wait.
    Arreter->setEnabled(true);
    if (start([this] { FtpClient1->OpenSession(); }))
        Delay();
    if (m_result != QLatin1String("Ok")) {
        Arreter->setEnabled(false);
        reportOpenFailure();
    }
    if (m_result == QLatin1String("Ok")) {
        setConnectedState(true);
        m_remoteFolder = QStringLiteral(".");
        const QString arrival = DossierDistant->text().trimmed();
        if (!arrival.isEmpty()) {
            ChHost(arrival);
            if (m_result != QLatin1String("Ok") && !m_stop && !m_closing)
                Display(QStringLiteral("! ") + FtpMessages::changeDirFailure(arrival, serverReply()));
            else
                m_remoteFolder = arrival;
        }
        LitHote();
    }
}

void TFtp::reportOpenFailure()
{
    const QString host = FtpClient1->HostName();
    if (m_result.isEmpty()) {
        if (m_closing)
            return;
        // Left to itself the engine would wait on, and refuse the next
        // connection as long as it does.
        const bool stopped = m_stop;
        FtpClient1->Abort();
        settle();
        m_result = QStringLiteral("Nak");
        if (stopped) {
            Display(QStringLiteral("! Connexion arrêtée"));
            return;
        }
        const QString why = FtpMessages::noAnswer(host, (m_waitLimitMs + 999) / 1000);
        Display(QStringLiteral("! ") + why);
        Platform::warning(this, why);
        return;
    }
    if (m_stop) {
        Display(QStringLiteral("! Connexion arrêtée"));
        return;
    }
    QString why;
    if (FtpClient1->UseTls() && FtpClient1->TlsFailure() != ftpTlsNone) {
        // A certificate the user turned down needs no telling.
        why = TlsTexts::failure(FtpClient1->TlsFailure(), FtpClient1->ErrorMessage());
    } else {
        why = FtpMessages::connectionFailure(host, FtpClient1->Port(), FtpClient1->StatusCode(), serverReply());
    }
    if (why.isEmpty())
        return;
    Display(QStringLiteral("! ") + why);
    Platform::warning(this, why);
}

QString TFtp::serverReply() const
{
    if (m_useSftp)
        return m_result.isEmpty() ? QString() : Sftp->errorMessage();
    // A request still running has said nothing yet; what the engine holds
    // belongs to the one before.
    if (m_result.isEmpty())
        return QString();
    return FtpClient1->ErrorMessage().isEmpty() ? FtpClient1->LastResponse() : FtpClient1->ErrorMessage();
}

void TFtp::DeconnecterClick()
{
    if (m_useSftp) {
        sftpClose();
        Deconnecter->setEnabled(false);
        setConnectedState(false);
        ListeHote->clear();
        return;
    }
    ++m_ownClose;
    try {
        FtpClient1->CloseSession();
    } catch (const FtpException &e) {
        Display(QStringLiteral("! ") + e.Message());
        FtpClient1->Abort();
    }
    --m_ownClose;
    settle();
    Deconnecter->setEnabled(false);
    setConnectedState(false);
    ListeHote->clear();
}

void TFtp::ArreterClick()
{
    if (m_useSftp) {
        // The transfer stops at its next block; the session stays open.
        Sftp->cancel();
        m_stop = true;
        m_cancelled = true;
        return;
    }
    const bool wasConnected = Envoyer->isEnabled();
    ++m_ownClose;
    FtpClient1->AbortSession();
    --m_ownClose;
    m_stop = true;
    m_cancelled = true;
    // Stopping ends the session: the commands that need the server wait
    // for a new connection rather than fail one after the other.
    if (wasConnected && !FtpClient1->IsConnected()) {
        setConnectedState(false);
        ListeHote->clear();
        Display(QStringLiteral("! ") + FtpMessages::sessionStopped());
    }
}

void TFtp::sessionClosed()
{
    if (m_closing || m_ownClose > 0 || !Envoyer->isEnabled())
        return;
    // The server ended the session (its idle time-out, a restart): a send
    // or deletion under way stops, and the rest waits for a new connection.
    setConnectedState(false);
    ListeHote->clear();
    m_cancelled = true;
    const QString why = FtpMessages::sessionClosed(FtpClient1->HostName(), FtpClient1->LastResponse());
    Display(QStringLiteral("! ") + why);
    // Not from inside the socket's notification.
    QTimer::singleShot(0, this, [this, why] {
        if (!m_closing)
            Platform::warning(this, why);
    });
}

// --- remote folders

void TFtp::ChHost(const QString &name)
{
    if (m_useSftp) {
        if (sftpStarted(Sftp->changeFolder(name)))
            Delay();
        return;
    }
    FtpClient1->setHostDirName(name);
    if (start([this] { FtpClient1->ChangeDir(); }))
        Delay();
}

void TFtp::MakeDir(const QString &name)
{
    if (m_useSftp) {
        if (sftpStarted(Sftp->makeFolder(name)))
            Delay();
        return;
    }
    FtpClient1->setHostDirName(QStringLiteral("."));
    FtpClient1->setHostFileName(name);
    if (start([this] { FtpClient1->CreateDir(); }))
        Delay();
}

void TFtp::CreerRepertoireClick()
{
    const std::optional<QString> name =
        CommonDialogs::askText(this, QStringLiteral("Nouveau dossier hôte"), QStringLiteral("Nouveau dossier"));
    if (!name || name->isEmpty())
        return;
    MakeDir(*name);
    if (m_result == QLatin1String("Nak") && !m_stop && !m_closing) {
        const QString why = FtpMessages::makeDirFailure(*name, serverReply());
        Display(QStringLiteral("! ") + why);
        Platform::error(this, why);
    }
    LitHote();
}

// --- sending

void TFtp::SendFile(QString remoteFolder, const QString &localPath)
{
    if (m_useSftp) {
        sftpSendFile(localPath);
        return;
    }
    const QFileInfo info(localPath);
    if (!info.isFile())
        return;
    while (!remoteFolder.isEmpty() && Platform::isSeparator(remoteFolder.back()))
        remoteFolder.chop(1);
    if (!TCustomFtpClient::IsSafeArgument(info.fileName()) || !TCustomFtpClient::IsSafeArgument(remoteFolder)) {
        // The name would end the command line early: nothing is sent.
        m_result = QStringLiteral("Nak");
        m_sendFailures << FtpMessages::sendFailure(info.fileName(), false, QString())
                              + QStringLiteral(" (") + FtpMessages::unsafeName(info.fileName()) + u')';
        Display(QStringLiteral("! ") + m_sendFailures.last().mid(2));
        return;
    }
    FtpClient1->setHostDirName(remoteFolder);
    FtpClient1->setHostFileName(info.fileName());
    FtpClient1->setLocalFileName(localPath);
    FtpClient1->setBinary(!FtpListing::isTextFile(localPath));
    if (start([this] { FtpClient1->SetTransferType(); }))
        Delay();
    FtpClient1->SetPassiveMode(ModePassif->isChecked());
    FtpClient1->setDisplayFileFlag(false);
    m_fileSize = info.size();
    m_result.clear();
    // A large file takes as long as it takes, but a server that stops
    // taking data, or never confirms it, is given up on after the wait
    // limit without progress. Any end of the request ends the wait, a
    // refused or failed upload included.
    m_lastProgress.start();
    if (start([this] { FtpClient1->StoreFile(); }))
        waitFor([this] { return !m_result.isEmpty() || m_lastProgress.elapsed() >= m_waitLimitMs; }, 0);
    if (m_result.isEmpty() && !m_stop && !m_closing) {
        // The engine would wait on and refuse every later command.
        ++m_ownClose;
        FtpClient1->Abort();
        --m_ownClose;
        settle();
        m_result = QStringLiteral("Nak");
        setConnectedState(false);
        ListeHote->clear();
        m_cancelled = true;
        m_sendFailures << FtpMessages::sendStalled(info.fileName(), FtpClient1->HostName(),
                                                    (m_waitLimitMs + 999) / 1000);
        Display(QStringLiteral("! ") + m_sendFailures.last().mid(2));
        return;
    }
    if (m_result != QLatin1String("TransferDone") && !m_stop && !m_cancelled && !m_closing) {
        m_sendFailures << FtpMessages::sendFailure(info.fileName(), false, serverReply());
        Display(QStringLiteral("! ") + m_sendFailures.last().mid(2));
    }
}

void TFtp::SendFolder(const QString &folderPath)
{
    using Kind = FtpListing::UploadStep::Kind;
    const QList<FtpListing::UploadStep> steps = FtpListing::folderUpload(folderPath);
    for (qsizetype i = 0; i < steps.size() && !m_cancelled && !m_closing; ++i) {
        const FtpListing::UploadStep &step = steps.at(i);
        switch (step.kind) {
        case Kind::MakeDir:
            // An existing folder only leaves its error in the log.
            MakeDir(step.argument);
            break;
        case Kind::ChangeDir:
            ChHost(step.argument);
            if (m_result != QLatin1String("Ok") && step.argument != QLatin1String("..")) {
                // Sending into the current folder instead would put the files
                // one level too high, over files of the same names; skip the
                // folder's whole branch, which ends with its own "..".
                if (!m_stop && !m_cancelled && !m_closing) {
                    m_sendFailures << FtpMessages::sendFailure(step.argument, true, serverReply());
                    Display(QStringLiteral("! ") + m_sendFailures.last().mid(2));
                }
                int depth = 1;
                while (depth > 0 && ++i < steps.size()) {
                    if (steps.at(i).kind == Kind::ChangeDir)
                        depth += steps.at(i).argument == QLatin1String("..") ? -1 : 1;
                }
            }
            break;
        case Kind::SendFile:
            Progression->setValue(0);
            SendFile(QString(), step.argument);
            break;
        }
    }
}

void TFtp::EnvoyerClick()
{
    if (m_waits > 0 || ListeLocale->selectedItems().isEmpty())
        return;
    m_cancelled = false;
    m_sendFailures.clear();
    Remplit(false);
    Progression->show();
    const QString base = m_localFolder.endsWith(u'/') ? m_localFolder : m_localFolder + u'/';
    for (const QString &name : std::as_const(m_work)) {
        if (m_cancelled || m_closing)
            break;
        const QString path = base + name;
        const QFileInfo info(path);
        Progression->setValue(0);
        m_fileSize = info.size();
        if (info.isDir())
            SendFolder(path);
        else
            SendFile(QString(), path);
        QCoreApplication::processEvents();
    }
    Progression->hide();
    if (m_closing)
        return;
    if (!m_sendFailures.isEmpty())
        Platform::error(this, FtpMessages::sendFailures(m_sendFailures));
    LitHote();
}

void TFtp::ActualiserClick()
{
    if (m_waits > 0)
        return;
    if (m_remoteActive)
        LitHote();
    else
        LitRepert();
}

// --- deleting

void TFtp::EffacerFichierClick()
{
    if (m_waits > 0)
        return;
    if (m_remoteActive)
        Efface2();
    else
        Efface1();
}

void TFtp::Efface1()
{
    if (ListeLocale->selectedItems().isEmpty())
        return;
    const Platform::Answer answer = Platform::confirm(
        this,
        QStringLiteral("Attention, les fichiers ne seront pas récupérables dans la corbeille\n"
                       "Effacer les fichiers sélectionnés ?"),
        Platform::Buttons::OkCancel);
    if (answer != Platform::Answer::Ok)
        return;
    Remplit(false);
    Supprimer();
    LitRepert();
}

void TFtp::Supprimer()
{
    Progression->setValue(0);
    Progression->show();
    const int total = int(m_work.size());
    const QStringList failed = LocalFiles::deleteEntries(
        QDir::currentPath(), m_work,
        [this](const QString &) {
            return Platform::confirm(this, QStringLiteral("Fichier en lecture seule. Effacer quand même ?"),
                                     Platform::Buttons::OkCancel)
                == Platform::Answer::Ok;
        },
        [this, total](int done) {
            Progression->setValue(done * 100 / qMax(1, total));
            QCoreApplication::processEvents();
        });
    Progression->hide();
    if (!failed.isEmpty())
        Platform::error(this, QStringLiteral("Impossible d'effacer entièrement :\n") + failed.join(u'\n'));
}

void TFtp::Efface2()
{
    if (ListeHote->selectedItems().isEmpty())
        return;
    if (Platform::confirm(this, QStringLiteral("Effacer les fichiers sélectionnés ?"), Platform::Buttons::OkCancel)
        != Platform::Answer::Ok)
        return;
    Remplit(true);
    Supprimer2();
    LitHote();
}

void TFtp::SuppFile(const QString &name)
{
    if (m_useSftp) {
        if (sftpStarted(Sftp->removeFile(name)))
            Delay();
        return;
    }
    FtpClient1->setHostFileName(name);
    if (start([this] { FtpClient1->DeleteRemoteFile(); }))
        Delay();
}

void TFtp::SuppRep(const QString &name)
{
    if (m_useSftp) {
        if (sftpStarted(Sftp->removeFolder(name)))
            Delay();
        return;
    }
    FtpClient1->setHostFileName(name);
    if (start([this] { FtpClient1->RemoveDir(); }))
        Delay();
}

std::optional<bool> TFtp::isRemoteFolder(const QString &name)
{
    if (m_useSftp)
        return sftpIsFolder(name);
    ChHost(name);
    if (m_result.isEmpty())
        return std::nullopt;
    if (m_result != QLatin1String("Ok")) {
        // The refusal just logged is the answer we asked for, not a failure.
        if (!m_stop && !m_closing)
            Display(QStringLiteral("! ") + FtpMessages::notAFolder(name));
        return false;
    }
    // Back by the listed folder's own name where we have it: ".." after
    // following a link may lead elsewhere.
    ChHost(m_remotePath.isEmpty() ? QStringLiteral("..") : m_remotePath);
    if (m_result != QLatin1String("Ok"))
        return std::nullopt;
    return true;
}

void TFtp::Supprimer2()
{
    Progression->setValue(0);
    Progression->show();
    m_cancelled = false;
    const int total = int(m_work.size());
    int done = 0;
    QStringList failures;
    for (const QString &name : std::as_const(m_work)) {
        // The name list carries no type, and a dot in a name proves nothing
        // either way ("README", "vs.conf"): the server is asked.
        const std::optional<bool> folder = isRemoteFolder(name);
        if (!folder) {
            failures << (m_result.isEmpty() ? FtpMessages::deletionStopped(name) : FtpMessages::lostFolder(name));
            Display(QStringLiteral("! ") + failures.last().mid(2));
            break;
        }
        if (m_stop || m_cancelled || m_closing)
            break;
        if (*folder)
            SuppRep(name);
        else
            SuppFile(name);
        // No answer in time is not a refusal: the log says so.
        if (m_result == QLatin1String("Nak") && !m_stop && !m_closing) {
            failures << FtpMessages::deleteFailure(name, *folder, serverReply());
            Display(QStringLiteral("! ") + failures.last().mid(2));
        }
        Progression->setValue(++done * 100 / qMax(1, total));
        QCoreApplication::processEvents();
        if (m_stop || m_cancelled || m_closing)
            break;
    }
    Progression->hide();
    if (!failures.isEmpty() && !m_closing)
        Platform::error(this, FtpMessages::deleteFailures(failures));
}
