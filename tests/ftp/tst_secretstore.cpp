// Saved sites keep their password in the desktop's secret store and nowhere
// else. The test starts a private session bus and a secret service of its
// own, then runs the window in child processes of this program (the bus a
// process talks to is fixed once it has used one): one saves a site, the
// next reads it back; then the settings and the user data folder are
// searched for the password. A last child finds no secret service at all.
#include "ftp/FtpSites.h"
#include "ftp/FtpWindow.h"
#include "ftp/SecretStore.h"
#include "platform/Messages.h"
#include "testmain.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

const QString Password = QStringLiteral("Mot-de-passe-Ünique-28");

// Every file below root that holds the text in any of the usual encodings.
QStringList filesHolding(const QString &root, const QString &text)
{
    QStringList found;
    const QList<QByteArray> forms{text.toUtf8(), text.toLatin1(),
                                  QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)};
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        for (const QByteArray &form : forms) {
            if (bytes.contains(form)) {
                found << path;
                break;
            }
        }
    }
    return found;
}

} // namespace

class TestSecretStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_keyring;
    QString m_address;

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // Runs the child test of this program that does one step; its output on failure.
    void runChild(const QString &step, const QString &busAddress)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PEMO_SECRET_CHILD"), step);
        env.insert(QStringLiteral("PEMO_SECRET_SETTINGS"), path("settings"));
        env.insert(QStringLiteral("PEMO_SECRET_DATA"), path("data"));
        if (busAddress.isEmpty())
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        else
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("run"));
        env.remove(QStringLiteral("DISPLAY")); // no bus started on a display's behalf
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-only"), QStringLiteral("TestSecretStoreChild")});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("Totals: ") && !output.contains("Totals: 0 passed"), output.constData());
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString busProgram = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        const QString keyringProgram = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
        if (busProgram.isEmpty() || keyringProgram.isEmpty())
            QSKIP("dbus-daemon or gnome-keyring-daemon is not installed (scripts/install-deps.sh)");
        for (const char *name : {"settings", "data", "run", "keyring-home", "keyring-data"})
            QVERIFY(QDir().mkpath(path(name)));
        QFile::setPermissions(path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_bus.start(busProgram, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                                 QStringLiteral("--address=unix:path=") + path("bus")});
        QVERIFY(m_bus.waitForStarted(5000));
        QVERIFY(m_bus.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_bus.readLine().trimmed());
        QVERIFY(m_address.startsWith(QLatin1String("unix:")));

        // Its own home and data folder: the keyring file is not ours to search.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        env.insert(QStringLiteral("HOME"), path("keyring-home"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path("keyring-data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("run"));
        m_keyring.setProcessEnvironment(env);
        m_keyring.start(keyringProgram, {QStringLiteral("--unlock"), QStringLiteral("--components=secrets"),
                                         QStringLiteral("--foreground")});
        QVERIFY(m_keyring.waitForStarted(5000));
        // An empty password for the new login keyring, then no more input.
        m_keyring.write("\n");
        m_keyring.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("keyring-data") + QStringLiteral("/keyrings/login.keyring")), 15000);
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&m_keyring, &m_bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
                p->waitForFinished(2000);
            }
        }
    }

    void passwordLivesInTheStoreOnly()
    {
        runChild(QStringLiteral("save"), m_address);
        runChild(QStringLiteral("load"), m_address);
        QVERIFY(QFileInfo::exists(path("settings")));
        QCOMPARE(filesHolding(path("settings"), Password), QStringList());
        QCOMPARE(filesHolding(path("data"), Password), QStringList());
        // The site itself is in the settings.
        QVERIFY(!filesHolding(path("settings"), QStringLiteral("ftp.exemple.test")).isEmpty());
    }

    void withoutSecretServiceNothingIsKept_data()
    {
        QTest::addColumn<QString>("bus");
        QTest::newRow("a bus address that leads nowhere") << QStringLiteral("unix:path=") + path("no-bus-here");
        // No desktop session at all: nothing may hang trying to start one.
        QTest::newRow("no session bus") << QString();
    }
    void withoutSecretServiceNothingIsKept()
    {
        QFETCH(QString, bus);
        runChild(QStringLiteral("fallback"), bus);
        QCOMPARE(filesHolding(path("settings"), Password), QStringList());
        QCOMPARE(filesHolding(path("data"), Password), QStringList());
    }
};

PEMO_TEST(TestSecretStore)

// The steps, each in a process of its own (see above).
class TestSecretStoreChild : public QObject
{
    Q_OBJECT

    QList<Platform::MessageRecord> m_boxes;

