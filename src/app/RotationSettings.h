#pragma once

#include <QString>
#include <QStringList>

class modINI;

// Section [Rotation] of brellix.ini: the modes that follow each other by
// themselves, how long each shows, and whether they do. Read at start-up;
// Enabled is written at once when the rotation is switched on or off (the
// window's box, brellixctl, a mode chosen by hand), the whole section by the
// dialog that edits the list.
struct RotationSettings
{
    static constexpr const char* Section = "Rotation";
    // Short names of modes, comma-separated, in the order shown; own screens
    // by their names.
    static constexpr const char* ScreensKey = "Screens";
    static constexpr const char* SecondsKey = "Seconds"; // each mode's time, MinSeconds..MaxSeconds
    static constexpr const char* EnabledKey = "Enabled"; // 0 or 1
    static constexpr int MinSeconds = 3;
    static constexpr int MaxSeconds = 3600;

    QStringList Screens; // as written, blanks around the names removed
    int Seconds = 10;
    bool Enabled = false;

    static RotationSettings load(const modINI& ini);
    // Screens, Seconds and Enabled, in one save.
    bool save(modINI& ini) const;
    // Enabled alone.
    static bool saveEnabled(modINI& ini, bool enabled);
};
