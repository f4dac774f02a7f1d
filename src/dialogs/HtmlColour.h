#pragma once
// Colours as pages write them: "#" and six upper-case hexadecimal digits,
// red, green, blue.
#include <QColor>
#include <QString>
#include <optional>

namespace HtmlColour {

// "#FF0000" for pure red.
QString text(const QColor &colour);
// The six digits alone ("FF0000").
QString digits(const QColor &colour);

// Six hexadecimal digits, red first; nothing when they are not exactly that.
std::optional<QColor> fromDigits(QStringView sixDigits);

// An attribute value as hand-written pages hold it: "#RRGGBB" (only the six
// characters after "#" count), six bare digits, or a colour name or short
// form the browsers know ("white", "#fff").
std::optional<QColor> fromAttribute(QStringView value);

} // namespace HtmlColour
