// Printing the source text of the page.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "platform/CommonDialogs.h"
#include "document/FrameServices.h"
#include "document/PrintLayout.h"
#include "platform/Errors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

void TEditeur::Imprimer()
{
    QPrinter *printer = m_frame ? m_frame->printer() : nullptr;
    if (!printer) {
        if (!m_ownPrinter)
            m_ownPrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer = m_ownPrinter.get();
    }
    if (!CommonDialogs::askPrint(this, *printer, Memo1->SelLength() > 0))
        return;

    const QFont font(Memo1->font(), printer);
    const QFontMetricsF fm(font, printer);
    const QRectF area = printer->pageLayout().paintRectPixels(printer->resolution());

    PrintLayout::Metrics metrics;
    metrics.pageWidth = area.width();
    metrics.pageHeight = area.height();
    metrics.lineHeight = fm.lineSpacing();
    metrics.averageCharWidth = fm.averageCharWidth();
    metrics.charWidth = [&fm](QChar c) { return fm.horizontalAdvance(c); };

    QStringList lines;
    if (printer->printRange() == QPrinter::Selection) {
        lines = Memo1->SelText().split(QStringLiteral("\r\n"));
        if (lines.size() > 1 && lines.last().isEmpty())
            lines.removeLast();
    } else {
        lines = Memo1->Lines();
    }
    const QList<PrintLayout::Page> pages = PrintLayout::layout(lines, metrics);
    // Pages are numbered from 1; a range running past the end stops there.
    qsizetype from = 1, to = pages.size();
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = printer->fromPage();
        if (printer->toPage() >= from)
            to = std::min<qsizetype>(to, printer->toPage());
    }
    if (from > to)
        throw Platform::PemoError(QStringLiteral("Le texte n'a que %1 page(s) : rien à imprimer de la page %2 à la page %3.")
                                      .arg(pages.size())
                                      .arg(printer->fromPage())
                                      .arg(printer->toPage()));

    QPainter painter;
    if (!painter.begin(printer))
        throw Platform::PemoError(QStringLiteral("Impossible d'imprimer sur l'imprimante \"%1\".")
                                      .arg(printer->printerName().isEmpty() ? printer->outputFileName()
                                                                            : printer->printerName()));
    painter.setFont(font);
    bool first = true;
    for (qsizetype p = from; p <= to; ++p) {
        const PrintLayout::Page &page = pages.at(p - 1);
        if (!first && !printer->newPage()) {
            painter.end();
            throw Platform::PemoError(QStringLiteral("L'impression a échoué."));
        }
        first = false;
        for (const PrintLayout::PrintedLine &line : page)
            for (const PrintLayout::Piece &piece : line.pieces)
                painter.drawText(QPointF(piece.x, line.y + fm.ascent()), piece.text);
    }
    if (!painter.end())
        throw Platform::PemoError(QStringLiteral("L'impression a échoué."));
}
