// Replace-all of 100 000 occurrences in a 5 MB page, through the document
// window as the replace dialog drives it, then one "Annuler".
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FindDialogs.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    Platform::setMessageHandler([](const Platform::MessageRecord &) { return Platform::Answer::Ok; });

    // 100 000 lines of 50 characters (52 with CR LF): 5.2 MB, one "td" each.
    QStringList lines;
    lines.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        lines << QStringLiteral("<tr><td>%1</td> texte de remplissage ordinaire</tr>").arg(i % 10).left(50);
    TEditeur e(nullptr);
    e.Memo1->SetLines(lines);
    e.Memo1->SetSelStart(0);
    const int size = e.Memo1->TextLength();

    e.Remplacer();
    e.replaceDialog()->FindEdit->setText(QStringLiteral("<td>"));
    e.replaceDialog()->hide();
    QString replacement = QStringLiteral("<TD class=\"c\">");
    e.replaceDialog()->setReplaceText(replacement);

    QElapsedTimer t;
    t.start();
    e.Replace(true);
    const qint64 replaceMs = t.elapsed();
    const int after = e.Memo1->Text().count(replacement);

    t.restart();
    e.Annuler();
    const qint64 undoMs = t.elapsed();
    const bool restored = e.Memo1->Lines() == lines;

    std::printf("page: %d characters, %d lines\n", size, int(lines.size()));
    std::printf("replace-all: %d replacements in %lld ms (target <= 2000 ms)\n", after, (long long)replaceMs);
    std::printf("annuler: %lld ms, page restored: %s\n", (long long)undoMs, restored ? "yes" : "NO");
    return after == 100000 && restored ? 0 : 1;
}
