#include "NumberText.h"

#include "platform/Errors.h"

#include <limits>

namespace NumberText {

std::optional<int> parse(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

int toInteger(const QString &text)
{
    if (const auto value = parse(text))
        return *value;
    throw Platform::PemoError(u'\'' + text + QStringLiteral("' n'est pas une valeur entière correcte"));
}

QString stepUp(const QString &text)
{
    const auto value = parse(text);
    if (!value)
        return QStringLiteral("2");
    // The largest integer stays as it is rather than wrapping round.
    if (*value == std::numeric_limits<int>::max())
        return QString::number(*value);
    return QString::number(*value + 1);
}

QString stepDown(const QString &text)
{
    const auto value = parse(text);
    if (!value)
        return QStringLiteral("2");
    return QString::number(*value <= 2 ? 1 : *value - 1);
}

} // namespace NumberText
