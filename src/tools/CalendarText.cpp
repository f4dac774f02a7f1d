#include "CalendarText.h"

namespace Tools {

QString frenchMonthName(int month)
{
    static const char16_t *const names[] = {u"janvier", u"février", u"mars",      u"avril",
                                            u"mai",     u"juin",    u"juillet",   u"août",
                                            u"septembre", u"octobre", u"novembre", u"décembre"};
    if (month < 1 || month > 12)
        return QString();
    return QString::fromUtf16(names[month - 1]);
}

QString monthCaption(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return frenchMonthName(date.month()) + QStringLiteral("  ")
           + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

} // namespace Tools
