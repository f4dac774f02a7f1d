#include "ColorScanner.h"
#include "platform/AsciiCase.h"

#include <cstring>

namespace {

// Letters for the keyword boundary test.
inline bool isKeyLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'@';
}

} // namespace

void TColorScanner::add(int start, int end, TColor color, quint8 priority, quint8 isKey)
{
    // Spans never reach outside the scanned text: a selection or a handler's
    // record over the whole page would otherwise make the pass as long as
    // the page.
    const int first = m_in->scanStart;
    const int last = m_in->scanStart + int(m_in->text.size()) - 1;
    start = std::max(start, first);
    end = std::min(end, last);
    if (end < start)
        return;
    TKeyDescr &k = m_spans->at(m_next++);
    k.StartPos = start;
    k.EndPos = end;
    k.Color = color;
    k.Priority = priority;
    k.IsKey = isKey;
    if (m_low < 0 || start < m_low)
        m_low = start;
    if (end > m_high)
        m_high = end;
}

void TColorScanner::scanHotSpots()
{
    const THotSpot &hs = *m_in->hotSpot;
    const QStringView t = m_in->text;
    const int base = m_in->scanStart;
    qsizetype p = 0;
    for (;;) {
        const qsizetype b = t.indexOf(hs.BeginChar, p);
        if (b < 0)
            return;
        const qsizetype e = t.indexOf(hs.EndChar, b + 1);
        if (e < 0)
            return; // an opened hot spot without its end is not shown
        add(base + int(b), base + int(b), hs.MarkerColor, PriorityHotSpotMarker, 0);
        add(base + int(b) + 1, base + int(e) - 1, hs.Color, PriorityHotSpotText, 0);
        add(base + int(e), base + int(e), hs.MarkerColor, PriorityHotSpotMarker, 0);
        p = e + 1;
    }
}

int openSpanEntry(TOpenSpans open, int ruleIndex)
{
    if (ruleIndex < 0 || ruleIndex >= OpenSpanRules)
        return -1;
    return int((open >> (6 * ruleIndex)) & 0x3F) - 1;
}

TOpenSpans carryOpenSpans(TDrawRules &rules, TOpenSpans open, QStringView t)
{
    TOpenSpans out = 0;
    const int ruleCount = std::min(rules.Count(), OpenSpanRules);
    for (int r = 0; r < ruleCount; ++r) {
        const TColorRule &rule = *rules.Items(r);
        const int count = rule.markerCount();
        if (!rule.Enabled() || rule.KeyDrawingType() != dtBeginEnd || count == 0)
            continue;
        // The scanner's walk, keeping no spans: the earliest begin marker,
        // then its end marker one character further on, and so on.
        const auto &markers = rule.markers();
        int entry = openSpanEntry(open, r);
        if (entry >= count)
            entry = -1;
        qsizetype p = 0;
        if (entry >= 0) {
            const qsizetype e = t.indexOf(markers[entry].end, 0);
            if (e >= 0) {
                p = e + 1;
                entry = -1;
            }
        }
        while (entry < 0) {
            int best = -1;
            qsizetype bestPos = 0;
            for (int i = 0; i < count; ++i) {
                const qsizetype found = t.indexOf(markers[i].begin, p);
                if (found >= 0 && (best < 0 || found < bestPos)) {
                    best = i;
                    bestPos = found;
                }
            }
            if (best < 0)
                break;
            const qsizetype e = t.indexOf(markers[best].end, bestPos + 1);
            if (e < 0)
                entry = best;
            else
                p = e + 1;
        }
        if (entry >= 0)
            out |= TOpenSpans(entry + 1) << (6 * r);
    }
    return out;
}

bool TColorScanner::followedBy(QStringView marker) const
{
    return m_in->markerAfter && *m_in->markerAfter && (*m_in->markerAfter)(marker);
}

