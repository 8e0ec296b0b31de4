#pragma once

#include <QString>

#include <array>

class modINI;

// The CPU screen's sensor choices in brellix.ini:
//
//   [Sensors]
//   Sensor1..Sensor5 = CHIP/FEATURE   which reading goes in which slot, e.g.
//                                     coretemp-isa-0000/temp1 or nct6775-*/fan2
//                                     (chip and feature as `sensors -u` shows
//                                     them; chip wildcards as in sensors.conf)
//   Name1..Name5     = short name shown for the slot; default: its label
//   Config           = libsensors configuration file; default: the system's
//   [SpeedFan]
//   Folder           = folder of SpeedFan's daily logs; when it holds any,
//                      they are read instead of lm-sensors
//
// With no SensorN key set, slots 1-4 take the first four temperatures and
// slot 5 the first fan. Once any SensorN is set, exactly those slots are used.
struct SensorSettings
{
    static constexpr const char* Section = "Sensors";
    static constexpr const char* SensorKey = "Sensor"; // and the slot's number
    static constexpr const char* NameKey = "Name";     // and the slot's number
    static constexpr const char* ConfigKey = "Config";
    static constexpr const char* SpeedFanSection = "SpeedFan";
    static constexpr const char* FolderKey = "Folder";

    struct Slot
    {
        QString chip; // empty: no reading chosen for the slot
        QString feature;
        QString name; // empty: the sensor's label
    };

    bool chosen = false;       // any SensorN set
    std::array<Slot, 6> slots; // 1..5 used
    QString configFile;
    QString speedFanFolder;

    static SensorSettings load(const modINI& ini);
};
