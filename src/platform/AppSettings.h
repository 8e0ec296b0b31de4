#pragma once

#include "platform/modINI.h"

#include <QString>
#include <QtGlobal>

#include <array>

// Everything Brellix reads from brellix.ini at start-up. A missing or empty
// key takes the default quietly; an unusable value takes it with a warning.
struct AppSettings
{
    // [Settings]
    QString CommPortText = QStringLiteral("1");            // "CommPort": decimal port number
    QString SerialSettings = QStringLiteral("9600,n,8,1"); // "Setting"
    int Backlight = 0; // "Backlight": slider position 0..254, 0 = brightest

    // [TimeZone]
    qint16 ZoneIndex = 13;                              // "Zone" 0..31, 13 = London
    QString DestinationName = QStringLiteral("London"); // "Destination"
    bool ObserveDaylight = false;                       // "Daylight": 0 = no, other = yes

    // [Stock]
    QString StockSymbol;          // "Symbol"
    int StockUpdateSeconds = 300; // "Update" is in minutes

    // [Weather]
    QString WeatherCity, WeatherCountry; // "City", "Country"
    int WeatherUpdateSeconds = 1800;     // "Update" is in minutes

    // [Mode]
    int CurrentMode = 0; // "mode" 0..7; others select no mode

    // [Ports] COM1..COM6: the device behind each COM number.
    std::array<QString, 6> Ports = {QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"),
                                    QStringLiteral("/dev/ttyS2"), QStringLiteral("/dev/ttyS3"),
                                    QStringLiteral("/dev/ttyS4"), QStringLiteral("/dev/ttyS5")};

    static AppSettings load(const modINI& ini);
};
