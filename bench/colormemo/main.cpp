// Colour pass of the source pane: one pass over a screen of 60 lines of
// pages of 100 KB, 1 MB and 10 MB, and the pass that follows a typed
// character. Prints the mean time per pass and the memory allocations made
// by the passes once their buffers have grown.
#include "colormemo/ColMemo.h"
#include "document/DocumentRules.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <atomic>
#include <ctime>
#include <cstdio>
#include <cstdlib>

// Allocation counter: every malloc of the process goes through here while
// g_counting is set. Sanitizer builds bring their own allocator.
static std::atomic<bool> g_counting {false};
static std::atomic<long> g_allocations {0};
#if !defined(__SANITIZE_ADDRESS__)
extern "C" void *__libc_malloc(size_t);
extern "C" void *__libc_calloc(size_t, size_t);
extern "C" void *__libc_realloc(void *, size_t);
extern "C" void *malloc(size_t n)
{
    if (g_counting.load(std::memory_order_relaxed))
        ++g_allocations;
    return __libc_malloc(n);
}
extern "C" void *calloc(size_t n, size_t m)
{
    if (g_counting.load(std::memory_order_relaxed))
        ++g_allocations;
    return __libc_calloc(n, m);
}
extern "C" void *realloc(void *p, size_t n)
{
    if (g_counting.load(std::memory_order_relaxed))
        ++g_allocations;
    return __libc_realloc(p, n);
}
#endif

// Processor time of this thread: the figures hold on a busy machine too.
class CpuTimer
{
public:
    void restart() { m_start = now(); }
    void start() { restart(); }
    qint64 nsecsElapsed() const { return now() - m_start; }

private:
    static qint64 now()
    {
        timespec t {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    qint64 m_start = 0;
};

static QStringList page(qint64 bytes, int lines)
{
    static const QStringList pattern = {
        QStringLiteral("<tr><td align=\"left\" bgcolor=\"#FFFFFF\">Cellule</td>"),
        QStringLiteral("<p>Du texte avec un <b>title</b> et un <a href=\"a.htm\">lien</a>"),
        QStringLiteral("<!-- commentaire <p> avec color= dedans -->"),
        QStringLiteral("texte simple sans balise, juste des mots et encore"),
        QStringLiteral("<img src=\"image.gif\" width=\"20\" height=\"20\" alt=\"\">"),
        QStringLiteral("<body link=\"#FF0000\" vlink=\"#00FF00\">\tfin"),
    };
    QStringList out;
    out.reserve(lines);
    const int perLine = int(bytes / lines);
    for (int i = 0; i < lines; ++i) {
        QString line = pattern.at(i % pattern.size());
        while (line.size() < perLine - 2)
            line += QStringLiteral(" mot");
        line.truncate(perLine - 2);
        out << line;
    }
    return out;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);

    struct Size
    {
        const char *name;
        qint64 bytes;
        int lines;
    } sizes[] = {{"100 Ko", 100 * 1024, 2000}, {"1 Mo", 1024 * 1024, 20000}, {"10 Mo", 10 * 1024 * 1024, 200000}};

    std::printf("%-8s %8s %8s %14s %16s %14s %12s\n", "page", "lignes", "runs", "passe (us)", "ligne seule (us)",
                "allocations", "peinture (us)");
    for (const Size &size : sizes) {
        QWidget host;
        auto *layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *memo = new TColorMemo(&host);
        layout->addWidget(memo);
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPixelSize(12);
        memo->setFont(font);
        DocumentRules::declare(memo->ColorRules());
        memo->SetLines(page(size.bytes, size.lines));
        host.resize(900, 400);
        host.show();
        QApplication::processEvents();
        // Exactly 60 fully visible lines, and half of one more.
        const QRectF first = memo->blockRect(memo->document()->firstBlock());
        const int wanted = int(first.top() + 60.5 * first.height());
        memo->setFixedHeight(memo->height() + wanted - memo->viewport()->height());
        QApplication::processEvents();
        memo->verticalScrollBar()->setValue(size.lines / 2);
        QApplication::processEvents();

        // Full passes.
        for (int i = 0; i < 20; ++i)
            memo->colourPass(false);
        const int rounds = 300;
        CpuTimer timer;
        timer.start();
        for (int i = 0; i < rounds; ++i)
            memo->colourPass(false);
        const double fullUs = timer.nsecsElapsed() / 1000.0 / rounds;
        int runs = 0;
        while (runs < memo->runs().Count() && memo->runs()[runs].StartPos != KeyFree)
            ++runs;
        const int firstScanned = memo->document()->findBlock(memo->offsetToPosition(memo->lastScanStart())).blockNumber();
        const int lastLine = memo->document()->findBlock(memo->offsetToPosition(memo->lastScanEnd() - 1)).blockNumber();
        const int visible = lastLine - firstScanned + 1;

        // Typing: a character in a visible line, then the caret line's pass.
        const QTextBlock line = memo->document()->findBlockByNumber(memo->firstVisibleBlockNumber() + 30);
        QTextCursor c(line);
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 10);
        memo->setTextCursor(c);
        for (int i = 0; i < 20; ++i) {
            memo->textCursor().insertText(QStringLiteral("x"));
            memo->colourPass(true);
        }
        long allocations = 0;
        double lineUs = 0;
        const int typed = 200;
        for (int i = 0; i < typed; ++i) {
            memo->textCursor().insertText(QStringLiteral("x"));
            // The control lays the changed line out again: its own work, not
            // the colour pass's.
            memo->blockRect(memo->textCursor().block());
            timer.restart();
            g_allocations = 0;
            g_counting = true;
            memo->colourPass(true);
            g_counting = false;
            lineUs += timer.nsecsElapsed() / 1000.0;
            allocations += g_allocations;
            if (!memo->lastPassCurrentLineOnly())
                std::printf("la passe n'a pas porté sur la seule ligne du curseur\n");
        }
        lineUs /= typed;
        // The same pass again without typing, for the fixed part of its cost.
        timer.restart();
        for (int i = 0; i < rounds; ++i)
            memo->colourPass(true);
        const double steadyUs = timer.nsecsElapsed() / 1000.0 / rounds;

        // A whole repaint of the view (the control's drawing, a pass and
        // the coloured runs), for scale.
        const int paints = 50;
        timer.restart();
        for (int i = 0; i < paints; ++i) {
            memo->DrawColors(false);
            memo->viewport()->repaint();
        }
        const double paintUs = timer.nsecsElapsed() / 1000.0 / paints;

        std::printf("%-8s %8d %8d %14.1f %16.1f %14ld %12.1f\n", size.name, size.lines, runs, fullUs, lineUs,
                    allocations, paintUs);
        std::printf("         lignes colorées à l'écran : %d ; passe de la ligne sans frappe : %.1f us\n", visible,
                    steadyUs);
    }
    return 0;
}
