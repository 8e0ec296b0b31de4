#pragma once

#include "codec/ModuleCodec.h"
#include "screens/base/ModeScreen.h"
#include "screens/system/CPUStat.h"
#include "screens/system/MemMod.h"
#include "screens/system/SensorSettings.h"
#include "screens/system/SensorTable.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class Clock;
class HardwareSensors;
class LmSensorsSource;
class MessageSink;
class ScreenLines;
class SensorSource;

// The "CPU Info" mode: processor and memory load on line 1, up to four
// temperatures on lines 2 and 3, a fan (or the fifth reading) on line 4.
class CpuInfoScreen final : public ModeScreen
{
public:
    // Starts the temperature and fan sensors with a libsensors configuration
    // (empty: the system's); null when there are none.
    using OpenSensors = std::function<std::unique_ptr<HardwareSensors>(const QString& configFile)>;
    // Reads [Sensors] and [SpeedFan] afresh: the choice is taken at each switch.
    using LoadSettings = std::function<SensorSettings()>;

    // The references are not owned and must outlive the screen. openSensors
    // runs once, the first time lm-sensors is read (when the mode is first
    // chosen without SpeedFan logs), since starting them can be slow.
    CpuInfoScreen(
        ScreenLines& lines, MessageSink& messages, LoadSettings loadSettings, const Clock& clock,
        const CpuTimesSource& cpuTimes, const MemoryStatus& memory,
        std::function<std::unique_ptr<HardwareSensors>(const QString& configFile)> openSensors);
    ~CpuInfoScreen() override;

    // A new processor sampling; the sensor source per the settings: SpeedFan's
    // logs when [SpeedFan] Folder holds any, lm-sensors otherwise. When
    // the processor figures cannot be read at all: "OpenQuery failed" and
    // the program ends.
    void enter() override;

    void ShowCpuInfo();

    // The temperatures and fans for others (an own screen): chooseSensors()
    // picks the source as the switch does (with [Sensors] and [SpeedFan] as
    // they are now); readSensors() reads it, choosing first if none is.
    void chooseSensors();
    const SensorTable& readSensors();

    // Lines 2 to 4 from the sensor table, in the codes of codec's ROM.
    static std::array<QByteArray, 3> sensorLines(const SensorTable& table,
                                                 const ModuleCodec& codec = AsciiCodec);

private:
    // Reads from source from now on; a different one starts from an empty table.
    void useSource(SensorSource* source, const QString& key);

    ScreenLines& m_lines;
    MessageSink& m_messages;
    LoadSettings m_loadSettings;
    const Clock& m_clock;
    OpenSensors m_openSensors;

    CPUStat m_cpu;
    MemMod m_mem;
    SensorTable m_table;
    std::unique_ptr<LmSensorsSource> m_lmSensors; // started once, kept
    std::unique_ptr<SensorSource> m_speedFan;
    SensorSource* m_sensors = nullptr;
    QString m_sourceKey; // which source m_sensors is, and its folder
    // Said once a run: no sensor gave a name.
    bool m_toldNoSensors = false;
};
