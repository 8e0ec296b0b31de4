#include "app/WorldTimeModel.h"

#include "platform/Clock.h"
#include "screens/clock/TimeText.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/clock/modTimeZone.h"

WorldTimeModel::Choice WorldTimeModel::load()
{
    Choice c;
    const int zone = m_inUse.ZoneIndex();
    if (zone >= -1 && zone < modTimeZone::ZoneCount)
        c.zoneIndex = zone;
    c.destination = m_inUse.DestinationName().left(MaxDestinationLength);
    c.daylight = m_inUse.ObserveDaylight();

    const QDateTime gmt = modTimeZone::LocalToGMT(m_clock);
    m_destTimeAtOpen = gmt.addSecs(qint64(modTimeZone::ZoneOffsetMinutes(c.zoneIndex)) * 60);
    return c;
}

QString WorldTimeModel::localTimeText() const
{
    return LocalPrefix + generalDateTime(m_clock.now());
}

QString WorldTimeModel::destinationTimeText(int zoneIndex, bool daylight) const
{
    const QDateTime gmt = modTimeZone::LocalToGMT(m_clock);
    int offset = modTimeZone::ZoneOffsetMinutes(zoneIndex);
    // The daylight test looks at the date fixed when the dialog opened.
    if (daylight && modTimeZone::IsDaylightSaving(m_destTimeAtOpen))
        offset += 60;
    return generalDateTime(gmt.addSecs(qint64(offset) * 60));
}

void WorldTimeModel::unload(const Choice& choice)
{
    m_inUse.set(qint16(choice.zoneIndex), choice.destination, choice.daylight);
    m_inUse.save(m_ini);
}

QString WorldTimeModel::generalDateTime(const QDateTime& t)
{
    const QTime time = t.time();
    return QStringLiteral("%1/%2/%3 %4:%5:%6 %7")
        .arg(t.date().month())
        .arg(t.date().day())
        .arg(t.date().year())
        .arg(TimeText::Hour12(time))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(TimeText::AmPm(time));
}
