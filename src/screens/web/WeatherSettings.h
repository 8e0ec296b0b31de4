#pragma once

#include <QString>

// The place and interval of the "Weather Station" mode. Filled from section
// [Weather] at start-up; the Weather dialog replaces them when confirmed, and
// the screen uses them from the next refresh on.
struct WeatherSettings
{
    QString WeatherCity;    // as typed, at most 30 characters
    QString WeatherCountry; // as typed, at most 30 characters
    int WeatherUpdateSeconds = 1800;
};
