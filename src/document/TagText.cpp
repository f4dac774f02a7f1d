#include "TagText.h"
#include "platform/AsciiCase.h"

namespace TagText {

QString typedEntity(QChar typed)
{
    switch (typed.unicode()) {
    case 0xE0: return QStringLiteral("&agrave;");
    case 0xE2: return QStringLiteral("&acirc;");
    case 0xE4: return QStringLiteral("&auml;");
    case 0xE8: return QStringLiteral("&egrave;");
    case 0xE9: return QStringLiteral("&eacute;");
    case 0xEA: return QStringLiteral("&ecirc;");
    case 0xEB: return QStringLiteral("&euml;");
    case 0xEE: return QStringLiteral("&icirc;");
    case 0xEF: return QStringLiteral("&iuml;");
    case 0xF4: return QStringLiteral("&ocirc;");
    case 0xF6: return QStringLiteral("&ouml;");
    case 0xF9: return QStringLiteral("&ugrave;");
    case 0xFB: return QStringLiteral("&ucirc;");
    default: return QString();
    }
}

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
