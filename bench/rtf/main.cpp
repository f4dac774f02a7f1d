// Converting a 20 MB RTF document to HTML: our converter and the command-line
// RTF converter of the system ("unrtf --html"), side by side on the same
// file. Then a 50 MB document full of nested and unterminated groups, to
// show that size and nesting cost nothing but time in proportion.
#include "rtf2html/RtfToHtml.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A report as a word processor of today writes it: tables, style sheet,
// then paragraphs with formatting changes, accents, Unicode characters,
// bullets and bookmarks.
QByteArray document(qsizetype target)
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset0\\fprq2 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\r\n"
        "{\\stylesheet{\\s0\\f0\\fs24 Normal;}{\\s1\\f1\\fs32\\b Titre 1;}}\r\n"
        "{\\info{\\title Rapport}{\\author Service}}\\uc1\r\n";
    const QByteArray paragraphs[] = {
        "\\pard\\plain\\s1\\f1\\fs32\\b Chapitre \\'e9tabli le \\'e0 propos\\par\r\n",
        "\\pard\\plain\\s0\\f0\\fs24 Le r\\'e9sultat de l'exercice est {\\b meilleur} que pr\\'e9vu ; "
        "{\\i les ventes} ont progress\\'e9 de 12\\~% et le co\\'fbt unitaire a baiss\\'e9 de 3\\u8364\\'80 "
        "par pi\\'e8ce.{\\*\\bkmkstart r1}{\\*\\bkmkend r1} Voir le tableau n\\u176\\'b0 4 \\u8594? annexe.\\par\r\n",
        "\\pard{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2{\\pntxtb\\'b7}}\\fi-360\\li720 premier point "
        "\\cf2 important\\cf0  \\'e0 retenir\\par\r\n{\\pntext\\f2\\'b7\\tab}second point a<b et c>d\\par\r\n",
        "\\pard\\qc\\plain\\f0\\fs20\\ul Note centr\\'e9e\\ulnone  en bas de page\\par\r\n",
    };
    rtf.reserve(target + 1024);
    for (int k = 0; rtf.size() < target; ++k)
        rtf += paragraphs[k % 4];
    rtf += "}\r\n";
    return rtf;
}

QByteArray hostile(qsizetype target)
{
    QByteArray rtf;
    rtf.reserve(target + 1024);
    while (rtf.size() < target) {
        rtf += QByteArray(2000, '{');
        rtf += "\\b texte {\\*\\x {{{ saut\\'e";
        rtf += QByteArray(1000, '}');
        rtf += "\\fs48 suite \\uc3\\u233 abc";
    }
    return rtf;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rapport.rtf"));
    const QByteArray rtf = document(20 * 1024 * 1024);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(rtf) != rtf.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("document: %.1f MB of RTF\n", double(rtf.size()) / 1e6);

    // Ours: read the file and convert it, as the import command does.
    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    const QString html = Rtf2Html::convert(in.readAll());
    const double ours = double(wall.nsecsElapsed()) / 1e9;
    const double oursCpu = cpuSeconds() - cpu0;
    std::printf("pemohtml converter: %.3f s wall, %.3f s CPU, %.1f MB of HTML\n", ours, oursCpu,
                double(html.size()) / 1e6);

    const QString peer = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    int status = 0;
    if (peer.isEmpty()) {
        std::printf("unrtf: not installed, no comparison\n");
    } else {
        QProcess p;
        p.setStandardOutputFile(dir.filePath(QStringLiteral("unrtf.htm")));
        p.setStandardErrorFile(QProcess::nullDevice());
        wall.restart();
        p.start(peer, {QStringLiteral("--html"), path});
        p.waitForFinished(-1);
        const double theirs = double(wall.nsecsElapsed()) / 1e9;
        std::printf("unrtf --html:       %.3f s wall (exit %d)\n", theirs, p.exitCode());
        const double ratio = theirs / ours;
        std::printf("ratio: %.1fx faster (target: at least 10x) %s\n", ratio, ratio >= 10 ? "OK" : "TOO SLOW");
        if (ratio < 10)
            status = 1;
    }

    const QByteArray nasty = hostile(50 * 1024 * 1024);
    wall.restart();
    const QString out = Rtf2Html::convert(nasty);
    std::printf("50 MB of nested, unterminated groups: %.3f s, %.1f MB of HTML\n",
                double(wall.nsecsElapsed()) / 1e9, double(out.size()) / 1e6);
    return status;
}
