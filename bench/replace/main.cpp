// Replace-all of 100 000 occurrences in a 5 MB page, through the document
// window as the replace dialog drives it, then one "Annuler"; the same again
// with a regular expression and a back-reference.
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FindDialogs.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QCheckBox>
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
    TReplaceDialog *dialog = e.replaceDialog();
    dialog->hide();

    // One replace-all then one "Annuler"; the page must come back whole.
    struct Run { qint64 replaceMs; qint64 undoMs; int count; bool restored; };
    auto measure = [&](const QString &pattern, bool regex, const QString &replacement,
                       const QString &expected) {
        dialog->FindEdit->setText(pattern);
        dialog->RegexBox->setChecked(regex);
        dialog->setReplaceText(replacement);
        QElapsedTimer t;
        t.start();
        e.Replace(true);
        Run r{t.elapsed(), 0, int(e.Memo1->Text().count(expected)), false};
        t.restart();
        e.Annuler();
        r.undoMs = t.elapsed();
        r.restored = e.Memo1->Lines() == lines;
        return r;
    };
    const Run plain = measure(QStringLiteral("<td>"), false, QStringLiteral("<TD class=\"c\">"),
                              QStringLiteral("<TD class=\"c\">"));
    // "t(d)" also matches the "td" of every "</td>": two per line.
    const Run regex = measure(QStringLiteral("t(d)"), true, QStringLiteral("T\\1"),
                              QStringLiteral("Td"));

    std::printf("page: %d characters, %d lines\n", size, int(lines.size()));
    std::printf("replace-all: %d replacements in %lld ms (target <= 2000 ms)\n", plain.count,
                (long long)plain.replaceMs);
    std::printf("annuler: %lld ms, page restored: %s\n", (long long)plain.undoMs,
                plain.restored ? "yes" : "NO");
    std::printf("replace-all, regular expression t(d) -> T\\1: %d replacements in %lld ms "
                "(plain: %lld ms)\n", regex.count, (long long)regex.replaceMs,
                (long long)plain.replaceMs);
    std::printf("annuler: %lld ms, page restored: %s\n", (long long)regex.undoMs,
                regex.restored ? "yes" : "NO");
    const bool ok = plain.count == 100000 && plain.restored && regex.count == 200000
                    && regex.restored;
    return ok ? 0 : 1;
}
