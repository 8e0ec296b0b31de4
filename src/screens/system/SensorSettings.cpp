#include "screens/system/SensorSettings.h"

#include "platform/Logging.h"
#include "platform/PathCheck.h"
#include "platform/modINI.h"

SensorSettings SensorSettings::load(const modINI& ini)
{
    SensorSettings s;
    const QString sensors = QStringLiteral("Sensors");
    for (std::size_t k = 1; k < s.slots.size(); ++k) {
        Slot& slot = s.slots[k];
        const QString key = QStringLiteral("Sensor%1").arg(k);
        slot.name = ini.ReadIni(sensors, QStringLiteral("Name%1").arg(k));
        const QString choice = ini.ReadIni(sensors, key);
        if (choice.isEmpty())
            continue;
        s.chosen = true;
        const qsizetype slash = choice.lastIndexOf(u'/');
        const QString chip = choice.left(slash).trimmed();
        const QString feature = choice.mid(slash + 1).trimmed();
        if (slash < 0 || chip.isEmpty() || feature.isEmpty()) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: [Sensors] %2 = \"%3\" is not CHIP/FEATURE; using the "
                                  "default (slot unused)")
                       .arg(ini.path(), key, choice);
            continue;
        }
        slot.chip = chip;
        slot.feature = feature;
    }
    // File and folder names with control characters name nothing the user meant.
    const auto path = [&ini](const QString& section, const QString& key) {
        const QString value = ini.ReadIni(section, key);
        if (!hasControlCharacters(value))
            return value;
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1: [%2] %3 holds control characters; using the default (none)")
                   .arg(ini.path(), section, key);
        return QString();
    };
    s.configFile = path(sensors, QStringLiteral("Config"));
    s.speedFanFolder = path(QStringLiteral("SpeedFan"), QStringLiteral("Folder"));
    return s;
}
