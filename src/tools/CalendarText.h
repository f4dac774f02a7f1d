#pragma once
// Texts of the calendar tool, kept apart from its window so they can be
// checked without widgets.
#include <QDate>
#include <QString>

namespace Tools {

// "janvier" .. "décembre": French month names are common nouns and stay in
// lower case, also at the head of a calendar page.
QString frenchMonthName(int month);

// The month shown by the calendar: its full name, two blanks and the
// four-digit year, e.g. "décembre  2026".
QString monthCaption(const QDate &date);

} // namespace Tools
