#include "HtmlColour.h"

namespace HtmlColour {

QString digits(const QColor &colour)
{
    return QStringLiteral("%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString text(const QColor &colour) { return u'#' + digits(colour); }

std::optional<QColor> fromDigits(QStringView sixDigits)
{
    if (sixDigits.size() != 6)
        return std::nullopt;
    for (QChar c : sixDigits)
        if (!isxdigit(c.unicode()) || c.unicode() > 127)
            return std::nullopt;
    const uint rgb = sixDigits.toUInt(nullptr, 16);
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::optional<QColor> fromAttribute(QStringView value)
{
    if (value.startsWith(u'#')) {
        if (auto c = fromDigits(value.mid(1, 6)))
            return c;
    } else if (auto c = fromDigits(value)) {
        return c;
    }
    // Names and the three-digit form; QColor knows the same set browsers do.
    const QColor named = QColor::fromString(value);
    if (named.isValid())
        return QColor(named.red(), named.green(), named.blue());
    return std::nullopt;
}

} // namespace HtmlColour
