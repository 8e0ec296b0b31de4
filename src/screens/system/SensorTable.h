#pragma once

#include <QString>

#include <array>

// The five readings of the CPU screen: a short name and the latest value,
// both as text. Slots 1 to 5 are used, 0 never, so the numbers match the
// settings keys Sensor1..Sensor5. An empty name means the slot is unused.
// A temperature's value contains a "." (one decimal), a fan's does not.
struct SensorTable
{
    static constexpr int First = 1;
    static constexpr int Last = 5;

    std::array<QString, 6> SensorNames;
    std::array<QString, 6> SensorValues;

    // Slot k holds a temperature (its value has a "."), not a fan.
    bool isTemperature(int k) const { return SensorValues[std::size_t(k)].contains(u'.'); }
    // The place a slot's reading takes on the CPU screen: temperature 1 to 4
    // (slots 1 to 4 holding temperatures), else 0, the fan's line.
    int temperaturePlace(int k) const { return isTemperature(k) && k <= 4 ? k : 0; }
    // The slot shown on the fan's line: the last used slot without a
    // temperature place; 0 for none.
    int fanSlot() const
    {
        int slot = 0;
        for (int k = First; k <= Last; ++k) {
            if (!SensorNames[std::size_t(k)].isEmpty() && temperaturePlace(k) == 0)
                slot = k;
        }
        return slot;
    }
};
