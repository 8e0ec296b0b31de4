#pragma once

#include "platform/HardwareSensors.h"
#include "platform/ReportOnce.h"
#include "screens/system/SensorSettings.h"
#include "screens/system/SensorSource.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>

// The CPU screen's readings from lm-sensors. The sensors are found once,
// before the object is made; select() only picks among them, and each
// refresh reads the five chosen inputs.
class LmSensorsSource final : public SensorSource
{
public:
    // Null sensors: there are none to read (every slot stays empty).
    explicit LmSensorsSource(std::unique_ptr<HardwareSensors> sensors);
    ~LmSensorsSource() override;

    // Fills the slots from the settings (see SensorSettings).
    void select(const SensorSettings& settings);

    void refresh(SensorTable& table) override;

    // The sensor in slot k (1..5), if any.
    const std::optional<HardwareSensors::Sensor>& slot(int k) const;

    // Temperatures with one decimal ("45.5"), fans in whole rpm ("2410").
    static QString formatValue(HardwareSensors::Kind kind, double value);

private:
    struct Slot
    {
        std::optional<HardwareSensors::Sensor> sensor;
        QString name;
        bool hasValue = false; // read at least once since select()
        ReportOnce report;
    };

    std::unique_ptr<HardwareSensors> m_sensors;
    std::array<Slot, 6> m_slots;
};
