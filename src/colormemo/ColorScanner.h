#pragma once
// The colour scanner, free of widgets: given the text of the lines to paint
// and the rules, it finds every span, lets the higher priority win per
// character and hands back runs of equal colour. The pane paints the runs.
#include "colormemo/ColorRules.h"

#include <QStringView>

#include <functional>
#include <vector>

// Priorities above every rule's ZOrder.
constexpr quint8 PriorityHotSpotText = 252;
constexpr quint8 PriorityHotSpotMarker = 253;
constexpr quint8 PrioritySelection = 254; // never painted: keeps the pane's highlight
constexpr quint8 PriorityTab = 255;       // never painted: no glyph over a tab

// Supplies the spans of a dtEventDraw rule: fills at most capacity records
// of a with offsets relative to fromPos and sets itemsCount.
using TDrawHandler = std::function<void(TColorRule *sender, const QChar *fromPos, TKeyDescr *a,
                                        int capacity, int &itemsCount)>;

// The spans of begin/end rules still open at a place of the text: for each of
// the first OpenSpanRules rules, six bits holding 0 (none open) or the number
// of the marker entry whose end marker has not come yet. A span opened above
// the scanned lines, or closed below them, keeps its colour that way: the
// colours of a line do not depend on where the view starts or ends.
using TOpenSpans = quint32;
constexpr int OpenSpanRules = 5;
// Entry of rule ruleIndex open in open, -1 when none.
int openSpanEntry(TOpenSpans open, int ruleIndex);
// What is open after text, given what was open before it. The rules must be
// compiled (UpdateRules).
TOpenSpans carryOpenSpans(TDrawRules &rules, TOpenSpans open, QStringView text);
// Answers whether a marker occurs in the page after the scanned text.
using TMarkerAfter = std::function<bool(QStringView marker)>;

struct TScanInput
{
    QStringView text;       // the lines to scan, CR LF breaks, cut at the scan end
    int scanStart = 0;      // offset of text[0] in the pane's text
    int selStart = 0;
    int selLength = 0;
    bool acceptTabs = true;
    bool redrawAlways = false;
    int caretLineStart = 0; // offset of the first character of the caret's line
    TColor fontColor = clWindowText;
    const THotSpot *hotSpot = nullptr;
    int colorLimMax = 0;                 // capacity of drawBuffer
    TKeyDescr *drawBuffer = nullptr;
    const TDrawHandler *onDraw = nullptr;
    TOpenSpans openAtStart = 0;              // spans open where the text starts
    const TMarkerAfter *markerAfter = nullptr; // absent: nothing follows the text
};

class TColorScanner
{
public:
    // Collects the spans of every source into spans, resolves them per
    // character and writes the runs back into spans from record 0; the
    // record after the last run is marked free. Returns the number of runs.
    int scan(TDrawRules &rules, const TScanInput &input, TKeyDescrList &spans);

private:
    struct Cell
    {
        TColor color;
        quint8 priority;
        quint8 isKey;
        bool covered;
    };

    void add(int start, int end, TColor color, quint8 priority, quint8 isKey);
    void scanBeginEnd(TColorRule &rule, bool toLineEnd, int openEntry);
    bool followedBy(QStringView marker) const;
    void scanKeywords(TColorRule &rule);
    void scanEvent(TColorRule &rule);
    void scanHotSpots();

    const TScanInput *m_in = nullptr;
    TKeyDescrList *m_spans = nullptr;
    int m_next = 0;
    int m_low = -1;
    int m_high = -1;
    std::vector<Cell> m_cells; // only grows
};

// Hot-spot test on one line of text at character column col: true when the
// character lies in a hot spot; src then receives the hot spot's text.
bool hotSpotAt(QStringView line, int col, QChar beginChar, QChar endChar, QString *src = nullptr);
