#include "app/ScheduledBacklight.h"

#include "lcd/LinkController.h"
#include "platform/Clock.h"
#include "platform/Logging.h"

ScheduledBacklight::ScheduledBacklight(LinkController& control, const Clock& clock, QObject* parent)
    : QObject(parent), m_control(control), m_clock(clock)
{
    m_control.setInitialBacklight([this] { return !offNow(); });
}

void ScheduledBacklight::configure(const BacklightSchedule& schedule)
{
    m_schedule = schedule;
    m_last = m_next = {};
    check();
}

bool ScheduledBacklight::offNow() const
{
    return m_schedule.offAt(m_clock.now().time());
}

void ScheduledBacklight::check()
{
    if (!m_schedule.active())
        return;
    const QDateTime now = m_clock.now();
    const bool off = m_schedule.offAt(now.time());
    const bool setBack = m_last.isValid() && now < m_last;
    // The schedule taken; a change's time reached, or passed (a clock set
    // forward, a sleep); a clock set back to where the schedule wants
    // otherwise. Else a choice by hand holds.
    const bool apply = !m_last.isValid() || now >= m_next || (setBack && off != m_wantedOff);
    if (apply || setBack)
        m_next = m_schedule.nextChange(now);
    m_last = now;
    if (!apply)
        return;
    m_wantedOff = off;
    if (m_control.backlightOn() != off)
        return; // already so: nothing to send
    qCInfo(lcApp) << "Backlight" << (off ? "off" : "on") << "as scheduled";
    if (off)
        m_control.backlightOffClicked();
    else
        m_control.backlightOnClicked();
}
