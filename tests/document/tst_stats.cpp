// Page statistics and their window.
#include "testmain.h"

#include "platform/AsciiCase.h"
#include "tst_text_modal.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/TextTransforms.h"
#include "document/PageStats.h"
#include "document/StatsDialog.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>

using PageStats::Stats;

namespace {

QString upper(const QString &s) { return Ascii::upper(s); }

// Pictures of the tests: a size from the name, or missing.
qint64 fakeSize(const QString &name)
{
    if (name.isEmpty() || name.contains(QStringLiteral("missing")))
        return -1;
    return name.size() * 10;
}

// The statistics written the plain way, one file lookup per image line.
Stats referenceStats(const QStringList &lines)
{
    Stats s;
    s.lines = int(lines.size());
    for (int l = 0; l < lines.size(); ++l) {
        const QString u = upper(lines.at(l));
        s.characters += u.size();
        if (u.contains(QStringLiteral("<IMG"))) {
            ++s.images;
            int from = l;
            qsizetype src = u.indexOf(QStringLiteral("SRC"));
            if (src < 0 && l + 1 < lines.size()) {
                from = l + 1;
                src = upper(lines.at(from)).indexOf(QStringLiteral("SRC"));
            }
            if (src >= 0) {
                const QString rest = lines.at(from).mid(src + 5);
                const qsizetype quote = rest.indexOf(u'"');
                const qint64 size = fakeSize(quote < 0 ? QString() : rest.left(quote));
                if (size < 0)
                    ++s.imagesNotFound;
                else
                    s.imageBytes += size;
            }
        }
        const qsizetype a = u.indexOf(QStringLiteral("<A"));
        if (a >= 0) {
            const QString after = u.mid(a + 2);
            const qsizetype href = after.indexOf(QStringLiteral("HREF="));
            if (href >= 0) {
                if (after.mid(href + 6, 4) == QStringLiteral("HTTP"))
                    ++s.distantLinks;
                else
                    ++s.localLinks;
                if (after.contains(QStringLiteral("MAILTO:")))
                    ++s.mailboxLinks;
            }
        }
    }
    return s;
}

QList<qint64> fields(const Stats &s)
{
    return {s.lines, s.characters, s.images, s.imageBytes, s.imagesNotFound,
            s.localLinks, s.distantLinks, s.mailboxLinks};
}

QStringList randomPage(quint32 seed, int lineCount)
{
    static const QStringList pieces = {
        "<img src=\"a.gif\">", "<IMG SRC=\"Photo.JPG\">", "<img", " src=\"missing.gif\">", "<img alt=x>",
        "src=\"b.png\"", "<a href=\"http://x\">", "<A HREF=\"HTTPS://X\">", "<a href=\"#top\">",
        "<a href=\"mailto:a@b\">", "<a name=x>", "mailto:", "<area href=\"http:", "</a>", "texte ", "é",
        "<abbr>", "href=\"", "<img src=\"", "\""};
    QRandomGenerator random(seed);
    QStringList lines;
    for (int l = 0; l < lineCount; ++l) {
        QString line;
        const int count = random.bounded(6);
        for (int k = 0; k < count; ++k)
            line += pieces.at(random.bounded(int(pieces.size())));
        lines << line;
    }
    return lines;
}

} // namespace

class PageStatsTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void compute_data()
    {
        // lines, characters, images, image bytes, not found, local, distant, mailbox
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<qint64>>("expected");
        QTest::newRow("two images on a line count once")
            << QStringList{"<img src=\"ab.gif\"><img src=\"abcdefgh.gif\">"}
            << QList<qint64>{1, 42, 1, 60, 0, 0, 0, 0};
        QTest::newRow("src on the next line")
            << QStringList{"<img", " src=\"ab.gif\">"} << QList<qint64>{2, 18, 1, 60, 0, 0, 0, 0};
        QTest::newRow("picture not found")
            << QStringList{"<IMG SRC=\"missing.gif\">"} << QList<qint64>{1, 23, 1, 0, 1, 0, 0, 0};
        QTest::newRow("image without src anywhere") << QStringList{"<img>"} << QList<qint64>{1, 5, 1, 0, 0, 0, 0, 0};
        QTest::newRow("secure web link is distant")
            << QStringList{"<a href=\"https://x\">"} << QList<qint64>{1, 20, 0, 0, 0, 0, 1, 0};
        QTest::newRow("HTTP in any case is distant")
            << QStringList{"<A HREF=\"Http://x\">"} << QList<qint64>{1, 19, 0, 0, 0, 0, 1, 0};
        QTest::newRow("other scheme is local")
            << QStringList{"<a href=\"ftp://x\">"} << QList<qint64>{1, 18, 0, 0, 0, 1, 0, 0};
        QTest::newRow("anchor is local") << QStringList{"<a href=\"#top\">"} << QList<qint64>{1, 15, 0, 0, 0, 1, 0, 0};
        QTest::newRow("mailbox is local and mailbox")
            << QStringList{"<a href=\"mailto:a@b.fr\">"} << QList<qint64>{1, 24, 0, 0, 0, 1, 0, 1};
        QTest::newRow("one link per line")
            << QStringList{"<a href=\"a\">x</a><a href=\"http://b\">"} << QList<qint64>{1, 36, 0, 0, 0, 1, 0, 0};
        QTest::newRow("anchor without href") << QStringList{"<a name=\"x\">"} << QList<qint64>{1, 12, 0, 0, 0, 0, 0, 0};
    }
    void compute()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<qint64>, expected);
        QCOMPARE(fields(PageStats::compute(lines, fakeSize)), expected);
        QCOMPARE(fields(referenceStats(lines)), expected);
    }

    void matchesPlainScanOnGeneratedPages()
    {
        for (quint32 seed = 1; seed <= 40; ++seed) {
            const QStringList page = randomPage(seed, 80);
            QCOMPARE(fields(PageStats::compute(page, fakeSize)), fields(referenceStats(page)));
        }
    }

    void transferTimes_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QStringList>("times");
        QTest::newRow("5600 bytes") << 5600 << QStringList{"1", "1", "1"};
        QTest::newRow("5599 bytes") << 5599 << QStringList{"1", "1", "0"};
    }
    void transferTimes()
    {
        QFETCH(int, bytes);
        QFETCH(QStringList, times);
        // Two lines, each written with its CR LF.
        const QStringList page{QString(bytes - 104, u'x'), QString(100, u'y')};
        const QStringList report = PageStats::report(PageStats::compute(page, fakeSize));
        // Every picture found: no "Images non trouvées" line.
        QCOMPARE(report.size(), 13);
        QCOMPARE(report.at(8), "Taille totale de la page : " + QString::number(bytes) + " octets");
        QCOMPARE(report.mid(report.size() - 3),
                 QStringList({"Temps de transfert minimum à 28800 : " + times.at(0) + " sec",
                              "Temps de transfert minimum à 33600 : " + times.at(1) + " sec",
                              "Temps de transfert minimum à 56000 : " + times.at(2) + " sec"}));
    }

    void pageSizeInItsEncoding_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<PageFile::Encoding>("encoding");
        QTest::addColumn<PageFile::Breaks>("breaks");
        const QStringList french{"<p>Déjà l’été</p>", "x"};
        QTest::newRow("Windows-1252, one byte a character")
            << french << PageFile::Encoding::Windows1252 << PageFile::Breaks{};
        QTest::newRow("UTF-8, accents on two bytes and more") << french << PageFile::Encoding::Utf8 << PageFile::Breaks{};
        QTest::newRow("UTF-8 with its byte-order mark") << french << PageFile::Encoding::Utf8Bom << PageFile::Breaks{};
        QTest::newRow("Windows-1252, a reference for what it lacks")
            << QStringList{"n\u2116 \U0001F600"} << PageFile::Encoding::Windows1252 << PageFile::Breaks{};
        QTest::newRow("LF breaks, no final break")
            << french << PageFile::Encoding::Utf8 << PageFile::Breaks{PageFile::LineBreak::Lf, false};
        QTest::newRow("UTF-16 with its mark, CR breaks")
            << french << PageFile::Encoding::Utf16LeBom << PageFile::Breaks{PageFile::LineBreak::Cr, true};
        QTest::newRow("empty line") << QStringList{""} << PageFile::Encoding::Utf8 << PageFile::Breaks{};
    }
    void pageSizeInItsEncoding()
    {
        QFETCH(QStringList, lines);
        QFETCH(PageFile::Encoding, encoding);
        QFETCH(PageFile::Breaks, breaks);
        const Stats s = PageStats::compute(lines, fakeSize, encoding, breaks);
        // As many bytes as saving the page writes.
        QCOMPARE(s.fileBytes, PageFile::encode(lines, encoding, breaks).size());
        QCOMPARE(s.pageSize(), s.fileBytes);
    }

    void statistiquesCountsTheBytesOfAUtf8Page()
    {
        const QString page = m_dir.filePath(QStringLiteral("utf8.htm"));
        QByteArray bytes;
        for (int k = 0; k < 200; ++k)
            bytes += "<p>L\xE2\x80\x99\xC3\xA9t\xC3\xA9 \xC3\xA0 No\xC3\xABl co\xC3\xBBte 5\xC2\xA0\xE2\x82\xAC</p>\r\n";
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        TEditeur e(nullptr);
        e.OpenFile(page);
        QStringList shown;
        TextCommandsTesting::whenModal<TStats>([&](TStats *d) {
            for (int i = 0; i < d->list()->count(); ++i)
                shown << d->list()->item(i)->text();
            QTest::keyClick(d->list(), Qt::Key_Escape);
        });
        e.Statistiques();
        QVERIFY2(shown.contains("Taille totale de la page : " + QString::number(bytes.size()) + " octets"),
                 qPrintable(shown.join(u'|')));
        QVERIFY(shown.contains("Temps de transfert minimum à 28800 : " + QString::number(bytes.size() / 2880) + " sec"));
    }

    void pictureSizeFromThePageFolder()
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("Images"));
        QFile f(m_dir.filePath(QStringLiteral("Images/Photo.GIF")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1234, 'g'));
        f.close();
        const QString folder = m_dir.path() + u'/';
        QCOMPARE(PageStats::pictureFileSize(folder, QStringLiteral("Images/Photo.GIF")), 1234);
        QCOMPARE(PageStats::pictureFileSize(folder, QStringLiteral("Images\\Photo.GIF")), 1234);
        QCOMPARE(PageStats::pictureFileSize(QString(), f.fileName()), 1234);
        QCOMPARE(PageStats::pictureFileSize(folder, QStringLiteral("Images")), -1);
        QCOMPARE(PageStats::pictureFileSize(folder, QStringLiteral("none.gif")), -1);
    }

    void statistiquesShowsTheList()
    {
        const QString page = m_dir.filePath(QStringLiteral("page.htm"));
        QFile picture(m_dir.filePath(QStringLiteral("Logo.gif")));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write(QByteArray(5000, 'g'));
        picture.close();
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html>\r\n<img src=\"Logo.gif\"><a href=\"mailto:a@b\">\r\n<img src=\"autre.gif\">\r\n</html>\r\n");
        file.close();

        TEditeur e(nullptr);
        e.OpenFile(page);
        QString caption;
        QStringList shown;
        TextCommandsTesting::whenModal<TStats>([&](TStats *d) {
            caption = d->windowTitle();
            for (int i = 0; i < d->list()->count(); ++i)
                shown << d->list()->item(i)->text();
            const QString shot = qEnvironmentVariable("PEMO_SHOTS");
            if (!shot.isEmpty())
                d->grab().save(shot + QStringLiteral("/stats.png"));
            QTest::keyClick(d->list(), Qt::Key_Escape);
        });
        e.Statistiques();
        QCOMPARE(caption, QStringLiteral("Statistiques de la page"));
        QCOMPARE(shown,
                 QStringList({"Nombre de lignes : 4", "Nombre de caractères : 75", "Nombre d'images : 2", " ",
                              "Nombre de liens locaux : 1", "Nombre de liens distants : 0",
                              "Nombre de liens mailbox : 1", " ", "Taille totale de la page : 5083 octets",
                              "Images non trouvées : 1", " ", "Temps de transfert minimum à 28800 : 1 sec",
                              "Temps de transfert minimum à 33600 : 1 sec",
                              "Temps de transfert minimum à 56000 : 0 sec"}));
    }
};

PEMO_TEST(PageStatsTest)
#include "tst_stats.moc"
