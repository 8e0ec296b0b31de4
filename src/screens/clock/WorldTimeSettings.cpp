#include "screens/clock/WorldTimeSettings.h"

#include "platform/SettingsReader.h"
#include "platform/modINI.h"

#include <limits>

WorldTimeSettings WorldTimeSettings::load(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    // Out-of-table zones are kept: the time screens show GMT for them.
    const auto zone = qint16(r.number(ZoneKey, DefaultZone, std::numeric_limits<qint16>::min(),
                                      std::numeric_limits<qint16>::max()));
    // "London" names the default zone on a fresh install only: once the World
    // Time dialog has saved (it always writes Zone), an empty name stays empty.
    const bool saved = !r.raw(ZoneKey).isEmpty();
    return {zone, r.text(DestinationKey, saved ? QString() : DefaultDestination),
            r.flag(DaylightKey, false)};
}

bool WorldTimeSettings::save(modINI& ini) const
{
    const QString section = QLatin1String(Section);
    return ini.WriteIniKeys(
        {{section, QLatin1String(ZoneKey), QString::number(m_zone)},
         {section, QLatin1String(DestinationKey), m_destination},
         {section, QLatin1String(DaylightKey), m_daylight ? QStringLiteral("1") : QStringLiteral("0")}});
}
