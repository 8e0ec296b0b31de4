#pragma once

#include "screens/base/ModeScreen.h"

#include <QByteArray>
#include <QDateTime>

class Clock;
class ScreenLines;
class WorldTimeSettings;

// Mode 1, "Time And Date": local time and date on top, the world time
// destination below. Composes the lines only; the scheduler writes them.
//
//   +--------------------+
//   |     2:05:07 PM     |  local time, centred
//   |  5-December-2026   |  local date, centred
//   |London Time         |  destination name
//   |5/Dec/26 14:05:07   |  destination time, 24-hour
//   +--------------------+
class TimeDateScreen : public ModeScreen
{
public:
    TimeDateScreen(ScreenLines& lines, const Clock& clock, const WorldTimeSettings& settings)
        : m_lines(lines), m_clock(clock), m_settings(settings)
    {
    }

    void ShowTimeDate();

    // Destination wall clock for the given GMT: the zone's offset, plus an
    // hour when daylight saving is observed and the rule holds there.
    static QDateTime destinationTime(const QDateTime& gmt, const WorldTimeSettings& settings);
    // text cut to 20 and moved right by half the free room, halves to even.
    static QByteArray centred(const QByteArray& text);

private:
    ScreenLines& m_lines;
    const Clock& m_clock;
    const WorldTimeSettings& m_settings;
};
