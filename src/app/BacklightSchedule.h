#pragma once

#include <QTime>

class modINI;

// Section [Backlight] of brellix.ini: the hours the backlight is off, from
// Off to On (HH:mm, local time), also across midnight (Off=23:00, On=07:00).
// Without both times, or with equal ones, there is no schedule.
struct BacklightSchedule
{
    static constexpr const char* Section = "Backlight";
    static constexpr const char* OffKey = "Off";
    static constexpr const char* OnKey = "On";
    static constexpr const char* Format = "HH:mm";

    QTime Off; // invalid: none
    QTime On;

    bool active() const { return Off.isValid() && On.isValid() && Off != On; }
    // Whether the schedule wants the backlight off at time (false without one).
    bool offAt(QTime time) const;

    // A time that is not HH:mm (or H:mm) is none, with a warning.
    static BacklightSchedule load(const modINI& ini);
    // Off and On, in one save; empty for none.
    bool save(modINI& ini) const;
};
