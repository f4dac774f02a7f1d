// A page that stands on one line (a minified page) in the source pane: the
// time from setting its text to the pane at rest, and the cost of each key
// typed in the middle of the line, from the key event to the end of the
// repaint it causes. Sizes 30 KB, 200 KB and 5 MB.
#include "colormemo/ColMemo.h"
#include "document/DocumentRules.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

qint64 threadCpuNs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Counts the paints of the pane's text area.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A minified page: tags, attributes, comments and French text, no line break.
QString oneLinePage(qsizetype bytes)
{
    static const QString pieces[] = {
        QStringLiteral("<div class=\"article\" id=\"a%1\"><h2 title=\"Été à la mer\">Été à la mer</h2>"),
        QStringLiteral("<p>Les enfants ont joué sur la plage jusqu’au soir ; l’eau était fraîche.</p>"),
        QStringLiteral("<!-- bloc %1 : ne pas déplacer -->"),
        QStringLiteral("<a href=\"pages/%1.htm\" target=\"_blank\">Lire la suite…</a>"),
        QStringLiteral("<img src=\"images/photo%1.jpg\" width=\"120\" height=\"80\" alt=\"Photo\">"),
        QStringLiteral("<table border=\"0\"><tr><td bgcolor=\"#FFFFCC\">Prix : 12 €</td></tr></table></div>"),
    };
    QString out = QStringLiteral("<html><head><title>Page d’essai</title></head><body>");
    out.reserve(bytes + 200);
    for (int i = 0; out.size() < bytes; ++i)
        out += QString(pieces[i % std::size(pieces)]).replace(QStringLiteral("%1"), QString::number(i));
    out.truncate(bytes - 14);
    out += QStringLiteral("</body></html>");
    return out;
}

// Processes events until the pane's thread has spent under 10 ms of
// processor time in a window of 500 ms, or until `limitMs`. Answers the
// time (ms, from `since`) at which the quiet window started, or -1.
qint64 waitForRest(const QElapsedTimer &since, qint64 limitMs, PaintCounter &counter, int *paintsInRest,
                   qint64 *cpuBeforeRest = nullptr)
{
    for (;;) {
        const qint64 windowStart = since.elapsed();
        const qint64 cpuStart = threadCpuNs();
        if (cpuBeforeRest)
            *cpuBeforeRest = cpuStart;
        const int paintsStart = counter.paints;
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
        const qint64 cpuMs = (threadCpuNs() - cpuStart) / 1000000;
        if (cpuMs < 10) {
            *paintsInRest = counter.paints - paintsStart;
            return windowStart;
        }
        if (since.elapsed() > limitMs)
            return -1;
    }
}

void sendKey(QWidget *target, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Wall-clock times, and the processor time of the pane's thread, which
    // holds on a busy machine too.
    std::printf("%-8s %15s %15s %10s %14s %14s %16s %16s\n", "page", "ouverture (ms)", "dont CPU (ms)", "repos",
                "frappe méd.", "frappe max", "frappe CPU méd.", "frappe CPU max");
    const struct
    {
        const char *name;
        qsizetype bytes;
    } sizes[] = {{"30 Ko", 30 * 1024}, {"200 Ko", 200 * 1024}, {"5 Mo", 5 * 1024 * 1024}};
    // A size named on the command line (e.g. "5") runs alone.
    const QByteArray only = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    for (const auto &size : sizes) {
        if (!only.isEmpty() && !QByteArray(size.name).startsWith(only))
            continue;
        const QString text = oneLinePage(size.bytes);
        QWidget host;
        auto *layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *memo = new TColorMemo(&host);
        layout->addWidget(memo);
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPixelSize(13);
        memo->setFont(font);
        DocumentRules::declare(memo->ColorRules());
        PaintCounter counter;
        memo->viewport()->installEventFilter(&counter);
        host.resize(1000, 700);
        host.show();
        QApplication::processEvents();

        QElapsedTimer open;
        open.start();
        const qint64 openCpu = threadCpuNs();
        memo->SetText(text);
        int restPaints = 0;
        qint64 restCpu = 0;
        const qint64 rest = waitForRest(open, 30000, counter, &restPaints, &restCpu);

        // Into the middle of the line, shown on the screen.
        QTextCursor c(memo->document());
        c.setPosition(int(text.size() / 2));
        memo->setTextCursor(c);
        memo->ensureCursorVisible();
        int ignored = 0;
        QElapsedTimer settle;
        settle.start();
        waitForRest(settle, 30000, counter, &ignored);

        std::vector<double> wall;
        std::vector<double> cpu;
        static const char typed[] = "Un été très doux";
        const QString keys = QString::fromUtf8(typed);
        for (int round = 0; round < (size.bytes > 1024 * 1024 ? 1 : 4); ++round) {
            for (QChar k : keys) {
                QElapsedTimer t;
                t.start();
                const qint64 c0 = threadCpuNs();
                sendKey(memo, k.isLetter() ? Qt::Key_A : Qt::Key_Space, QString(k));
                // The repaint the key asked for.
                QApplication::processEvents();
                wall.push_back(t.nsecsElapsed() / 1e6);
                cpu.push_back((threadCpuNs() - c0) / 1e6);
            }
        }
        std::vector<double> sortedWall = wall;
        std::sort(sortedWall.begin(), sortedWall.end());
        std::vector<double> sortedCpu = cpu;
        std::sort(sortedCpu.begin(), sortedCpu.end());
        char restText[32];
        std::snprintf(restText, sizeof restText, "%d peint.", restPaints);
        if (rest < 0)
            std::printf("%-8s %15s %15s %10s", size.name, "jamais au repos", "-", "-");
        else
            std::printf("%-8s %15lld %15lld %10s", size.name, static_cast<long long>(rest),
                        static_cast<long long>((restCpu - openCpu) / 1000000), restText);
        std::printf(" %11.2f ms %11.2f ms %13.2f ms %13.2f ms\n", sortedWall[sortedWall.size() / 2], sortedWall.back(),
                    sortedCpu[sortedCpu.size() / 2], sortedCpu.back());
        std::fflush(stdout);
    }
    return 0;
}
