#include "LineWindow.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

// Characters whose place depends on the text around them in a way a cut
// stretch cannot know: right-to-left letters, Arabic digits, and the
// explicit embeddings and isolates.
bool reordered(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x0590)
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirPDF:
        case QChar::DirRLI:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDI:
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace

void TLineWindow::useLine(const QTextLine &line)
{
    m_whole = true;
    m_from = line.textStart();
    m_to = line.textStart() + line.textLength();
    m_offset = QPointF();
    m_shaped = line.textLength();
}

void TLineWindow::layOut(const QFont &font, const QTextOption &option)
{
    const qreal x0 = m_offset.x();
    // The line's tab stops, as seen from where the stretch starts: they are
    // counted from where the line starts, the default ones every
    // tabStopDistance.
    const qreal base = m_line.x();
    QTextOption local = option;
    local.setWrapMode(QTextOption::NoWrap);
    qreal distance = option.tabStopDistance();
    if (distance <= 0)
        distance = 80;
    QList<QTextOption::Tab> tabs;
    qreal last = 0;
    for (const QTextOption::Tab &tab : option.tabs()) {
        last = std::max(last, tab.position);
        if (base + tab.position > x0)
            tabs << QTextOption::Tab(base + tab.position - x0, tab.type, tab.delimiter);
    }
    const int tabCount = int(std::count(m_text.cbegin(), m_text.cend(), u'\t'));
    if (tabCount > 0) {
        // Stops over all the width the stretch can take: a tab goes to the
        // first stop past the text before it, not to the next in the list.
        const qreal reach = m_text.size() * QFontMetricsF(font).maxWidth() + (tabCount + 1) * distance;
        qreal stop = base + (std::floor(std::max(x0 - base, last) / distance) + 1) * distance;
        for (; stop - x0 <= reach; stop += distance)
            tabs << QTextOption::Tab(stop - x0, QTextOption::LeftTab);
    }
    local.setTabs(tabs);

    m_layout.clearLayout();
    m_layout.setText(m_text);
    m_layout.setFont(font);
    m_layout.setTextOption(local);
    m_layout.beginLayout();
    m_piece = m_layout.createLine();
    if (m_piece.isValid()) {
        m_piece.setLeadingIncluded(true);
        m_piece.setLineWidth(1e9);
        m_piece.setPosition(QPointF(0, 0));
    }
    m_layout.endLayout();
    m_shaped += int(m_text.size());
}

const TLineWindow::Anchor *TLineWindow::anchorFor(int block, int revision, const QTextLine &line, qreal left) const
{
    if (block < 0)
        return nullptr;
    for (const Anchor &a : m_anchors)
        if (a.block == block && a.revision == revision && a.lineStart == line.textStart() && a.lineX == line.x()
            && a.width == line.naturalTextWidth() && a.x <= left && left - a.x < 4096)
            return &a;
    return nullptr;
}

void TLineWindow::shape(const QTextLine &line, const QFont &font, const QTextOption &option, qreal left,
                        qreal right, const Fetch &fetch, int block, int revision)
{
    m_line = line;
    m_shaped = 0;
    m_text.clear();
    m_places[0] = m_places[1] = Place();
    m_knownLine = -1;
    // A short line is shaped once by its layout and kept: its own glyphs
    // cost less than shaping a stretch of it again on every paint.
    if (!line.isValid() || option.textDirection() == Qt::RightToLeft || line.textLength() <= ShortLine) {
        useLine(line);
        // Right-to-left letters put what comes before a change in another
        // place: a line holding some keeps nothing.
        if (block >= 0 && line.isValid()) {
            QString head;
            fetch(0, line.textStart() + line.textLength(), head);
            if (!reordered(head))
                knowLine(line, font, option, block);
        }
        return;
    }
    const int start = line.textStart();
    const int end = start + line.textLength();
    const qreal average = std::max<qreal>(QFontMetricsF(font).averageCharWidth(), 1);
    // The first column drawn: found from the line's own places, since its
    // answer from x alone goes wrong on a line too wide for its arithmetic.
    // Stepping back a margin keeps it left of the view.
    int from = start;
    qreal x0 = line.x();
    const Anchor *anchor = left > line.x() ? anchorFor(block, revision, line, left) : nullptr;
    if (anchor) {
        from = anchor->from;
        x0 = anchor->x;
    } else if (left > line.x()) {
        int column = start + int((left - line.x()) / average);
        for (int i = 0; i < 8; ++i) {
            column = std::clamp(column, start, end);
            const qreal at = line.cursorToX(column);
            const int step = int((left - at) / average);
            if (step == 0 || (step > 0 && column == end) || (step < 0 && column == start))
                break;
            column += step;
        }
        from = std::max(start, column - Margin);
        column = from;
        x0 = line.cursorToX(&column);
        // Each step back twice as far: a line whose places stop growing (too
        // wide for the layout's arithmetic) must not make this a long walk.
        for (int back = 8 * Margin; x0 > left && from > start; back *= 2) {
            from = std::max(start, from - back);
            column = from;
            x0 = line.cursorToX(&column);
        }
        from = std::clamp(column, start, end);
        if (block >= 0) {
            if (m_anchors.size() >= 64)
                m_anchors.clear();
            std::erase_if(m_anchors, [block](const Anchor &a) { return a.block == block; });
            m_anchors.push_back({block, revision, start, line.x(), line.naturalTextWidth(), from, x0});
        }
    }

    const qreal wanted = std::max<qreal>(right - x0, 0);
    int length = int(std::ceil(wanted / average)) + 2 * Margin;
    m_offset = QPointF(x0, 0);
    for (;;) {
        int to = std::min<qint64>(qint64(from) + length, end);
        m_text.clear();
        fetch(from, to, m_text);
        // Never end between the halves of a pair.
        if (to < end && !m_text.isEmpty() && m_text.back().isHighSurrogate()) {
            fetch(to, to + 1, m_text);
            ++to;
        }
        if (reordered(m_text)) {
            useLine(line);
            return;
        }
        m_from = from;
        m_to = to;
        layOut(font, option);
        if (to >= end || !m_piece.isValid() || m_piece.naturalTextWidth() >= wanted + Margin * average)
            break;
        length = length * 2 + 64;
    }
    m_whole = false;
    if (m_piece.isValid())
        m_offset.setY(line.y() + line.ascent() - (m_piece.y() + m_piece.ascent()));
}

