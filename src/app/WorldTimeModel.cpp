#include "app/WorldTimeModel.h"

#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/modINI.h"
#include "screens/time/TimeText.h"
#include "screens/time/WorldTimeSettings.h"
#include "screens/time/modTimeZone.h"

#include <optional>

namespace {
const QString Section = QStringLiteral("TimeZone");

// Whole decimal number after trimming, or nothing.
std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}
} // namespace

WorldTimeModel::Choice WorldTimeModel::load()
{
    Choice c;
    const QString zone = m_ini.ReadIni(Section, QStringLiteral("Zone"));
    const auto z = number(zone);
    if (z && *z >= -1 && *z < modTimeZone::ZoneCount)
        c.zoneIndex = *z;
    else if (!zone.isEmpty())
        qCWarning(lcSettings).noquote()
            << "[TimeZone] Zone =" << zone << "is not a zone; the dialog opens on" << c.zoneIndex;
    c.destination =
        m_ini.ReadIni(Section, QStringLiteral("Destination")).left(MaxDestinationLength);
    const QString daylight = m_ini.ReadIni(Section, QStringLiteral("Daylight"));
    const auto d = number(daylight);
    c.daylight = d && *d != 0;
    if (!d && !daylight.isEmpty())
        qCWarning(lcSettings).noquote()
            << "[TimeZone] Daylight =" << daylight << "is not a number; the dialog opens unchecked";

    const QDateTime gmt = modTimeZone::LocalToGMT(m_clock);
    m_destTimeAtOpen = gmt.addSecs(qint64(modTimeZone::ZoneOffsetMinutes(c.zoneIndex)) * 60);
    return c;
}

QString WorldTimeModel::localTimeText() const
{
    return LocalPrefix + GeneralDateTime(m_clock.now());
}

QString WorldTimeModel::destinationTimeText(int zoneIndex, bool daylight) const
{
    const QDateTime gmt = modTimeZone::LocalToGMT(m_clock);
    int offset = modTimeZone::ZoneOffsetMinutes(zoneIndex);
    // The daylight test looks at the date fixed when the dialog opened.
    if (daylight && modTimeZone::IsDaylightSaving(m_destTimeAtOpen))
        offset += 60;
    return GeneralDateTime(gmt.addSecs(qint64(offset) * 60));
}

void WorldTimeModel::unload(const Choice& choice, WorldTimeSettings& globals)
{
    m_ini.WriteIni(Section, QStringLiteral("Zone"), QString::number(choice.zoneIndex));
    m_ini.WriteIni(Section, QStringLiteral("Destination"), choice.destination);
    m_ini.WriteIni(Section, QStringLiteral("Daylight"),
                   choice.daylight ? QStringLiteral("1") : QStringLiteral("0"));
    globals.ZoneIndex = qint16(choice.zoneIndex);
    globals.DestinationName = choice.destination;
    globals.ObserveDaylight = choice.daylight;
}

QString WorldTimeModel::GeneralDateTime(const QDateTime& t)
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
