#pragma once
// Setting the system clock from the clock tool. The call that really changes
// the clock can be replaced (tests must never touch the machine's time).
#include <QDateTime>
#include <QString>
#include <functional>

namespace Tools {

// Sets the real-time clock to the given instant; returns 0 or an errno value.
using ClockSetter = std::function<int(qint64 msecsSinceEpoch)>;
// An empty function restores the real setter.
void setClockSetter(ClockSetter setter);

// The French reason shown when the clock could not be set.
QString clockErrorText(int error);

// Sets the system clock to a local date and time. Returns an empty text on
// success, otherwise the French reason.
QString setSystemClock(const QDate &date, const QTime &time);

} // namespace Tools