void TLineWindow::knowLine(const QTextLine &line, const QFont &font, const QTextOption &option, int block)
{
    // Only a line laid out from its left edge keeps the places before a
    // change: centred or justified text moves them all.
    const Qt::Alignment horizontal = option.alignment() & Qt::AlignHorizontal_Mask;
    if (option.textDirection() == Qt::RightToLeft
        || (horizontal != Qt::AlignLeft && horizontal != (Qt::AlignLeft | Qt::AlignAbsolute)))
        return;
    const auto same = [&](const KnownLine &k) { return k.block == block && k.lineStart == line.textStart(); };
    auto it = std::find_if(m_known.begin(), m_known.end(), same);
    if (it == m_known.end()) {
        if (int(m_known.size()) >= KnownLines)
            m_known.erase(m_known.begin());
        m_known.push_back({});
        it = m_known.end() - 1;
    } else if (it->lineX == line.x() && it->tabDistance == option.tabStopDistance() && it->tabs == option.tabs()
               && it->font == font) {
        m_knownLine = int(it - m_known.begin());
        return;
    }
    *it = KnownLine{block, line.textStart(), line.x(), font, option.tabStopDistance(), option.tabs(), {}};
    m_knownLine = int(it - m_known.begin());
}

void TLineWindow::edited(int block, int column, bool linesMoved)
{
    m_knownLine = -1;
    // An anchor of a line whose text changed may no longer stand where its
    // column does.
    std::erase_if(m_anchors, [&](const Anchor &a) { return a.block == block || (linesMoved && a.block > block); });
    std::erase_if(m_known, [&](const KnownLine &k) { return linesMoved && k.block > block; });
    for (KnownLine &k : m_known) {
        if (k.block != block)
            continue;
        // The characters just before the change may take another shape next
        // to the new ones (a joining letter, a ligature that now reaches
        // further): a margin of them is asked again.
        std::erase_if(k.places, [column](const Place &p) { return p.column > column - Margin; });
    }
}

void TLineWindow::forgetPlaces()
{
    m_known.clear();
    m_knownLine = -1;
}

qreal TLineWindow::x(int column) const
{
    if (m_whole && m_knownLine >= 0) {
        std::vector<Place> &places = m_known[m_knownLine].places;
        const auto byColumn = [](const Place &p, int c) { return p.column < c; };
        const auto at = std::lower_bound(places.begin(), places.end(), column, byColumn);
        if (at != places.end() && at->column == column)
            return at->x;
        const qreal x = m_line.cursorToX(column);
        if (places.size() >= 4096) {
            places.clear();
            places.push_back({column, x});
        } else {
            places.insert(at, Place{column, x});
        }
        return x;
    }
    if (!m_whole)
        column = std::clamp(column, m_from, m_to);
    for (const Place &p : m_places)
        if (p.column == column)
            return p.x;
    const qreal at = m_whole ? m_line.cursorToX(column) : m_offset.x() + m_piece.cursorToX(column - m_from);
    m_places[m_nextPlace] = {column, at};
    m_nextPlace ^= 1;
    return at;
}

QList<QGlyphRun> TLineWindow::glyphRuns(int a, int b) const
{
    a = std::max(a, m_from);
    b = std::min(b, m_to);
    if (b <= a)
        return {};
    if (m_whole)
        return m_line.glyphRuns(a, b - a);
    return m_piece.glyphRuns(a - m_from, b - a);
}

QString TLineWindow::text(int a, int b) const
{
    a = std::max(a, m_from);
    b = std::min(b, m_to);
    if (b <= a || m_whole)
        return {};
    return m_text.mid(a - m_from, b - a);
}

void TLineWindow::draw(QPainter *painter, const QPointF &origin, const QList<QTextLayout::FormatRange> &selections,
                       const QRectF &clip) const
{
    // A selection that goes on past the line's end keeps doing so when the
    // stretch reaches that end: the line break is shown selected.
    const bool atEnd = m_to == m_line.textStart() + m_line.textLength();
    QList<QTextLayout::FormatRange> local;
    for (const QTextLayout::FormatRange &range : selections) {
        const int a = std::max(range.start, m_from);
        const int b = atEnd ? range.start + range.length : std::min(range.start + range.length, m_to);
        if (b > a && a <= m_to)
            local.append({a - m_from, b - a, range.format});
    }
    m_layout.draw(painter, origin + m_offset, local, clip);
}

void TLineWindow::drawCursor(QPainter *painter, const QPointF &origin, int column, int width) const
{
    if (column >= m_from && column <= m_to)
        m_layout.drawCursor(painter, origin + m_offset, column - m_from, width);
}
