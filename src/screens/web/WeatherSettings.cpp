#include "screens/web/WeatherSettings.h"

#include "platform/modINI.h"
#include "screens/web/UpdateMinutes.h"

WeatherSettings WeatherSettings::load(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    WeatherSettings s;
    s.WeatherCity = r.text(CityKey, s.WeatherCity);
    s.WeatherCountry = r.text(CountryKey, s.WeatherCountry);
    s.WeatherUpdateSeconds = UpdateMinutes::ReadSeconds(r, UpdateKey, s.WeatherUpdateSeconds);
    return s;
}

bool WeatherSettings::save(modINI& ini) const
{
    const QString section = QLatin1String(Section);
    return ini.WriteIniKeys(
        {{section, QLatin1String(CityKey), WeatherCity},
         {section, QLatin1String(CountryKey), WeatherCountry},
         {section, QLatin1String(UpdateKey), QString::number(WeatherUpdateSeconds / 60)}});
}
