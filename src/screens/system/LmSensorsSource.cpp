#include "screens/system/LmSensorsSource.h"

#include "platform/Logging.h"

#include <cmath>

namespace {
// Far above any fan; keeps a garbage reading inside the integer range.
constexpr double MaxRpm = 1e9;
} // namespace

LmSensorsSource::LmSensorsSource(std::unique_ptr<HardwareSensors> sensors)
    : m_sensors(std::move(sensors))
{
}

LmSensorsSource::~LmSensorsSource() = default;

void LmSensorsSource::select(const SensorSettings& settings)
{
    for (Slot& s : m_slots)
        s = Slot();
    if (!m_sensors)
        return;

    if (settings.chosen) {
        for (int k = SensorTable::First; k <= SensorTable::Last; ++k) {
            const SensorSettings::Slot& want = settings.slots[std::size_t(k)];
            if (want.chip.isEmpty())
                continue;
            m_slots[std::size_t(k)].sensor = m_sensors->find(want.chip, want.feature);
            if (!m_slots[std::size_t(k)].sensor)
                qCWarning(lcScreens).noquote()
                    << QStringLiteral("[Sensors] Sensor%1: no temperature or fan %2/%3 found")
                           .arg(k)
                           .arg(want.chip, want.feature);
        }
    } else {
        int nextTemperature = SensorTable::First;
        for (const HardwareSensors::Sensor& s : m_sensors->sensors()) {
            if (s.kind == HardwareSensors::Kind::Temperature && nextTemperature <= 4)
                m_slots[std::size_t(nextTemperature++)].sensor = s;
            else if (s.kind == HardwareSensors::Kind::Fan && !m_slots[5].sensor)
                m_slots[5].sensor = s;
        }
        if (m_sensors->isOpen() && m_sensors->sensors().isEmpty())
            qCInfo(lcScreens, "lm-sensors found no temperature or fan");
    }

    for (int k = SensorTable::First; k <= SensorTable::Last; ++k) {
        Slot& s = m_slots[std::size_t(k)];
        if (!s.sensor)
            continue;
        const QString& name = settings.slots[std::size_t(k)].name;
        s.name = name.isEmpty() ? s.sensor->label : name;
        // A label may be empty in a configuration; the slot must still show.
        if (s.name.isEmpty())
            s.name = s.sensor->feature;
    }
}

const std::optional<HardwareSensors::Sensor>& LmSensorsSource::slot(int k) const
{
    return m_slots[std::size_t(qBound(0, k, SensorTable::Last))].sensor;
}

void LmSensorsSource::refresh(SensorTable& table)
{
    for (int k = SensorTable::First; k <= SensorTable::Last; ++k) {
        Slot& s = m_slots[std::size_t(k)];
        table.SensorNames[std::size_t(k)] = QString();
        if (!s.sensor)
            continue;
        // A slot holds a sensor only when m_sensors is there.
        const std::optional<double> v = m_sensors->value(*s.sensor);
        if (!v) {
            if (s.report.failed())
                qCWarning(lcScreens).noquote()
                    << QStringLiteral("cannot read %1/%2").arg(s.sensor->chip, s.sensor->feature);
        } else {
            s.report.succeeded();
            s.hasValue = true;
            table.SensorValues[std::size_t(k)] = formatValue(s.sensor->kind, *v);
        }
        // A passing failure keeps the last value; a sensor never read yet
        // stays hidden rather than show what the slot held before.
        if (s.hasValue)
            table.SensorNames[std::size_t(k)] = s.name;
    }
}

QString LmSensorsSource::formatValue(HardwareSensors::Kind kind, double value)
{
    if (kind == HardwareSensors::Kind::Fan)
        return QString::number(qint64(std::llround(qBound(0.0, value, MaxRpm))));
    // -0.04 is "0.0", not "-0.0".
    const double tenths = std::round(value * 10.0) / 10.0;
    return QString::number(tenths == 0 ? 0.0 : tenths, 'f', 1);
}
