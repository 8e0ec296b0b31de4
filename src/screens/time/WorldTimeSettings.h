#pragma once

#include <QString>
#include <QtGlobal>

// The world time destination shown on lines 3 and 4 of the time and date
// screen. Filled from section [TimeZone] at start-up; the world time dialog
// replaces it when it closes, so screens hold it by reference.
struct WorldTimeSettings
{
    // Row of modTimeZone's zone table; 13 is "(GMT) London".
    qint16 ZoneIndex = 13;
    // As typed in the dialog, at most 16 characters.
    QString DestinationName;
    // Add an hour while modTimeZone::IsDaylightSaving holds at the destination.
    bool ObserveDaylight = false;
};
