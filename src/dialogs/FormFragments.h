#pragma once
// The HTML written by the form-control dialogs and commands, and the steps of
// their number fields. Names, values and choices go in as typed except for
// the characters that would end or break them (see attributeValue); labels
// and sizes go in as typed. Line breaks are CR LF.
#include <QString>

namespace FormFragments {

// The form dialogs' steppers stay between 1 and this.
inline constexpr int StepperMax = 80;

// Up adds one but never goes past StepperMax; down takes one away but never
// goes below 1. A box that does not hold an integer becomes "2".
QString stepUp(const QString &text);
QString stepDown(const QString &text);
// The menu's visible-items field: up adds one and starts again from 20 once
// past StepperMax; down as stepDown.
QString visibleItemsUp(const QString &text);

// A typed text inside a double-quoted attribute: '"', '&' and '<' become
// entities, except an '&' that begins a character reference ("&eacute;",
// "&#233;"), which the user meant. A text without them is unchanged.
QString attributeValue(const QString &text);
// A typed text as the content of an element that holds text only (a menu
// choice): '&' and '<' as above.
QString elementText(const QString &text);

// <form action="mailto:..." method="Post"> with an empty line inside.
QString form(const QString &email);
QString inputLine(const QString &name, const QString &length);
QString textArea(const QString &name, const QString &rows, const QString &columns);
QString checkBox(const QString &name, const QString &value, const QString &label, bool checked);
QString radioButton(const QString &name, const QString &value, const QString &label);

// The drop-down menu, in three pieces.
QString menuOpening(const QString &name, const QString &visibleItems);
// One "<option>" line per line of the choices (empty lines included; a
// final line break does not start another line).
QString menuOptions(const QString &choices);
QString menuClosing();

QString submitButton();
QString resetButton();

} // namespace FormFragments
