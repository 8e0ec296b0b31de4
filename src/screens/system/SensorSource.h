#pragma once

#include "screens/system/SensorTable.h"

// Where the CPU screen's temperatures and fans come from: lm-sensors, or
// the daily logs of the SpeedFan hardware monitor.
class SensorSource
{
public:
    virtual ~SensorSource() = default;
    // Brings the table up to date. What a source cannot read keeps its
    // previous contents, so a passing failure does not blank the screen.
    virtual void refresh(SensorTable& table) = 0;
};
