// The private temporary folders: what a stopped program left goes at the
// next start, what a running one holds stays.
#include "testmain.h"

#include "platform/TempFolders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
        // The number of a running process of another program.
        QProcess other;
        other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(other.waitForStarted());
        const QStringList names = {
            QStringLiteral("pemohtml-%1-abc123").arg(dead),
            QStringLiteral("pemohtml-%1-def456").arg(other.processId()),
            QStringLiteral("pemohtml-%1-ghi789").arg(mine),
            QStringLiteral("pemohtml-nombre-xyz"),
            QStringLiteral("autre-%1-abc").arg(dead),
        };
        for (const QString &name : names) {
            QVERIFY(QDir(root.path()).mkpath(name + QStringLiteral("/sous")));
            QFile page(root.filePath(name + QStringLiteral("/apercu1.htm")));
            QVERIFY(page.open(QIODevice::WriteOnly));
        }
        QCOMPARE(Platform::removeLeftTempFolders(root.path()), 2);
        other.kill();
        other.waitForFinished();
        QCOMPARE(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{names.at(4), names.at(2), names.at(3)}));
        QVERIFY(Platform::privateTempTemplate().contains(QStringLiteral("/pemohtml-%1-").arg(mine)));
    }
};

PEMO_TEST(TempFoldersTest)
#include "tst_tempfolders.moc"
