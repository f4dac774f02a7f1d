// "Synchroniser" through the window against real servers: the plan shown,
// what lands on the server, the second run that sends nothing, and an upload
// cut in the middle that the next run finishes.
#include "LocalFtpServer.h"
#include "ftp/FtpWindow.h"
#include "ftp/SyncConfirm.h"
#include "platform/Messages.h"
#include "testmain.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &data, int ageSeconds = 3600)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
    // Written out first: the bytes still buffered would be written at the
    // close, and the file would get the time of that write.
    QVERIFY(f.flush());
    // Distinct, whole-second times, as after an edit a while ago.
    QVERIFY(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every file below root, relative, with its bytes.
QMap<QString, QByteArray> treeOf(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(root).relativeFilePath(path), readFile(path));
    }
    return out;
}

// The test server script of the window, started with what it needs here.
class PythonServer
{
public:
    explicit PythonServer(int cutAfter = 0)
    {
        root = folder.filePath(QStringLiteral("root"));
        QDir().mkpath(root);
        transcriptPath = folder.filePath(QStringLiteral("transcript.txt"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (cutAfter > 0)
            env.insert(QStringLiteral("PEMO_CUT_AFTER"), QString::number(cutAfter));
        process.setProcessEnvironment(env);
        // Not the folder a test window made current, which goes with the test.
        process.setWorkingDirectory(folder.path());
        // With T: the server lets us set times (MFMT).
        process.start(QStringLiteral("/usr/bin/python3"),
                      {PemoTest::sourcePath(QStringLiteral("tests/ftp/data/window_server.py")), root, transcriptPath,
                       QStringLiteral("elradfmwMT")});
        if (process.waitForStarted(5000) && process.waitForReadyRead(10000)) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith("PORT "))
                port = QString::fromLatin1(line.mid(5));
        }
    }
    ~PythonServer()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
    QString transcript() const { return QString::fromUtf8(readFile(transcriptPath)); }

    QTemporaryDir folder;
    QProcess process;
    QString root;
    QString transcriptPath;
    QString port;
};

struct Target {
    QString root, port, user, password;
};

void connectTo(TFtp &w, const Target &t)
{
    w.Hote->setText(QStringLiteral("127.0.0.1"));
    w.PortHote->setText(t.port);
    w.Usager->setText(t.user);
    w.Passe->setText(t.password);
    w.ConnecterClick();
    QCOMPARE(w.result(), QStringLiteral("Ok"));
}

} // namespace

class TestFtpSync : public QObject
{
    Q_OBJECT

    QTemporaryDir m_state;
    QList<Platform::MessageRecord> m_boxes;
    QList<SyncConfirm::Request> m_asked;
    bool m_accept = true;
    QString m_startDir;

    std::unique_ptr<TFtp> window(const QString &local)
    {
        QDir::setCurrent(local);
        auto w = std::make_unique<TFtp>();
        w->setWaitLimit(8000);
        w->setSyncStateFile(m_state.filePath(QStringLiteral("state.json")));
        w->show();
        return w;
    }

    const TFtp::SyncReport &sync(TFtp &w)
    {
        m_asked.clear();
        m_boxes.clear();
        w.SynchroniserClick();
        return w.lastSync();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_startDir = QDir::currentPath();
        Platform::setMessageHandler([this](const Platform::MessageRecord &box) {
            m_boxes << box;
            return Platform::Answer::Ok;
        });
        SyncConfirm::setHandler([this](const SyncConfirm::Request &request) {
            m_asked << request;
            return m_accept;
        });
    }
    void cleanupTestCase()
    {
        Platform::setMessageHandler({});
        SyncConfirm::setHandler({});
        QDir::setCurrent(m_startDir);
    }
    void init() { QFile::remove(m_state.filePath(QStringLiteral("state.json"))); }
    void cleanup() { QDir::setCurrent(m_startDir); }

