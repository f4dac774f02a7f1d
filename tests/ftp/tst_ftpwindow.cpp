#include "LocalFtpServer.h"
#include "ScriptedFtpServer.h"
#include "ftp/FtpWindow.h"
#include "platform/CommonDialogs.h"
#include "platform/Messages.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A real FTP server on the loopback address, serving a folder of our own
// and writing down every command it receives.
class LoopbackServer
{
public:
    explicit LoopbackServer(const QString &permissions = QStringLiteral("elradfmw"))
    {
        root = folder.filePath(QStringLiteral("root"));
        QDir().mkpath(root);
        transcriptPath = folder.filePath(QStringLiteral("transcript.txt"));
        process.start(QStringLiteral("/usr/bin/python3"),
                      {PemoTest::sourcePath(QStringLiteral("tests/ftp/data/window_server.py")), root,
                       transcriptPath, permissions});
        if (process.waitForStarted(5000) && process.waitForReadyRead(10000)) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith("PORT "))
                port = QString::fromLatin1(line.mid(5));
        }
    }
    ~LoopbackServer()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
    QStringList transcript() const
    {
        return QString::fromUtf8(readFile(transcriptPath)).split(u'\n', Qt::SkipEmptyParts);
    }
    QString path(const QString &relative) const { return QDir(root).filePath(relative); }

    QTemporaryDir folder;
    QString root;
    QString transcriptPath;
    QString port;
    QProcess process;
};

QStringList remoteNames(TFtp &w)
{
    QStringList names;
    for (int i = 0; i < w.ListeHote->count(); ++i)
        names << w.ListeHote->item(i)->text();
    return names;
}

QTreeWidgetItem *localItem(TFtp &w, const QString &name)
{
    const QList<QTreeWidgetItem *> found = w.ListeLocale->findItems(name, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.first();
}

void selectLocal(TFtp &w, const QStringList &names)
{
    w.ListeLocale->clearSelection();
    for (const QString &name : names) {
        QTreeWidgetItem *item = localItem(w, name);
        QVERIFY2(item, qPrintable(name));
        item->setSelected(true);
    }
}

void selectRemote(TFtp &w, const QStringList &names)
{
    w.ListeHote->clearSelection();
    for (const QString &name : names) {
        const QList<QListWidgetItem *> found = w.ListeHote->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        found.first()->setSelected(true);
    }
}

void connectTo(TFtp &w, const LoopbackServer &server)
{
    w.Hote->setText(QStringLiteral("127.0.0.1"));
    w.PortHote->setText(server.port);
    w.Usager->setText(QStringLiteral("pemo"));
    w.Passe->setText(QStringLiteral("secret"));
    w.ConnecterClick();
    QCOMPARE(w.result(), QStringLiteral("Ok"));
}

} // namespace

class TestFtpWindow : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_local;
    QString m_startDir;
    QList<Platform::MessageRecord> m_boxes;
    QList<Platform::Answer> m_answers;
    // Runs while a question is open, as the user reads it.
    std::function<void()> m_whileAsked;

