// The tag balance check and its grid.
#include "testmain.h"

#include "platform/AsciiCase.h"
#include "tst_text_modal.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/TextTransforms.h"
#include "document/FrameServices.h"
#include "document/PageCheck.h"
#include "document/VerifDialog.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>

using PageCheck::TagBalance;

namespace PageCheck {
// Readable failure messages for QCOMPARE.
char *toString(const TagBalance &b)
{
    return QTest::toString(QStringLiteral("%1 %2/%3").arg(b.name).arg(b.openings).arg(b.closings));
}
} // namespace PageCheck

namespace {

QString upper(const QString &s) { return Ascii::upper(s); }

bool followedByEnd(const QString &u, qsizetype at)
{
    return at < u.size() && (u.at(at) == u' ' || u.at(at) == u'>');
}

// The check written the plain way: one scan of the page per kind.
QList<TagBalance> referenceCheck(const QStringList &lines)
{
    QStringList names;
    for (qsizetype l = lines.size() - 1; l >= 0; --l) {
        QString s = upper(lines.at(l));
        for (;;) {
            const qsizetype p = s.indexOf(QStringLiteral("</"));
            if (p < 0)
                break;
            s = s.mid(p);
            const QString window = s.left(1024);
            const qsizetype blank = window.indexOf(u' '), gt = window.indexOf(u'>');
            const qsizetype end = blank < 0 ? gt : (gt < 0 ? blank : qMin(blank, gt));
            if (end < 0)
                break;
            const QString name = s.left(end);
            s = s.mid(end + 1);
            if (!names.contains(name))
                names << name;
        }
    }
    QList<TagBalance> result;
    for (const QString &c : names) {
        QString o = c;
        o.remove(1, 1);
        TagBalance b{c, 0, 0};
        for (const QString &line : lines) {
            const QString u = upper(line);
            for (qsizetype i = 0; i < u.size(); ++i) {
                if (QStringView(u).mid(i).startsWith(o) && followedByEnd(u, i + o.size()))
                    ++b.openings;
                if (QStringView(u).mid(i).startsWith(c) && followedByEnd(u, i + c.size()))
                    ++b.closings;
            }
        }
        result << b;
    }
    return result;
}

QStringList randomPage(quint32 seed, int lineCount)
{
    static const QStringList pieces = {
        "<td>", "</td>", "<TD class=x>", "</Td >", "<tdx>", "</tdx>", "</ td>", "< td>", "<tr>", "</tr>",
        "<", ">", " ", "texte", "</b", "<b", "<A HREF=\"http://x\">", "</a>", "<br>", "</", "<<", "<>",
        "</>", "<!-- x -->", "é", "<p", "</p>", "<P>", "<//p>", "</a<b>", "<a<b>", "\t", "</td\t>"};
    QRandomGenerator random(seed);
    QStringList lines;
    for (int l = 0; l < lineCount; ++l) {
        QString line;
        const int count = random.bounded(8);
        for (int k = 0; k < count; ++k) {
            if (random.bounded(200) == 0)
                line += QString(1100, u'x');
            QString piece = pieces.at(random.bounded(int(pieces.size())));
            if (random.bounded(3) == 0)
                piece = piece.toUpper();
            line += piece;
        }
        lines << line;
    }
    return lines;
}

class StatusFrame : public TFrameServices
{
public:
    QStringList statuses;
    void setRedoEnabled(bool) override {}
    void enablePaste() override {}
    void setStatusText(const QString &text) override { statuses << text; }
    QPrinter *printer() override { return nullptr; }
};

} // namespace

class PageCheckTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<TagBalance>>("expected");
        QTest::newRow("td opened twice, closed once")
            << QStringList{"<td>a</td>", "<td width=\"3\">b"} << QList<TagBalance>{{"</TD", 2, 1}};
        QTest::newRow("tdx is not td")
            << QStringList{"<tdx>", "<td>", "</td>"} << QList<TagBalance>{{"</TD", 1, 1}};
        QTest::newRow("only opening tags") << QStringList{"<html>", "<p>"} << QList<TagBalance>{};
        QTest::newRow("names in upper case") << QStringList{"</Td>", "<TD>"} << QList<TagBalance>{{"</TD", 1, 1}};
        QTest::newRow("blank before the end") << QStringList{"<td>", "</td >"} << QList<TagBalance>{{"</TD", 1, 1}};
        QTest::newRow("blank after the slash") << QStringList{"</ td>"} << QList<TagBalance>{{"</", 0, 1}};
        QTest::newRow("found from the last line up")
            << QStringList{"</a>", "</b></c>"}
            << QList<TagBalance>{{"</B", 0, 1}, {"</C", 0, 1}, {"</A", 0, 1}};
        QTest::newRow("name at the end of a line not counted")
            << QStringList{"<td", "class=x>", "</td>"} << QList<TagBalance>{{"</TD", 0, 1}};
        QTest::newRow("no end within 1024 characters")
            << QStringList{"</" + QString(1100, u'x') + ">"} << QList<TagBalance>{};
        QTest::newRow("further tags on a line after a long one")
            << QStringList{"</a>" + QString(1100, u'x') + "</b>"}
            << QList<TagBalance>{{"</A", 0, 1}, {"</B", 0, 1}};
    }
    void check()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<TagBalance>, expected);
        QCOMPARE(PageCheck::check(lines), expected);
        QCOMPARE(referenceCheck(lines), expected);
    }

    void matchesPlainScanOnGeneratedPages()
    {
        for (quint32 seed = 1; seed <= 40; ++seed) {
            const QStringList page = randomPage(seed, 60);
            QCOMPARE(PageCheck::check(page), referenceCheck(page));
        }
    }

    void gridShowsRows()
    {
        TVerif dialog;
        dialog.Init({{"</TD", 2, 1}, {"</", 0, 0}});
        QTableWidget *grid = dialog.grid();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Vérification du code"));
        QCOMPARE(grid->rowCount(), 64);
        QCOMPARE(grid->columnCount(), 4);
        const int widths[] = {144, 74, 74, 10};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(grid->columnWidth(c), widths[c]);
        auto text = [grid](int r, int c) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
        QCOMPARE(QStringList({text(0, 0), text(0, 1), text(0, 2), text(0, 3)}),
                 QStringList({"Balise", "Ouverte", "Fermée", ""}));
        QCOMPARE(QStringList({text(1, 0), text(1, 1), text(1, 2), text(1, 3)}), QStringList({"TD", "2", "1", "*"}));
        QCOMPARE(QStringList({text(2, 0), text(2, 1), text(2, 2), text(2, 3)}), QStringList({"", "0", "0", ""}));
        QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("FermerBtn")));
    }

    void manyKindsScroll()
    {
        QList<TagBalance> entries;
        for (int k = 0; k < 70; ++k)
            entries << TagBalance{QStringLiteral("</T%1").arg(k), 1, 1};
        TVerif dialog;
        dialog.Init(entries);
        QCOMPARE(dialog.grid()->rowCount(), 71);
        QCOMPARE(dialog.grid()->item(70, 0)->text(), QStringLiteral("T69"));
    }

    void validationShowsStatusThenGrid()
    {
        StatusFrame frame;
        TEditeur e(&frame);
        e.Init({"<table><tr><td>a</td>", "<td>b</tr>", "</table>"});
        QStringList statusWhileShown;
        QStringList firstRow;
        TextCommandsTesting::whenModal<TVerif>([&](TVerif *d) {
            statusWhileShown = frame.statuses;
            for (int c = 0; c < 4; ++c)
                firstRow << d->grid()->item(1, c)->text();
            const QString shot = qEnvironmentVariable("PEMO_SHOTS");
            if (!shot.isEmpty())
                d->grab().save(shot + QStringLiteral("/verif.png"));
            d->findChild<QPushButton *>(QStringLiteral("FermerBtn"))->click();
        });
        e.Validation();
        QCOMPARE(statusWhileShown, QStringList({"Vérification en cours...", ""}));
        QCOMPARE(firstRow, QStringList({"TABLE", "1", "1", ""}));
        QCOMPARE(e.Memo1->Lines(), QStringList({"<table><tr><td>a</td>", "<td>b</tr>", "</table>"}));
    }
};

PEMO_TEST(PageCheckTest)
#include "tst_check.moc"