void TColorScanner::scanBeginEnd(TColorRule &rule, bool toLineEnd, int openEntry)
{
    const QStringView t = m_in->text;
    const int base = m_in->scanStart;
    auto &markers = rule.markers();
    const int count = rule.markerCount();
    if (count == 0)
        return;
    // lastPos caches each marker's next occurrence so that every marker is
    // searched once per stretch of text, not once per span.
    constexpr int notSearched = -1, absent = -2;
    for (int i = 0; i < count; ++i)
        markers[i].lastPos = notSearched;

    qsizetype p = 0;
    if (!toLineEnd && openEntry >= 0 && openEntry < count) {
        // A span opened above the text runs from its start to its end marker.
        const TMarkerEntry &m = markers[openEntry];
        const qsizetype e = t.indexOf(m.end, 0);
        if (e < 0) {
            if (followedBy(m.end))
                add(base, base + int(t.size()) - 1, m.color, rule.ZOrder(), 0);
            return;
        }
        add(base, base + int(e + m.end.size()) - 1, m.color, rule.ZOrder(), 0);
        p = e + 1;
    }
    for (;;) {
        int best = -1;
        qsizetype bestPos = 0;
        for (int i = 0; i < count; ++i) {
            TMarkerEntry &m = markers[i];
            if (m.lastPos == absent)
                continue;
            if (m.lastPos < p) {
                const qsizetype found = t.indexOf(m.begin, p);
                m.lastPos = found < 0 ? absent : int(found);
                if (found < 0)
                    continue;
            }
            if (best < 0 || m.lastPos < bestPos) {
                best = i;
                bestPos = m.lastPos;
            }
        }
        if (best < 0)
            return;
        const TMarkerEntry &m = markers[best];
        if (toLineEnd) {
            const qsizetype br = t.indexOf(u'\r', bestPos);
            const qsizetype last = (br < 0 ? t.size() : br) - 1;
            add(base + int(bestPos), base + int(last), m.color, rule.ZOrder(), 0);
            if (br < 0)
                return;
            p = br + 1;
        } else {
            const qsizetype e = t.indexOf(m.end, bestPos + 1);
            if (e < 0) {
                // Closed below the text: coloured to its end. Never closed:
                // nothing from here on for this rule.
                if (followedBy(m.end))
                    add(base + int(bestPos), base + int(t.size()) - 1, m.color, rule.ZOrder(), 0);
                return;
            }
            add(base + int(bestPos), base + int(e + m.end.size()) - 1, m.color, rule.ZOrder(), 0);
            p = e + 1;
        }
    }
}

void TColorScanner::scanKeywords(TColorRule &rule)
{
    const auto &keys = rule.compiledKeys();
    if (keys.empty())
        return;
    QStringView t = m_in->text;
    if (!rule.KeyCase()) {
        // One upper-cased copy per rule, then plain substring search.
        QString &up = rule.upperText();
        up.resize(t.size());
        QChar *dst = up.data();
        const QChar *src = t.data();
        // Into a buffer the rule keeps, so no allocation per pass.
        for (qsizetype i = 0; i < t.size(); ++i)
            dst[i] = Ascii::toUpper(src[i]);
        t = QStringView(up);
    }
    const int base = m_in->scanStart;
    const bool partWord = rule.PartWord();
    for (const TCompiledKey &k : keys) {
        const qsizetype len = k.key.size();
        const TColor color = rule.keyColor(k.colorIndex);
        qsizetype p = 0;
        for (;;) {
            const qsizetype f = t.indexOf(k.key, p);
            if (f < 0)
                break;
            const bool counted = partWord
                || ((f == 0 || !isKeyLetter(t[f - 1])) && (f + len >= t.size() || !isKeyLetter(t[f + len])));
            if (counted)
                add(base + int(f), base + int(f + len) - 1, color, rule.ZOrder(), 1);
            p = f + len;
        }
    }
}

void TColorScanner::scanEvent(TColorRule &rule)
{
    const int cap = m_in->colorLimMax;
    if (cap <= 0 || !m_in->drawBuffer || !m_in->onDraw || !*m_in->onDraw)
        return;
    std::memset(static_cast<void *>(m_in->drawBuffer), 0, sizeof(TKeyDescr) * size_t(cap));
    int itemsCount = 0;
    (*m_in->onDraw)(&rule, m_in->text.data(), m_in->drawBuffer, cap, itemsCount);
    // A handler cannot make us read past the buffer it was given.
    itemsCount = std::clamp(itemsCount, 0, cap);
    const int base = m_in->scanStart;
    for (int i = 0; i < itemsCount; ++i) {
        const TKeyDescr &r = m_in->drawBuffer[i];
        if (r.StartPos == KeyFree || r.EndPos == KeyFree)
            continue;
        const quint8 priority = r.Priority ? r.Priority : rule.ZOrder();
        add(base + r.StartPos, base + r.EndPos, r.Color, priority, 0);
    }
}

