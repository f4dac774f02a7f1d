#include "ftp/SyncPlan.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace FtpSync;

namespace {

QDateTime utc(const char *text)
{
    QDateTime t = QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyyMMddHHmmss"));
    t.setTimeZone(QTimeZone::utc());
    return t;
}

RemoteEntry remoteFile(const QString &name, qint64 size, const QDateTime &modified = {}, const QString &timeText = {})
{
    RemoteEntry e;
    e.name = name;
    e.size = size;
    e.modified = modified;
    e.timeText = timeText.isEmpty() && modified.isValid() ? machineTime(modified) : timeText;
    return e;
}

QStringList sentPaths(const Plan &plan)
{
    QStringList out;
    for (const Upload &u : plan.send)
        out << u.file.path;
    return out;
}

} // namespace

class TestSyncPlan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void machineListingGivesFilesAndFoldersOnly()
    {
        const QByteArray listing = "type=cdir;modify=20261210120000; /site\r\n"
                                   "type=pdir;modify=20261210120000; ..\r\n"
                                   "type=file;size=12;modify=20261210182000.123;UNIX.mode=0644; index page.htm\r\n"
                                   "Type=dir;Modify=20261201080000; images\r\n"
                                   "type=OS.unix=slink:/etc;size=4; link\r\n"
                                   "type=file;size=-3; broken.htm\r\n"
                                   "type=file;size=3; a/b\r\n"
                                   "no facts line\r\n";
        const QList<RemoteEntry> entries = parseMlsd(listing);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].name, QStringLiteral("index page.htm"));
        QCOMPARE(entries[0].size, 12);
        QCOMPARE(entries[0].modified, utc("20261210182000"));
        QCOMPARE(entries[0].timeText, QStringLiteral("20261210182000"));
        QVERIFY(!entries[0].folder);
        QCOMPARE(entries[1].name, QStringLiteral("images"));
        QVERIFY(entries[1].folder);
        // A size the server cannot mean is unknown, and so never "the same".
        QCOMPARE(entries[2].name, QStringLiteral("broken.htm"));
        QCOMPARE(entries[2].size, -1);
    }

    void listListingReadsUnixAndDosForms()
    {
        const QByteArray listing = "total 12\n"
                                   "-rw-r--r--    1 1000     1000         1234 Dec 10 18:20 index.htm\n"
                                   "drwxr-xr-x    2 ftp      ftp          4096 Jan  3  2025 images\n"
                                   "-rw-r--r-- 1 owner group 7 Dec 10 18:20 name with  spaces.txt\n"
                                   "lrwxrwxrwx    1 0        0               4 Dec 10 18:20 link -> /etc\n"
                                   "12-10-26  06:20PM       <DIR>          old\n"
                                   "12-10-26  06:21PM                  512 page.htm\r\n";
        const QList<RemoteEntry> entries = parseList(listing);
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries[0].name, QStringLiteral("index.htm"));
        QCOMPARE(entries[0].size, 1234);
        QCOMPARE(entries[0].timeText, QStringLiteral("Dec 10 18:20"));
        QVERIFY(!entries[0].modified.isValid());
        QVERIFY(entries[1].folder);
        QCOMPARE(entries[1].timeText, QStringLiteral("Jan 3 2025"));
        QCOMPARE(entries[2].name, QStringLiteral("name with  spaces.txt"));
        QCOMPARE(entries[2].size, 7);
        QCOMPARE(entries[3].name, QStringLiteral("old"));
        QVERIFY(entries[3].folder);
        QCOMPARE(entries[4].name, QStringLiteral("page.htm"));
        QCOMPARE(entries[4].size, 512);
    }

    void planSendsWhatChangedAndKeepsTheRest()
    {
        const QDateTime t1 = utc("20261210100000");
        const QDateTime t2 = utc("20261210110000");
        LocalTree local;
        local.folders = {QStringLiteral("images"), QStringLiteral("images/new")};
        local.files = {
            {QStringLiteral("new.htm"), 5, t1},            // not on the server
            {QStringLiteral("size.htm"), 6, t1},           // another size there
            {QStringLiteral("mfmt.htm"), 7, t1},           // its time set by us
            {QStringLiteral("remembered.htm"), 8, t1},     // as we sent it (LIST server)
            {QStringLiteral("touched.htm"), 9, t2},        // same size, edited since our send
            {QStringLiteral("replaced.htm"), 10, t1},      // changed on the server since
            {QStringLiteral("unknown.htm"), 11, t1},       // same size, never sent by us
            {QStringLiteral("images/a.gif"), 12, t1},
        };
        RemoteTree remote;
        remote.folders = {QStringLiteral("images")};
        remote.files.insert(QStringLiteral("size.htm"), remoteFile(QStringLiteral("size.htm"), 60));
        remote.files.insert(QStringLiteral("mfmt.htm"), remoteFile(QStringLiteral("mfmt.htm"), 7, t1));
        remote.files.insert(QStringLiteral("remembered.htm"),
                            remoteFile(QStringLiteral("remembered.htm"), 8, {}, QStringLiteral("Dec 10 10:05")));
        remote.files.insert(QStringLiteral("touched.htm"), remoteFile(QStringLiteral("touched.htm"), 9));
        remote.files.insert(QStringLiteral("replaced.htm"),
                            remoteFile(QStringLiteral("replaced.htm"), 10, {}, QStringLiteral("Dec 11 09:00")));
        remote.files.insert(QStringLiteral("unknown.htm"), remoteFile(QStringLiteral("unknown.htm"), 11, t2));
        remote.files.insert(QStringLiteral("images/a.gif"), remoteFile(QStringLiteral("images/a.gif"), 12));
        QHash<QString, Sent> sent;
        sent.insert(QStringLiteral("remembered.htm"), Sent{8, t1, QStringLiteral("Dec 10 10:05"), false});
        sent.insert(QStringLiteral("touched.htm"), Sent{9, t1, QString(), false});
        sent.insert(QStringLiteral("replaced.htm"), Sent{10, t1, QStringLiteral("Dec 10 10:05"), false});
        // Sent before the server's time was seen: the time is learnt now.
        sent.insert(QStringLiteral("images/a.gif"), Sent{12, t1, QString(), false});

        const Plan plan = makePlan(local, remote, sent, false);
        QCOMPARE(plan.createFolders, QStringList{QStringLiteral("images/new")});
        QCOMPARE(sentPaths(plan), (QStringList{QStringLiteral("new.htm"), QStringLiteral("size.htm"),
                                               QStringLiteral("touched.htm"), QStringLiteral("replaced.htm"),
                                               QStringLiteral("unknown.htm")}));
        QVERIFY(plan.send[0].isNew);
        QVERIFY(!plan.send[1].isNew);
        QCOMPARE(plan.bytesToSend(), 5 + 6 + 9 + 10 + 11);
        QVERIFY(plan.deleteFiles.isEmpty());
        QVERIFY(plan.learned.isEmpty()); // a.gif's listing gave no time to learn
    }

    void resumeOnlyFromThePartOfTheVersionBeingSent()
    {
        const QDateTime t1 = utc("20261210100000");
        LocalTree local;
        local.files = {{QStringLiteral("cut.bin"), 1000, t1},
                       {QStringLiteral("edited.bin"), 1000, utc("20261210120000")},
                       {QStringLiteral("longer.bin"), 1000, t1}};
        RemoteTree remote;
        remote.files.insert(QStringLiteral("cut.bin"), remoteFile(QStringLiteral("cut.bin"), 400));
        remote.files.insert(QStringLiteral("edited.bin"), remoteFile(QStringLiteral("edited.bin"), 400));
        remote.files.insert(QStringLiteral("longer.bin"), remoteFile(QStringLiteral("longer.bin"), 1200));
        QHash<QString, Sent> sent;
        for (const char *name : {"cut.bin", "edited.bin", "longer.bin"})
            sent.insert(QString::fromLatin1(name), Sent{1000, t1, QString(), true});
        const Plan plan = makePlan(local, remote, sent, false);
        QCOMPARE(plan.send.size(), 3);
        QCOMPARE(plan.send[0].resumeAt, 400);
        // Edited since the cut: what the server has is the old version's start.
        QCOMPARE(plan.send[1].resumeAt, 0);
        QCOMPARE(plan.send[2].resumeAt, 0);
        QCOMPARE(plan.bytesToSend(), 600 + 1000 + 1000);
    }

    void deletionsOnlyWhenAskedAndNeverOfTheServersDotFiles()
    {
        LocalTree local;
        local.folders = {QStringLiteral("kept")};
        local.files = {{QStringLiteral("kept/page.htm"), 1, utc("20261210100000")}};
        RemoteTree remote;
        remote.folders = {QStringLiteral("kept"), QStringLiteral("gone"), QStringLiteral("gone/deeper"),
                          QStringLiteral("holds"), QStringLiteral(".well-known")};
        for (const char *path : {"kept/page.htm", "kept/old.htm", "gone/a.htm", "gone/deeper/b.htm", ".htaccess",
                                 "holds/.htpasswd", "holds/c.htm"}) {
            const QString p = QString::fromLatin1(path);
            remote.files.insert(p, remoteFile(p.section(u'/', -1), 1, utc("20261210100000")));
        }
        QVERIFY(makePlan(local, remote, {}, false).deleteFiles.isEmpty());
        const Plan plan = makePlan(local, remote, {}, true);
        QCOMPARE(plan.deleteFiles, (QStringList{QStringLiteral("gone/a.htm"), QStringLiteral("gone/deeper/b.htm"),
                                                QStringLiteral("holds/c.htm"), QStringLiteral("kept/old.htm")}));
        // Children before parents; a folder that keeps a dot file stays.
        QCOMPARE(plan.deleteFolders, (QStringList{QStringLiteral("gone/deeper"), QStringLiteral("gone")}));
    }

    void localTreeLeavesDotFoldersHomeAndSurvivesLoops()
    {
        QTemporaryDir dir;
        QDir root(dir.path());
        root.mkpath(QStringLiteral("site/images"));
        root.mkpath(QStringLiteral("site/.git"));
        for (const char *name : {"site/index.htm", "site/.htaccess", "site/images/a.gif", "site/.git/config"}) {
            QFile f(root.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        QVERIFY(QFile::link(root.filePath(QStringLiteral("site")), root.filePath(QStringLiteral("site/images/loop"))));
        const LocalTree tree = readLocalTree(root.filePath(QStringLiteral("site")));
        QStringList files;
        for (const LocalFile &f : tree.files)
            files << f.path;
        QCOMPARE(files, (QStringList{QStringLiteral(".htaccess"), QStringLiteral("index.htm"),
                                     QStringLiteral("images/a.gif")}));
        QCOMPARE(tree.folders, QStringList{QStringLiteral("images")});
        QCOMPARE(tree.files[0].modified.offsetFromUtc(), 0);
        QCOMPARE(tree.files[0].modified.time().msec(), 0);
    }

    void stateFileRoundTripsPerSiteAndSurvivesDamage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state/sync.json"));
        const LocalFile file{QStringLiteral("a/b.htm"), 42, utc("20261210100000")};
        {
            SyncState state(path);
            state.setSite(QStringLiteral("ftp://u@h:21/"));
            state.beginSend(file);
            state.setSite(QStringLiteral("ftp://u@other:21/"));
            state.sent(file, QStringLiteral("Dec 10 10:00"));
            QVERIFY(state.save());
        }
        SyncState state(path);
        state.load();
        state.setSite(QStringLiteral("ftp://u@h:21/"));
        QVERIFY(state.sent().value(file.path).partial);
        QCOMPARE(state.sent().value(file.path).size, 42);
        QCOMPARE(state.sent().value(file.path).localModified, file.modified);
        state.setSite(QStringLiteral("ftp://u@other:21/"));
        QVERIFY(!state.sent().value(file.path).partial);
        QCOMPARE(state.sent().value(file.path).remoteTime, QStringLiteral("Dec 10 10:00"));
        state.forget(file.path);
        QVERIFY(state.sent().isEmpty());

        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("{\"sites\": [1, 2");
        damaged.close();
        state.load();
        QVERIFY(state.sent().isEmpty());
    }
};

PEMO_TEST(TestSyncPlan)
#include "tst_syncplan.moc"
