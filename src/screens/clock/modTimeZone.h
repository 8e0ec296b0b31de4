#pragma once

#include <QDate>
#include <QDateTime>
#include <array>

class Clock;

// Local time to GMT, the fixed offsets of the 32 world time zones and the one
// daylight-saving calendar rule used for every destination. No state.
//
// Destination times are "wall clock" values: QDateTimes in Qt::UTC whose date
// and time are what a clock at the destination shows. Keeping them in UTC
// means adding minutes never runs into a gap or fold of the local zone.
namespace modTimeZone {

inline constexpr int ZoneCount = 32;

// The world time dialog's list, in this order: the list index is the zone index.
inline constexpr std::array<const char*, ZoneCount> ZoneLabels{
    "(GMT - 12:00) International Date Line West",
    "(GMT - 11:00) Midway,Samoa",
    "(GMT - 10:00) Hawaii",
    "(GMT - 9:00) Alaska",
    "(GMT - 8:00) Pacific Time",
    "(GMT - 7:00) Mountain Time",
    "(GMT - 6:00) Central Time",
    "(GMT - 5:00) Eastern Time",
    "(GMT - 4:00) Atlantic Time",
    "(GMT - 3:30) Newfoundland",
    "(GMT - 3:00) Brasilia,Buenos Aires",
    "(GMT - 2:00) Mid Atlantic",
    "(GMT - 1:00) Azores",
    "(GMT) London",
    "(GMT + 1:00) Amsterdam",
    "(GMT + 2:00) Athens",
    "(GMT + 3:00) Baghdad",
    "(GMT + 3:30) Tehran",
    "(GMT + 4:00) Abu Dhabi",
    "(GMT + 4:30) Kabul",
    "(GMT + 5:00) Islamabad",
    "(GMT + 5:30) New Delhi",
    "(GMT + 5:45) Kathmandu",
    "(GMT + 6:00) Dhaka",
    "(GMT + 6:30) Rangoon",
    "(GMT + 7:00) Bangkok,Jakarta",
    "(GMT + 8:00) Beijing,Hong Kong,Singapore",
    "(GMT + 9:00) Tokyo,Seoul",
    "(GMT + 9:30) Adelaide,Darwin",
    "(GMT + 10:00) Brisbane,Sydney",
    "(GMT + 11:00) Solomon Island",
    "(GMT + 12:00) Auckland,Fiji",
};

// Seconds to add to GMT to get local time at the instant utcSecs (seconds
// since the epoch), east positive, the daylight shift included exactly when
// local daylight time is in effect then. 0 (local time taken as GMT) when the
// C library cannot convert.
int LocalOffsetSeconds(qint64 utcSecs);

// GMT wall clock of a local date-time: its local date and time minus the
// local offset in effect at that instant.
QDateTime LocalToGMT(const QDateTime& local);
// The same for the present moment of clock.
QDateTime LocalToGMT(const Clock& clock);

// Minutes east of GMT of the zone at index; 0 for an index outside 0..31.
int ZoneOffsetMinutes(int index);

// Daylight saving from the start of the first Sunday of April to the start
// of the last Sunday of October, judged on the destination's standard-time
// date. The same rule serves every zone, southern ones included.
bool IsDaylightSaving(const QDate& date);
bool IsDaylightSaving(const QDateTime& destination);

} // namespace modTimeZone
