#pragma once
// Renders scanner runs as one letter per character so that a test can
// state the expected colours under the text they belong to.
#include "colormemo/ColorScanner.h"

namespace ScanMask {

inline QChar letter(const TKeyDescr &r)
{
    switch (r.Priority) {
    case PrioritySelection: return u'S';
    case PriorityTab: return u'T';
    case PriorityHotSpotText: return u'H';
    case PriorityHotSpotMarker: return u'm';
    default: break;
    }
    switch (r.Color) {
    case clBlue: return u'B';
    case clGray: return u'G';
    case clMaroon: return u'M';
    case clFuchsia: return u'F';
    case clRed: return u'R';
    case clGreen: return u'g';
    case clWindowText: return u'W';
    case clBlack: return u'k';
    default: return u'?';
    }
}

// Letters for offsets [from, from + length); '.' where no run lies.
inline QString render(const TKeyDescrList &runs, int from, int length)
{
    QString mask(length, u'.');
    for (int i = 0; i < runs.Count() && runs[i].StartPos != KeyFree; ++i) {
        const TKeyDescr &r = runs[i];
        if (r.StartPos < 0)
            continue;
        for (int o = r.StartPos; o <= r.EndPos; ++o)
            if (o >= from && o < from + length)
                mask[o - from] = letter(r);
    }
    return mask;
}

// Scans the whole of text (offset 0 upward) and renders it.
inline QString scan(TDrawRules &rules, const QString &text, int selStart = 0, int selLength = 0,
                    const THotSpot *hotSpot = nullptr)
{
    TColorScanner scanner;
    TKeyDescrList runs(4);
    TScanInput in;
    in.text = text;
    in.selStart = selStart;
    in.selLength = selLength;
    in.hotSpot = hotSpot;
    scanner.scan(rules, in, runs);
    return render(runs, 0, int(text.size()));
}

} // namespace ScanMask
