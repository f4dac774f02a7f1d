// The publishing window over SFTP against a real secure shell server on
// 127.0.0.1: the same buttons and lists as for FTP.
#include "LocalSshServer.h"
#include "ftp/FtpWindow.h"
#include "ftp/SftpClient.h"
#include "platform/CommonDialogs.h"
#include "platform/Launcher.h"
#include "platform/Messages.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList remoteNames(TFtp &w)
{
    QStringList names;
    for (int i = 0; i < w.ListeHote->count(); ++i)
        names << w.ListeHote->item(i)->text();
    return names;
}

bool selectLocal(TFtp &w, const QStringList &names)
{
    w.ListeLocale->clearSelection();
    for (const QString &name : names) {
        const QList<QTreeWidgetItem *> found = w.ListeLocale->findItems(name, Qt::MatchExactly, 0);
        if (found.isEmpty())
            return false;
        found.first()->setSelected(true);
    }
    return true;
}

bool selectRemote(TFtp &w, const QStringList &names)
{
    w.ListeHote->clearSelection();
    for (const QString &name : names) {
        const QList<QListWidgetItem *> found = w.ListeHote->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            return false;
        found.first()->setSelected(true);
    }
    return true;
}

} // namespace

class TestFtpWindowSftp : public QObject
{
    Q_OBJECT

    std::unique_ptr<LocalSshServer> m_server;
    QTemporaryDir m_local;
    QString m_startDir;
    QList<Platform::MessageRecord> m_boxes;
    QList<Platform::Answer> m_answers;
    QList<Platform::LaunchRecord> m_launched;

    void fill(TFtp &w)
    {
        w.Connexion->setCurrentIndex(TFtp::SftpIndex);
        w.Hote->setText(QStringLiteral("127.0.0.1"));
        w.PortHote->setText(QString::number(m_server->port()));
        w.Usager->setText(m_server->userName());
        w.Sftp->setSshFolder(m_server->clientFolder());
    }

