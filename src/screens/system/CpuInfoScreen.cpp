#include "screens/system/CpuInfoScreen.h"

#include <algorithm>

#include "codec/ModuleCodec.h"
#include "platform/HardwareSensors.h"
#include "platform/Logging.h"
#include "platform/UserMessage.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/LmSensorsSource.h"
#include "screens/system/SensorSettings.h"
#include "screens/system/modSpeedFan.h"

namespace {

// Control characters (the NULs that pad a SpeedFan value, a stray CR) are
// dropped before anything is cut or shown.
QString visible(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            clean.append(c);
    }
    return clean;
}

} // namespace

CpuInfoScreen::CpuInfoScreen(ScreenLines& lines, MessageSink& messages, LoadSettings loadSettings,
                             const Clock& clock, const CpuTimesSource& cpuTimes,
                             const MemoryStatus& memory, OpenSensors openSensors)
    : m_lines(lines), m_messages(messages), m_loadSettings(std::move(loadSettings)), m_clock(clock),
      m_openSensors(std::move(openSensors)), m_cpu(cpuTimes), m_mem(memory)
{
}

CpuInfoScreen::~CpuInfoScreen() = default;

void CpuInfoScreen::enter()
{
    if (!m_cpu.OpenCpuQuery()) {
        m_messages.showMessage({QStringLiteral("OpenQuery failed"), MessageSeverity::Critical,
                                MessageCategory::System});
        m_messages.requestFatalEnd();
        return;
    }
    chooseSensors();
}

const SensorTable& CpuInfoScreen::readSensors()
{
    if (!m_sensors)
        chooseSensors();
    m_sensors->refresh(m_table);
    return m_table;
}

void CpuInfoScreen::chooseSensors()
{
    const SensorSettings settings = m_loadSettings();
    if (modSpeedFan::hasLogs(settings.speedFanFolder)) {
        m_speedFan = std::make_unique<modSpeedFan>(settings.speedFanFolder, m_clock);
        useSource(m_speedFan.get(), QStringLiteral("SpeedFan ") + settings.speedFanFolder);
        return;
    }
    if (!settings.speedFanFolder.isEmpty())
        qCInfo(lcScreens).noquote()
            << QStringLiteral("[SpeedFan] Folder %1 holds no SFLog*.csv; reading lm-sensors")
                   .arg(settings.speedFanFolder);
    m_speedFan.reset();
    // libsensors keeps process-wide state and a restart rescans every chip:
    // it starts once, and a later change of [Sensors] Config needs a restart.
    if (!m_lmSensors)
        m_lmSensors = std::make_unique<LmSensorsSource>(
            m_openSensors ? m_openSensors(settings.configFile) : nullptr);
    m_lmSensors->select(settings);
    useSource(m_lmSensors.get(), QStringLiteral("lm-sensors"));
}

void CpuInfoScreen::useSource(SensorSource* source, const QString& key)
{
    // A source keeps what it cannot read; what another source left in the
    // table would stand there as if it were a live reading.
    if (key != m_sourceKey)
        m_table = SensorTable();
    m_sourceKey = key;
    m_sensors = source;
}

// +--------------------+
// |CPU:7% MEM:45%      |
// |Temp1:45°C Temp2:38°|  T1 T2, cut at 20
// |Temp3:41°C Temp4:39°|  T3 T4
// |Fan1:2410 rpm       |  the fan, or sensor 5 in any form
// +--------------------+
void CpuInfoScreen::ShowCpuInfo()
{
    m_lines.setLine(0, m_cpu.GetCpuText() + ' ' + m_mem.GetMemoryText());
    if (m_sensors)
        m_sensors->refresh(m_table);
    std::array<QByteArray, 3> lines = sensorLines(m_table, m_lines.codec());
    if (std::all_of(m_table.SensorNames.begin(), m_table.SensorNames.end(),
                    [](const QString& name) { return name.isEmpty(); })) {
        // Blank lines would look like a fault: say what is missing.
        lines = {QByteArray("No Sensors Found"), QByteArray(), QByteArray()};
        if (!m_toldNoSensors)
            m_messages.showMessage(
                {QStringLiteral("CPU Info shows no temperatures or fans: no sensors were found. "
                                "Set up lm-sensors (sensors-detect), or name them in [Sensors] "
                                "or a SpeedFan log folder in [SpeedFan] Folder (README, "
                                "\"Settings reference\")."),
                 MessageSeverity::Information, MessageCategory::System, true});
        m_toldNoSensors = true;
    }
    for (int i = 0; i < 3; ++i)
        m_lines.setLine(i + 1, lines[std::size_t(i)]);
}

std::array<QByteArray, 3> CpuInfoScreen::sensorLines(const SensorTable& table,
                                                     const ModuleCodec& codec)
{
    const auto moduleText = [&codec](const QString& text) {
        return codec.fromUnicode(visible(text));
    };
    // Slots 1-4 are the four temperature places T1..T4; F is line 4.
    std::array<QByteArray, 4> t;
    QByteArray f;
    for (int k = SensorTable::First; k <= SensorTable::Last; ++k) {
        const QString& name = table.SensorNames[std::size_t(k)];
        if (name.isEmpty())
            continue;
        const QString value = visible(table.SensorValues[std::size_t(k)]);
        QByteArray text = moduleText(name) + ':';
        if (table.isTemperature(k))
            text += moduleText(value.left(2)) + char(codec.degreeCode()) + "C ";
        else
            text += moduleText(value.left(4)) + " rpm";
        if (const int place = table.temperaturePlace(k))
            t[std::size_t(place - 1)] = text;
        else
            f = text;
    }
    return {t[0] + t[1], t[2] + t[3], f};
}
