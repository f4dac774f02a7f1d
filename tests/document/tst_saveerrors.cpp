// Failed saves name the file and give the reason in French, whatever the
// cause: a folder in the way, a missing folder, a full or read-only disk.
#include "testmain.h"

#include "page/PageFile.h"
#include "platform/Errors.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

namespace {
QString failureOf(const QString &path, const QStringList &lines = {QStringLiteral("<p>a</p>")})
{
    try {
        PageFile::write(path, lines, PageFile::Encoding::Windows1252);
    } catch (const Platform::PemoError &e) {
        return e.message();
    }
    return QString();
}

// A small file system of its own; only root may mount one.
bool mountSmall(const QString &where, const QString &options)
{
    if (::geteuid() != 0)
        return false;
    return QProcess::execute(QStringLiteral("mount"),
                             {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                              QStringLiteral("tmpfs"), where})
        == 0;
}
void unmount(const QString &where) { QProcess::execute(QStringLiteral("umount"), {where}); }
} // namespace

class SaveErrorsTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void reasonInFrench_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("name of a folder") << "dossier" << "Ce nom est celui d'un dossier.";
        QTest::newRow("folder missing") << "absent/page.htm" << "Le dossier n'existe pas.";
    }
    void reasonInFrench()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QDir(m_dir.path()).mkdir(QStringLiteral("dossier"));
        const QString path = m_dir.filePath(name);
        QCOMPARE(failureOf(path), QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2").arg(path, reason));
    }

    void fullDiskSaysSoAndKeepsTheOldFile()
    {
        const QString where = m_dir.filePath(QStringLiteral("petit"));
        QDir().mkpath(where);
        if (!mountSmall(where, QStringLiteral("size=64k")))
            QSKIP("cannot mount a small file system here");
        const QString path = where + QStringLiteral("/page.htm");
        PageFile::write(path, {QStringLiteral("ancien")}, PageFile::Encoding::Windows1252);
        const QString message = failureOf(path, {QString(200 * 1024, u'x')});
        QFile old(path);
        const bool opened = old.open(QIODevice::ReadOnly);
        const QByteArray kept = old.readAll();
        old.close();
        unmount(where);
        QCOMPARE(message, QStringLiteral("Impossible d'enregistrer le fichier %1.\nLe disque est plein.").arg(path));
        QVERIFY(opened);
        QCOMPARE(kept, QByteArray("ancien\r\n"));
    }

    void readOnlyDiskSaysSoInFrench()
    {
        const QString where = m_dir.filePath(QStringLiteral("lecture"));
        QDir().mkpath(where);
        if (!mountSmall(where, QStringLiteral("size=64k,ro")))
            QSKIP("cannot mount a small file system here");
        const QString path = where + QStringLiteral("/page.htm");
        const QString message = failureOf(path);
        unmount(where);
        QCOMPARE(message,
                 QStringLiteral("Impossible d'enregistrer le fichier %1.\nLe disque est en lecture seule.").arg(path));
    }
};

PEMO_TEST(SaveErrorsTest)
#include "tst_saveerrors.moc"
