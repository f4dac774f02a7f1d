// The preview on big pages: engine loads when a page is opened, the time the
// user-interface thread is held per refresh, the engine's processor time per
// typing pause on a page with a script, memory of all processes after
// opening, and how often the frame's native window is made again.
// Run under a display (xvfb-run -a bench_bigpage [sizes in MB...]).
#include "app/Main.h"
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "renderer/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QPlatformSurfaceEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray page(qsizetype bytes, bool script)
{
    QByteArray out = "<html><head><title>Banc</title>";
    if (script)
        out += "<script>var compte = 0; function f() { compte++; }</script>";
    out += "</head><body>\r\n";
    for (int i = 0; out.size() < bytes; ++i)
        out += QByteArray("<p>Ligne ") + QByteArray::number(i)
            + " : du texte ordinaire, <b>gras</b>, <i>italique</i> et un <a href=\"#s\">lien</a>.</p>\r\n";
    out += "</body></html>\r\n";
    return out;
}

qint64 field(const QString &file, const QByteArray &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QList<int> descendants()
{
    QList<int> tree{int(QCoreApplication::applicationPid())};
    const QStringList all = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (int i = 0; i < tree.size(); ++i)
        for (const QString &pid : all) {
            bool ok = false;
            const int p = pid.toInt(&ok);
            if (ok && !tree.contains(p) && field(QStringLiteral("/proc/%1/status").arg(p), "PPid:") == tree.at(i))
                tree << p;
        }
    tree.removeFirst();
    return tree;
}

// Processor time of the engine's processes, in ms.
qint64 engineCpu()
{
    qint64 ticks = 0;
    for (int p : descendants()) {
        QFile f(QStringLiteral("/proc/%1/stat").arg(p));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray s = f.readAll();
        const QList<QByteArray> parts = s.mid(s.lastIndexOf(')') + 2).split(' ');
        ticks += parts.value(11).toLongLong() + parts.value(12).toLongLong();
    }
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

// PSS in MiB of this process and of the engine's.
QPair<double, double> memory()
{
    const double self = field(QStringLiteral("/proc/self/smaps_rollup"), "Pss:") / 1024.0;
    double engine = 0;
    for (int p : descendants())
        engine += field(QStringLiteral("/proc/%1/smaps_rollup").arg(p), "Pss:") / 1024.0;
    return {self, engine};
}

// The longest time the event loop went without running a 5 ms timer, and
// the sum of such stalls over 20 ms.
class Stalls : public QObject
{
public:
    Stalls()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 gap = m_clock.restart();
            longest = qMax(longest, gap);
            if (gap > 20)
                total += gap;
        });
    }
    void start()
    {
        longest = total = 0;
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    qint64 longest = 0, total = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
};

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