    // Connected, the key accepted if asked, in the test's server folder.
    bool connectToRoot(TFtp &w)
    {
        fill(w);
        m_answers = {Platform::Answer::Yes};
        w.ConnecterClick();
        if (w.result() != QLatin1String("Ok") || !w.Envoyer->isEnabled())
            return false;
        w.ChHost(m_server->root());
        w.LitHote();
        // The key question, if there was one, is not the test's subject.
        m_boxes.clear();
        return w.result() == QLatin1String("Ok");
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!LocalSshServer::available())
            QSKIP("/usr/sbin/sshd is not installed (scripts/install-deps.sh installs openssh-server)");
        qunsetenv("SSH_AUTH_SOCK");
        m_server = std::make_unique<LocalSshServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->reason()));
        m_startDir = QDir::currentPath();
        Platform::setMessageHandler([this](const Platform::MessageRecord &box) {
            m_boxes << box;
            return m_answers.isEmpty() ? Platform::Answer::Cancel : m_answers.takeFirst();
        });
        Platform::setLaunchHandler([this](const Platform::LaunchRecord &launch) {
            m_launched << launch;
            return true;
        });
    }
    void cleanupTestCase()
    {
        Platform::setMessageHandler({});
        Platform::setLaunchHandler({});
        CommonDialogs::setTextHandler({});
        QDir::setCurrent(m_startDir);
    }
    void init()
    {
        m_boxes.clear();
        m_answers.clear();
        m_launched.clear();
        QDir(m_local.path()).removeRecursively();
        QDir().mkpath(m_local.path());
        QDir::setCurrent(m_local.path());
        QDir(m_server->root()).removeRecursively();
        QDir().mkpath(m_server->root());
    }

    void kindSetsThePort()
    {
        TFtp w;
        QCOMPARE(w.Connexion->itemText(TFtp::SftpIndex), QStringLiteral("SFTP"));
        QCOMPARE(w.PortHote->text(), QStringLiteral("21"));
        w.Connexion->setCurrentIndex(TFtp::SftpIndex);
        QCOMPARE(w.PortHote->text(), QStringLiteral("22"));
        QVERIFY(!w.ModePassif->isEnabled());
        w.Connexion->setCurrentIndex(0);
        QCOMPARE(w.PortHote->text(), QStringLiteral("21"));
        QVERIFY(w.ModePassif->isEnabled());
        // A port of the user's own stays.
        w.PortHote->setText(QStringLiteral("2222"));
        w.Connexion->setCurrentIndex(TFtp::SftpIndex);
        QCOMPARE(w.PortHote->text(), QStringLiteral("2222"));
    }

    void hostKeyQuestionInTheWindow()
    {
        QFile::remove(m_server->knownHosts());
        TFtp w;
        w.show();
        fill(w);
        m_answers = {Platform::Answer::No};
        w.ConnecterClick();
        QVERIFY(!w.Envoyer->isEnabled());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Question);
        QVERIFY2(m_boxes[0].text.contains(QStringLiteral("Empreinte SHA-256 :\n") + m_server->hostFingerprint()),
                 qPrintable(m_boxes[0].text));
        QVERIFY(m_boxes[0].text.contains(QStringLiteral("ssh-ed25519")));
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("Clé d'hôte refusée")));
        QVERIFY(!QFile::exists(m_server->knownHosts()));

        m_boxes.clear();
        m_answers = {Platform::Answer::Yes};
        w.ConnecterClick();
        QVERIFY(w.Envoyer->isEnabled());
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(QFile::exists(m_server->knownHosts()));

        // Asked no more; "Déconnecter" empties the list.
        m_boxes.clear();
        w.ConnecterClick();
        QVERIFY(w.Envoyer->isEnabled());
        QVERIFY(m_boxes.isEmpty());
        w.DeconnecterClick();
        QVERIFY(!w.Envoyer->isEnabled());
        QCOMPARE(w.ListeHote->count(), 0);

        // A changed key is a warning; turned down, nothing opens or changes.
        const QByteArray known = readFile(m_server->knownHosts());
        QVERIFY(m_server->replaceHostKey());
        m_answers = {Platform::Answer::No};
        w.ConnecterClick();
        QVERIFY(!w.Envoyer->isEnabled());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Warning);
        QVERIFY2(m_boxes[0].text.startsWith(QStringLiteral("ATTENTION : la clé d'hôte du serveur")),
                 qPrintable(m_boxes[0].text));
        QVERIFY(m_boxes[0].text.contains(m_server->hostFingerprint()));
        QCOMPARE(readFile(m_server->knownHosts()), known);
    }

    void publishListDeleteOpen()
    {
        const QString root = m_server->root();
        QVERIFY(writeFile(root + QStringLiteral("/old.htm"), "old"));
        QDir().mkpath(root + QStringLiteral("/docs"));
        QVERIFY(writeFile(QStringLiteral("index.html"), "<h1>Accueil</h1>"));
        QVERIFY(writeFile(QStringLiteral("site/a.gif"), "GIF89a\0\1\2"));
        QVERIFY(writeFile(QStringLiteral("site/css/b.css"), "p{}"));
        QVERIFY(writeFile(QStringLiteral("site/.git/config"), "[core]"));
        TFtp w;
        w.show();
        w.LitRepert();
        QVERIFY(connectToRoot(w));
        QCOMPARE(remoteNames(w), QStringList({"..", "docs", "old.htm"}));

        // A file and a folder sent, the folder whole (its hidden folder stays home).
        QVERIFY(selectLocal(w, {QStringLiteral("index.html"), QStringLiteral("site")}));
        w.EnvoyerClick();
        QCOMPARE(readFile(root + QStringLiteral("/index.html")), QByteArray("<h1>Accueil</h1>"));
        QCOMPARE(readFile(root + QStringLiteral("/site/a.gif")), readFile(QStringLiteral("site/a.gif")));
        QCOMPARE(readFile(root + QStringLiteral("/site/css/b.css")), QByteArray("p{}"));
        QVERIFY(!QFile::exists(root + QStringLiteral("/site/.git")));
        QCOMPARE(remoteNames(w), QStringList({"..", "docs", "index.html", "old.htm", "site"}));
        QVERIFY(m_boxes.isEmpty());

        // A folder created.
        CommonDialogs::setTextHandler([](const CommonDialogs::TextRequest &) -> std::optional<QString> {
            return QStringLiteral("neuf");
        });
        w.CreerRepertoireClick();
        CommonDialogs::setTextHandler({});
        QVERIFY(QFileInfo(root + QStringLiteral("/neuf")).isDir());
        QVERIFY(remoteNames(w).contains(QStringLiteral("neuf")));

        // Deleted by the types the server gives: a file, an empty folder.
        QVERIFY(selectRemote(w, {QStringLiteral("old.htm"), QStringLiteral("docs")}));
        m_answers = {Platform::Answer::Ok};
        w.setFocus();
        w.Efface2();
        QVERIFY(!QFile::exists(root + QStringLiteral("/old.htm")));
        QVERIFY(!QFile::exists(root + QStringLiteral("/docs")));
        QCOMPARE(remoteNames(w), QStringList({"..", "index.html", "neuf", "site"}));

        // A folder opens as a folder, a file as a copy of our own.
        QVERIFY(selectRemote(w, {QStringLiteral("site")}));
        Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        QCOMPARE(remoteNames(w), QStringList({"..", "a.gif", "css"}));
        QVERIFY(selectRemote(w, {QStringLiteral("..")}));
        Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        QVERIFY(selectRemote(w, {QStringLiteral("index.html")}));
        Q_EMIT w.ListeHote->itemActivated(w.ListeHote->selectedItems().first());
        QCOMPARE(m_launched.size(), 1);
        const QString copy = m_launched[0].url.toLocalFile();
        QCOMPARE(QFileInfo(copy).fileName(), QStringLiteral("index.html"));
        QCOMPARE(QFileInfo(copy).path(), QFileInfo(w.listingFile()).path());
        QCOMPARE(readFile(copy), QByteArray("<h1>Accueil</h1>"));
    }

    void unsafeLocalNameIsNotSent()
    {
        QVERIFY(writeFile(QStringLiteral("a\rb.htm"), "x"));
        QVERIFY(writeFile(QStringLiteral("ok.htm"), "ok"));
        TFtp w;
        w.show();
        w.LitRepert();
        QVERIFY(connectToRoot(w));
        QVERIFY(selectLocal(w, {QStringLiteral("a\rb.htm"), QStringLiteral("ok.htm")}));
        w.EnvoyerClick();
        QCOMPARE(QDir(m_server->root()).entryList(QDir::Files | QDir::Hidden), QStringList({"ok.htm"}));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Error);
        QVERIFY2(m_boxes[0].text.contains(QStringLiteral("saut de ligne")), qPrintable(m_boxes[0].text));
    }

    void stopDuringABigUpload()
    {
        QByteArray data(128 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
        QVERIFY(writeFile(QStringLiteral("big.bin"), data));
        data.clear();
        QVERIFY(writeFile(QStringLiteral("zz-after.htm"), "after"));
        TFtp w;
        w.show();
        w.LitRepert();
        QVERIFY(connectToRoot(w));
        bool pressed = false;
        connect(w.Sftp, &SftpClient::progress, &w, [&] {
            if (!pressed) {
                pressed = true;
                w.Arreter->click();
            }
        });
        QVERIFY(selectLocal(w, {QStringLiteral("big.bin"), QStringLiteral("zz-after.htm")}));
        w.EnvoyerClick();
        QVERIFY(pressed);
        // Nothing half sent, nothing sent after the stop, the session open
        // and the list up to date.
        QCOMPARE(QDir(m_server->root()).entryList(QDir::Files | QDir::Hidden).join(u','), QString());
        QVERIFY(w.Envoyer->isEnabled());
        QCOMPARE(remoteNames(w), QStringList({".."}));
        QVERIFY(w.Journal->toPlainText().contains(QStringLiteral("arrêté")));
    }
};

PEMO_TEST(TestFtpWindowSftp)
#include "tst_ftpwindow_sftp.moc"
