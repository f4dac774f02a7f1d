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
    if (!CommonDialogs::askPrint(this, *printer))
        return;

    QPainter painter;
    if (!painter.begin(printer))
        throw Platform::PemoError(QStringLiteral("Impossible d'imprimer sur l'imprimante \"%1\".")
                                      .arg(printer->printerName().isEmpty() ? printer->outputFileName()
                                                                            : printer->printerName()));
    const QFont font(Memo1->font(), printer);
    painter.setFont(font);
    const QFontMetricsF fm(font, printer);
    const QRectF area = printer->pageLayout().paintRectPixels(printer->resolution());

    PrintLayout::Metrics metrics;
    metrics.pageWidth = area.width();
    metrics.pageHeight = area.height();
    metrics.lineHeight = fm.lineSpacing();
    metrics.averageCharWidth = fm.averageCharWidth();
    metrics.charWidth = [&fm](QChar c) { return fm.horizontalAdvance(c); };

    const QList<PrintLayout::Page> pages = PrintLayout::layout(Memo1->Lines(), metrics);
    bool first = true;
    for (const PrintLayout::Page &page : pages) {
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
