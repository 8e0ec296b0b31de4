#include "app/RotationSettings.h"

#include "platform/SettingsReader.h"
#include "platform/modINI.h"

RotationSettings RotationSettings::load(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    RotationSettings s;
    for (const QString& name : r.raw(ScreensKey).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (const QString trimmed = name.trimmed(); !trimmed.isEmpty())
            s.Screens << trimmed;
    }
    s.Seconds = int(r.number(SecondsKey, s.Seconds, MinSeconds, MaxSeconds));
    s.Enabled = r.flag(EnabledKey, s.Enabled);
    return s;
}

bool RotationSettings::save(modINI& ini) const
{
    const QString section = QLatin1String(Section);
    return ini.WriteIniKeys(
        {{section, QLatin1String(ScreensKey), Screens.join(QLatin1Char(','))},
         {section, QLatin1String(SecondsKey), QString::number(Seconds)},
         {section, QLatin1String(EnabledKey), QString::number(Enabled ? 1 : 0)}});
}

bool RotationSettings::saveEnabled(modINI& ini, bool enabled)
{
    return ini.WriteIniKeys(
        {{QLatin1String(Section), QLatin1String(EnabledKey), QString::number(enabled ? 1 : 0)}});
}
