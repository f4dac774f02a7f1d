#pragma once
// The aids applied to an open page: where a message points, and the
// typography fixes as one step of the page's history.
#include "aids/FrenchTypography.h"

class TPage;

namespace PageAids {

// The program's offset (a line break counts two) of a 1-based line and
// column; past the end of the page, its end. Line 0 is the page's start.
int offsetOf(const TPage &page, int line, int column);
// Puts the caret there.
void placeCaret(TPage &page, int line, int column);

// Whether the fixes must be written as character references.
bool writesReferences(const TPage &page);
// The given faults (found on the page as it stands) fixed in one step of the
// history, which one "Annuler" takes back. Answers how many lines changed;
// nothing is recorded when the list is empty.
int fixTypography(TPage &page, const QList<FrenchTypography::Fault> &faults);

} // namespace PageAids
