#pragma once
// Lays the source text out on printed pages, free of any device: plain text,
// one printed line per source line, a line wider than the page continued on
// the next printed line after the last character that fits, tabs to the next
// multiple of eight average character widths, a form feed starting a new
// page, and a new page when a line would come within two line heights of the
// bottom. No header, footer or page number.
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace PrintLayout {

struct Metrics {
    double pageWidth = 0;     // printable width
    double pageHeight = 0;    // printable height
    double lineHeight = 0;    // distance from one line to the next
    double averageCharWidth = 0;
    // Width of one character in the print font.
    std::function<double(QChar)> charWidth;
};

// A piece of text drawn from x; tabs split a printed line into pieces.
struct Piece {
    double x = 0;
    QString text;
};

struct PrintedLine {
    double y = 0; // top of the line
    QList<Piece> pieces;
};

using Page = QList<PrintedLine>;

// At least one page, even for an empty text.
QList<Page> layout(const QStringList &lines, const Metrics &metrics);

} // namespace PrintLayout
