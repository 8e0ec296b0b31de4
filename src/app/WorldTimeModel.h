#pragma once

#include <QDateTime>
#include <QString>

class Clock;
class modINI;
struct WorldTimeSettings;

// The logic of the World Time dialog: what it shows when it opens, every
// second while open, and what it saves when it closes.
class WorldTimeModel
{
public:
    struct Choice
    {
        int zoneIndex = 13; // -1: no zone selected
        QString destination;
        bool daylight = false;
    };
    static constexpr int MaxDestinationLength = 16;
    static inline const QString LocalPrefix = QStringLiteral("Local Time is ");

    WorldTimeModel(modINI& ini, const Clock& clock) : m_ini(ini), m_clock(clock) {}

    // Reads the dialog's keys; a missing, non-numeric or out-of-range value
    // opens on a sound one. Fixes the date the daylight test looks at.
    Choice load();
    QString localTimeText() const;
    // The destination line for the zone and daylight box as they are now.
    QString destinationTimeText(int zoneIndex, bool daylight) const;
    // Writes Zone, Destination and Daylight and hands them to the screens.
    void unload(const Choice& choice, WorldTimeSettings& globals);

    // The general date-and-time form of the dialog, e.g. 12/5/2026 2:05:07 PM.
    static QString GeneralDateTime(const QDateTime& t);

private:
    modINI& m_ini;
    const Clock& m_clock;
    QDateTime m_destTimeAtOpen; // DestTimeText: the destination's standard time at opening
};
