#pragma once

#include "platform/HardwareSensors.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

struct sensors_chip_name;

// Temperatures and fans through libsensors (lm-sensors). The chips are found
// once, in the constructor (sensors_init); value() reads one input from the
// kernel on each call, so a refresh costs a few small sysfs reads.
//
// libsensors keeps its state process-wide: have at most one LinuxSensors
// alive at a time. Built without libsensors, it finds no sensors.
class LinuxSensors final : public HardwareSensors
{
public:
    // configFile: a libsensors configuration to use instead of the system's
    // (/etc/sensors3.conf and /etc/sensors.d); empty for the system's.
    explicit LinuxSensors(const QString& configFile = QString());
    ~LinuxSensors() override;
    LinuxSensors(const LinuxSensors&) = delete;
    LinuxSensors& operator=(const LinuxSensors&) = delete;

    bool isOpen() const override { return m_open; }
    const QList<Sensor>& sensors() const override { return m_sensors; }
    std::optional<Sensor> find(const QString& chipPattern, const QString& feature) const override;
    std::optional<double> value(const Sensor& sensor) const override;

private:
    // What a Sensor's handle indexes.
    struct Input
    {
        const sensors_chip_name* chip = nullptr; // valid until sensors_cleanup
        int subfeature = -1;
    };

    bool m_open = false;
    QList<Sensor> m_sensors;
    std::vector<Input> m_inputs;
};
