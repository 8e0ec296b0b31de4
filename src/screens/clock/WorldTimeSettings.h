#pragma once

#include <QString>
#include <QtGlobal>

class modINI;

// The world time destination shown on lines 3 and 4 of the time and date
// screen, section [TimeZone] of brellix.ini. Read at start-up; the World Time
// dialog opens on it and replaces and saves it when it closes, so screens
// hold it by reference.
class WorldTimeSettings
{
public:
    static constexpr const char* Section = "TimeZone";
    static constexpr const char* ZoneKey = "Zone";               // 16-bit row number
    static constexpr const char* DestinationKey = "Destination"; // the name shown
    static constexpr const char* DaylightKey = "Daylight";       // 0 = no, other = yes
    // Row of modTimeZone's zone table; 13 is "(GMT) London".
    static constexpr qint16 DefaultZone = 13;
    static inline const QString DefaultDestination = QStringLiteral("London");

    WorldTimeSettings() = default;
    WorldTimeSettings(qint16 zone, QString destination, bool daylight)
        : m_zone(zone), m_destination(std::move(destination)), m_daylight(daylight)
    {
    }

    qint16 ZoneIndex() const { return m_zone; }
    // As typed in the dialog, at most 16 characters.
    const QString& DestinationName() const { return m_destination; }
    // Add an hour while modTimeZone::IsDaylightSaving holds at the destination.
    bool ObserveDaylight() const { return m_daylight; }

    static WorldTimeSettings load(const modINI& ini);
    // Zone, Destination and Daylight, in one save.
    bool save(modINI& ini) const;

    void set(qint16 zone, const QString& destination, bool daylight)
    {
        m_zone = zone;
        m_destination = destination;
        m_daylight = daylight;
    }

private:
    qint16 m_zone = DefaultZone;
    QString m_destination = DefaultDestination;
    bool m_daylight = false;
};
