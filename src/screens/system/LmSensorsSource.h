#pragma once

#include "platform/linux/LinuxSensors.h"
#include "screens/system/SensorSettings.h"
#include "screens/system/SensorSource.h"

#include <QString>

#include <array>
#include <optional>

// The CPU screen's readings from lm-sensors. libsensors starts once, with
// the object; select() only picks among the sensors it found, and each
// refresh reads the five chosen inputs.
class LmSensorsSource final : public SensorSource
{
public:
    explicit LmSensorsSource(const QString& configFile = QString());

    // Fills the slots from the settings (see SensorSettings).
    void select(const SensorSettings& settings);

    void refresh(SensorTable& table) override;

    // The sensor in slot k (1..5), if any.
    const std::optional<LinuxSensors::Sensor>& slot(int k) const;

    // Temperatures with one decimal ("45.5"), fans in whole rpm ("2410").
    static QString formatValue(LinuxSensors::Kind kind, double value);

private:
    struct Slot
    {
        std::optional<LinuxSensors::Sensor> sensor;
        QString name;
        bool hasValue = false; // read at least once since select()
        bool failing = false;  // a failed read was logged
    };

    LinuxSensors m_sensors;
    std::array<Slot, 6> m_slots;
};