class Recreations : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(e)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            ++count;
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {5, 20, 50};
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    TMainForm frame;
    frame.resize(1200, 780);
    // As the program makes its frame: ready for the preview's drawing.
    THtmlView::prepareWindow(&frame);
    frame.show();
    settle(300);
    Recreations recreations;
    frame.windowHandle()->installEventFilter(&recreations);
    Stalls stalls;

    auto open = [&](const QString &name, const QByteArray &bytes) -> TEditeur * {
        const QString file = dir.filePath(name);
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        frame.openFiles({file});
        return frame.activeEditeur();
    };
    auto close = [&](TEditeur *e) {
        e->Memo1->SetModified(false);
        frame.mdiArea->closeAllSubWindows();
        settle(500);
    };
    auto typeOne = [](TEditeur *e, int round) {
        e->Memo1->SetSelStart(200 + round);
        e->Memo1->SetSelText(QStringLiteral("x"));
    };

    // Loads at open: a small page, left 2 s (4 ticks) with nothing typed.
    {
        TEditeur *e = open(QStringLiteral("petite.htm"), page(20 * 1024, false));
        e->Actauto(true);
        QSignalSpy rendered(e->HtmlView1, &THtmlView::rendered);
        settle(2000);
        std::printf("loads at open of a 20 KB page, 2 s untouched: %d\n", int(rendered.size()));
        std::printf("frame's native window made again by the first preview: %d time(s)\n", recreations.count);
        close(e);
    }

    // Engine processor time per typing pause on a page holding a script.
    for (int kb : {200, 1024, 5 * 1024}) {
        TEditeur *e = open(QStringLiteral("script%1.htm").arg(kb), page(qsizetype(kb) * 1024, true));
        e->Actauto(true);
        settle(kb > 1024 ? 15000 : 3000);
        const int pauses = 4;
        const qint64 before = engineCpu();
        QElapsedTimer wall;
        wall.start();
        for (int round = 0; round < pauses; ++round) {
            typeOne(e, round);
            settle(700); // a pause in the typing: the tick comes within 500 ms
        }
        settle(kb > 1024 ? 20000 : 2000); // what the engine still does for them
        std::printf("page with a script, %5d KB: engine processor %6lld ms per typing pause (%d pauses)\n", kb,
                    static_cast<long long>((engineCpu() - before) / pauses), pauses);
        close(e);
    }

    // Main-thread time per refresh, and memory after opening.
    for (int mb : sizes) {
        const QPair<double, double> m0 = memory();
        TEditeur *e = open(QStringLiteral("grande%1.htm").arg(mb), page(qsizetype(mb) * 1024 * 1024, false));
        e->Actauto(true);
        settle(mb >= 20 ? 20000 : 8000);
        const QPair<double, double> m1 = memory();
        std::printf("%2d MB page opened: PSS frame %.0f MiB, engine %.0f MiB (%.0f MiB before opening); all %.0f MiB\n", mb,
                    m1.first, m1.second, m0.second, m1.first + m1.second);
        qint64 worst = 0, blocked = 0, inTick = 0;
        const int rounds = 3;
        for (int round = 0; round < rounds; ++round) {
            typeOne(e, round);
            QSignalSpy rendered(e->HtmlView1, &THtmlView::rendered);
            // A page left to be rendered on demand ends its refresh at once.
            QSignalSpy deferred(e->HtmlView1, &THtmlView::deferred);
            stalls.start();
            QElapsedTimer t;
            t.start();
            e->MajView();
            inTick += t.elapsed();
            QElapsedTimer w;
            w.start();
            while (rendered.isEmpty() && deferred.isEmpty() && w.elapsed() < (mb >= 20 ? 120000 : 40000))
                app.processEvents(QEventLoop::WaitForMoreEvents, 20);
            settle(200);
            stalls.stop();
            worst = qMax(worst, stalls.longest);
            blocked += stalls.total;
        }
        std::printf("%2d MB page, refresh at a tick: %lld ms in the tick, user-interface thread held %lld ms per refresh"
                    " (longest stall %lld ms)\n",
                    mb, static_cast<long long>(inTick / rounds), static_cast<long long>(blocked / rounds),
                    static_cast<long long>(worst));
        if (auto *button = e->HtmlView1->findChild<QPushButton *>(QStringLiteral("AvisApercuBouton"));
            button && button->isVisible()) {
            QSignalSpy rendered(e->HtmlView1, &THtmlView::rendered);
            stalls.start();
            QElapsedTimer t;
            t.start();
            button->click();
            rendered.wait(180000);
            const qint64 took = t.elapsed();
            settle(300);
            stalls.stop();
            const QPair<double, double> m2 = memory();
            std::printf("%2d MB page rendered on demand: %lld ms to rendered, user-interface thread held %lld ms"
                        " (longest stall %lld ms); PSS all %.0f MiB\n",
                        mb, static_cast<long long>(took), static_cast<long long>(stalls.total),
                        static_cast<long long>(stalls.longest), m2.first + m2.second);
        }
        close(e);
    }
    return 0;
}