int TColorScanner::scan(TDrawRules &rules, const TScanInput &input, TKeyDescrList &spans)
{
    m_in = &input;
    m_spans = &spans;
    spans.markAllFree();
    m_low = m_high = -1;
    m_next = 0;
    const int base = input.scanStart;
    const QStringView t = input.text;

    if (input.hotSpot && input.hotSpot->Active && !input.hotSpot->BeginChar.isNull())
        scanHotSpots();

    if (input.acceptTabs) {
        for (qsizetype p = t.indexOf(u'\t'); p >= 0; p = t.indexOf(u'\t', p + 1))
            add(base + int(p), base + int(p), 0, PriorityTab, 0);
    }

    if (input.redrawAlways)
        add(input.caretLineStart, input.selStart, input.fontColor, 0, 0);

    for (int i = 0; i < rules.Count(); ++i) {
        TColorRule &rule = *rules.Items(i);
        if (!rule.Enabled())
            continue;
        switch (rule.KeyDrawingType()) {
        case dtBeginEnd: scanBeginEnd(rule, false, openSpanEntry(input.openAtStart, i)); break;
        case dtBeginLineEnd: scanBeginEnd(rule, true, -1); break;
        case dtKeyShow: scanKeywords(rule); break;
        case dtEventDraw: scanEvent(rule); break;
        }
    }

    if (input.selLength > 0)
        add(input.selStart, input.selStart + input.selLength - 1, 0, PrioritySelection, 0);

    if (m_low < 0) {
        if (spans.Count() > 0)
            spans[0].StartPos = spans[0].EndPos = KeyFree;
        return 0;
    }

    // Cells: one per character from the lowest to the highest covered
    // offset; a span takes a cell when its priority is at least the cell's,
    // so later spans win among equals.
    const int cellCount = m_high - m_low + 2;
    if (int(m_cells.size()) < cellCount)
        m_cells.resize(cellCount);
    std::memset(static_cast<void *>(m_cells.data()), 0, sizeof(Cell) * size_t(cellCount));
    for (int i = 0; i < m_next; ++i) {
        const TKeyDescr &k = spans[i];
        if (k.StartPos == KeyFree || k.EndPos == KeyFree || k.EndPos < k.StartPos)
            continue;
        for (int o = k.StartPos; o <= k.EndPos; ++o) {
            Cell &c = m_cells[o - m_low];
            if (k.Priority >= c.priority) {
                c.color = k.Color;
                c.priority = k.Priority;
                c.isKey = k.IsKey;
                c.covered = true;
            }
        }
    }

    // Runs: longest stretches of equal colour, priority and key flag; the
    // cell after the highest offset reads as uncovered and ends the last.
    int runs = 0;
    int runStart = 0;
    for (int i = 1; i < cellCount; ++i) {
        const Cell &prev = m_cells[i - 1];
        const Cell &cur = m_cells[i];
        // Coverage is compared too: a covered black cell at priority 0 holds
        // the same values as an empty one.
        if (cur.covered == prev.covered && cur.color == prev.color && cur.priority == prev.priority
            && cur.isKey == prev.isKey && i != cellCount - 1)
            continue;
        if (prev.covered) {
            TKeyDescr &r = spans.at(runs++);
            r.StartPos = m_low + runStart;
            r.EndPos = m_low + i - 1;
            r.Color = prev.color;
            r.Priority = prev.priority;
            r.IsKey = prev.isKey;
        }
        runStart = i;
    }
    if (runs < spans.Count())
        spans[runs].StartPos = spans[runs].EndPos = KeyFree;
    return runs;
}

bool hotSpotAt(QStringView line, int col, QChar beginChar, QChar endChar, QString *src)
{
    if (col < 0 || col > line.size())
        return false;
    const QStringView tail = line.mid(col);
    const qsizetype e = tail.indexOf(endChar) + 1;
    const qsizetype b = tail.indexOf(beginChar) + 1;
    if (!(e >= 1 && (e < b || b == 0 || beginChar == endChar)))
        return false;
    if (src) {
        const QStringView before = line.left(col);
        const qsizetype lastBegin = before.lastIndexOf(beginChar);
        *src = before.mid(lastBegin + 1).toString() + tail.left(e - 1).toString();
    }
    return true;
}
