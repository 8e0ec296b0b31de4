#include "screens/clock/modTimeZone.h"

#include "platform/Clock.h"
#include "platform/Logging.h"

#include <ctime>

namespace modTimeZone {

namespace {

constexpr std::array<int, ZoneCount> ZoneOffsets{
    -720, -660, -600, -540, -480, -420, -360, -300, -240, -210, -180, -120, -60, 0,   60,  120,
    180,  210,  240,  270,  300,  330,  345,  360,  390,  420,  480,  540,  570, 600, 660, 720,
};

// Weekday counted Sunday = 1 .. Saturday = 7 (Qt counts Monday = 1 .. Sunday = 7).
int sundayFirstWeekday(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

} // namespace

int LocalOffsetSeconds(qint64 utcSecs)
{
    // Pick up a changed TZ or /etc/localtime: localtime_r alone need not.
    tzset();
    const time_t t = time_t(utcSecs);
    std::tm local{};
    if (!localtime_r(&t, &local)) {
        qCWarning(lcScreens) << "No local time for" << utcSecs << "- local time taken as GMT";
        return 0;
    }
    // tm_gmtoff is east positive and holds the daylight shift exactly when
    // tm_isdst says daylight time is in effect.
    return int(local.tm_gmtoff);
}

QDateTime LocalToGMT(const QDateTime& local)
{
    const QDateTime l = local.toLocalTime();
    const QDateTime wall(l.date(), l.time(), Qt::UTC);
    return wall.addSecs(-LocalOffsetSeconds(l.toSecsSinceEpoch()));
}

QDateTime LocalToGMT(const Clock& clock)
{
    return LocalToGMT(clock.now());
}

int ZoneOffsetMinutes(int index)
{
    if (index < 0 || index >= ZoneCount)
        return 0;
    return ZoneOffsets[std::size_t(index)];
}

bool IsDaylightSaving(const QDate& date)
{
    if (!date.isValid())
        return false;
    const int m = date.month();
    const int d = date.day();
    const int w = sundayFirstWeekday(date);
    if (m > 10 || m < 4)
        return false;
    if (m > 4 && m < 10)
        return true;
    if (m == 4)
        return d >= w; // from the first Sunday on
    // October: until the last Sunday, which falls on the 25th or later.
    const int w31 = sundayFirstWeekday(QDate(date.year(), 10, 31));
    return !(d > 24 && w31 >= w);
}

bool IsDaylightSaving(const QDateTime& destination)
{
    return IsDaylightSaving(destination.date());
}

} // namespace modTimeZone
