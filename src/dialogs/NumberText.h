#pragma once
// Whole numbers typed in dialog fields, and the up/down steps of the stepper
// fields.
#include <QString>
#include <optional>

namespace NumberText {

// A decimal integer, blanks around it allowed; nothing otherwise.
std::optional<int> parse(const QString &text);

// The same, failing with the program's conversion message
// "'abc' n'est pas une valeur entière correcte" (Platform::PemoError).
int toInteger(const QString &text);

// The stepper's buttons: up adds one, down takes one away but never goes
// below 1; a box that does not hold an integer becomes "2" either way.
QString stepUp(const QString &text);
QString stepDown(const QString &text);

} // namespace NumberText