    std::unique_ptr<TFtp> window()
    {
        auto w = std::make_unique<TFtp>();
        w->show();
        return w;
    }

    void fill(TFtp &w)
    {
        w.NomSite->setText(QStringLiteral("Mon site"));
        w.Hote->setText(QStringLiteral("ftp.exemple.test"));
        w.PortHote->setText(QStringLiteral("2121"));
        w.Usager->setText(QStringLiteral("marie"));
        w.Passe->setText(Password);
        w.Connexion->setCurrentIndex(1);
        w.DossierDistant->setText(QStringLiteral("/www"));
    }

    void choose(TFtp &w, const QString &name)
    {
        const int index = w.Sites->findText(name);
        QVERIFY(index >= 0);
        w.Sites->setCurrentIndex(index);
        w.chooseSite(index);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString settings = qEnvironmentVariable("PEMO_SECRET_SETTINGS");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
        qputenv("XDG_DATA_HOME", qgetenv("PEMO_SECRET_DATA"));
        Platform::setMessageHandler([this](const Platform::MessageRecord &box) {
            m_boxes << box;
            return Platform::Answer::Ok;
        });
    }
    void cleanupTestCase() { Platform::setMessageHandler({}); }

    void step()
    {
        const QString step = qEnvironmentVariable("PEMO_SECRET_CHILD");
        if (step == QLatin1String("save")) {
            auto w = window();
            fill(*w);
            w->EnregistrerSiteClick();
            QCOMPARE(m_boxes.size(), 0);
            QCOMPARE(w->Sites->currentText(), QStringLiteral("Mon site"));
            const QList<FtpSite> sites = FtpSites::load();
            QCOMPARE(sites.size(), 1);
            QCOMPARE(sites[0].host, QStringLiteral("ftp.exemple.test"));
            QCOMPARE(sites[0].port, 2121);
            QCOMPARE(sites[0].kind, QStringLiteral("FTP sécurisé (TLS explicite)"));
            QCOMPARE(sites[0].remoteFolder, QStringLiteral("/www"));
            QCOMPARE(SecretStore().read(sites[0].secretKey()).secret, Password);
        } else if (step == QLatin1String("load")) {
            auto w = window();
            choose(*w, QStringLiteral("Mon site"));
            QCOMPARE(w->Hote->text(), QStringLiteral("ftp.exemple.test"));
            QCOMPARE(w->PortHote->text(), QStringLiteral("2121"));
            QCOMPARE(w->Usager->text(), QStringLiteral("marie"));
            QCOMPARE(w->Connexion->currentIndex(), 1);
            QCOMPARE(w->DossierDistant->text(), QStringLiteral("/www"));
            QCOMPARE(w->Passe->text(), Password);
            QCOMPARE(m_boxes.size(), 0);
            // Deleting the site takes its password out of the store too.
            const QString key = FtpSites::load().value(0).secretKey();
            w->SupprimerSiteClick();
            QVERIFY(FtpSites::load().isEmpty());
            QCOMPARE(SecretStore().read(key).status, SecretStore::Status::NotFound);
            // Saved again for the search of the files that follows.
            fill(*w);
            w->EnregistrerSiteClick();
        } else if (step == QLatin1String("fallback")) {
            auto w = window();
            fill(*w);
            w->NomSite->setText(QStringLiteral("Sans coffre"));
            w->EnregistrerSiteClick();
            QCOMPARE(m_boxes.size(), 1);
            QCOMPARE(m_boxes[0].kind, Platform::MessageKind::Information);
            QCOMPARE(m_boxes[0].text, SecretStore::unavailableText());
            // Told once only.
            w->EnregistrerSiteClick();
            QCOMPARE(m_boxes.size(), 1);
            choose(*w, QStringLiteral("Sans coffre"));
            QCOMPARE(w->Passe->text(), QString());
            QCOMPARE(w->Hote->text(), QStringLiteral("ftp.exemple.test"));
            // The password is asked for, not sent empty.
            w->ConnecterClick();
            QCOMPARE(m_boxes.size(), 2);
            QCOMPARE(m_boxes[1].kind, Platform::MessageKind::Warning);
            QVERIFY(!w->Deconnecter->isEnabled());
        } else {
            QFAIL("unknown step");
        }
    }
};

static const int secretChildRegistered =
    qEnvironmentVariableIsSet("PEMO_SECRET_CHILD")
        ? PemoTest::registerTest("TestSecretStoreChild", [] { return static_cast<QObject *>(new TestSecretStoreChild); })
        : 0;

#include "tst_secretstore.moc"
