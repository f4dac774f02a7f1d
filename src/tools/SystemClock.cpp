#include "SystemClock.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace Tools {

namespace {
int realClockSetter(qint64 msecs)
{
#ifdef __linux__
    timespec ts;
    ts.tv_sec = time_t(msecs / 1000);
    ts.tv_nsec = long(msecs % 1000) * 1000000L;
    if (clock_settime(CLOCK_REALTIME, &ts) != 0)
        return errno;
    return 0;
#else
    Q_UNUSED(msecs);
    return ENOSYS;
#endif
}

ClockSetter &currentSetter()
{
    static ClockSetter setter;
    return setter;
}
} // namespace

void setClockSetter(ClockSetter setter) { currentSetter() = std::move(setter); }

QString clockErrorText(int error)
{
    switch (error) {
    case EPERM:
    case EACCES:
        return QStringLiteral("Vous n'avez pas le droit de changer l'heure du système.");
    case EINVAL:
        return QStringLiteral("L'horloge du système refuse cette date ou cette heure.");
    case ENOSYS:
        return QStringLiteral("Ce système ne permet pas de changer l'heure depuis Pemo HTML.");
    default:
        return QStringLiteral("Impossible de changer l'heure du système.\n%1")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString setSystemClock(const QDate &date, const QTime &time)
{
    const QDateTime when(date, time, Qt::LocalTime);
    if (!date.isValid() || !time.isValid() || !when.isValid())
        return QStringLiteral("La date ou l'heure indiquée n'est pas valable.");
    const qint64 msecs = when.toMSecsSinceEpoch();
    const int error = currentSetter() ? currentSetter()(msecs) : realClockSetter(msecs);
    return error == 0 ? QString() : clockErrorText(error);
}

} // namespace Tools
