#pragma once

#include "app/BacklightSchedule.h"

#include <QDateTime>
#include <QObject>

class Clock;
class LinkController;

// The backlight keeping the hours of [Backlight]: off at Off, on again at
// On. When a change is due (its time came, or the clock passed it: set
// forward, or the machine slept through it), the backlight takes what the
// schedule wants, switched as its buttons switch it; a choice by hand in
// between holds until then. A clock set back switches it only when the
// schedule wants otherwise than before. A module initialised (found at start-up, found again, after
// a resume) gets the backlight the schedule wants, whatever was chosen by hand. A flashing message
// blinks from whatever the backlight is and leaves it so.
class ScheduledBacklight : public QObject
{
    Q_OBJECT
public:
    ScheduledBacklight(LinkController& control, const Clock& clock, QObject* parent = nullptr);

    // At start-up, and applied at once: a module found afterwards is
    // initialised so.
    void configure(const BacklightSchedule& schedule);
    const BacklightSchedule& schedule() const { return m_schedule; }
    // Whether the schedule wants the backlight off now.
    bool offNow() const;
    // Looks at the clock: on each of the scheduler's ticks, which run every
    // second for the status clock anyway, so that a clock set or a sleep
    // needs nothing more.
    void check();

private:
    LinkController& m_control;
    const Clock& m_clock;
    BacklightSchedule m_schedule;
    QDateTime m_last; // the clock at the last check; invalid before the first
    QDateTime m_next; // the change due after it
    bool m_wantedOff = false;
};
