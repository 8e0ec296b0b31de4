#pragma once

#include "codec/ModuleCodec.h"
#include "screens/base/ModeScreen.h"

#include <QtGlobal>

class Clock;
class LcdLink;

// Mode 0, "Large Characters Clock": a 12-hour clock in the module's own large
// digits, a blinking colon and "am"/"pm" stacked in the last column. It draws
// on the module itself and leaves the screen lines alone.
//
//   col 0    4    9    14   19
//   +--------------------+
//   | HH  HH  .  MM  MM  |   large digits at positions 0..3,
//   | HH  HH  :  MM  MM  |   colon dots (the ROM's: 223, B7 on A02) at rows 1, 3 of column 9,
//   | HH  HH     MM  MM a|   "a" or "p" at row 2, "m" at row 3 of column 19
//   | HH  HH  :  MM  MM m|
//   +--------------------+
class LargeClock : public ModeScreen
{
public:
    LargeClock(LcdLink& link, const Clock& clock, const ModuleCodec& codec = AsciiCodec)
        : m_link(link), m_clock(clock), m_codec(codec)
    {
    }

    // Drawn on the module every tick; the colon blinks on a 500 ms timer.
    Traits traits() const override
    {
        Traits t;
        t.writesLines = false;
        t.timerMs = BlinkIntervalMs;
        return t;
    }
    // Prepares the module for large digits (FE 09), right after the scheduler's clear.
    void enter() override;
    void timerTick() override { BlinkColon(); }

    static constexpr int BlinkIntervalMs = 500;

    // Digits, then the letters; everything is redrawn on every call.
    void ShowLargeClock();
    // One tick of the colon timer, which runs only while this mode is shown.
    void BlinkColon();

    // Colon ticks seen in this mode: 1..254, then 0. Odd hides the colon, even
    // shows it. Kept while other modes run.
    qint16 blinkCount() const { return m_blinkCount; }

private:
    void sendAt(quint8 row, quint8 column, char code);

    LcdLink& m_link;
    const Clock& m_clock;
    const ModuleCodec& m_codec;
    qint16 m_blinkCount = 0;
};
