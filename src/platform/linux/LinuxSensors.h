#pragma once

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
class LinuxSensors
{
public:
    enum class Kind { Temperature, Fan };

    struct Sensor
    {
        QString chip;    // as `sensors` prints it: "coretemp-isa-0000"
        QString feature; // "temp1", "fan2"
        QString label;   // the chip's or the configuration's label
        Kind kind = Kind::Temperature;
        int chipIndex = -1;
        int subfeature = -1; // number of its input
    };

    // configFile: a libsensors configuration to use instead of the system's
    // (/etc/sensors3.conf and /etc/sensors.d); empty for the system's.
    explicit LinuxSensors(const QString& configFile = QString());
    ~LinuxSensors();
    LinuxSensors(const LinuxSensors&) = delete;
    LinuxSensors& operator=(const LinuxSensors&) = delete;

    bool isOpen() const { return m_open; }

    // Every readable temperature and fan input, in libsensors' order.
    const QList<Sensor>& sensors() const { return m_sensors; }

    // The sensor named feature on the first chip that matches chipPattern,
    // written as in sensors.conf ("coretemp-*", "nct6775-isa-0290").
    std::optional<Sensor> find(const QString& chipPattern, const QString& feature) const;

    // Present value: degrees Celsius or rpm. Empty when the read fails.
    std::optional<double> value(const Sensor& sensor) const;

private:
    bool m_open = false;
    QList<Sensor> m_sensors;
    std::vector<const sensors_chip_name*> m_chips; // valid until sensors_cleanup
};
