#include "screens/system/SensorSettings.h"

#include "platform/Logging.h"
#include "platform/PathCheck.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"

namespace {

// File and folder names with control characters name nothing the user meant.
QString path(const SettingsReader& r, const char* key)
{
    const QString value = r.raw(key);
    if (!hasControlCharacters(value))
        return value;
    qCWarning(lcSettings).noquote()
        << QStringLiteral("%1: [%2] %3 holds control characters; using the default (none)")
               .arg(r.ini().path(), r.section(), QLatin1String(key));
    return QString();
}

} // namespace

SensorSettings SensorSettings::load(const modINI& ini)
{
    SensorSettings s;
    const SettingsReader sensors(ini, Section);
    for (std::size_t k = 1; k < s.slots.size(); ++k) {
        Slot& slot = s.slots[k];
        const QByteArray key = SensorKey + QByteArray::number(qulonglong(k));
        slot.name = sensors.raw((NameKey + QByteArray::number(qulonglong(k))).constData());
        const QString choice = sensors.raw(key.constData());
        if (choice.isEmpty())
            continue;
        s.chosen = true;
        const qsizetype slash = choice.lastIndexOf(u'/');
        const QString chip = choice.left(slash).trimmed();
        const QString feature = choice.mid(slash + 1).trimmed();
        if (slash < 0 || chip.isEmpty() || feature.isEmpty()) {
            sensors.reject(QString::fromLatin1(key), choice, QStringLiteral("is not CHIP/FEATURE"),
                           QStringLiteral("(slot unused)"));
            continue;
        }
        slot.chip = chip;
        slot.feature = feature;
    }
    s.configFile = path(sensors, ConfigKey);
    s.speedFanFolder = path(SettingsReader(ini, SpeedFanSection), FolderKey);
    return s;
}
