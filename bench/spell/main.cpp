// The spell check and the typography marks of the source pane on big
// French pages:
//  - the marks of one screen (60 lines) of a 10 MB page: lines never seen
//    before, the same screen painted again, and the pane's paint of a
//    screen with the aids on and off;
//  - the states at the lines' starts of the whole 10 MB page (read between
//    events, in slices) and the cost of one slice;
//  - the check of a whole 5 MB page on a worker thread, dictionary loading
//    included, while the main thread stays free.
#include "aids/SpellCheck.h"
#include "aids/TextMarks.h"
#include "colormemo/ColMemo.h"
#include "page/Page.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {

const char *const vocabulary[] = {
    "maison", "jardin", "école", "enfant", "soleil", "rivière", "montagne", "chemin", "fenêtre", "lumière",
    "toujours", "souvent", "pourquoi", "aujourd'hui", "peut-être", "travail", "village", "histoire", "musique",
    "bonjoru", "ecole", "probleme", "très", "beaucoup", "depuis", "pendant", "quelque", "chose", "ville", "pays",
};

// A word made from the line's number: one word a line the checker has never seen.
QString rareWord(int n)
{
    QString w = QStringLiteral("mot");
    for (; n > 0; n /= 26)
        w += QChar(u'a' + n % 26);
    return w;
}

QStringList frenchPage(qint64 bytes)
{
    QStringList lines = {"<!DOCTYPE html>", "<html lang=\"fr\"><head><title>Essai</title>",
                         "<style>p { color: red; }</style></head><body>"};
    qint64 size = 0;
    for (int i = 0; size < bytes; ++i) {
        QString line;
        switch (i % 5) {
        case 0:
            line = QStringLiteral("<p id=\"p%1\">").arg(i);
            break;
        case 1:
            line = QStringLiteral("<!-- note %1 --> <a href=\"http://exemple.fr/page%1.htm\">").arg(i);
            break;
        case 2:
            line = QStringLiteral("<td class=\"c%1\">caf&eacute; ").arg(i);
            break;
        default:
            line = QStringLiteral("<li>");
        }
        for (int k = 0; k < 9; ++k)
            line += QString::fromUtf8(vocabulary[(i * 7 + k * 3) % std::size(vocabulary)]) + u' ';
        line += rareWord(i) + QStringLiteral(" ! Voilà : fin</p>");
        size += line.size() + 2;
        lines << line;
    }
    lines << "</body></html>";
    return lines;
}

qint64 sizeOf(const QStringList &lines)
{
    qint64 n = 0;
    for (const QString &l : lines)
        n += l.size() + 2;
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dictionary = Spelling::dictionaryFor(QStringLiteral("fr"));
    if (dictionary.isEmpty()) {
        std::printf("no French dictionary (hunspell-fr): skipped\n");
        return 0;
    }
    const QStringList big = frenchPage(10'000'000);
    std::printf("page: %lld lines, %.1f MB\n", qlonglong(big.size()), sizeOf(big) / 1e6);
    const TTextMarks::Fetch fetch = [&big](int i) { return big.at(i); };

    QElapsedTimer t;
    t.start();
    TSpellChecker checker(dictionary);
    std::printf("dictionary %s loaded: %.1f ms\n", qPrintable(dictionary), t.nsecsElapsed() / 1e6);

    // The states of every line's start, as the pane reads them in slices.
    TTextMarks marks;
    marks.setChecker(&checker);
    TTextMarks::State state;
    t.restart();
    qint64 worstSlice = 0;
    for (bool done = false; !done;) {
        QElapsedTimer slice;
        slice.start();
        done = marks.stateAt(int(big.size()) - 1, fetch, &state, 2000);
        worstSlice = std::max(worstSlice, slice.nsecsElapsed());
    }
    std::printf("line states of the whole page: %.1f ms, worst slice of 2000 lines: %.2f ms\n",
                t.nsecsElapsed() / 1e6, worstSlice / 1e6);

    // One screen of 60 lines, never seen, taken from all over the page.
    constexpr int Screen = 60;
    const int screens = 200;
    qint64 first = 0, worst = 0, total = 0;
    for (int s = 0; s < screens; ++s) {
        const int top = int((qint64(big.size() - Screen) * s) / screens);
        t.restart();
        for (int i = top; i < top + Screen; ++i) {
            marks.stateAt(i, fetch, &state);
            marks.marksOf(big.at(i), state);
        }
        const qint64 ns = t.nsecsElapsed();
        if (s == 0)
            first = ns;
        worst = std::max(worst, ns);
        total += ns;
    }
    std::printf("marks of a new screen (%d lines): first %.2f ms, mean %.2f ms, worst %.2f ms\n", Screen, first / 1e6,
                total / 1e6 / screens, worst / 1e6);
    qint64 again = 0;
    for (int round = 0; round < 2; ++round) {
        t.restart();
        for (int i = 1000; i < 1000 + Screen; ++i) {
            marks.stateAt(i, fetch, &state);
            marks.marksOf(big.at(i), state);
        }
        again = t.nsecsElapsed();
    }
    std::printf("marks of a screen painted again: %.3f ms\n", again / 1e6);

    // The pane itself: a paint of a screen in the middle, aids on and off.
    {
        QWidget host;
        host.resize(1000, 900);
        auto *layout = new QVBoxLayout(&host);
        auto *memo = new TColorMemo(&host);
        layout->addWidget(memo);
        memo->page()->load(big);
        host.show();
        memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum() / 2);
        const auto paintMean = [&](int rounds, bool newScreens) {
            qint64 sum = 0;
            for (int r = 0; r < rounds; ++r) {
                if (newScreens)
                    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->value() + 70);
                QCoreApplication::processEvents();
                QElapsedTimer p;
                p.start();
                memo->viewport()->repaint();
                sum += p.nsecsElapsed();
            }
            return sum / 1e6 / rounds;
        };
        paintMean(3, false);
        const double off = paintMean(20, true);
        memo->setWritingAids(true, true);
        paintMean(3, false); // the states down to the view, read once
        const double on = paintMean(20, true);
        const double again = paintMean(20, false);
        std::printf("pane paint of a new screen (%d lines shown): aids off %.2f ms, on %.2f ms (aids %.2f ms); "
                    "same screen again, aids on %.2f ms; %lld marks shown\n",
                    int(memo->viewport()->height() / memo->fontMetrics().lineSpacing()), off, on, on - off, again,
                    qlonglong(memo->shownMarks().size()));
    }

    // A whole 5 MB page on a worker thread, with a checker of its own.
    const QStringList half = frenchPage(5'000'000);
    int count = 0;
    t.restart();
    QThread *worker = QThread::create([&] {
        TSpellChecker own(dictionary);
        count = own.countMisspelt(half);
    });
    worker->start();
    // The main thread meanwhile: how long its events wait at worst.
    qint64 worstWait = 0;
    while (!worker->isFinished()) {
        QElapsedTimer w;
        w.start();
        QCoreApplication::processEvents();
        QThread::msleep(5);
        worstWait = std::max(worstWait, w.nsecsElapsed() - 5'000'000);
    }
    worker->wait();
    delete worker;
    std::printf("whole %.1f MB page checked on a worker thread: %.0f ms (%d misspelt words), main thread's "
                "events delayed at most %.2f ms\n",
                sizeOf(half) / 1e6, t.nsecsElapsed() / 1e6, count, worstWait / 1e6);
    return 0;
}
