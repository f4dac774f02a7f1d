// Whole-text commands, page check and statistics on a 5 MB page holding
// 200 000 tags: the text algorithms alone, then the commands through a
// document window (reading and replacing the lines of the source pane).
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/PageCheck.h"
#include "page/PageFile.h"
#include "document/PageStats.h"
#include "document/TextTransforms.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

QStringList bigPage(const QString &pictureFolder)
{
    static const char *const bodies[] = {
        "<td class=\"cellule\">Texte d'été numéro %1 &eacute;</td>",
        "<p>Paragraphe   <strong>%1</strong> avec des   blancs</P>",
        "<a href=\"http://www.exemple.fr/p%1.htm\">Lien</a>  &nbsp;",
        "<li><a href=\"page%1.htm\">Suite</a> à voir</li>",
        "<!-- commentaire %1 : été --><b>gras à</b>",
        "<img src=\"image%2.gif\" alt=\"%1\"> <BR>texte",
        "<TR><TD>%1</TD> <td>&lt;code&gt; &amp; %1</td>",
        "<a href=\"mailto:x%1@exemple.fr\">écrire</a>"};
    for (int k = 0; k < 10; ++k) {
        QFile f(pictureFolder + QStringLiteral("image%1.gif").arg(k));
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(1000 + k, 'g'));
    }
    QStringList lines;
    qint64 size = 0;
    int n = 0;
    lines << QStringLiteral("<html>") << QStringLiteral("<body>");
    while (size < 5'000'000) {
        QString line = QString::fromUtf8(bodies[n % 8]);
        line.replace(QStringLiteral("%1"), QString::number(n));
        line.replace(QStringLiteral("%2"), QString::number(n % 12));
        size += line.size() + 2;
        lines << line;
        ++n;
    }
    lines << QStringLiteral("</body>") << QStringLiteral("</html>");
    return lines;
}

int countTags(const QStringList &lines)
{
    int tags = 0;
    for (const QString &l : lines)
        tags += int(l.count(u'<'));
    return tags;
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Median wall-clock and CPU times: on a loaded machine the CPU time is the
// fairer figure of the work done.
struct Timing {
    double wall;
    double cpu;
};

// prepare, when given, runs untimed before each run.
Timing measure(const std::function<void()> &run, int repeats = 5, const std::function<void()> &prepare = {})
{
    QList<double> walls, cpus;
    for (int i = 0; i < repeats; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        const double cpu0 = threadCpuMs();
        t.start();
        run();
        walls << t.nsecsElapsed() / 1e6;
        cpus << threadCpuMs() - cpu0;
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls.at(walls.size() / 2), cpus.at(cpus.size() / 2)};
}

void report(const char *what, Timing t)
{
    std::printf("%-40s wall %7.1f ms  cpu %7.1f ms  %s\n", what, t.wall, t.cpu,
                t.cpu <= 300 ? "" : "(cpu over 300 ms)");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    const QStringList page = bigPage(folder);
    qint64 bytes = 0;
    for (const QString &l : page)
        bytes += l.size() + 2;
    std::printf("page: %lld lines, %lld characters, %d tags (median of 5 runs, of 3 for the commands that rewrite the page)\n\n", qlonglong(page.size()),
                qlonglong(bytes), countTags(page));

    std::printf("text algorithms\n");
    report("Validation (PageCheck::check)", measure([&] { (void)PageCheck::check(page); }));
    report("Statistiques (PageStats::compute)", measure([&] {
               (void)PageStats::compute(page, [&](const QString &n) { return PageStats::pictureFileSize(folder, n); });
           }));
    report("Convertir (convertAccents)", measure([&] { (void)TextTransforms::convertAccents(page); }));
    report("Compacter (compact)", measure([&] { (void)TextTransforms::compact(page); }));
    const QString exportPath = folder + QStringLiteral("export.txt");
    report("Exporte (exportLines + atomic write)", measure([&] {
               PageFile::write(exportPath, TextTransforms::exportLines(page), PageFile::Encoding::Windows1252);
           }));

    std::printf("\ncommands through the document window\n");
    Platform::setMessageHandler([](const Platform::MessageRecord &) { return Platform::Answer::Yes; });
    Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &) {
        Platform::FileDialogResult r;
        r.accepted = true;
        r.path = exportPath;
        return r;
    });
    TEditeur editor(nullptr);
    // As after opening the page: the pane emptied, then loaded.
    auto reset = [&] {
        editor.Memo1->SetLines({});
        editor.Memo1->SetLines(page);
    };
    reset();
    report("reading the lines of the pane", measure([&] { (void)editor.Memo1->Lines(); }));
    report("loading all lines into the pane", measure([&] { reset(); }));
    // For comparison: the widget's own bulk load, which skips the edit path.
    const QString joined = page.join(u'\n') + u'\n';
    report("  (QPlainTextEdit::setPlainText)", measure([&] { editor.Memo1->setPlainText(joined); }));
    // The whole-text commands, each on the page as opened, and Annuler after.
    const Timing convert = measure([&] { editor.Convertir(); }, 3, reset);
    report("Convertir (ask, snapshot, replace)", convert);
    report("  Annuler after it", measure([&] { editor.Annuler(); }, 3, [&] {
               reset();
               editor.Convertir();
           }));
    const Timing compact = measure([&] { editor.Compacter(); }, 3, reset);
    report("Compacter (ask, snapshot, replace)", compact);
    report("Exporte (dialog, strip, write)", measure([&] { editor.Exporte(); }));
    report("Indenter (select all, snapshot, replace)", measure([&] { editor.Indenter(); }, 3, [&] {
               reset();
               editor.ToutSelectionner();
           }));
    std::printf("\nthrough the document window on a 5 MB page (target 300 ms): Convertir %.0f ms, Compacter %.0f ms"
                " (CPU %.0f ms, %.0f ms)\n",
                convert.wall, compact.wall, convert.cpu, compact.cpu);
    return 0;
}
