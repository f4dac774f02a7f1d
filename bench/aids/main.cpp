// The writing aids on a big French page (20 000 lines, about 1.5 MB):
//  - the typography scan of the whole page, and per line as a painter asks
//    for the lines it draws (the worst line);
//  - the HTML5 check of the same page.
#include "aids/FrenchTypography.h"
#include "aids/HtmlValidator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList lines = {"<!DOCTYPE html>", "<html lang=\"fr\"><head><title>Essai</title>",
                         "<style>p { color: red; }</style></head><body>"};
    for (int i = 0; i < 20000; ++i) {
        switch (i % 4) {
        case 0:
            lines << QString::fromUtf8("<p>Bonjour ! Voici « une citation » : elle est longue ; très longue ? Oui.</p>");
            break;
        case 1:
            lines << QString::fromUtf8("<p class=\"x\">Rendez-vous à 10:30, voir <a href=\"http://exemple.fr/?a=1\">ici</a>&nbsp;!</p>");
            break;
        case 2:
            lines << QString::fromUtf8("<!-- un commentaire : sans faute ! --><script>var a = b ? c : d;</script>");
            break;
        default:
            lines << QString::fromUtf8("<p>Texte juste&#8239;! Bien&nbsp;: oui.</p>");
        }
    }
    lines << "</body></html>";
    qint64 bytes = 0;
    for (const QString &l : lines)
        bytes += l.size() + 2;

    QElapsedTimer t;
    t.start();
    const QList<FrenchTypography::Fault> faults = FrenchTypography::scan(lines);
    const qint64 scanNs = t.nsecsElapsed();

    qint64 worstLineNs = 0;
    FrenchTypography::LineState state;
    for (const QString &line : lines) {
        t.restart();
        state = FrenchTypography::scanLine(line, state).end;
        worstLineNs = std::max(worstLineNs, t.nsecsElapsed());
    }

    t.restart();
    const QList<HtmlValidator::Message> messages = HtmlValidator::validate(lines);
    const qint64 validateNs = t.nsecsElapsed();

    std::printf("page: %lld lines, %lld characters\n", qlonglong(lines.size()), qlonglong(bytes));
    std::printf("typography scan of the page: %.1f ms (%lld faults)\n", scanNs / 1e6, qlonglong(faults.size()));
    std::printf("typography scan, worst single line: %.1f us\n", worstLineNs / 1e3);
    std::printf("HTML5 check of the page: %.1f ms (%lld messages)\n", validateNs / 1e6, qlonglong(messages.size()));
    return 0;
}
