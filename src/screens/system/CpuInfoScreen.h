#pragma once

#include "platform/Clock.h"
#include "platform/linux/SystemClock.h"
#include "screens/system/CPUStat.h"
#include "screens/system/MemMod.h"
#include "screens/system/SensorTable.h"
#include "screens/time/ModeScreen.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

class LmSensorsSource;
class MessageSink;
class ScreenLines;
class SensorSource;
class modINI;

// The "CPU Info" mode: processor and memory load on line 1, up to four
// temperatures on lines 2 and 3, a fan (or the fifth reading) on line 4.
class CpuInfoScreen final : public ModeScreen
{
public:
    // What the screen reads; tests point these at fixtures.
    struct Sources
    {
        QString procStat = QStringLiteral("/proc/stat");
        QString procMeminfo = QStringLiteral("/proc/meminfo");
        const Clock* clock = nullptr; // null: the system clock
        // Null: chosen from the settings at enter(): SpeedFan's logs when
        // [SpeedFan] Folder holds any, lm-sensors otherwise.
        SensorSource* sensors = nullptr;
    };

    CpuInfoScreen(ScreenLines& lines, MessageSink& messages, const modINI& ini);
    CpuInfoScreen(ScreenLines& lines, MessageSink& messages, const modINI& ini, Sources sources);
    ~CpuInfoScreen() override;

    // A new processor sampling; the sensor source per the settings. When
    // the processor figures cannot be read at all: "OpenQuery failed" and
    // the program ends.
    void enter() override;
    void show() override { ShowCpuInfo(); }

    void ShowCpuInfo();

    const SensorTable& sensorTable() const { return m_table; }

    // Lines 2 to 4 from the sensor table.
    static std::array<QByteArray, 3> sensorLines(const SensorTable& table);

private:
    // Reads from source from now on; a different one starts from an empty table.
    void useSource(SensorSource* source, const QString& key);

    ScreenLines& m_lines;
    MessageSink& m_messages;
    const modINI& m_ini;
    SystemClock m_systemClock;
    const Clock& m_clock;
    SensorSource* const m_fixedSensors;

    CPUStat m_cpu;
    MemMod m_mem;
    SensorTable m_table;
    std::unique_ptr<LmSensorsSource> m_lmSensors; // started once, kept
    std::unique_ptr<SensorSource> m_speedFan;
    SensorSource* m_sensors = nullptr;
    QString m_sourceKey; // which source m_sensors is, and its folder
};
