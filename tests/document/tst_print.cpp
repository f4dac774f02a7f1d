// Printing the source: the page layout with fixed metrics, then real prints
// to PDF read back with pdftotext.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "platform/CommonDialogs.h"
#include "document/PrintLayout.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

namespace {
// Every character 10 wide, lines 10 high, a page of 100 by 100.
PrintLayout::Metrics fixedMetrics()
{
    PrintLayout::Metrics m;
    m.pageWidth = 100;
    m.pageHeight = 100;
    m.lineHeight = 10;
    m.averageCharWidth = 10;
    m.charWidth = [](QChar) { return 10.0; };
    return m;
}

QStringList describe(const QList<PrintLayout::Page> &pages)
{
    QStringList out;
    for (int p = 0; p < pages.size(); ++p)
        for (const PrintLayout::PrintedLine &line : pages[p]) {
            QStringList pieces;
            for (const PrintLayout::Piece &piece : line.pieces)
                pieces << QStringLiteral("%1:%2").arg(piece.x).arg(piece.text);
            out << QStringLiteral("p%1 y%2 %3").arg(p).arg(line.y).arg(pieces.join(u' '));
        }
    return out;
}
} // namespace

class PrintingTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    // Prints the editor to a PDF file and answers the text pdftotext reads.
    // choose: what the user picks in the dialog besides the PDF printer.
    QString printToText(TEditeur &e, const QString &name, std::function<void(QPrinter &)> choose = {})
    {
        const QString pdf = m_dir.filePath(name + QStringLiteral(".pdf"));
        CommonDialogs::setPrintHandler([pdf, choose](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (choose)
                choose(printer);
            return true;
        });
        e.Imprimer();
        CommonDialogs::setPrintHandler({});
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!p.waitForFinished(30000))
            return QString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("short lines") << QStringList{"ab", "c"} << QStringList{"p0 y0 0:ab", "p0 y10 0:c"};
        QTest::newRow("break after the last fitting character")
            << QStringList{"abcdefghijklm"} << QStringList{"p0 y0 0:abcdefghij", "p0 y10 0:klm"};
        QTest::newRow("exactly one page wide") << QStringList{"abcdefghij"} << QStringList{"p0 y0 0:abcdefghij"};
        QTest::newRow("tab to the next multiple of eight widths")
            << QStringList{"a\tb", "\tc"} << QStringList{"p0 y0 0:a 80:b", "p0 y10 80:c"};
        QTest::newRow("tab past the page continues on the next line")
            << QStringList{"abcdefghi\tz"} << QStringList{"p0 y0 0:abcdefghi", "p0 y10 0:z"};
        QTest::newRow("form feed starts a new page")
            << QStringList{"a", "b\fc", "d"} << QStringList{"p0 y0 0:a", "p0 y10 0:b", "p1 y0 0:c", "p1 y10 0:d"};
        QTest::newRow("empty line takes a line") << QStringList{"a", "", "b"}
                                                 << QStringList{"p0 y0 0:a", "p0 y10 ", "p0 y20 0:b"};
    }
    void layout()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(PrintLayout::layout(lines, fixedMetrics())), expected);
    }

    void newPageTwoLineHeightsFromTheBottom()
    {
        QStringList lines;
        for (int i = 0; i < 20; ++i)
            lines << QString::number(i);
        const QList<PrintLayout::Page> pages = PrintLayout::layout(lines, fixedMetrics());
        // Tops 0..80 fit (80 + 2 * 10 <= 100); a line at 90 would not.
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages[0].size(), 9);
        QCOMPARE(pages[1].size(), 9);
        QCOMPARE(pages[2].size(), 2);
        QCOMPARE(pages[1].first().pieces.first().text, QStringLiteral("9"));
    }

    void hundredTwentyLinesOverTheRightNumberOfPages()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        TEditeur e(nullptr);
        QStringList lines;
        for (int i = 1; i <= 120; ++i)
            lines << QStringLiteral("ligne %1").arg(i);
        e.Memo1->SetLines(lines);

        QPrinter probe(QPrinter::HighResolution);
        probe.setOutputFormat(QPrinter::PdfFormat);
        const QFontMetricsF fm(QFont(e.Memo1->font(), &probe), &probe);
        const double height = probe.pageLayout().paintRectPixels(probe.resolution()).height();
        // Lines whose top stays two line heights above the bottom.
        const int perPage = int((height - 2 * fm.lineSpacing()) / fm.lineSpacing()) + 1;
        const int expectedPages = (120 + perPage - 1) / perPage;
        QVERIFY(expectedPages > 1);

        const QString text = printToText(e, QStringLiteral("lines"));
        QStringList pages = text.split(u'\f');
        if (pages.last().trimmed().isEmpty())
            pages.removeLast();
        QCOMPARE(pages.size(), expectedPages);
        QStringList printed;
        for (const QString &page : pages)
            for (const QString &l : page.split(u'\n', Qt::SkipEmptyParts))
                printed << l.trimmed();
        QCOMPARE(printed, lines);
        QCOMPARE(pages.first().split(u'\n', Qt::SkipEmptyParts).size(), perPage);
    }

    void onlyTheChosenPagesOrSelectionArePrinted_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("pageCount");
        QTest::newRow("pages 2 to 2") << 2 << 2 << false << "page 2" << 1;
        QTest::newRow("pages 2 to 3") << 2 << 3 << false << "page 2" << 2;
        QTest::newRow("range running past the end") << 3 << 9 << false << "page 3" << 1;
        QTest::newRow("all pages") << 0 << 0 << false << "page 1" << 3;
        QTest::newRow("selection") << 0 << 0 << true << "page 2 ligne 5" << 1;
    }
    void onlyTheChosenPagesOrSelectionArePrinted()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, selection);
        QFETCH(QString, firstLine);
        QFETCH(int, pageCount);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        TEditeur e(nullptr);
        // Three pages, each starting with a form feed after the first.
        QStringList lines;
        for (int p = 1; p <= 3; ++p)
            for (int l = 1; l <= 10; ++l)
                lines << (l == 1 && p > 1 ? QStringLiteral("\f") : QString()) + QStringLiteral("page %1 ligne %2").arg(p).arg(l);
        e.Memo1->SetLines(lines);
        e.Memo1->Select(int(lines.mid(0, 14).join(QStringLiteral("\r\n")).size()) + 2,
                        int(lines.mid(14, 2).join(QStringLiteral("\r\n")).size()) + 2);
        const QString text = printToText(e, QStringLiteral("range"), [=](QPrinter &printer) {
            if (selection) {
                printer.setPrintRange(QPrinter::Selection);
            } else if (from > 0) {
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(from, to);
            }
        });
        QStringList pages = text.split(u'\f');
        if (pages.last().trimmed().isEmpty())
            pages.removeLast();
        QCOMPARE(pages.size(), pageCount);
        const QStringList printed = pages.first().split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(printed.first().trimmed().startsWith(firstLine), qPrintable(printed.first()));
        if (selection)
            QCOMPARE(printed.size(), 2);
    }

    void lineTwiceThePageWidthTakesTwoLines()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        TEditeur e(nullptr);
        QPrinter probe(QPrinter::HighResolution);
        probe.setOutputFormat(QPrinter::PdfFormat);
        const QFontMetricsF fm(QFont(e.Memo1->font(), &probe), &probe);
        const double width = probe.pageLayout().paintRectPixels(probe.resolution()).width();
        // (No "fi" in the text: the PDF font may join it into a ligature.)
        // Digits all have the same advance; 1.8 page widths rounds safely
        // into two printed lines whatever the font.
        const int count = int(1.8 * width / fm.horizontalAdvance(u'0'));
        QString line;
        for (int i = 0; i < count; ++i)
            line += QChar(u'0' + i % 10);
        e.Memo1->SetLines({line, QStringLiteral("end")});

        const QString text = printToText(e, QStringLiteral("wide"));
        const QStringList printed = text.split(u'\n', Qt::SkipEmptyParts);
        QStringList nonBlank;
        for (const QString &l : printed)
            if (!l.trimmed().isEmpty() && l.trimmed() != QStringLiteral("\f"))
                nonBlank << l.trimmed().remove(u'\f');
        QCOMPARE(nonBlank.size(), 3);
        QCOMPARE(nonBlank[0] + nonBlank[1], line);
        QCOMPARE(nonBlank[2], QStringLiteral("end"));
    }
};

PEMO_TEST(PrintingTest)
#include "tst_print.moc"
