#pragma once

#include <QString>

class modINI;

// The place and interval of the "Weather Station" mode, section [Weather] of
// brellix.ini. Read at start-up; the Weather dialog replaces and saves them
// when confirmed, and the screen uses them from the next refresh on.
struct WeatherSettings
{
    static constexpr const char* Section = "Weather";
    static constexpr const char* CityKey = "City";
    static constexpr const char* CountryKey = "Country";
    static constexpr const char* UpdateKey = "Update"; // minutes, 1..UpdateMinutes::Max

    QString WeatherCity;    // as typed, at most 30 characters
    QString WeatherCountry; // as typed, at most 30 characters
    int WeatherUpdateSeconds = 1800;

    static WeatherSettings load(const modINI& ini);
    // City, Country and Update, in one save.
    bool save(modINI& ini) const;
};
