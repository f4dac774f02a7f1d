#include "ftp/FtpListing.h"
#include "ftp/IconCache.h"
#include "ftp/LocalFiles.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace FtpListing;
using Step = UploadStep;
using Kind = UploadStep::Kind;

namespace {

void writeFile(const QString &path, const QByteArray &data = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

void makeReadOnly(const QString &path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther
                                    | (QFileInfo(path).isDir() ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
}

} // namespace

class TestFtpListing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attributeColumns_data()
    {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("size");
        QTest::newRow("archived read-only file") << (Archive | ReadOnly) << "ar" << "1234";
        QTest::newRow("every letter in order") << (System | Hidden | ReadOnly | Archive) << "arhs" << "1234";
        QTest::newRow("plain folder: blank, no size") << int(Directory) << " " << "";
        QTest::newRow("hidden folder keeps its size") << (Directory | Hidden) << "h " << "1234";
        QTest::newRow("volume label: no size") << int(VolumeLabel) << "" << "";
        QTest::newRow("no attribute") << 0 << "" << "1234";
    }
    void attributeColumns()
    {
        QFETCH(int, attributes);
        QFETCH(QString, letters);
        QFETCH(QString, size);
        QCOMPARE(attributeLetters(attributes), letters);
        QCOMPARE(sizeText(attributes, 1234), size);
    }

    void localFolderRows()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("Index.htm")), "hello");
        writeFile(dir.filePath(QStringLiteral(".htaccess")));
        writeFile(dir.filePath(QStringLiteral("locked.txt")));
        makeReadOnly(dir.filePath(QStringLiteral("locked.txt")));
        QDir(dir.path()).mkdir(QStringLiteral("images"));
        const QDateTime when(QDate(2024, 3, 7), QTime(10, 0));
        QFile f(dir.filePath(QStringLiteral("Index.htm")));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        f.close();

        const QList<LocalEntry> rows = readLocalFolder(dir.path());
        QStringList names;
        for (const LocalEntry &row : rows)
            names << row.name;
        QCOMPARE(names, QStringList({"..", ".htaccess", "images", "Index.htm", "locked.txt"}));
        QCOMPARE(rows[1].attributes, QStringLiteral("ah"));
        QCOMPARE(rows[2].attributes, QStringLiteral(" "));
        QCOMPARE(rows[2].size, QString());
        QVERIFY(rows[2].directory);
        QCOMPARE(rows[3].size, QStringLiteral("5"));
        QCOMPARE(rows[3].date, QStringLiteral("07/03/2024"));
        QCOMPARE(rows[3].iconKey, QStringLiteral("htm"));
        QCOMPARE(rows[4].attributes, QStringLiteral("ar"));
        QCOMPARE(rows[0].iconKey, QStringLiteral("."));
    }

    void iconKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("directory");
        QTest::addColumn<QString>("key");
        QTest::newRow("extension in lower case") << "Photo.JPG" << false << "jpg";
        QTest::newRow("everything after the first dot") << "site.tar.gz" << false << "tar.gz";
        QTest::newRow("programs keep their own icon") << "Setup.EXE" << false << "setup.exe";
        QTest::newRow("icon files too") << "logo.ico" << false << "logo.ico";
        QTest::newRow("no dot: the whole name") << "README" << false << "readme";
        QTest::newRow("parent folder uses the shipped image") << ".." << true << ".";
        QTest::newRow("a folder does not share a file type's key") << "css" << true << "/";
    }
    void iconKeys()
    {
        QFETCH(QString, name);
        QFETCH(bool, directory);
        QFETCH(QString, key);
        QCOMPARE(localIconKey(name, directory), key);
    }

    void remoteNameList()
    {
        QCOMPARE(remoteNames("index.htm\r\n.\r\n..\r\nimages\r\n\r\nélan.txt\n"),
                 QStringList({"index.htm", "..", "images", QString::fromUtf8("élan.txt")}));
        QCOMPARE(remoteNames(""), QStringList());
    }

    void transferType_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("text");
        QTest::newRow("page in capitals") << "/site/Index.HTM" << true;
        QTest::newRow("style sheet") << "style.css" << true;
        QTest::newRow("shtml is not cut at shtm") << "a.shtml" << true;
        QTest::newRow("photo") << "/site/photo.jpg" << false;
        QTest::newRow("no extension") << "/site/README" << false;
        QTest::newRow("dot only in the folder") << "/site.htm/README" << false;
        QTest::newRow("last extension counts") << "page.htm.bak" << false;
        QTest::newRow("near miss") << "page.htmx" << false;
    }
    void transferType()
    {
        QFETCH(QString, path);
        QFETCH(bool, text);
        QCOMPARE(isTextFile(path), text);
    }

    void folderUploadOrder()
    {
        QTemporaryDir dir;
        const QString site = dir.filePath(QStringLiteral("site"));
        writeFile(site + QStringLiteral("/index.htm"));
        writeFile(site + QStringLiteral("/.htaccess"));
        writeFile(site + QStringLiteral("/images/a.gif"));
        writeFile(site + QStringLiteral("/images/icons/b.png"));
        writeFile(site + QStringLiteral("/css/style.css"));
        writeFile(site + QStringLiteral("/.git/config"));
        QVERIFY(QFile::link(site, site + QStringLiteral("/images/loop")));

        const QList<Step> expected = {
            {Kind::MakeDir, "site"}, {Kind::ChangeDir, "site"},
            {Kind::SendFile, site + "/.htaccess"}, {Kind::SendFile, site + "/index.htm"},
            {Kind::MakeDir, "css"}, {Kind::ChangeDir, "css"},
            {Kind::SendFile, site + "/css/style.css"}, {Kind::ChangeDir, ".."},
            {Kind::MakeDir, "images"}, {Kind::ChangeDir, "images"},
            {Kind::SendFile, site + "/images/a.gif"},
            {Kind::MakeDir, "icons"}, {Kind::ChangeDir, "icons"},
            {Kind::SendFile, site + "/images/icons/b.png"}, {Kind::ChangeDir, ".."},
            {Kind::ChangeDir, ".."},
            {Kind::ChangeDir, ".."},
        };
        QCOMPARE(folderUpload(site + QStringLiteral("/")), expected);
    }

    void deleteLocalEntries()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        writeFile(outside.filePath(QStringLiteral("keep.txt")));
        writeFile(dir.filePath(QStringLiteral("plain.htm")));
        writeFile(dir.filePath(QStringLiteral("locked.htm")));
        writeFile(dir.filePath(QStringLiteral("refused.htm")));
        makeReadOnly(dir.filePath(QStringLiteral("locked.htm")));
        makeReadOnly(dir.filePath(QStringLiteral("refused.htm")));
        const QString tree = dir.filePath(QStringLiteral("site"));
        writeFile(tree + QStringLiteral("/index.htm"));
        writeFile(tree + QStringLiteral("/.hidden/deep/x.gif"));
        writeFile(tree + QStringLiteral("/ro/y.gif"));
        makeReadOnly(tree + QStringLiteral("/ro/y.gif"));
        makeReadOnly(tree + QStringLiteral("/ro"));
        QVERIFY(QFile::link(outside.path(), tree + QStringLiteral("/link")));

        QStringList asked;
        int afterEach = 0;
        const QStringList failed = LocalFiles::deleteEntries(
            dir.path(), {"plain.htm", "locked.htm", "refused.htm", "site", "gone.htm"},
            [&](const QString &path) {
                asked << QFileInfo(path).fileName();
                return !path.endsWith(QLatin1String("refused.htm"));
            },
            [&](int done) { afterEach = done; });

        QCOMPARE(failed, QStringList());
        QCOMPARE(asked, QStringList({"locked.htm", "refused.htm"}));
        QCOMPARE(afterEach, 5);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"refused.htm"}));
        // The link went, what it pointed at stayed.
        QVERIFY(QFile::exists(outside.filePath(QStringLiteral("keep.txt"))));
    }

    void iconScalingKeepsTransparency()
    {
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 16; ++x)
                picture.setPixel(x, y, qRgb(200, 0, 0));
        const QImage small = FileIcons::scaleDown(picture, QSize(16, 16));
        QCOMPARE(small.size(), QSize(16, 16));
        const QColor inside = small.pixelColor(2, 8);
        QVERIFY2(inside.alpha() > 240 && inside.red() > 180 && inside.green() == 0, qPrintable(inside.name()));
        QCOMPARE(small.pixelColor(14, 8).alpha(), 0);
    }

    void iconCacheLimit()
    {
        IconCache cache;
        QCOMPARE(cache.count(), 2);
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        int lookups = 0;
        const auto lookup = [&] { ++lookups; return red; };
        cache.iconFor(QStringLiteral("htm"), lookup);
        cache.iconFor(QStringLiteral("htm"), lookup);
        QCOMPARE(lookups, 1);
        // Types of no known program share the generic image and are not cached.
        cache.iconFor(QStringLiteral("zzz"), [] { return QImage(); });
        QCOMPARE(cache.count(), 3);

        for (int i = cache.count(); i < IconCache::MaxKeys; ++i)
            cache.add(QString::number(i), red);
        cache.trimIfFull();
        QCOMPARE(cache.count(), IconCache::MaxKeys);
        cache.add(QStringLiteral("one more"), red);
        cache.trimIfFull();
        QCOMPARE(cache.count(), 2);
        QCOMPARE(cache.indexOf(QStringLiteral(".")), 1);
        QCOMPARE(cache.indexOf(QStringLiteral("htm")), -1);
    }
};

PEMO_TEST(TestFtpListing)
#include "tst_ftplisting.moc"
