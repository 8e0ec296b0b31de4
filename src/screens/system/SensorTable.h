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
};
