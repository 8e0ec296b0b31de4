#include "platform/linux/LinuxSensors.h"

#include "platform/Logging.h"

#include <QFile>

#include <cmath>

#ifdef BRELLIX_HAVE_SENSORS
#include <sensors/error.h>
#include <sensors/sensors.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// libsensors reports configuration errors through these hooks and would
// print them itself otherwise.
void parseError(const char* err, int line)
{
    qCWarning(lcPlatform, "libsensors configuration, line %d: %s", line, err);
}

void parseErrorInFile(const char* err, const char* file, int line)
{
    qCWarning(lcPlatform, "libsensors configuration %s, line %d: %s", file ? file : "?", line, err);
}

QString chipName(const sensors_chip_name* chip)
{
    char buf[256];
    const int n = sensors_snprintf_chip_name(buf, sizeof buf, chip);
    if (n < 0)
        return QString();
    return QString::fromUtf8(buf);
}

struct FreeDeleter
{
    void operator()(char* p) const { std::free(p); }
};

} // namespace

LinuxSensors::LinuxSensors(const QString& configFile)
{
    sensors_parse_error = parseError;
    sensors_parse_error_wfn = parseErrorInFile;

    FILE* config = nullptr;
    if (!configFile.isEmpty()) {
        config = std::fopen(QFile::encodeName(configFile).constData(), "r");
        if (!config)
            qCWarning(lcPlatform).noquote()
                << QStringLiteral("cannot open the sensors configuration %1; using the system's")
                       .arg(configFile);
    }
    const int rc = sensors_init(config);
    if (config && std::fclose(config) != 0)
        qCWarning(lcPlatform).noquote() << QStringLiteral("cannot close %1").arg(configFile);
    if (rc != 0) {
        qCWarning(lcPlatform, "libsensors cannot start: %s", sensors_strerror(rc));
        sensors_cleanup();
        return;
    }
    m_open = true;

    int chipNr = 0;
    int chips = 0;
    while (const sensors_chip_name* chip = sensors_get_detected_chips(nullptr, &chipNr)) {
        ++chips;
        const QString name = chipName(chip);
        int featureNr = 0;
        while (const sensors_feature* feature = sensors_get_features(chip, &featureNr)) {
            Sensor s;
            sensors_subfeature_type input;
            if (feature->type == SENSORS_FEATURE_TEMP) {
                s.kind = Kind::Temperature;
                input = SENSORS_SUBFEATURE_TEMP_INPUT;
            } else if (feature->type == SENSORS_FEATURE_FAN) {
                s.kind = Kind::Fan;
                input = SENSORS_SUBFEATURE_FAN_INPUT;
            } else {
                continue;
            }
            const sensors_subfeature* sub = sensors_get_subfeature(chip, feature, input);
            if (!sub || !(sub->flags & SENSORS_MODE_R))
                continue;
            s.chip = name;
            s.feature = QString::fromUtf8(feature->name);
            const std::unique_ptr<char, FreeDeleter> label(sensors_get_label(chip, feature));
            s.label = label ? QString::fromUtf8(label.get()) : s.feature;
            s.handle = int(m_inputs.size());
            m_inputs.push_back({chip, sub->number});
            m_sensors.append(s);
        }
    }
    qCDebug(lcPlatform, "libsensors: %d chips, %d temperature and fan inputs", chips,
            int(m_sensors.size()));
}

LinuxSensors::~LinuxSensors()
{
    if (m_open)
        sensors_cleanup();
}

std::optional<HardwareSensors::Sensor> LinuxSensors::find(const QString& chipPattern,
                                                          const QString& feature) const
{
    if (!m_open)
        return std::nullopt;
    sensors_chip_name match;
    if (sensors_parse_chip_name(chipPattern.toUtf8().constData(), &match) != 0)
        return std::nullopt;
    std::optional<Sensor> found;
    int nr = 0;
    while (!found) {
        const sensors_chip_name* chip = sensors_get_detected_chips(&match, &nr);
        if (!chip)
            break;
        for (const Sensor& s : m_sensors) {
            if (m_inputs[std::size_t(s.handle)].chip == chip && s.feature == feature) {
                found = s;
                break;
            }
        }
    }
    sensors_free_chip_name(&match);
    return found;
}

std::optional<double> LinuxSensors::value(const Sensor& sensor) const
{
    if (!m_open || sensor.handle < 0 || std::size_t(sensor.handle) >= m_inputs.size())
        return std::nullopt;
    const Input& input = m_inputs[std::size_t(sensor.handle)];
    double v = 0;
    if (sensors_get_value(input.chip, input.subfeature, &v) != 0 || !std::isfinite(v))
        return std::nullopt;
    return v;
}

#else // no libsensors

LinuxSensors::LinuxSensors(const QString&)
{
    qCInfo(lcPlatform, "built without libsensors: no temperature or fan readings");
}

LinuxSensors::~LinuxSensors() = default;

std::optional<HardwareSensors::Sensor> LinuxSensors::find(const QString&, const QString&) const
{
    return std::nullopt;
}

std::optional<double> LinuxSensors::value(const Sensor&) const
{
    return std::nullopt;
}

#endif
