// Batch work from the command line: each option on a small file, and the
// exit status and message of every kind of failure.
#include "testmain.h"

#include "app/BatchMode.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class BatchModeTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_out, m_err;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }

    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
    }

    int run(const QStringList &arguments)
    {
        m_out.clear();
        m_err.clear();
        QTextStream out(&m_out), err(&m_err);
        return BatchMode::run(arguments, out, err);
    }

private Q_SLOTS:
    void initTestCase()
    {
        write(QStringLiteral("page.htm"),
              "<html>\r\n<body><p>d\xE9j\xE0 <b>vu</b><br>\r\n<img src=\"a.gif\">\r\n<p></body>\r\n</html>\r\n");
        write(QStringLiteral("a.gif"), QByteArray(300, 'g'));
    }

    void onlyOptionsAskForBatchWork()
    {
        QVERIFY(BatchMode::requested({"--stats", "x.htm"}));
        QVERIFY(!BatchMode::requested({"page.htm"}));
        QVERIFY(!BatchMode::requested({}));
    }

    void importRtf()
    {
        write(QStringLiteral("in.rtf"), "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\deflang1036 \\'e9t\\'e9 \\u8470?\\par}");
        QCOMPARE(run({"--import-rtf", path("in.rtf"), path("out.htm")}), 0);
        QCOMPARE(read(QStringLiteral("out.htm")), QByteArray("\r\n<P>\xE9t\xE9 &#8470;\r\n"));
        QVERIFY(m_err.isEmpty());
    }

    void importRtfRefusesAFileThatIsNotRtf()
    {
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QVERIFY(photo.save(path(QStringLiteral("photo.jpg")), "JPEG"));
        QCOMPARE(run({"--import-rtf", path("photo.jpg"), path("x.htm")}), 2);
        QVERIFY2(m_err.startsWith(QStringLiteral("pemohtml : Le fichier ") + path("photo.jpg")
                                  + QStringLiteral(" n'est pas un fichier RTF (texte enrichi)")),
                 qPrintable(m_err));
        QVERIFY(!QFile::exists(path("x.htm")));
    }

    void exportText()
    {
        QCOMPARE(run({"--export-text", path("page.htm"), path("page.txt")}), 0);
        QCOMPARE(read(QStringLiteral("page.txt")), QByteArray("d\xE9j\xE0 vu\r\n"));
    }

    void toXml()
    {
        QCOMPARE(run({"--to-xml", path("page.htm"), path("page.xml")}), 0);
        QCOMPARE(read(QStringLiteral("page.xml")),
                 QByteArray("<html>\r\n<body><p>d\xE9j\xE0 <b>vu</b><br/>\r\n<img src=\"a.gif\"/>\r\n<p></body>\r\n"
                            "</html>\r\n"));
    }

    void check()
    {
        QCOMPARE(run({"--check", path("page.htm")}), 0);
        QCOMPARE(m_out, QStringLiteral("Balise\tOuverte\tFermée\nHTML\t1\t1\nBODY\t1\t1\nB\t1\t1\n"));
    }

    void stats()
    {
        QCOMPARE(run({"--stats", path("page.htm")}), 0);
        // The picture's 300 bytes count in the page's size.
        // The file's 77 bytes and the picture's 300.
        QVERIFY2(m_out.contains(QStringLiteral("Taille totale de la page : 377 octets\n")), qPrintable(m_out));
        QVERIFY(m_out.endsWith(u'\n'));
        QVERIFY(m_err.isEmpty());
    }

    void validateExitsByWhatItFound()
    {
        write(QStringLiteral("valide.htm"), "<!DOCTYPE html>\r\n<html lang=\"fr\"><head><title>t</title></head>\r\n"
                                            "<body><p>d\xE9j\xE0</p></body></html>\r\n");
        QCOMPARE(run({"--validate", path("valide.htm")}), 0);
        QCOMPARE(m_out, QString());
        QVERIFY(m_err.isEmpty());

        write(QStringLiteral("fautes.htm"), "<!DOCTYPE html>\r\n<html><head><title>t</title></head><body>\r\n"
                                            "<div><truc>x</truc>\r\n</body></html>\r\n");
        QCOMPARE(run({"--validate", path("fautes.htm")}), 1);
        QVERIFY2(m_out.contains(QStringLiteral("Ligne 3, colonne 6 : Erreur : <truc> n'est pas reconnue")), qPrintable(m_out));
        QVERIFY2(m_out.contains(QStringLiteral("Ligne 3, colonne 1 : Avertissement : absence de </div>")), qPrintable(m_out));
        QVERIFY(m_err.isEmpty());

        QCOMPARE(run({"--validate", path("absent.htm")}), 2);
        QVERIFY2(m_err.startsWith(QStringLiteral("pemohtml : ")) && m_err.contains(path("absent.htm")), qPrintable(m_err));
        QCOMPARE(m_out, QString());
        QCOMPARE(run({"--validate"}), 2);
    }

    void help()
    {
        QCOMPARE(run({"--help"}), 0);
        for (const char *option : {"--import-rtf", "--export-text", "--to-xml", "--check", "--stats", "--validate", "--help"})
            QVERIFY2(m_out.contains(QLatin1String(option)), option);
    }

    // Written over its own input, the page would be lost; by any way of
    // naming the same file, it is refused and left as it was.
    void outputThatIsTheInputIsRefused_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("option");
        QTest::newRow("same name") << "source.htm" << "--to-xml";
        QTest::newRow("another path") << "sous/../source.htm" << "--export-text";
        QTest::newRow("symbolic link") << "lien.htm" << "--to-xml";
        QTest::newRow("hard link") << "dur.htm" << "--export-text";
    }
    void outputThatIsTheInputIsRefused()
    {
        QFETCH(QString, output);
        QFETCH(QString, option);
        const QByteArray page("<html>\r\n<body><p>d\xE9j\xE0 <br></p></body>\r\n</html>\r\n");
        write(QStringLiteral("source.htm"), page);
        QDir(m_dir.path()).mkpath(QStringLiteral("sous"));
        QFile::remove(path("lien.htm"));
        QFile::remove(path("dur.htm"));
        QVERIFY(QFile::link(path("source.htm"), path("lien.htm")));
        QVERIFY(::link(QFile::encodeName(path("source.htm")).constData(), QFile::encodeName(path("dur.htm")).constData()) == 0);
        QCOMPARE(run({option, path("source.htm"), path(output)}), 2);
        QVERIFY2(m_err.contains(QStringLiteral("est le fichier d'entrée")), qPrintable(m_err));
        QCOMPARE(read(QStringLiteral("source.htm")), page);
        QVERIFY(QFileInfo(path("lien.htm")).isSymLink());
    }

    void outputThatIsAPipeIsWrittenInto()
    {
        const QString fifo = path("tube");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QCOMPARE(run({"--export-text", path("page.htm"), fifo}), 0);
        char buffer[64] = {};
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        ::close(reader);
        QCOMPARE(QByteArray(buffer, int(qMax<ssize_t>(n, 0))), QByteArray("d\xE9j\xE0 vu\r\n"));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(fifo).constData(), &st) == 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option") << QStringList{"--convert", "x"} << QStringLiteral("option inconnue : --convert");
        QTest::newRow("missing output file")
            << QStringList{"--import-rtf", "in.rtf"} << QStringLiteral("--import-rtf attend 2 nom(s) de fichier");
        QTest::newRow("one file too many")
            << QStringList{"--check", "a.htm", "b.htm"} << QStringLiteral("--check attend 1 nom(s) de fichier");
        QTest::newRow("missing RTF file, the reason in French")
            << QStringList{"--import-rtf", "/nonexistent/lettre.rtf", "x.htm"}
            << QStringLiteral("Impossible d'ouvrir le fichier /nonexistent/lettre.rtf.\nLe fichier n'existe pas.");
        QTest::newRow("missing input file")
            << QStringList{"--stats", "/nonexistent/page.htm"} << QStringLiteral("Impossible d'ouvrir le fichier /nonexistent/page.htm");
        QTest::newRow("output that cannot be written")
            << QStringList{"--to-xml", "PAGE", "/nonexistent/out.xml"}
            << QStringLiteral("Impossible d'enregistrer le fichier /nonexistent/out.xml");
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        arguments.replaceInStrings(QStringLiteral("PAGE"), path("page.htm"));
        QCOMPARE(run(arguments), 2);
        QVERIFY2(m_err.startsWith(QStringLiteral("pemohtml : ") + message), qPrintable(m_err));
        QVERIFY(m_out.isEmpty());
    }
};

PEMO_TEST(BatchModeTest)
#include "tst_batch.moc"