    void sendsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("pyftpdlib: MLSD and MFMT") << QStringLiteral("pyftpdlib");
        QTest::newRow("vsftpd: LIST and our state file") << QStringLiteral("vsftpd");
    }
    void sendsOnlyWhatChanged()
    {
        QFETCH(QString, server);
        std::unique_ptr<PythonServer> python;
        std::unique_ptr<LocalFtpServer> daemon;
        Target target;
        if (server == QLatin1String("pyftpdlib")) {
            python = std::make_unique<PythonServer>();
            QVERIFY2(!python->port.isEmpty(), "the test server did not start");
            target = {python->root, python->port, QStringLiteral("pemo"), QStringLiteral("secret")};
        } else {
            daemon = std::make_unique<LocalFtpServer>(LocalFtpServer::Daemon);
            if (!daemon->start()) {
                if (daemon->reason().contains(QLatin1String("missing")))
                    QSKIP(qPrintable(daemon->reason()));
                QFAIL(qPrintable(daemon->reason()));
            }
            target = {daemon->root(), QString::number(daemon->port()), daemon->userName(), daemon->passWord()};
        }
        QTemporaryDir localDir;
        const QString local = localDir.filePath(QStringLiteral("site"));
        writeFile(local + QStringLiteral("/index.htm"), "<p>Accueil</p>\r\n", 7200);
        writeFile(local + QStringLiteral("/style.css"), "p { color: red }\r\n", 7100);
        writeFile(local + QStringLiteral("/same.htm"), "<p>Toujours pareil</p>", 7000);
        writeFile(local + QStringLiteral("/images/a.gif"), QByteArray("GIF89a") + QByteArray(3100, '\x01'), 6900);
        writeFile(local + QStringLiteral("/images/b.gif"), QByteArray("GIF89a") + QByteArray(10, '\x02'), 6800);
        // Already on the server, and nowhere here.
        writeFile(target.root + QStringLiteral("/old.htm"), "ancien");

        auto w = window(local);
        connectTo(*w, target);
        QVERIFY(w->Synchroniser->isEnabled());

        // First run: everything goes; nothing is deleted unless asked.
        const TFtp::SyncReport &first = sync(*w);
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked[0].lines,
                 (QStringList{QStringLiteral("Créer le dossier images"),
                              QStringLiteral("Envoyer index.htm (16 octets, nouveau)"),
                              QStringLiteral("Envoyer same.htm (22 octets, nouveau)"),
                              QStringLiteral("Envoyer style.css (18 octets, nouveau)"),
                              QStringLiteral("Envoyer images/a.gif (3,0 Ko, nouveau)"),
                              QStringLiteral("Envoyer images/b.gif (16 octets, nouveau)")}));
        QCOMPARE(first.sent, 5);
        QVERIFY2(first.failures.isEmpty(), qPrintable(first.failures.join(u'\n')));
        QVERIFY(QFile::exists(target.root + QStringLiteral("/old.htm")));

        // Right after: nothing to send, and no question.
        const TFtp::SyncReport &again = sync(*w);
        QVERIFY(again.nothingToDo);
        QVERIFY(m_asked.isEmpty());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].text, QStringLiteral("Rien à envoyer : le serveur est à jour."));

        // Two edits (one of the same size), one new file, one removed.
        writeFile(local + QStringLiteral("/index.htm"), "<p>Accueil modifié</p>\r\n", 60);
        writeFile(local + QStringLiteral("/style.css"), "p { color: blu }\r\n", 50);
        writeFile(local + QStringLiteral("/news/2026/first.htm"), "<p>Nouveau</p>", 40);
        QVERIFY(QFile::remove(local + QStringLiteral("/images/b.gif")));
        w->SupprimerDistant->setChecked(true);
        const TFtp::SyncReport &changed = sync(*w);
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked[0].lines,
                 (QStringList{QStringLiteral("Créer le dossier news"), QStringLiteral("Créer le dossier news/2026"),
                              QStringLiteral("Envoyer index.htm (25 octets, modifié)"),
                              QStringLiteral("Envoyer style.css (18 octets, modifié)"),
                              QStringLiteral("Envoyer news/2026/first.htm (14 octets, nouveau)"),
                              QStringLiteral("Supprimer images/b.gif"), QStringLiteral("Supprimer old.htm")}));
        QCOMPARE(m_asked[0].summary,
                 QStringLiteral("2 dossiers à créer, 3 fichiers à envoyer (57 octets), "
                                "2 éléments à supprimer sur le serveur."));
        QVERIFY2(changed.failures.isEmpty(), qPrintable(changed.failures.join(u'\n')));
        QCOMPARE(changed.sent, 3);
        QCOMPARE(changed.deleted, 2);
        QCOMPARE(treeOf(target.root), treeOf(local));

        QVERIFY(sync(*w).nothingToDo);

        // A cancelled plan changes nothing.
        writeFile(local + QStringLiteral("/same.htm"), "<p>Plus pareil</p>", 10);
        m_accept = false;
        sync(*w);
        m_accept = true;
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(readFile(target.root + QStringLiteral("/same.htm")), QByteArray("<p>Toujours pareil</p>"));
        QVERIFY(!w->ProgressionTotale->isVisible());
    }

    void uploadCutInTheMiddleResumes()
    {
        PythonServer server(200000);
        QVERIFY2(!server.port.isEmpty(), "the test server did not start");
        const Target target{server.root, server.port, QStringLiteral("pemo"), QStringLiteral("secret")};
        QTemporaryDir localDir;
        const QString local = localDir.filePath(QStringLiteral("site"));
        QByteArray big(1500 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(28);
        for (char &c : big)
            c = char(generator.generate() & 0xff);
        writeFile(local + QStringLiteral("/video.bin"), big);

        auto w = window(local);
        connectTo(*w, target);
        const TFtp::SyncReport &cut = sync(*w);
        QCOMPARE(cut.sent, 0);
        QVERIFY(!cut.failures.isEmpty());
        QVERIFY2(cut.failures.last().contains(QLatin1String("reprendra")), qPrintable(cut.failures.join(u'\n')));
        const qint64 kept = QFileInfo(target.root + QStringLiteral("/video.bin")).size();
        QVERIFY2(kept >= 200000 && kept < big.size(), qPrintable(QString::number(kept)));

        connectTo(*w, target);
        const TFtp::SyncReport &resumed = sync(*w);
        QCOMPARE(m_asked.size(), 1);
        QVERIFY2(m_asked[0].lines.value(0).contains(QStringLiteral("reprise à")), qPrintable(m_asked[0].lines.join(u'\n')));
        QVERIFY2(resumed.failures.isEmpty(), qPrintable(resumed.failures.join(u'\n')));
        QCOMPARE(resumed.resumed, 1);
        QVERIFY(readFile(target.root + QStringLiteral("/video.bin")) == big);
        // The size checked first, then the send from there.
        const QString transcript = server.transcript();
        const qsizetype rest = transcript.indexOf(QStringLiteral("REST %1").arg(kept));
        QVERIFY2(rest > transcript.lastIndexOf(QStringLiteral("SIZE video.bin"), rest) &&
                     transcript.lastIndexOf(QStringLiteral("SIZE video.bin"), rest) >= 0,
                 qPrintable(transcript));
        QVERIFY(sync(*w).nothingToDo);
    }
};

PEMO_TEST(TestFtpSync)
#include "tst_ftpsync.moc"
