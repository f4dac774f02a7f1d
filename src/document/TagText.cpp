#include "TagText.h"
#include "platform/AsciiCase.h"

namespace TagText {

QString htmlColorDigits(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return QString::asprintf("%02X%02X%02X", rgb.red(), rgb.green(), rgb.blue());
}

QString placeholderUrl() { return QStringLiteral("http://www.adresse-du-site.example/"); }

LineEdit styleSheetLine(const QStringList &lines)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString lower = Ascii::lower(lines.at(i));
        if (lower.contains(QLatin1String("<link")) && lower.contains(QLatin1String("text/css")))
            return {i, true};
        if (lower.contains(QLatin1String("</head>")))
            return {i, false};
    }
    return {};
}

} // namespace TagText