private Q_SLOTS:
    void initTestCase()
    {
        m_startDir = QDir::currentPath();
        Platform::setMessageHandler([this](const Platform::MessageRecord &box) {
            m_boxes << box;
            if (box.kind == Platform::MessageKind::Question && m_whileAsked)
                m_whileAsked();
            return m_answers.isEmpty() ? Platform::Answer::Cancel : m_answers.takeFirst();
        });
    }
    void cleanupTestCase()
    {
        Platform::setMessageHandler({});
        CommonDialogs::setTextHandler({});
        QDir::setCurrent(m_startDir);
    }
    void init()
    {
        m_whileAsked = {};
        m_boxes.clear();
        m_answers.clear();
        QDir(m_local.path()).removeRecursively();
        QDir().mkpath(m_local.path());
        QDir::setCurrent(m_local.path());
    }

    void startsDisconnected()
    {
        TFtp w;
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Fenêtre Ftp"));
        QVERIFY(w.Connecter->isEnabled());
        QVERIFY(w.Fermer->isEnabled());
        for (QToolButton *b : {w.Arreter, w.Deconnecter, w.Envoyer, w.Actualiser, w.CreerRepertoire, w.EffacerFichier})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(w.ModePassif->isChecked());
        QCOMPARE(w.PortHote->text(), QStringLiteral("21"));
        QCOMPARE(w.Passe->echoMode(), QLineEdit::Password);
        QCOMPARE(w.Hote->accessibleName(), QStringLiteral("Adresse hôte"));
        QVERIFY(w.Progression->isHidden());
        QCOMPARE(w.localFolder(), QDir::currentPath());
        QCOMPARE(w.RepertoireLocal->text(), QDir::currentPath());
        QCOMPARE(w.remoteFolder(), QStringLiteral("/"));
    }

    void connectNeedsHostAndUser_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::newRow("no host") << "" << "pemo";
        QTest::newRow("no user") << "127.0.0.1" << "";
    }
    void connectNeedsHostAndUser()
    {
        QFETCH(QString, host);
        QFETCH(QString, user);
        TFtp w;
        w.show();
        w.Hote->setText(host);
        w.Usager->setText(user);
        w.Connecter->click();
        QVERIFY(!w.Deconnecter->isEnabled());
        QVERIFY(w.Journal->toPlainText().isEmpty());
    }

    void logKeepsItsLastLines()
    {
        TFtp w;
        for (int i = 1; i <= 201; ++i)
            w.Display(QStringLiteral("line %1").arg(i));
        QCOMPARE(w.Journal->document()->blockCount(), 201);
        w.Display(QStringLiteral("line 202"));
        QCOMPARE(w.Journal->document()->blockCount(), 152);
        QCOMPARE(w.Journal->document()->firstBlock().text(), QStringLiteral("line 51"));
        QCOMPARE(w.Journal->document()->lastBlock().text(), QStringLiteral("line 202"));
    }

    void listingFileIsPrivate()
    {
        QString folder;
        {
            TFtp w;
            folder = QFileInfo(w.listingFile()).path();
            QCOMPARE(QFileInfo(w.listingFile()).fileName(), QStringLiteral("ftpdir.tmp"));
            QVERIFY(folder != QDir::tempPath());
            QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());
            w.show();
            w.Fermer->click();
            QVERIFY(!QFile::exists(w.listingFile()));
        }
        QVERIFY(!QFileInfo::exists(folder));
    }

    void localFolderOpensAndDeletes()
    {
        writeFile(QStringLiteral("site/index.htm"), "x");
        writeFile(QStringLiteral("site/images/a.gif"), "GIF89a");
        writeFile(QStringLiteral("keep.txt"), "k");
        writeFile(QStringLiteral("locked.txt"), "l");
        QFile::setPermissions(QStringLiteral("locked.txt"), QFileDevice::ReadOwner);
        TFtp w;
        w.show();
        QVERIFY(!localItem(w, QStringLiteral(".")));
        QCOMPARE(localItem(w, QStringLiteral("locked.txt"))->text(3), QStringLiteral("ar"));

        // Into "site" and back up through "..".
        selectLocal(w, {QStringLiteral("site")});
        Q_EMIT w.ListeLocale->itemActivated(localItem(w, QStringLiteral("site")), 0);
        QCOMPARE(w.localFolder(), m_local.filePath(QStringLiteral("site")));
        QVERIFY(localItem(w, QStringLiteral("images")));
        selectLocal(w, {QStringLiteral("..")});
        Q_EMIT w.ListeLocale->itemActivated(localItem(w, QStringLiteral("..")), 0);
        QCOMPARE(w.localFolder(), m_local.path());

        // Cancel at the first question keeps everything.
        selectLocal(w, {QStringLiteral("site"), QStringLiteral("locked.txt"), QStringLiteral("..")});
        m_answers = {Platform::Answer::Cancel};
        w.EffacerFichier->setEnabled(true);
        w.EffacerFichierClick();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QStringLiteral("Attention, les fichiers ne seront pas récupérables dans la "
                                                 "corbeille\nEffacer les fichiers sélectionnés ?"));
        QVERIFY(QFile::exists(QStringLiteral("site/index.htm")));

        // OK, then OK for the read-only file: ".." is never part of the work.
        m_boxes.clear();
        selectLocal(w, {QStringLiteral("site"), QStringLiteral("locked.txt"), QStringLiteral("..")});
        m_answers = {Platform::Answer::Ok, Platform::Answer::Ok};
        QTest::keyClick(w.ListeLocale, Qt::Key_Delete);
        QCOMPARE(w.workList(), QStringList({QStringLiteral("locked.txt"), QStringLiteral("site")}));
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[1].text, QStringLiteral("Fichier en lecture seule. Effacer quand même ?"));
        QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"keep.txt"}));
        QVERIFY(!localItem(w, QStringLiteral("site")));
        QVERIFY(w.Progression->isHidden());
    }

    void publishesFilesAndFolders_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active") << false;
    }
    void publishesFilesAndFolders()
    {
        QFETCH(bool, passive);
        LoopbackServer server;
        QVERIFY(!server.port.isEmpty());
        QDir().mkpath(server.path(QStringLiteral("old")));
        writeFile(QStringLiteral("Index.HTM"), "<p>page</p>\n");
        QByteArray photo;
        for (int i = 0; i < 5000; ++i)
            photo.append(char(i * 7));
        writeFile(QStringLiteral("photo.jpg"), photo);
        writeFile(QStringLiteral("README"), "a\r\nb\n");
        writeFile(QStringLiteral("site/index.htm"), "<p>site</p>\n");
        writeFile(QStringLiteral("site/images/a.gif"), QByteArray("GIF89a\r\n\x00\x01", 10));

        TFtp w;
        w.show();
        w.ModePassif->setChecked(passive);
        connectTo(w, server);
        QVERIFY(w.Envoyer->isEnabled());
        QCOMPARE(w.remoteFolder(), QStringLiteral("."));
        QCOMPARE(remoteNames(w), QStringList({QStringLiteral("old")}));

        selectLocal(w, {QStringLiteral("Index.HTM"), QStringLiteral("photo.jpg"), QStringLiteral("README"),
                        QStringLiteral("site")});
        w.Envoyer->click();
        QVERIFY(w.Progression->isHidden());

        QCOMPARE(readFile(server.path(QStringLiteral("Index.HTM"))), QByteArray("<p>page</p>\n"));
        QCOMPARE(readFile(server.path(QStringLiteral("photo.jpg"))), photo);
        QCOMPARE(readFile(server.path(QStringLiteral("README"))), QByteArray("a\r\nb\n"));
        QCOMPARE(readFile(server.path(QStringLiteral("site/index.htm"))), QByteArray("<p>site</p>\n"));
        QCOMPARE(readFile(server.path(QStringLiteral("site/images/a.gif"))), QByteArray("GIF89a\r\n\x00\x01", 10));
        // Back in the starting folder, which now lists what was sent.
        QCOMPARE(remoteNames(w), QStringList({"Index.HTM", "old", "photo.jpg", "README", "site"}));

        const QStringList transcript = server.transcript();
        const auto typeBefore = [&](const QString &stor) {
            const qsizetype at = transcript.indexOf(stor);
            for (qsizetype i = at; i >= 0; --i)
                if (transcript[i].startsWith(QLatin1String("TYPE ")))
                    return transcript[i];
            return QString();
        };
        QCOMPARE(typeBefore(QStringLiteral("STOR Index.HTM")), QStringLiteral("TYPE A"));
        QCOMPARE(typeBefore(QStringLiteral("STOR photo.jpg")), QStringLiteral("TYPE I"));
        QCOMPARE(typeBefore(QStringLiteral("STOR README")), QStringLiteral("TYPE I"));
        const QString dataPort = passive ? QStringLiteral("PASV") : QStringLiteral("PORT 127,0,0,1,");
        const QString otherPort = passive ? QStringLiteral("PORT ") : QStringLiteral("PASV");
        QVERIFY(std::any_of(transcript.begin(), transcript.end(), [&](const QString &l) { return l.startsWith(dataPort); }));
        QVERIFY(std::none_of(transcript.begin(), transcript.end(), [&](const QString &l) { return l.startsWith(otherPort); }));
        // The folder's own steps, in order.
        QStringList folderSteps;
        for (const QString &line : transcript) {
            if (line.startsWith(QLatin1String("MKD ")) || line.startsWith(QLatin1String("CWD "))
                || line == QLatin1String("STOR index.htm") || line == QLatin1String("STOR a.gif"))
                folderSteps << line;
        }
        QCOMPARE(folderSteps, QStringList({"MKD site", "CWD site", "STOR index.htm", "MKD images", "CWD images",
                                           "STOR a.gif", "CWD ..", "CWD .."}));
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("Request 17 Done.")));
    }

    void refusedWritesAreToldInFrench()
    {
        // A user who may list but not write: every STOR and MKD is refused.
        LoopbackServer server(QStringLiteral("elr"));
        writeFile(QStringLiteral("page.htm"), "x");
        writeFile(QStringLiteral("site/index.htm"), "y");
        TFtp w;
        w.show();
        connectTo(w, server);
        selectLocal(w, {QStringLiteral("page.htm"), QStringLiteral("site")});
        w.Envoyer->click();
        QVERIFY(!QFile::exists(server.path(QStringLiteral("page.htm"))));
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("Error = 550")));
        // The refused MKD of the folder is only logged; the CWD that follows
        // tells that the folder did not go.
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Error);
        const QStringList lines = m_boxes[0].text.split(u'\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("Impossible d'envoyer sur le serveur :"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("- «\u00A0page.htm\u00A0» : le fichier n'a pas été envoyé ; "
                                                    "réponse du serveur : 550 ")),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(QStringLiteral("- «\u00A0site\u00A0» : le dossier n'a pas été envoyé ; "
                                                    "réponse du serveur : 550 ")),
                 qPrintable(lines[2]));
        QVERIFY(!server.transcript().contains(QStringLiteral("STOR index.htm")));

        m_boxes.clear();
        CommonDialogs::setTextHandler([](const CommonDialogs::TextRequest &) -> std::optional<QString> {
            return QStringLiteral("neuf");
        });
        w.CreerRepertoire->click();
        CommonDialogs::setTextHandler({});
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Error);
        QVERIFY2(m_boxes[0].text.startsWith(QStringLiteral("Le dossier «\u00A0neuf\u00A0» n'a pas été créé sur le "
                                                           "serveur.\nRéponse du serveur : 550 ")),
                 qPrintable(m_boxes[0].text));
    }

    void remoteFoldersAndDeletionByTheServersTypes()
    {
        LoopbackServer server;
        writeFile(server.path(QStringLiteral("Makefile")), "all:\n");
        writeFile(server.path(QStringLiteral("gone.htm")), "x");
        QDir().mkpath(server.path(QStringLiteral("old.site")));
        QDir().mkpath(server.path(QStringLiteral("docs/inner")));
        TFtp w;
        w.show();
        connectTo(w, server);
        QCOMPARE(remoteNames(w), QStringList({"docs", "gone.htm", "Makefile", "old.site"}));

        // Opening a remote folder lists it, with the way back up first
        // (the server does not list ".."; "." never shows).
        selectRemote(w, {QStringLiteral("docs")});
        Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        QCOMPARE(w.remoteFolder(), QStringLiteral("docs"));
        QCOMPARE(remoteNames(w), QStringList({QStringLiteral(".."), QStringLiteral("inner")}));
        selectRemote(w, {QStringLiteral("inner")});
        Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        QCOMPARE(remoteNames(w), QStringList({QStringLiteral("..")}));
        for (int up = 0; up < 2; ++up) {
            selectRemote(w, {QStringLiteral("..")});
            Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        }
        QCOMPARE(remoteNames(w), QStringList({"docs", "gone.htm", "Makefile", "old.site"}));

        // A file does not open as a folder: the list stays, the log says why.
        const QString folderBefore = w.remoteFolder();
        selectRemote(w, {QStringLiteral("Makefile")});
        Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        QCOMPARE(w.remoteFolder(), folderBefore);
        QCOMPARE(remoteNames(w), QStringList({"docs", "gone.htm", "Makefile", "old.site"}));
        QVERIFY(w.Journal->toPlainText().contains(
            QStringLiteral("! Impossible d'ouvrir « Makefile » sur le serveur ; réponse du serveur : 550 ")));

        // "Créer répertoire local" makes a folder on the server.
        CommonDialogs::setTextHandler([](const CommonDialogs::TextRequest &request) -> std::optional<QString> {
            if (request.caption != QStringLiteral("Nouveau dossier hôte")
                || request.prompt != QStringLiteral("Nouveau dossier"))
                return std::nullopt;
            return QStringLiteral("neuf");
        });
        w.CreerRepertoire->click();
        CommonDialogs::setTextHandler({});
        QVERIFY(QFileInfo(server.path(QStringLiteral("neuf"))).isDir());
        QVERIFY(remoteNames(w).contains(QStringLiteral("neuf")));

        // Files go by DELE and folders by RMD as the server knows them, dot
        // or no dot; a folder that is not empty stays, and the user is told.
        selectRemote(w, {QStringLiteral("Makefile"), QStringLiteral("old.site"), QStringLiteral("gone.htm"),
                         QStringLiteral("neuf"), QStringLiteral("docs")});
        m_answers = {Platform::Answer::Ok};
        w.ListeHote->setFocus();
        QTest::keyClick(w.ListeHote, Qt::Key_Delete);
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[0].text, QStringLiteral("Effacer les fichiers sélectionnés ?"));
        QCOMPARE(m_boxes[1].kind, Platform::MessageKind::Error);
        const QString notEmpty = QStringLiteral("Impossible d'effacer sur le serveur :\n"
                                                "- «\u00A0docs\u00A0» : le dossier n'a pas été supprimé (un dossier "
                                                "doit être vide pour être supprimé) ; réponse du serveur : 550 ");
        QVERIFY2(m_boxes[1].text.startsWith(notEmpty), qPrintable(m_boxes[1].text));
        QCOMPARE(m_boxes[1].text.count(u'\n'), 1);
        const QStringList transcript = server.transcript();
        for (const char *line : {"DELE Makefile", "RMD old.site", "DELE gone.htm", "RMD neuf", "RMD docs"})
            QVERIFY2(transcript.contains(QLatin1String(line)), line);
        QVERIFY(!transcript.contains(QStringLiteral("RMD Makefile")));
        QVERIFY(!transcript.contains(QStringLiteral("DELE old.site")));
        QCOMPARE(remoteNames(w), QStringList({QStringLiteral("docs")}));
        QVERIFY(QFileInfo(server.path(QStringLiteral("docs/inner"))).isDir());
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("! « Makefile » n'est pas un dossier : effacé comme fichier")));

        w.Deconnecter->click();
        QVERIFY(!w.Envoyer->isEnabled());
        QVERIFY(!w.Deconnecter->isEnabled());
        QCOMPARE(w.ListeHote->count(), 0);
    }

    void connectionFailureSaidInFrench_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("message"); // %1: the port
        QTest::addColumn<int>("waitLimit");
        // The server makes a wrong password wait three seconds.
        QTest::newRow("wrong password")
            << "ftp"
            << "Le serveur «\u00A0127.0.0.1\u00A0» refuse l'identification : nom d'usager ou mot de passe "
               "incorrect.\nRéponse du serveur : 530 Authentication failed." << 8000;
        QTest::newRow("nothing listens on the port")
            << "none"
            << "Le serveur «\u00A0127.0.0.1\u00A0» refuse la connexion sur le port %1 : aucun serveur FTP n'y "
               "répond." << 2000;
        QTest::newRow("server never answers")
            << "silent"
            << "Le serveur «\u00A0127.0.0.1\u00A0» n'a pas répondu en 2 secondes : la connexion est abandonnée." << 2000;
        QTest::newRow("Arrêter while waiting: no message") << "stopped" << "" << 2000;
    }
    void connectionFailureSaidInFrench()
    {
        QFETCH(QString, server);
        QFETCH(QString, message);
        QFETCH(int, waitLimit);
        std::unique_ptr<LoopbackServer> ftp;
        QTcpServer silent;
        QString port;
        if (server == QLatin1String("ftp")) {
            ftp = std::make_unique<LoopbackServer>();
            port = ftp->port;
        } else {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            port = QString::number(silent.serverPort());
            if (server == QLatin1String("none"))
                silent.close();
        }
        QVERIFY(!port.isEmpty());
        TFtp w;
        w.show();
        w.setWaitLimit(waitLimit);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(port);
        w.Usager->setText(QStringLiteral("pemo"));
        w.Passe->setText(QStringLiteral("faux"));
        bool stopEnabledWhileWaiting = false;
        QTimer::singleShot(300, &w, [&] {
            stopEnabledWhileWaiting = w.Arreter->isEnabled();
            if (server == QLatin1String("stopped"))
                w.Arreter->click();
        });
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Nak"));
        if (server == QLatin1String("silent") || server == QLatin1String("stopped"))
            QVERIFY(stopEnabledWhileWaiting);
        if (message.isEmpty()) {
            QVERIFY(m_boxes.isEmpty());
            QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("! Connexion arrêtée")));
        } else {
            QCOMPARE(m_boxes.size(), 1);
            QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Warning);
            if (message.contains(QLatin1String("%1")))
                message = message.arg(port);
            QCOMPARE(m_boxes[0].text, message);
            // The log's plain text turns no-break spaces into spaces.
            const QString logged = QStringLiteral("! ") + message.replace(QChar(0xA0), u' ');
            QVERIFY(w.Journal->toPlainText().contains(logged));
        }
        // Ready for the next try.
        QVERIFY(w.Connecter->isEnabled());
        QVERIFY(w.Deconnecter->isEnabled());
        for (QToolButton *b : {w.Arreter, w.Envoyer, w.Actualiser, w.CreerRepertoire, w.EffacerFichier})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        // After a refused login the server keeps the line open; the next
        // "Connecter" closes it first.
        QVERIFY(!w.FtpClient1->IsConnected() || ftp);
        QCOMPARE(w.FtpClient1->State(), ftpStReady);
        if (ftp) {
            m_boxes.clear();
            w.Passe->setText(QStringLiteral("secret"));
            w.ConnecterClick();
            QCOMPARE(w.result(), QStringLiteral("Ok"));
            QVERIFY(m_boxes.isEmpty());
        }
    }

    void sessionEndedWaitsForANewConnection_data()
    {
        QTest::addColumn<bool>("byServer");
        QTest::newRow("the server closes it: said in French") << true;
        QTest::newRow("Arrêter: logged") << false;
    }
    void sessionEndedWaitsForANewConnection()
    {
        QFETCH(bool, byServer);
        auto server = std::make_unique<LoopbackServer>();
        writeFile(QStringLiteral("page.htm"), "x");
        TFtp w;
        w.show();
        connectTo(w, *server);
        if (byServer) {
            server.reset(); // the server stops, its sessions with it
            QTRY_VERIFY(!w.Envoyer->isEnabled());
            const QString why = QStringLiteral("Le serveur «\u00A0127.0.0.1\u00A0» a fermé la connexion : "
                                               "reconnectez-vous pour continuer.");
            QTRY_COMPARE(m_boxes.size(), 1);
            QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Warning);
            QCOMPARE(m_boxes[0].text, why);
        } else {
            w.Arreter->click();
            QVERIFY(m_boxes.isEmpty());
            QVERIFY(w.Journal->toPlainText().contains(
                QStringLiteral("! Session arrêtée : reconnectez-vous pour continuer.")));
        }
        for (QToolButton *b : {w.Arreter, w.Envoyer, w.Actualiser, w.CreerRepertoire, w.EffacerFichier})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(w.Connecter->isEnabled());
        QCOMPARE(w.ListeHote->count(), 0);

        if (!server)
            server = std::make_unique<LoopbackServer>();
        m_boxes.clear();
        connectTo(w, *server);
        QVERIFY(w.Envoyer->isEnabled());
        QVERIFY(m_boxes.isEmpty());
    }

    void silentServerInASessionIsLoggedInFrench()
    {
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("USER"), "331 Password required\r\n");
        server.replies.insert(QStringLiteral("PASS"), "230 Logged in\r\n");
        server.replies.insert(QStringLiteral("PWD"), "257 \"/site\" is the current directory\r\n");
        server.downloadData = "docs\r\nindex.htm\r\n";
        // A command the server never answers.
        server.onCommand = [](const QString &line) { return line.startsWith(QLatin1String("CWD ")); };
        TFtp w;
        w.show();
        w.setWaitLimit(2000);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(server.port()));
        w.Usager->setText(QStringLiteral("pemo"));
        w.Passe->setText(QStringLiteral("secret"));
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QCOMPARE(remoteNames(w), QStringList({"..", "docs", "index.htm"}));

        // Deleting stops at the first name whose type went unanswered:
        // should the answer come later, the next names would be taken in
        // the wrong folder.
        selectRemote(w, {QStringLiteral("docs"), QStringLiteral("index.htm")});
        m_answers = {Platform::Answer::Ok};
        w.ListeHote->setFocus();
        QTest::keyClick(w.ListeHote, Qt::Key_Delete);
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[1].text, QStringLiteral("Impossible d'effacer sur le serveur :\n- «\u00A0docs\u00A0» : le "
                                                 "serveur ne répond pas, effacement arrêté"));
        QCOMPARE(server.transcript.filter(QRegularExpression(QStringLiteral("^(CWD|DELE|RMD) "))),
                 QStringList({QStringLiteral("CWD docs")}));
        const QString log = w.Journal->toPlainText();
        QVERIFY(log.contains(QStringLiteral("! Le serveur « 127.0.0.1 » n'a pas répondu en 2 secondes : les "
                                            "commandes suivantes attendront sa réponse (« Arrêter » l'abandonne).")));
        // The listing that follows is refused by the engine, still waiting.
        QVERIFY(log.contains(
            QStringLiteral("! Commande non envoyée : le serveur n'a pas encore répondu à la précédente.")));
    }

    // A server that fails in the middle of a publish: the window keeps its
    // event loop turning, says in French what happened, connects again at
    // once, and the file sent again arrives whole; the local file is left
    // as it was.
    void faultsDuringAPublish_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::newRow("stops answering mid-transfer") << QStringLiteral("silent") << QStringLiteral("ne répond plus");
        QTest::newRow("closes the control connection during the upload")
            << QStringLiteral("closeControl") << QStringLiteral("a fermé la connexion");
        QTest::newRow("closes the data connection early, then says 226")
            << QStringLiteral("cutData") << QStringLiteral("le fichier n'a pas été envoyé");
        QTest::newRow("refuses the data connection")
            << QStringLiteral("refuseData") << QStringLiteral("le fichier n'a pas été envoyé");
        QTest::newRow("answers one byte a second") << QStringLiteral("slow") << QStringLiteral("n'a pas répondu en 2 secondes");
        QTest::newRow("sends a 10 MB line") << QStringLiteral("longLine") << QStringLiteral("le fichier n'a pas été envoyé");
        QTest::newRow("sends garbage") << QStringLiteral("garbage") << QStringLiteral("le fichier n'a pas été envoyé");
    }
    void faultsDuringAPublish()
    {
        QFETCH(QString, fault);
        QFETCH(QString, said);
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("PWD"), "257 \"/site\" is the current directory\r\n");
        server.downloadData = "index.htm\r\n";
        QByteArray page = "<!DOCTYPE html>\n<p>Déjà l\u2019été à Noël\u00A0!</p>\n";
        // Larger than what the system's buffers take in at once, so that a
        // server that stops reading is seen before the file is all handed over.
        while (page.size() < 6 * 1024 * 1024)
            page += "<p>ligne de contenu pour remplir la page</p>\n";
        writeFile(QStringLiteral("page.htm"), page);
        const QDateTime modified = QFileInfo(QStringLiteral("page.htm")).lastModified();
        QTcpServer closedPort;
        QVERIFY(closedPort.listen(QHostAddress::LocalHost, 0));
        const quint16 refusedPort = closedPort.serverPort();
        closedPort.close();
        bool faulty = false;
        // The slow server drips its reply to TYPE and never answers QUIT in
        // that session: only a new session stops it.
        bool stuck = false;
        server.onCommand = [&](const QString &line) {
            if (line.startsWith(QLatin1String("USER ")))
                stuck = false;
            if (stuck && line == QLatin1String("QUIT"))
                return true;
            if (!faulty)
                return false;
            if (fault == QLatin1String("refuseData") && line == QLatin1String("PASV")) {
                server.send(QStringLiteral("227 Entering Passive Mode (127,0,0,1,%1,%2)\r\n")
                                .arg(refusedPort / 256).arg(refusedPort % 256).toLatin1());
                return true;
            }
            if (fault == QLatin1String("slow") && line.startsWith(QLatin1String("TYPE "))) {
                auto *drip = new QTimer(&server);
                auto rest = std::make_shared<QByteArray>("200 Type set\r\n");
                stuck = true;
                QObject::connect(drip, &QTimer::timeout, &server, [&server, &stuck, drip, rest] {
                    if (!stuck || rest->isEmpty()) {
                        drip->stop();
                        return;
                    }
                    server.send(rest->left(1));
                    rest->remove(0, 1);
                });
                drip->start(1000);
                return true;
            }
            if (!line.startsWith(QLatin1String("STOR ")))
                return false;
            if (fault == QLatin1String("longLine")) {
                for (int i = 0; i < 10; ++i)
                    server.send(QByteArray(1024 * 1024, 'x'));
                server.send("\r\n553 Refused\r\n");
                return true;
            }
            if (fault == QLatin1String("garbage")) {
                server.send("\xff\xfe\x01garbage \xc3(\r\n\x80\x81\r\n451 Local error\r\n");
                return true;
            }
            if (fault == QLatin1String("refuseData")) {
                server.send("425 Can't open data connection\r\n");
                return true;
            }
            if (fault == QLatin1String("silent")) {
                server.send("150 Ok to send data\r\n"); // and nothing more, ever
                return true;
            }
            if (fault == QLatin1String("closeControl")) {
                server.send("150 Ok to send data\r\n");
                QTimer::singleShot(50, &server, [&] { server.closeControl(); });
                return true;
            }
            server.cutUploadShort = fault == QLatin1String("cutData");
            return false;
        };
        TFtp w;
        w.show();
        w.setWaitLimit(1500);
        w.ModePassif->setChecked(true);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(server.port()));
        w.Usager->setText(QStringLiteral("pemo"));
        w.Passe->setText(QStringLiteral("secret"));
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        w.LitRepert();

        QElapsedTimer gapClock;
        qint64 longestGap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = qMax(longestGap, gapClock.restart());
        });
        faulty = true;
        gapClock.start();
        ticker.start(10);
        selectLocal(w, {QStringLiteral("page.htm")});
        w.EnvoyerClick();
        ticker.stop();
        QVERIFY2(longestGap <= 100, qPrintable(QString::number(longestGap)));
        QTRY_VERIFY(!m_boxes.isEmpty());
        const QString told = w.Journal->toPlainText() + u'\n';
        QString boxes;
        for (const Platform::MessageRecord &box : std::as_const(m_boxes))
            boxes += box.text + u'\n';
        QVERIFY2(QString(told + boxes).contains(said), qPrintable(boxes));
        QCOMPARE(readFile(QStringLiteral("page.htm")), page);
        QCOMPARE(QFileInfo(QStringLiteral("page.htm")).lastModified(), modified);

        faulty = false;
        server.cutUploadShort = false;
        m_boxes.clear();
        QVERIFY(w.Connecter->isEnabled());
        QElapsedTimer reconnecting;
        reconnecting.start();
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QVERIFY2(reconnecting.elapsed() < 1000, qPrintable(QString::number(reconnecting.elapsed())));
        w.LitRepert();
        selectLocal(w, {QStringLiteral("page.htm")});
        w.EnvoyerClick();
        QVERIFY2(m_boxes.isEmpty(), m_boxes.isEmpty() ? "" : qPrintable(m_boxes.first().text));
        QCOMPARE(server.uploaded.size(), page.size());
        QCOMPARE(server.uploaded, page);
        QCOMPARE(readFile(QStringLiteral("page.htm")), page);
    }

    // Names the server lists may hold line breaks: they show, but a command
    // with them is not sent, and the user is told why.
    void listedNameWithALineBreakIsNotSent()
    {
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("PWD"), "257 \"/site\" is the current directory\r\n");
        server.downloadData = "docs\rDELE index.htm\r\nindex.htm\r\n";
        TFtp w;
        w.show();
        w.setWaitLimit(1500);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(server.port()));
        w.Usager->setText(QStringLiteral("pemo"));
        w.Passe->setText(QStringLiteral("secret"));
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QVERIFY(remoteNames(w).contains(QStringLiteral("docs\rDELE index.htm")));
        selectRemote(w, {QStringLiteral("docs\rDELE index.htm")});
        m_answers = {Platform::Answer::Ok};
        w.ListeHote->setFocus();
        QTest::keyClick(w.ListeHote, Qt::Key_Delete);
        QCOMPARE(server.transcript.filter(QRegularExpression(QStringLiteral("^(CWD|DELE|RMD)"))), QStringList());
        QVERIFY(w.Journal->toPlainText().contains(
            QStringLiteral("! Commande non envoyée : le nom contient un retour à la ligne ou un caractère nul")));
    }

    // A server whose names are not UTF-8: they read as Windows-1252, and go
    // back in the same bytes, so an accented name can still be deleted.
    void windows1252NamesAreSentBackAsListed()
    {
        ScriptedFtpServer server;
        server.replies.insert(QStringLiteral("PWD"), "257 \"/site\" is the current directory\r\n");
        server.replies.insert(QStringLiteral("CWD"), "550 Not a directory\r\n");
        server.downloadData = "caf\xe9.htm\r\n\x80uros.txt\r\nindex.htm\r\n";
        TFtp w;
        w.show();
        w.setWaitLimit(1500);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(server.port()));
        w.Usager->setText(QStringLiteral("pemo"));
        w.Passe->setText(QStringLiteral("secret"));
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QCOMPARE(remoteNames(w), QStringList({"..", "café.htm", "index.htm", "€uros.txt"}));
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("ne sont pas en UTF-8")));
        selectRemote(w, {QStringLiteral("café.htm"), QStringLiteral("€uros.txt")});
        m_answers = {Platform::Answer::Ok};
        w.ListeHote->setFocus();
        QTest::keyClick(w.ListeHote, Qt::Key_Delete);
        QVERIFY(server.rawTranscript.contains(QByteArray("DELE caf\xe9.htm")));
        QVERIFY(server.rawTranscript.contains(QByteArray("DELE \x80uros.txt")));

        // A new connection starts in UTF-8 again.
        server.downloadData = "été.htm\r\n";
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QCOMPARE(remoteNames(w), QStringList({"..", "été.htm"}));
        QVERIFY(!w.FtpClient1->Windows1252Names());
    }

    void secureConnectionRefusedByServer()
    {
        LoopbackServer server; // no TLS there
        QVERIFY(!server.port.isEmpty());
        TFtp w;
        w.show();
        w.Connexion->setCurrentIndex(1);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(server.port);
        w.Usager->setText(QStringLiteral("pemo"));
        w.Passe->setText(QStringLiteral("secret"));
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Nak"));
        QVERIFY(!w.Envoyer->isEnabled());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Warning);
        const QString refused = QStringLiteral("Le serveur refuse la connexion sécurisée (TLS) : 500 ");
        QVERIFY2(m_boxes[0].text.startsWith(refused), qPrintable(m_boxes[0].text));
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("! ") + refused));
        // Never in clear: neither the user nor the password went out.
        const QStringList transcript = server.transcript();
        QVERIFY2(transcript.contains(QStringLiteral("AUTH TLS")), qPrintable(transcript.join(u'|')));
        for (const QString &line : transcript) {
            QVERIFY2(!line.startsWith(QLatin1String("USER")) && !line.startsWith(QLatin1String("PASS")),
                     qPrintable(line));
        }
    }

    void secureConnectionAsksAboutTheCertificate_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("refused") << false;
        QTest::newRow("accepted, then a text and a picture sent") << true;
    }
    void secureConnectionAsksAboutTheCertificate()
    {
        QFETCH(bool, accept);
        if (!QSslSocket::supportsSsl())
            QSKIP("Qt has no TLS library here");
        if (!QFileInfo(QStringLiteral("/usr/sbin/vsftpd")).isExecutable()
            || !QFileInfo(QStringLiteral("/usr/bin/openssl")).isExecutable())
            QSKIP("vsftpd or openssl is not installed (scripts/install-deps.sh installs both)");
        LocalFtpServer server(LocalFtpServer::Daemon);
        server.setTls(true);
        QVERIFY2(server.start(), qPrintable(server.reason()));
        // The fingerprint as the certificate tool itself gives it.
        QProcess tool;
        tool.start(QStringLiteral("/usr/bin/openssl"), {QStringLiteral("x509"), QStringLiteral("-noout"),
                                                        QStringLiteral("-fingerprint"), QStringLiteral("-sha256"),
                                                        QStringLiteral("-in"), server.certificateFile()});
        QVERIFY(tool.waitForFinished(30000));
        const QString fingerprint = QString::fromLatin1(tool.readAllStandardOutput()).trimmed().section(u'=', 1);
        QCOMPARE(fingerprint.size(), 32 * 3 - 1);

        writeFile(QStringLiteral("Index.HTM"), "<p>page \xe9t\xe9</p>\r\n");
        QByteArray photo;
        for (int i = 0; i < 300000; ++i)
            photo.append(char((i * 131) >> 3));
        writeFile(QStringLiteral("photo.jpg"), photo);

        TFtp w;
        w.show();
        w.Connexion->setCurrentIndex(1);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(server.port()));
        w.Usager->setText(server.userName());
        w.Passe->setText(server.passWord());
        m_answers = {accept ? Platform::Answer::Yes : Platform::Answer::No};
        w.ConnecterClick();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Question);
        QCOMPARE(m_boxes[0].text,
                 QStringLiteral("Le certificat du serveur «\u00A0127.0.0.1\u00A0» n'est pas vérifié :\n"
                                "- le certificat est établi au nom de «\u00A0localhost\u00A0», "
                                "pas de «\u00A0127.0.0.1\u00A0»\n"
                                "- le certificat est auto-signé : aucune autorité reconnue ne le garantit\n"
                                "Empreinte SHA-256 : ")
                     + fingerprint + QStringLiteral("\n\nSe connecter quand même ?"));
        const QString log = w.Journal->toPlainText();
        if (!accept) {
            QCOMPARE(w.result(), QStringLiteral("Nak"));
            QVERIFY(!w.Envoyer->isEnabled());
            QVERIFY(log.contains(QStringLiteral("! Certificat refusé : connexion abandonnée")));
            QVERIFY(!log.contains(QStringLiteral("> USER")));
            QVERIFY(!server.protocolLog().contains(QStringLiteral("\"USER")));
            return;
        }
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QVERIFY(w.Envoyer->isEnabled());
        QVERIFY(log.contains(QStringLiteral("! Certificat accepté, empreinte SHA-256 : ") + fingerprint));

        selectLocal(w, {QStringLiteral("Index.HTM"), QStringLiteral("photo.jpg")});
        w.Envoyer->click();
        QCOMPARE(readFile(server.root() + QStringLiteral("/Index.HTM")), QByteArray("<p>page \xe9t\xe9</p>\r\n"));
        QCOMPARE(readFile(server.root() + QStringLiteral("/photo.jpg")), photo);
        // This daemon runs without a change of root: its folder is not "/",
        // so the way up shows.
        QCOMPARE(remoteNames(w), QStringList({QStringLiteral(".."), QStringLiteral("Index.HTM"),
                                              QStringLiteral("photo.jpg")}));
        const QString protocol = server.protocolLog();
        QVERIFY(protocol.contains(QStringLiteral("\"STOR Index.HTM\"")));
        QVERIFY(protocol.contains(QStringLiteral("\"PROT P\"")));

        // Accepted once for the window: data connections and a new session
        // do not ask again.
        w.Deconnecter->click();
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QCOMPARE(m_boxes.size(), 1);
    }
    void slowCertificateAnswer_data()
    {
        QTest::addColumn<bool>("serverGone");
        QTest::newRow("answered after the wait limit: the session goes on") << false;
        QTest::newRow("server gone meanwhile: said in French, ready to connect again") << true;
    }
    void slowCertificateAnswer()
    {
        QFETCH(bool, serverGone);
        if (!QSslSocket::supportsSsl())
            QSKIP("Qt has no TLS library here");
        if (!QFileInfo(QStringLiteral("/usr/sbin/vsftpd")).isExecutable()
            || !QFileInfo(QStringLiteral("/usr/bin/openssl")).isExecutable())
            QSKIP("vsftpd or openssl is not installed (scripts/install-deps.sh installs both)");
        auto server = std::make_unique<LocalFtpServer>(LocalFtpServer::Daemon);
        server->setTls(true);
        QVERIFY2(server->start(), qPrintable(server->reason()));

        TFtp w;
        w.show();
        // The user reads the question for longer than the window waits for
        // a server: that time is the user's.
        w.setWaitLimit(3000);
        w.Connexion->setCurrentIndex(1);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(server->port()));
        w.Usager->setText(server->userName());
        w.Passe->setText(server->passWord());
        m_answers = {Platform::Answer::Yes};
        m_whileAsked = [&] {
            if (serverGone)
                server->stop();
            QTest::qWait(4500);
        };
        w.ConnecterClick();
        m_whileAsked = {};
        QVERIFY(m_boxes.size() >= 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Question);
        if (!serverGone) {
            QCOMPARE(w.result(), QStringLiteral("Ok"));
            QCOMPARE(m_boxes.size(), 1);
            for (QToolButton *b : {w.Arreter, w.Envoyer, w.Actualiser, w.CreerRepertoire, w.EffacerFichier})
                QVERIFY2(b->isEnabled(), qPrintable(b->text()));
            QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("Request 8 Done.")));
            return;
        }
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[1].kind, Platform::MessageKind::Warning);
        QCOMPARE(m_boxes[1].text, QStringLiteral("Le serveur «\u00A0127.0.0.1\u00A0» a fermé la connexion.\n"
                                                 "Réponse du serveur : 426 Connection closed by the server"));
        QVERIFY(w.Connecter->isEnabled());
        for (QToolButton *b : {w.Arreter, w.Envoyer, w.Actualiser, w.CreerRepertoire, w.EffacerFichier})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(!w.FtpClient1->IsConnected());

        // A server that is there again takes the next connection.
        server = std::make_unique<LocalFtpServer>(LocalFtpServer::Daemon);
        server->setTls(true);
        QVERIFY2(server->start(), qPrintable(server->reason()));
        w.PortHote->setText(QString::number(server->port()));
        m_boxes.clear();
        m_answers = {Platform::Answer::Yes};
        w.ConnecterClick();
        QCOMPARE(w.result(), QStringLiteral("Ok"));
        QVERIFY(w.Envoyer->isEnabled());
    }
};

PEMO_TEST(TestFtpWindow)
#include "tst_ftpwindow.moc"
