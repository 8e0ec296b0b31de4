#pragma once

#include "screens/clock/WorldTimeSettings.h"

#include <QDateTime>
#include <QString>

class Clock;
class modINI;

// The logic of the World Time dialog: what it shows when it opens, every
// second while open, and what it saves when it closes.
class WorldTimeModel
{
public:
    struct Choice
    {
        int zoneIndex = WorldTimeSettings::DefaultZone; // -1: no zone selected
        QString destination;
        bool daylight = false;
    };
    static constexpr int MaxDestinationLength = 16;
    static inline const QString LocalPrefix = QStringLiteral("Local Time is ");

    // inUse: the destination the time and date screen shows.
    WorldTimeModel(modINI& ini, const Clock& clock, WorldTimeSettings& inUse)
        : m_ini(ini), m_clock(clock), m_inUse(inUse)
    {
    }

    // The destination in use (defaults included, so a fresh install opens
    // on London as the screen shows it); a zone outside the list opens on
    // London, whose time the screen shows for it. Fixes the date the
    // daylight test looks at.
    Choice load();
    QString localTimeText() const;
    // The destination line for the zone and daylight box as they are now.
    QString destinationTimeText(int zoneIndex, bool daylight) const;
    // Writes Zone, Destination and Daylight and hands them to the screens.
    void unload(const Choice& choice);

    // The general date-and-time form of the dialog, e.g. 12/5/2026 2:05:07 PM.
    static QString generalDateTime(const QDateTime& t);

private:
    modINI& m_ini;
    const Clock& m_clock;
    WorldTimeSettings& m_inUse;
    QDateTime m_destTimeAtOpen; // the destination's standard time when the dialog opened
};
