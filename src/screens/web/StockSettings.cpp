#include "screens/web/StockSettings.h"

#include "platform/modINI.h"
#include "screens/web/UpdateMinutes.h"

StockSettings StockSettings::load(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    StockSettings s;
    s.StockSymbol = r.text(SymbolKey, s.StockSymbol);
    s.StockUpdateSeconds = UpdateMinutes::ReadSeconds(r, UpdateKey, s.StockUpdateSeconds);
    return s;
}

bool StockSettings::save(modINI& ini) const
{
    const QString section = QLatin1String(Section);
    return ini.WriteIniKeys(
        {{section, QLatin1String(SymbolKey), StockSymbol},
         {section, QLatin1String(UpdateKey), QString::number(StockUpdateSeconds / 60)}});
}
