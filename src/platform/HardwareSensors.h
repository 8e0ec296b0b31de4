#pragma once

#include <QList>
#include <QString>

#include <optional>

// The machine's temperature and fan sensors (lm-sensors on Linux), as the
// CPU screen reads them: found once when the object is made, then read one
// input at a time on every refresh.
class HardwareSensors
{
public:
    enum class Kind { Temperature, Fan };

    struct Sensor
    {
        QString chip;    // as `sensors` prints it: "coretemp-isa-0000"
        QString feature; // "temp1", "fan2"
        QString label;   // the chip's or the configuration's label
        Kind kind = Kind::Temperature;
        // Which input value() reads; only the object that listed the sensor
        // knows what it stands for.
        int handle = -1;
    };

    virtual ~HardwareSensors() = default;

    // False when the sensor library could not start; then nothing is found.
    virtual bool isOpen() const = 0;

    // Every readable temperature and fan input, in the library's order.
    virtual const QList<Sensor>& sensors() const = 0;

    // The sensor named feature on the first chip that matches chipPattern,
    // written as in sensors.conf ("coretemp-*", "nct6775-isa-0290").
    virtual std::optional<Sensor> find(const QString& chipPattern,
                                       const QString& feature) const = 0;

    // Present value: degrees Celsius or rpm. Empty when the read fails.
    virtual std::optional<double> value(const Sensor& sensor) const = 0;
};
