// Tag completion on big pages: what a key that completes costs when the
// caret is at the end of a page of 50 MB (many lines) and of a page of one
// line of 5 MB. "</" reads back a bounded stretch, reading further only
// while nothing but <p>-like elements is open there: the worst case is a
// page of unclosed paragraphs, read back to the bound.
#include "aids/TagCompletion.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdio>
#include <functional>

namespace {
// The median and the worst of a few runs, in microseconds.
void report(const char *what, const std::function<QString()> &run)
{
    constexpr int Runs = 15;
    std::vector<double> times;
    QString result;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        result = run();
        times.push_back(t.nsecsElapsed() / 1e3);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-58s %9.1f us median, %9.1f us worst  -> %s\n", what, times[Runs / 2], times.back(),
                qPrintable(result.left(40)));
}

QString contextText(const TagCompletion::Context &c)
{
    return QString::number(c.choices.size()) + QStringLiteral(" choix");
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);

    // 50 MB of generated-style lines inside <body>, the last ones unclosed <p>.
    QString big = QStringLiteral("<html><head><title>Essai</title></head>\n<body bgcolor=\"#FFFFFF\">\n");
    const QString row = QStringLiteral("<table><tr><td><font face=\"Arial\" size=2>Bonjour, <b>le</b> monde "
                                       "<a href=\"page.htm\">ici</a></font></table><!-- <div> -->\n");
    while (big.size() < 50 * 1024 * 1024)
        big += row;
    const QString paragraphs = QStringLiteral("<p>Un paragraphe sans fin, comme les pages g\u00e9n\u00e9r\u00e9es.\n");
    for (int i = 0; i < 40000; ++i)
        big += paragraphs;
    QTextDocument bigDoc;
    bigDoc.setPlainText(big);
    const int bigEnd = bigDoc.characterCount() - 1;

    QString line = QStringLiteral("<html><body><div class=\"x\">");
    while (line.size() < 5 * 1024 * 1024)
        line += QStringLiteral("<span>mot</span> <img src=\"a.gif\"><br>");
    QTextDocument lineDoc;
    lineDoc.setPlainText(line);
    const int lineEnd = lineDoc.characterCount() - 1;

    std::printf("page of %lld lines, %.1f MB; page of one line, %.1f MB\n", qlonglong(bigDoc.blockCount()),
                big.size() / 1048576.0, line.size() / 1048576.0);

    report("\"</\" at the end of 50 MB, only <p> open nearby", [&] {
        return TagCompletion::closingNameAt(bigDoc, bigEnd);
    });
    // In the middle of the rows: a <td> open, inside a <table>.
    const QTextBlock middle = bigDoc.findBlock(bigEnd / 2);
    const int rowPos = middle.position() + int(middle.text().indexOf(u"monde"));
    report("\"</\" inside a row, middle of 50 MB", [&] { return TagCompletion::closingNameAt(bigDoc, rowPos); });
    // The <div> lies 5 MB back, further than is read: nothing is offered.
    report("\"</\" at the end of one line of 5 MB", [&] {
        return TagCompletion::closingNameAt(lineDoc, lineEnd);
    });

    const QString folder = QCoreApplication::applicationDirPath() + u'/';
    bigDoc.setPlainText(big + QStringLiteral("<font "));
    report("attribute list at the end of 50 MB", [&] {
        return contextText(TagCompletion::contextAt(bigDoc, bigDoc.characterCount() - 1, folder));
    });
    lineDoc.setPlainText(line + QStringLiteral("<fo"));
    report("element list at the end of one line of 5 MB", [&] {
        return contextText(TagCompletion::contextAt(lineDoc, lineDoc.characterCount() - 1, folder));
    });
    lineDoc.setPlainText(line + QStringLiteral("<img src=\""));
    report("file list (the benchmark's folder), one line of 5 MB", [&] {
        return contextText(TagCompletion::contextAt(lineDoc, lineDoc.characterCount() - 1, folder));
    });
    return 0;
}
