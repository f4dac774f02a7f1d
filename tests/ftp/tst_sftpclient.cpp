// The SFTP engine against a real secure shell server on 127.0.0.1: the
// host key question, the file commands, a stopped upload, unsafe names.
#include "LocalSshServer.h"
#include "ftp/SftpClient.h"
#include "ftp/SshTexts.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    generator.fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    return data;
}

// Waits for the request under way; true when it succeeded.
bool finished(SftpClient &client, int ms = 20000)
{
    QSignalSpy done(&client, &SftpClient::requestDone);
    if (!done.wait(ms))
        return false;
    return done.first().at(1).toBool();
}

} // namespace

class TestSftpClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<LocalSshServer> m_server;

    std::unique_ptr<SftpClient> newClient()
    {
        auto client = std::make_unique<SftpClient>();
        client->setHost(QStringLiteral("127.0.0.1"));
        client->setPort(m_server->port());
        client->setUser(m_server->userName());
        client->setSshFolder(m_server->clientFolder());
        return client;
    }

    // A session in the server's folder for this test, the key known.
    std::unique_ptr<SftpClient> openSession()
    {
        auto client = newClient();
        if (!client->connectToHost() || !finished(*client))
            return nullptr;
        if (client->hostKeyPending() && (!client->answerHostKey(true) || !finished(*client)))
            return nullptr;
        if (!client->changeFolder(m_server->root()) || !finished(*client))
            return nullptr;
        return client;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!LocalSshServer::available())
            QSKIP("/usr/sbin/sshd is not installed (scripts/install-deps.sh installs openssh-server)");
        // Neither the user's agent nor his keys take part.
        qunsetenv("SSH_AUTH_SOCK");
        m_server = std::make_unique<LocalSshServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->reason()));
    }

    void hostKeyQuestion()
    {
        QFile::remove(m_server->knownHosts());
        // Turned down: no session, nothing written.
        auto client = newClient();
        QVERIFY(client->connectToHost());
        QVERIFY(finished(*client));
        QVERIFY(client->hostKeyPending());
        QVERIFY(!client->isConnected());
        QCOMPARE(client->hostKey().state, SshTexts::KeyState::Unknown);
        QCOMPARE(client->hostKey().type, QStringLiteral("ssh-ed25519"));
        QCOMPARE(client->hostKey().fingerprint, m_server->hostFingerprint());
        QVERIFY(!client->list()); // no command before the answer
        QVERIFY(client->answerHostKey(false));
        QVERIFY(!finished(*client));
        QVERIFY(!client->isConnected());
        QVERIFY(!QFile::exists(m_server->knownHosts()));

        // Accepted: recorded, logged in, in the login folder.
        QVERIFY(client->connectToHost());
        QVERIFY(finished(*client));
        QVERIFY(client->hostKeyPending());
        QVERIFY(client->answerHostKey(true));
        QVERIFY2(finished(*client), qPrintable(client->errorMessage()));
        QVERIFY(client->isConnected());
        QVERIFY(client->currentFolder().startsWith(u'/'));
        const QByteArray known = readFile(m_server->knownHosts());
        QVERIFY2(known.contains(QStringLiteral("[127.0.0.1]:%1").arg(m_server->port()).toUtf8())
                     || known.startsWith("|1|"),
                 known.constData());

        // Known now: a new session asks nothing.
        auto second = newClient();
        QVERIFY(second->connectToHost());
        QVERIFY2(finished(*second), qPrintable(second->errorMessage()));
        QVERIFY(!second->hostKeyPending());
        QVERIFY(second->isConnected());
        QCOMPARE(second->hostKey().state, SshTexts::KeyState::Known);
    }

    void changedHostKey()
    {
        { auto session = openSession(); QVERIFY(session); }
        const QByteArray before = readFile(m_server->knownHosts());
        QVERIFY(m_server->replaceHostKey());

        auto client = newClient();
        QVERIFY(client->connectToHost());
        QVERIFY(finished(*client));
        QVERIFY(client->hostKeyPending());
        QCOMPARE(client->hostKey().state, SshTexts::KeyState::Changed);
        QCOMPARE(client->hostKey().fingerprint, m_server->hostFingerprint());
        const SftpClient::HostKey key = client->hostKey();
        const QString question = SshTexts::hostKeyQuestion(QStringLiteral("127.0.0.1"), m_server->port(), key.state,
                                                           key.type, key.fingerprint);
        QVERIFY(question.startsWith(QStringLiteral("ATTENTION")));
        QVERIFY(question.contains(key.fingerprint));
        QVERIFY(client->answerHostKey(false));
        QVERIFY(!finished(*client));
        QCOMPARE(readFile(m_server->knownHosts()), before);

        // Accepted after all: the old key is replaced, not kept beside.
        QVERIFY(client->connectToHost());
        QVERIFY(finished(*client));
        QVERIFY(client->answerHostKey(true));
        QVERIFY2(finished(*client), qPrintable(client->errorMessage()));
        auto again = newClient();
        QVERIFY(again->connectToHost());
        QVERIFY2(finished(*again), qPrintable(again->errorMessage()));
        QCOMPARE(again->hostKey().state, SshTexts::KeyState::Known);
        QCOMPARE(readFile(m_server->knownHosts()).count('\n'), 1);
    }

    void refusedLogin()
    {
        auto client = newClient();
        client->setUser(QStringLiteral("nobody-here-pemo"));
        QVERIFY(client->connectToHost());
        finished(*client);
        if (client->hostKeyPending()) {
            QVERIFY(client->answerHostKey(true));
            QVERIFY(!finished(*client));
        }
        QVERIFY(!client->isConnected());
        QVERIFY2(client->errorMessage().contains(QStringLiteral("a refusé la connexion")),
                 qPrintable(client->errorMessage()));
    }

    void agentKey()
    {
        // The key only in an agent: a folder without keys, and the agent's
        // socket, for this test alone.
        QTemporaryDir folder;
        const QString socket = folder.filePath(QStringLiteral("agent.sock"));
        QProcess agent;
        agent.start(QStringLiteral("ssh-agent"), {QStringLiteral("-D"), QStringLiteral("-a"), socket});
        if (!agent.waitForStarted(5000))
            QSKIP("ssh-agent is not installed (scripts/install-deps.sh installs openssh-client)");
        for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
            QTest::qWait(20);
        QProcess add;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SSH_AUTH_SOCK"), socket);
        add.setProcessEnvironment(env);
        add.start(QStringLiteral("ssh-add"), {m_server->clientFolder() + QStringLiteral("/id_ed25519")});
        QVERIFY(add.waitForFinished(10000) && add.exitCode() == 0);
        QDir().mkpath(folder.filePath(QStringLiteral("ssh")));

        qputenv("SSH_AUTH_SOCK", QFile::encodeName(socket));
        auto client = newClient();
        client->setSshFolder(folder.filePath(QStringLiteral("ssh")));
        client->setKnownHostsFile(m_server->knownHosts());
        const bool started = client->connectToHost();
        bool ok = started && finished(*client);
        if (ok && client->hostKeyPending())
            ok = client->answerHostKey(true) && finished(*client);
        qunsetenv("SSH_AUTH_SOCK");
        agent.terminate();
        agent.waitForFinished(5000);
        QVERIFY2(ok, qPrintable(client->errorMessage()));
        QVERIFY(client->isConnected());

        // Without the agent, that folder holds no key: refused, and told so.
        auto without = newClient();
        without->setSshFolder(folder.filePath(QStringLiteral("ssh")));
        without->setKnownHostsFile(m_server->knownHosts());
        QVERIFY(without->connectToHost());
        QVERIFY(!finished(*without));
        QVERIFY2(without->errorMessage().contains(QStringLiteral("aucune clé")), qPrintable(without->errorMessage()));
    }

    void fileCommands()
    {
        auto client = openSession();
        QVERIFY(client);
        const QString root = m_server->root();
        QCOMPARE(client->currentFolder(), QDir(root).canonicalPath());

        // A folder made, entered, left.
        QVERIFY(client->makeFolder(QStringLiteral("site")));
        QVERIFY(finished(*client));
        QVERIFY(QFileInfo(root + QStringLiteral("/site")).isDir());
        QVERIFY(client->makeFolder(QStringLiteral("site")));
        QVERIFY(!finished(*client));
        QVERIFY2(client->errorMessage().contains(QStringLiteral("site")), qPrintable(client->errorMessage()));
        QVERIFY(client->changeFolder(QStringLiteral("site")));
        QVERIFY(finished(*client));
        QCOMPARE(client->currentFolder(), QDir(root).canonicalPath() + QStringLiteral("/site"));

        // Sent byte for byte, with progress; replacing a file leaves no
        // temporary copy behind.
        QTemporaryDir local;
        const QByteArray data = randomBytes(3 * 1024 * 1024 + 17);
        const QString page = local.filePath(QStringLiteral("index.html"));
        QVERIFY(writeFile(page, data));
        QSignalSpy progress(client.get(), &SftpClient::progress);
        QVERIFY(client->upload(page, QStringLiteral("index.html")));
        QVERIFY2(finished(*client), qPrintable(client->errorMessage()));
        QCOMPARE(readFile(root + QStringLiteral("/site/index.html")), data);
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toLongLong(), data.size());
        QVERIFY(writeFile(page, "<p>deux</p>"));
        QVERIFY(client->upload(page, QStringLiteral("index.html")));
        QVERIFY(finished(*client));
        QCOMPARE(readFile(root + QStringLiteral("/site/index.html")), QByteArray("<p>deux</p>"));
        QVERIFY(writeFile(local.filePath(QStringLiteral("empty.txt")), QByteArray()));
        QVERIFY(client->upload(local.filePath(QStringLiteral("empty.txt")), QStringLiteral("empty.txt")));
        QVERIFY(finished(*client));
        QCOMPARE(QFileInfo(root + QStringLiteral("/site/empty.txt")).size(), 0);

        // Listed with kinds and sizes, "." and ".." left out.
        QVERIFY(client->makeFolder(QStringLiteral("images")));
        QVERIFY(finished(*client));
        QVERIFY(client->list());
        QVERIFY(finished(*client));
        QStringList names;
        for (const SftpClient::Entry &e : client->entries())
            names << e.name + (e.folder ? QStringLiteral("/") : QString::number(e.size).prepend(u':'));
        QCOMPARE(names, QStringList({QStringLiteral("empty.txt:0"), QStringLiteral("images/"),
                                     QStringLiteral("index.html:11")}));

        // Back, received, deleted.
        const QString copy = local.filePath(QStringLiteral("copy.html"));
        QVERIFY(client->download(QStringLiteral("index.html"), copy));
        QVERIFY(finished(*client));
        QCOMPARE(readFile(copy), QByteArray("<p>deux</p>"));
        QVERIFY(client->download(QStringLiteral("absent.html"), copy));
        QVERIFY(!finished(*client));
        QCOMPARE(readFile(copy), QByteArray("<p>deux</p>")); // a failed copy leaves the old one
        QVERIFY(client->removeFile(QStringLiteral("index.html")));
        QVERIFY(finished(*client));
        QVERIFY(!QFile::exists(root + QStringLiteral("/site/index.html")));
        QVERIFY(client->removeFolder(QStringLiteral("images")));
        QVERIFY(finished(*client));
        QVERIFY(!QFile::exists(root + QStringLiteral("/site/images")));
        QVERIFY(client->changeFolder(QStringLiteral("..")));
        QVERIFY(finished(*client));
        QCOMPARE(client->currentFolder(), QDir(root).canonicalPath());
        QVERIFY(client->changeFolder(QStringLiteral("site/empty.txt")));
        QVERIFY(!finished(*client));
        QVERIFY(client->errorMessage().contains(QStringLiteral("pas un dossier")));
        QCOMPARE(client->currentFolder(), QDir(root).canonicalPath());
    }

    void unsafeNames()
    {
        auto client = openSession();
        QVERIFY(client);
        // Nothing with a line break goes out.
        QVERIFY(!client->makeFolder(QStringLiteral("a\rb")));
        QVERIFY(client->errorMessage().contains(QStringLiteral("saut de ligne")));
        QVERIFY(!client->removeFile(QStringLiteral("x\n")));
        QVERIFY(!client->upload(QStringLiteral("/etc/hostname"), QString::fromUtf8("a\0b", 3)));
        QVERIFY(!client->isBusy());

        // Names the server lists that could not be shown or sent back safely.
        const QString folder = m_server->root() + QStringLiteral("/odd");
        QVERIFY(writeFile(folder + QStringLiteral("/ok.html"), "x"));
        QVERIFY(writeFile(folder + QStringLiteral("/back\\slash"), "x"));
        QVERIFY(writeFile(folder + QStringLiteral("/bell\x07"), "x"));
        QVERIFY(writeFile(folder + QStringLiteral("/line\nbreak"), "x"));
        QVERIFY(client->changeFolder(QStringLiteral("odd")));
        QVERIFY(finished(*client));
        QVERIFY(client->list());
        QVERIFY(finished(*client));
        QCOMPARE(client->entries().size(), 1);
        QCOMPARE(client->entries().first().name, QStringLiteral("ok.html"));
        QCOMPARE(client->refusedNames().size(), 3);

        QVERIFY(!SftpClient::isSafeName(QStringLiteral("..")));
        QVERIFY(!SftpClient::isSafeName(QStringLiteral("a/b")));
        QVERIFY(SftpClient::isSafeName(QStringLiteral("été.html")));
    }

    void stoppedUpload()
    {
        auto client = openSession();
        QVERIFY(client);
        QTemporaryDir local;
        const QString big = local.filePath(QStringLiteral("big.bin"));
        QVERIFY(writeFile(big, randomBytes(256 * 1024 * 1024)));
        const QString target = m_server->root() + QStringLiteral("/big.bin");
        QVERIFY(writeFile(target, "the old copy"));
        QSignalSpy done(client.get(), &SftpClient::requestDone);
        // Stopped at the first news of progress.
        connect(client.get(), &SftpClient::progress, client.get(), [&] { client->cancel(); });
        QVERIFY(client->upload(big, QStringLiteral("big.bin")));
        QVERIFY(done.wait(60000));
        QVERIFY(!done.first().at(1).toBool());
        QVERIFY2(client->errorMessage().contains(QStringLiteral("arrêté")), qPrintable(client->errorMessage()));
        QCOMPARE(readFile(target), QByteArray("the old copy"));
        QCOMPARE(QDir(m_server->root()).entryList({QStringLiteral("*.pemo-envoi")}, QDir::Hidden | QDir::Files),
                 QStringList());
        // The session goes on.
        QVERIFY(client->isConnected());
        QVERIFY(client->list());
        QVERIFY(finished(*client));
    }

    void knownHostsEdit()
    {
        // A hashed line is recognised by its salt; other hosts, comments and
        // marked lines stay.
        const QByteArray salt = "0123456789abcdefghij";
        const QByteArray hash =
            QMessageAuthenticationCode::hash("[127.0.0.1]:2222", salt, QCryptographicHash::Sha1);
        const QByteArray hashed = "|1|" + salt.toBase64() + '|' + hash.toBase64() + " ssh-ed25519 AAAA";
        const QByteArray file = "# mine\n"
                                "example.org ssh-ed25519 AAAB\n"
                                "[127.0.0.1]:2222,other ssh-rsa AAAC\n"
                                + hashed + "\n"
                                "@cert-authority [127.0.0.1]:2222 ssh-ed25519 AAAD\n"
                                "127.0.0.1 ssh-ed25519 AAAE\n";
        QCOMPARE(SftpClient::withoutHost(file, QStringLiteral("[127.0.0.1]:2222")),
                 QByteArray("# mine\n"
                            "example.org ssh-ed25519 AAAB\n"
                            "@cert-authority [127.0.0.1]:2222 ssh-ed25519 AAAD\n"
                            "127.0.0.1 ssh-ed25519 AAAE\n"));
        QCOMPARE(SshTexts::fingerprint(QByteArray(32, '\0')),
                 QStringLiteral("SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"));
    }
};

PEMO_TEST(TestSftpClient)
#include "tst_sftpclient.moc"
