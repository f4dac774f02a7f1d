#include "PrintLayout.h"

#include <cmath>

namespace PrintLayout {
namespace {

class Composer
{
public:
    explicit Composer(const Metrics &m) : m_m(m)
    {
        m_tab = 8 * m.averageCharWidth;
        m_pages.append(Page());
    }

    void line(const QString &text)
    {
        startLine();
        for (QChar c : text) {
            if (c == u'\f') {
                flushPiece();
                newPage();
                startLine();
                continue;
            }
            if (c == u'\t') {
                flushPiece();
                const double next = m_tab > 0 ? (std::floor(m_x / m_tab) + 1) * m_tab : m_x;
                if (next > m_m.pageWidth && m_x > 0) {
                    // The tab does not fit: it moves the text to the next line.
                    endLine();
                    startLine();
                } else {
                    m_x = next;
                }
                m_pieceX = m_x;
                continue;
            }
            const double w = m_m.charWidth(c);
            // Break after the last character that fits; a character wider
            // than the whole page still gets a line of its own.
            if (m_x + w > m_m.pageWidth && m_x > 0) {
                flushPiece();
                endLine();
                startLine();
            }
            m_piece += c;
            m_x += w;
        }
        flushPiece();
        endLine();
    }

    QList<Page> pages() const { return m_pages; }

private:
    void newPage()
    {
        if (m_open)
            endLine();
        m_pages.append(Page());
        m_y = 0;
    }

    void startLine()
    {
        // A line that would come within two line heights of the bottom goes
        // to a new page (unless it is the first line of the page already).
        if (m_y > 0 && m_y + 2 * m_m.lineHeight > m_m.pageHeight)
            newPage();
        m_current = PrintedLine{m_y, {}};
        m_open = true;
        m_x = 0;
        m_pieceX = 0;
    }

    void flushPiece()
    {
        if (!m_piece.isEmpty())
            m_current.pieces.append(Piece{m_pieceX, m_piece});
        m_piece.clear();
        m_pieceX = m_x;
    }

    void endLine()
    {
        if (!m_open)
            return;
        flushPiece();
        m_pages.last().append(m_current);
        m_open = false;
        m_y += m_m.lineHeight;
    }

    const Metrics &m_m;
    double m_tab = 0;
    QList<Page> m_pages;
    PrintedLine m_current;
    bool m_open = false;
    double m_x = 0, m_pieceX = 0, m_y = 0;
    QString m_piece;
};

} // namespace

QList<Page> layout(const QStringList &lines, const Metrics &metrics)
{
    Composer composer(metrics);
    for (const QString &line : lines)
        composer.line(line);
    return composer.pages();
}

} // namespace PrintLayout
