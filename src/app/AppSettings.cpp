#include "app/AppSettings.h"

#include "screens/own/OwnScreenSettings.h"

#include "platform/SettingsReader.h"
#include "platform/modINI.h"

#include <limits>

std::array<QString, LcdLink::PortCount> AppSettings::defaultPorts()
{
    std::array<QString, LcdLink::PortCount> ports;
    for (int i = 0; i < LcdLink::PortCount; ++i)
        ports[std::size_t(i)] = LcdLink::defaultPortPath(i + 1);
    return ports;
}

QString AppSettings::portKey(int comNumber)
{
    return QStringLiteral("COM%1").arg(comNumber);
}

AppSettings AppSettings::load(const modINI& ini)
{
    AppSettings s;
    const SettingsReader settings(ini, Section);
    s.CommPortText = settings.integerText(CommPortKey, s.CommPortText);
    s.SerialSettings = settings.text(SettingKey, s.SerialSettings);
    s.Backlight = int(settings.number(BacklightKey, s.Backlight, 0, 254));
    s.TrayHintShown = trayHintShown(ini);

    // A number that is no row of the table of modes selects no mode at
    // start-up; the scheduler deals with it. A name is looked up once the
    // own screens are known.
    const SettingsReader mode(ini, ModeSection);
    const QString name = mode.raw(ModeKey);
    bool isNumber = false;
    name.toLongLong(&isNumber);
    if (!isNumber && OwnScreenSettings::validName(name))
        s.CurrentModeName = name;
    else
        s.CurrentMode = int(mode.number(ModeKey, s.CurrentMode, std::numeric_limits<qint16>::min(),
                                        std::numeric_limits<qint16>::max()));

    const SettingsReader ports(ini, PortsSection);
    for (std::size_t i = 0; i < s.Ports.size(); ++i)
        s.Ports[i] = ports.path(portKey(int(i + 1)).toLatin1().constData(), s.Ports[i]);
    return s;
}

bool AppSettings::save(modINI& ini) const
{
    return ini.WriteIniKeys(
        {{QLatin1String(ModeSection), QLatin1String(ModeKey),
          CurrentModeName.isEmpty() ? QString::number(CurrentMode) : CurrentModeName},
         {QLatin1String(Section), QLatin1String(CommPortKey), CommPortText},
         {QLatin1String(Section), QLatin1String(BacklightKey), QString::number(Backlight)}});
}

bool AppSettings::savePort(modINI& ini, int comNumber, const QString& device,
                           const QString& serialSettings)
{
    return ini.WriteIniKeys({{QLatin1String(PortsSection), portKey(comNumber), device},
                             {QLatin1String(Section), QLatin1String(SettingKey), serialSettings}});
}

bool AppSettings::trayHintShown(const modINI& ini)
{
    return SettingsReader(ini, Section).number(TrayHintShownKey, 0, 0, 1) == 1;
}

bool AppSettings::saveTrayHintShown(modINI& ini)
{
    return ini.WriteIniKeys(
        {{QLatin1String(Section), QLatin1String(TrayHintShownKey), QStringLiteral("1")}});
}
