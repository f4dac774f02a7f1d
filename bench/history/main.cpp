// The page's history on big pages, in the source pane:
//  - typing 500 characters in the middle of a 10 MB page, per key from the
//    key event to the end of the repaint it causes (median and worst);
//  - "Annuler" of a replace-all of 100 000 matches in a 5 MB page;
//  - 100 "Annuler" in a row of typing steps on the 10 MB page;
//  - opening a 5 MB page into the pane and saving it.
#include "colormemo/ColMemo.h"
#include "document/DocumentRules.h"
#include "page/Page.h"
#include "page/PageFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
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

// A page of many lines: tags, attributes and French text.
QStringList manyLines(qsizetype bytes)
{
    static const QString pieces[] = {
        QStringLiteral("<div class=\"article\" id=\"a%1\"><h2 title=\"Été à la mer\">Été à la mer</h2>"),
        QStringLiteral("<p>Les enfants ont joué sur la plage jusqu’au soir ; l’eau était fraîche.</p>"),
        QStringLiteral("<!-- bloc %1 : ne pas déplacer -->"),
        QStringLiteral("<a href=\"pages/%1.htm\" target=\"_blank\">Lire la suite…</a>"),
        QStringLiteral("<table border=\"0\"><tr><td bgcolor=\"#FFFFCC\">Prix : 12\u00A0€</td></tr></table></div>"),
    };
    QStringList lines;
    qsizetype size = 0;
    for (int i = 0; size < bytes; ++i) {
        lines << QString(pieces[i % std::size(pieces)]).replace(QStringLiteral("%1"), QString::number(i));
        size += lines.last().size() + 2;
    }
    return lines;
}

void sendKey(QWidget *target, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

struct Pane
{
    QWidget host;
    TColorMemo *memo;
    Pane()
    {
        auto *layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        memo = new TColorMemo(&host);
        layout->addWidget(memo);
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPixelSize(13);
        memo->setFont(font);
        DocumentRules::declare(memo->ColorRules());
        host.resize(1000, 700);
        host.show();
        QApplication::processEvents();
    }
};

double ms(qint64 ns) { return double(ns) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    {
        // Typing in the middle of a 10 MB page.
        Pane pane;
        pane.memo->page()->load(manyLines(10 * 1000 * 1000));
        pane.memo->SetSelStart(pane.memo->TextLength() / 2);
        pane.memo->ensureCursorVisible();
        QApplication::processEvents();
        std::vector<double> wall, cpu;
        // French sentences, a line break after each, as a page is typed.
        const QString keys = QStringLiteral("Un été très doux à Paris, les enfants jouent sur la plage.\n");
        for (int i = 0; i < 500; ++i) {
            const QChar k = keys.at(i % keys.size());
            QElapsedTimer t;
            t.start();
            const qint64 c0 = threadCpuNs();
            sendKey(pane.memo, k == u'\n' ? Qt::Key_Return : k.isLetter() ? Qt::Key_A : Qt::Key_Space,
                    k == u'\n' ? QStringLiteral("\r") : QString(k));
            QApplication::processEvents();
            wall.push_back(ms(t.nsecsElapsed()));
            cpu.push_back(ms(threadCpuNs() - c0));
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        std::printf("frappe, page de 10 Mo (500 touches) : médiane %.2f ms, pire %.2f ms "
                    "(processeur : médiane %.2f ms, pire %.2f ms)\n",
                    wall[wall.size() / 2], wall.back(), cpu[cpu.size() / 2], cpu.back());
        std::printf("  historique : %d étapes, %zu caractères\n", pane.memo->page()->history().count(),
                    pane.memo->page()->history().cost());

        // 100 typing steps (the caret moves between them), then 100 "Annuler".
        TPage &page = *pane.memo->page();
        for (int i = 0; i < 100; ++i) {
            page.SetSelStart((i * 104729) % page.TextLength());
            page.type(QStringLiteral("é"));
            page.type(QStringLiteral("t"));
        }
        page.endStep();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 100; ++i) {
            page.undo();
            QApplication::processEvents();
        }
        std::printf("100 « Annuler » de frappes, page de 10 Mo : %.1f ms en tout\n", ms(t.nsecsElapsed()));
        std::fflush(stdout);
    }

    {
        // "Annuler" of a replace-all of 100 000 matches in a 5 MB page.
        Pane pane;
        QStringList lines = manyLines(5 * 1000 * 1000);
        TPage &page = *pane.memo->page();
        page.load(lines);
        QApplication::processEvents();
        // "e" to "&#101;", line after line, up to 100 000 matches.
        int matches = 0;
        for (QString &l : lines) {
            if (matches >= 100000)
                break;
            const int n = int(l.count(u'e'));
            if (n == 0 || matches + n > 100000)
                continue;
            l.replace(u'e', QStringLiteral("&#101;"));
            matches += n;
        }
        QElapsedTimer t;
        t.start();
        page.beginCommand(QStringLiteral("Remplacer"));
        page.SetLines(lines);
        page.endStep();
        QApplication::processEvents();
        const double replaced = ms(t.nsecsElapsed());
        t.restart();
        page.undo();
        QApplication::processEvents();
        const double undone = ms(t.nsecsElapsed());
        t.restart();
        page.redo();
        QApplication::processEvents();
        std::printf("remplacer tout (%d occurrences, page de 5 Mo) : %.1f ms ; « Annuler » %.1f ms ; "
                    "« Rétablir » %.1f ms ; historique %zu caractères\n",
                    matches, replaced, undone, ms(t.nsecsElapsed()), page.history().cost());
        std::fflush(stdout);
    }

    {
        // Opening a 5 MB page into the pane, and saving it.
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("page.htm"));
        PageFile::write(path, manyLines(5 * 1000 * 1000), PageFile::Encoding::Utf8);
        Pane pane;
        QElapsedTimer t;
        t.start();
        const PageFile::Page read = PageFile::read(path);
        pane.memo->SetLines(read.lines);
        pane.memo->SetModified(false);
        QApplication::processEvents();
        const double opened = ms(t.nsecsElapsed());
        t.restart();
        PageFile::write(path, pane.memo->Lines(), read.encoding, read.breaks);
        std::printf("page de 5 Mo : ouverture %.1f ms, enregistrement %.1f ms\n", opened, ms(t.nsecsElapsed()));
    }
    return 0;
}
