// The private temporary folders: what a stopped program left goes at the
// next start, what a running one holds stays.
#include "testmain.h"

#include "platform/TempFolders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/time.h>
#include <ctime>

class TempFoldersTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void leftFoldersGoOthersStay()
    {
        QTemporaryDir root;
        QProcess ended;
        ended.start(QStringLiteral("true"));
        ended.waitForFinished();
        const qint64 dead = ended.processId() ? ended.processId() : 999999;
        const QString mine = QString::number(QCoreApplication::applicationPid());
        // A number given to a process that started after its folder was
        // last changed: the folder belongs to an earlier process of that
        // number. A running program's own folder is older than its process.
        QProcess other;
        other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(other.waitForStarted());
        QProcess older;
        older.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(older.waitForStarted());
        const QStringList names = {
            QStringLiteral("pemohtml-%1-abc123").arg(dead),
            QStringLiteral("pemohtml-%1-def456").arg(other.processId()),
            QStringLiteral("pemohtml-%1-ghi789").arg(mine),
            QStringLiteral("pemohtml-nombre-xyz"),
            QStringLiteral("autre-%1-abc").arg(dead),
            QStringLiteral("pemohtml-%1-jkl012").arg(older.processId()),
        };
        for (const QString &name : names) {
            QVERIFY(QDir(root.path()).mkpath(name + QStringLiteral("/sous")));
            QFile page(root.filePath(name + QStringLiteral("/apercu1.htm")));
            QVERIFY(page.open(QIODevice::WriteOnly));
        }
        const timeval anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        QVERIFY(::utimes(QFile::encodeName(root.filePath(names.at(1))).constData(), anHourAgo) == 0);
        QCOMPARE(Platform::removeLeftTempFolders(root.path()), 2);
        for (QProcess *p : {&other, &older}) {
            p->kill();
            p->waitForFinished();
        }
        QStringList kept{names.at(2), names.at(3), names.at(4), names.at(5)};
        kept.sort();
        QCOMPARE(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), kept);
        QVERIFY(Platform::privateTempTemplate().contains(QStringLiteral("/pemohtml-%1-").arg(mine)));
    }
};

PEMO_TEST(TempFoldersTest)
#include "tst_tempfolders.moc"
