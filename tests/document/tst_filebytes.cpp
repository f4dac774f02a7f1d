// What a save leaves of a file: its bytes where the page did not change
// them (line breaks, final break, UTF-16 and UTF-32), files that are no
// text refused, and the file's owner, rights, links and kind kept.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "page/PageFile.h"
#include "page/SafeSave.h"
#include "platform/Errors.h"
#include "platform/Messages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

QByteArray utf16le(const char16_t *text)
{
    const QString s = QString::fromUtf16(text);
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

// Root may write anything: the checks of a user's rights run as the
// unprivileged user "nobody" for their length.
class AsNobody
{
public:
    AsNobody()
    {
        if (::geteuid() == 0)
            m_switched = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~AsNobody()
    {
        if (m_switched) {
            if (::seteuid(0) != 0 || ::setegid(0) != 0)
                qFatal("cannot become root again");
        }
    }
    bool switched() const { return m_switched; }

private:
    bool m_switched = false;
};
} // namespace

class FileBytesTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        // The unprivileged user must reach the files of the checks.
        if (::geteuid() == 0)
            QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
    }
    void init()
    {
        Platform::setMessageHandler([](const Platform::MessageRecord &) { return Platform::Answer::Ok; });
    }
    void cleanup() { Platform::setMessageHandler({}); }

    // Decoded and encoded again without an edit, a file comes back whole.
    void unchangedPageEncodesToItsOwnBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<int>("lines");
        using E = PageFile::Encoding;
        QTest::newRow("LF only") << QByteArray("<p>a</p>\n<p>b</p>\n") << int(E::Windows1252) << 2;
        QTest::newRow("CR only") << QByteArray("<p>a</p>\r<p>b</p>\r") << int(E::Windows1252) << 2;
        QTest::newRow("CR LF") << QByteArray("a\r\n\r\nb\r\n") << int(E::Windows1252) << 3;
        QTest::newRow("no final break, LF") << QByteArray("a\nb") << int(E::Windows1252) << 2;
        QTest::newRow("no final break, one line") << QByteArray("<p>seule</p>") << int(E::Windows1252) << 1;
        QTest::newRow("empty line at the end") << QByteArray("a\n\n") << int(E::Windows1252) << 2;
        QTest::newRow("invalid UTF-8 stays Windows-1252") << QByteArray("caf\xe9 \xc3(\n") << int(E::Windows1252) << 1;
        // Every byte of the code page, the unassigned ones included.
        QByteArray all;
        for (int b = 0x20; b < 0x100; ++b)
            all += char(b);
        QTest::newRow("every Windows-1252 byte") << all + "\r\n\x80\xa0\x9f\x81" << int(E::Windows1252) << 2;
        QTest::newRow("UTF-8 mark, then U+FEFF and a no-break space")
            << QByteArray("\xef\xbb\xbf\xef\xbb\xbf<p>\xc2\xa0</p>\r\n") << int(E::Utf8Bom) << 1;
        QTest::newRow("UTF-8 without final break") << QByteArray("\xc3\xa9t\xc3\xa9") << int(E::Utf8) << 1;
        QTest::newRow("UTF-16 LE with mark")
            << QByteArray("\xff\xfe") + utf16le(u"<p>été</p>\r\n<p>€</p>\r\n") << int(E::Utf16LeBom) << 2;
        QTest::newRow("UTF-16 LE without mark, LF") << utf16le(u"<html>\n<p>Noël</p>\n</html>\n") << int(E::Utf16Le) << 3;
        QTest::newRow("UTF-16 BE with mark")
            << QByteArray("\xfe\xff\0<\0p\0>\0\xe9\0\n", 12) << int(E::Utf16BeBom) << 1;
        QTest::newRow("UTF-32 LE with mark")
            << QByteArray("\xff\xfe\0\0a\0\0\0\xe9\0\0\0\n\0\0\0", 16) << int(E::Utf32LeBom) << 1;
        QTest::newRow("UTF-32 BE without mark")
            << QByteArray("\0\0\0<\0\0\0b\0\0\0>\0\0\0\n", 16) << int(E::Utf32Be) << 1;
    }
    void unchangedPageEncodesToItsOwnBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(int, lines);
        const PageFile::Page page = PageFile::decode(bytes);
        QVERIFY(page.text);
        QCOMPARE(int(page.encoding), encoding);
        QCOMPARE(page.lines.size(), lines);
        QCOMPARE(PageFile::encode(page.lines, page.encoding, page.breaks), bytes);
        // The page as one text, as the window reads and writes it.
        const PageFile::Text text = PageFile::decodeText(bytes);
        QCOMPARE(PageFile::linesOf(text.text), page.lines);
        QCOMPARE(PageFile::encodeText(text.text, text.encoding, text.breaks), bytes);
        // Opened in a window and saved as it stands: the same bytes.
        writeAll(path("telle.htm"), bytes);
        TEditeur e(nullptr);
        e.OpenFile(path("telle.htm"));
        QCOMPARE(e.Memo1->Lines(), page.lines);
        QVERIFY(e.Enregistrer());
        QCOMPARE(readAll(path("telle.htm")), bytes);
    }

    void mixedBreaksAreWrittenInTheMostFrequentStyle()
    {
        const PageFile::Page page = PageFile::decode("a\nb\r\nc\nd\re\n");
        QCOMPARE(page.lines, (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(page.breaks.style, PageFile::LineBreak::Lf);
        QCOMPARE(PageFile::encode(page.lines, page.encoding, page.breaks), QByteArray("a\nb\nc\nd\ne\n"));
    }

    void paragraphSeparatorIsNoLineBreak()
    {
        const PageFile::Page page = PageFile::decode("a\xe2\x80\xa9" "b\n");
        QCOMPARE(page.lines, QStringList{QString::fromUtf16(u"a\u2029b")});
    }

    void filesThatAreNoTextAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("NUL bytes in a page") << QByteArray("<p>a\0b</p>\n", 11);
        QTest::newRow("picture header") << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 20);
        QTest::newRow("odd length with NULs") << QByteArray("a\0b\0c", 5);
    }
    void filesThatAreNoTextAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!PageFile::decode(bytes).text);
        writeAll(path("binaire.htm"), bytes);
        TEditeur e(nullptr);
        try {
            e.OpenFile(path("binaire.htm"));
            QFAIL("a file that is no text must not open");
        } catch (const Platform::PemoError &error) {
            QVERIFY(error.message().contains(QStringLiteral("n'est pas un fichier texte")));
            QVERIFY(error.message().contains(path("binaire.htm")));
        }
        QCOMPARE(readAll(path("binaire.htm")), bytes);
    }

    // A page read ahead (while the program starts) opens as if read then:
    // the same text and bytes, under another name of the same file too; a
    // file changed since is read again, and a failure is told as always.
    void readAheadGivesTheFileAsItIsNow()
    {
        const QByteArray bytes = "<p>L\xe2\x80\x99\xc3\xa9t\xc3\xa9\xc2\xa0;</p>\r\n<p>fin</p>\r\n";
        writeAll(path("avance.htm"), bytes);
        QByteArray direct;
        const PageFile::Text expected = PageFile::readText(path("avance.htm"), &direct);
        QCOMPARE(direct, bytes);

        PageFile::readAhead(path("avance.htm"));
        QByteArray ahead;
        const PageFile::Text taken = PageFile::readText(m_dir.path() + QStringLiteral("/./avance.htm"), &ahead);
        QCOMPARE(ahead, bytes);
        QCOMPARE(taken.text, expected.text);
        QCOMPARE(int(taken.encoding), int(expected.encoding));
        QVERIFY(taken.breaks == expected.breaks);

        // Written again after it was read ahead, same length, a later time.
        PageFile::readAhead(path("avance.htm"));
        const QByteArray changed = QByteArray(bytes).replace("fin", "FIN");
        writeAll(path("avance.htm"), changed);
        struct timespec later[2] = {{0, UTIME_OMIT}, {statOf(path("avance.htm")).st_mtim.tv_sec + 5, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path("avance.htm")).constData(), later, 0) == 0);
        QByteArray now;
        QVERIFY(PageFile::readText(path("avance.htm"), &now).text.contains(QStringLiteral("FIN")));
        QCOMPARE(now, changed);

        // Taken away, then a file that is no text: the usual messages.
        PageFile::readAhead(path("avance.htm"));
        QVERIFY(QFile::remove(path("avance.htm")));
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, PageFile::readText(path("avance.htm")));
        writeAll(path("avance.htm"), QByteArray("a\0b\0c", 5));
        PageFile::readAhead(path("avance.htm"));
        try {
            PageFile::readText(path("avance.htm"));
            QFAIL("a file that is no text must not open");
        } catch (const Platform::PemoError &error) {
            QVERIFY(error.message().contains(QStringLiteral("n'est pas un fichier texte")));
        }
        // One not taken is dropped, and a later read is the file's own.
        writeAll(path("avance.htm"), bytes);
        PageFile::readAhead(path("avance.htm"));
        PageFile::forgetReadAheads();
        QCOMPARE(PageFile::readText(path("avance.htm")).text, expected.text);
    }

    // An edit changes the line it is in, and nothing else of the file.
    void editedPageKeepsTheFileForm_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("LF, no final break") << QByteArray("<p>a</p>\n<p>b</p>") << QByteArray("x<p>a</p>\n<p>b</p>");
        QTest::newRow("CR") << QByteArray("a\rb\r") << QByteArray("xa\rb\r");
        QTest::newRow("paragraph separator inside a line")
            << QByteArray("a\xe2\x80\xa9" "b\n") << QByteArray("xa\xe2\x80\xa9" "b\n");
        QTest::newRow("UTF-16 with mark")
            << QByteArray("\xff\xfe") + utf16le(u"é\r\n") << QByteArray("\xff\xfe") + utf16le(u"xé\r\n");
    }
    void editedPageKeepsTheFileForm()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        writeAll(path("forme.htm"), before);
        TEditeur e(nullptr);
        e.OpenFile(path("forme.htm"));
        e.Memo1->SetSelStart(0);
        e.Memo1->SetSelText(QStringLiteral("x"));
        QVERIFY(e.Enregistrer());
        QCOMPARE(readAll(path("forme.htm")), after);
    }

    void newPageIsWrittenWithCrLf()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<html>", "</html>"});
        PageFile::write(path("neuve.htm"), e.Memo1->Lines(), e.encoding(), e.breaks());
        QCOMPARE(readAll(path("neuve.htm")), QByteArray("<html>\r\n</html>\r\n"));
    }

    void saveKeepsRightsOwnerAndHardLinks()
    {
        const QString file = path("lie.htm");
        const QString other = path("autre-nom.htm");
        writeAll(file, "ancien\n");
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0640) == 0);
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()) == 0);
        const struct stat before = statOf(file);
        QCOMPARE(SafeSave::replaceContents(file, "nouveau\n"), SafeSave::Method::InPlace);
        const struct stat after = statOf(file);
        QCOMPARE(readAll(file), QByteArray("nouveau\n"));
        QCOMPARE(readAll(other), QByteArray("nouveau\n"));
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode & 07777, mode_t(0640));

        // A file of its own is replaced whole, and gets the old rights.
        const QString single = path("seul.htm");
        writeAll(single, "ancien\n");
        QVERIFY(::chmod(QFile::encodeName(single).constData(), 0604) == 0);
        QCOMPARE(SafeSave::replaceContents(single, "nouveau\n"), SafeSave::Method::Renamed);
        QCOMPARE(statOf(single).st_mode & 07777, mode_t(0604));
        QCOMPARE(readAll(single), QByteArray("nouveau\n"));
    }

    void someoneElsesFileKeepsItsOwner()
    {
        if (::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        const QString file = path("a-lui.htm");
        writeAll(file, "ancien\n");
        QVERIFY(::chown(QFile::encodeName(file).constData(), 65534, 65534) == 0);
        SafeSave::replaceContents(file, "nouveau\n");
        QCOMPARE(statOf(file).st_uid, uid_t(65534));
        QCOMPARE(statOf(file).st_gid, gid_t(65534));

        // Written by a user who may write it but does not own it, in a
        // folder where he could make the new file.
        QDir().mkpath(path("commun"));
        QVERIFY(::chmod(QFile::encodeName(path("commun")).constData(), 0777) == 0);
        const QString theirs = path("commun/a-root.htm");
        writeAll(theirs, "ancien\n");
        QVERIFY(::chmod(QFile::encodeName(theirs).constData(), 0666) == 0);
        SafeSave::Method method;
        {
            AsNobody nobody;
            QVERIFY(nobody.switched());
            method = SafeSave::replaceContents(theirs, "nouveau\n");
        }
        QCOMPARE(method, SafeSave::Method::InPlace);
        QCOMPARE(statOf(theirs).st_uid, uid_t(0));
        QCOMPARE(readAll(theirs), QByteArray("nouveau\n"));
    }

    void fileInAFolderTheUserMayNotWriteIsSaved()
    {
        const QString folder = path("ferme");
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/page.htm");
        writeAll(file, "ancien\n");
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        bool saved = false;
        QString failure;
        {
            TEditeur e(nullptr);
            e.OpenFile(file);
            e.Memo1->SetSelText(QStringLiteral("x"));
            AsNobody nobody;
            try {
                saved = e.Enregistrer();
            } catch (const Platform::PemoError &error) {
                failure = error.message();
            }
        }
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QCOMPARE(failure, QString());
        QVERIFY(saved);
        QCOMPARE(readAll(file), QByteArray("xancien\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"page.htm"});
    }

    void fullDiskInPlaceKeepsTheOldBytes()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        const QString folder = path("plein");
        QDir().mkpath(folder);
        if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder}) != 0)
            QSKIP("cannot mount a small file system here");
        const QString file = folder + QStringLiteral("/page.htm");
        writeAll(file, "ancien\n");
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(folder + "/lien.htm").constData()) == 0);
        bool failed = false;
        try {
            SafeSave::replaceContents(file, QByteArray(200 * 1024, 'x'));
        } catch (const Platform::PemoError &) {
            failed = true;
        }
        const QByteArray kept = readAll(file);
        QProcess::execute(QStringLiteral("umount"), {folder});
        QVERIFY(failed);
        QCOMPARE(kept, QByteArray("ancien\n"));
    }

    // A big page goes out in pieces, each written while the next is made:
    // the file is whole, or it is what it was and nothing is left beside
    // it, whichever piece fails.
    void savedInPiecesIsWholeOrNothing()
    {
        const QByteArray piece(40 * 1024, 'x');
        auto pieces = [&](int count, int failingAt = -1) {
            return [=, made = 0](QByteArray &out) mutable {
                if (made == failingAt)
                    throw Platform::PemoError(QStringLiteral("panne"));
                out += piece;
                out += QByteArray::number(made);
                return ++made < count;
            };
        };
        QByteArray whole;
        for (int k = 0; k < 5; ++k)
            whole += piece + QByteArray::number(k);

        const QString folder = path("morceaux");
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/page.htm");
        writeAll(file, "ancien\n");
        QCOMPARE(SafeSave::replaceContents(file, SafeSave::Pieces(pieces(5))), SafeSave::Method::Renamed);
        QCOMPARE(readAll(file), whole);
        // With another name, in place: the pieces are put together.
        QVERIFY(::link(QFile::encodeName(file).constData(), QFile::encodeName(folder + "/lien").constData()) == 0);
        QCOMPARE(SafeSave::replaceContents(file, SafeSave::Pieces(pieces(2))), SafeSave::Method::InPlace);
        QCOMPARE(readAll(folder + "/lien"), piece + "0" + piece + "1");
        QVERIFY(QFile::remove(folder + "/lien"));

        bool failed = false;
        try {
            SafeSave::replaceContents(file, SafeSave::Pieces(pieces(5, 3)));
        } catch (const Platform::PemoError &) {
            failed = true;
        }
        QVERIFY(failed);
        QCOMPARE(readAll(file), piece + "0" + piece + "1");
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"page.htm"});

        // The disk full after two pieces: the writer's failure is the save's.
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        const QString full = path("plein-morceaux");
        QDir().mkpath(full);
        if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=128k", "tmpfs", full}) != 0)
            QSKIP("cannot mount a small file system here");
        const QString small = full + QStringLiteral("/page.htm");
        writeAll(small, "ancien\n");
        QString message;
        try {
            SafeSave::replaceContents(small, SafeSave::Pieces(pieces(5)));
        } catch (const Platform::PemoError &e) {
            message = e.message();
        }
        const QByteArray kept = readAll(small);
        const QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden);
        QProcess::execute(QStringLiteral("umount"), {full});
        QVERIFY2(message.contains(QStringLiteral("Impossible d'enregistrer")), qPrintable(message));
        QCOMPARE(kept, QByteArray("ancien\n"));
        QCOMPARE(left, QStringList{"page.htm"});
    }

    void devicesAndPipesAreWrittenIntoNeverReplaced()
    {
        // A link to a device: written through, the link stays a link.
        const QString link = path("vers-null");
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
        QCOMPARE(SafeSave::replaceContents(link, "texte\n"), SafeSave::Method::IntoDevice);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(QStringLiteral("/dev/null")).exists());

        // A named pipe that a reader holds open gets the bytes.
        const QString fifo = path("tube");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QCOMPARE(SafeSave::replaceContents(fifo, "par le tube\n"), SafeSave::Method::IntoDevice);
        char buffer[64] = {};
        QCOMPARE(::read(reader, buffer, sizeof buffer), ssize_t(12));
        QCOMPARE(QByteArray(buffer), QByteArray("par le tube\n"));
        ::close(reader);
        // Without a reader it is refused at once, and stays a pipe.
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, SafeSave::replaceContents(fifo, "x"));
        QVERIFY(S_ISFIFO(statOf(fifo).st_mode));

        // A socket is refused.
        const QString socketPath = path("prise");
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(socketPath);
        if (size_t(native.size()) >= sizeof address.sun_path)
            QSKIP("temporary folder path too long for a socket");
        memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QVERIFY(::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        try {
            SafeSave::replaceContents(socketPath, "x");
            QFAIL("a socket must be refused");
        } catch (const Platform::PemoError &error) {
            QVERIFY(error.message().contains(QStringLiteral("socket")));
        }
        QVERIFY(S_ISSOCK(statOf(socketPath).st_mode));
        ::close(s);
    }

    void saveThroughASymbolicLinkWritesItsTarget()
    {
        writeAll(path("cible.htm"), "ancien\n");
        QVERIFY(QFile::link(path("cible.htm"), path("raccourci.htm")));
        SafeSave::replaceContents(path("raccourci.htm"), "nouveau\n");
        QVERIFY(QFileInfo(path("raccourci.htm")).isSymLink());
        QCOMPARE(readAll(path("cible.htm")), QByteArray("nouveau\n"));
    }

    void nameThatIsNotUtf8IsOpenedAndSavedUnderItsBytes()
    {
        const QByteArray native = QFile::encodeName(m_dir.path()) + "/caf\xe9.htm";
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "<p>x</p>\n", 9), ssize_t(9));
        ::close(fd);
        const QString name = SafeSave::fromNativePath(native);
        QCOMPARE(SafeSave::nativePath(name), native);
        QCOMPARE(SafeSave::fromNativePath("d\xc3\xa9j\xc3\xa0"), QString::fromUtf8("déjà"));

        TEditeur e(nullptr);
        e.OpenFile(name);
        QCOMPARE(e.Memo1->Lines(), QStringList{"<p>x</p>"});
        e.Memo1->SetSelText(QStringLiteral("y"));
        QVERIFY(e.Enregistrer());
        QCOMPARE(SafeSave::readContents(name).value_or("(absent)"), QByteArray("y<p>x</p>\n"));
        // Nothing else was written beside it (under a name made "valid").
        QStringList names;
        if (DIR *dir = ::opendir(QFile::encodeName(m_dir.path()).constData())) {
            while (const dirent *entry = ::readdir(dir))
                if (QByteArray(entry->d_name).startsWith("caf"))
                    names << SafeSave::fromNativePath(entry->d_name);
            ::closedir(dir);
        }
        QCOMPARE(names, QStringList{name.section(u'/', -1)});
    }
};

PEMO_TEST(FileBytesTest)
#include "tst_filebytes.moc"
