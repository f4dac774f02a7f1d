#include "HtmlEntity.h"

namespace HtmlEntity {

QStringView accent(QChar c)
{
    switch (c.unicode()) {
    case 0xE0: return u"&agrave;";
    case 0xE2: return u"&acirc;";
    case 0xE4: return u"&auml;";
    case 0xE8: return u"&egrave;";
    case 0xE9: return u"&eacute;";
    case 0xEA: return u"&ecirc;";
    case 0xEB: return u"&euml;";
    case 0xEE: return u"&icirc;";
    case 0xEF: return u"&iuml;";
    case 0xF4: return u"&ocirc;";
    case 0xF6: return u"&ouml;";
    case 0xF9: return u"&ugrave;";
    case 0xFB: return u"&ucirc;";
    default: return {};
    }
}

} // namespace HtmlEntity
