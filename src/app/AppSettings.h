#pragma once

#include "lcd/LcdLink.h"
#include "platform/modINI.h"
#include "screens/clock/WorldTimeSettings.h"

#include <QString>
#include <QtGlobal>

#include <array>

// Everything Brellix reads from brellix.ini at start-up. A missing or empty
// key takes the default quietly; an unusable value takes it with a warning.
struct AppSettings
{
    // [Settings]
    QString CommPortText = QStringLiteral("1");        // "CommPort": decimal port number
    QString SerialSettings = LcdLink::DefaultSettings; // "Setting"
    int Backlight = 0; // "Backlight": slider position 0..254, 0 = brightest

    // [TimeZone]
    qint16 ZoneIndex = WorldTimeSettings::DefaultZone;               // "Zone" 0..31
    QString DestinationName = WorldTimeSettings::DefaultDestination; // "Destination"
    bool ObserveDaylight = false; // "Daylight": 0 = no, other = yes

    // [Stock]
    QString StockSymbol;          // "Symbol"
    int StockUpdateSeconds = 300; // "Update" is in minutes

    // [Weather]
    QString WeatherCity, WeatherCountry; // "City", "Country"
    int WeatherUpdateSeconds = 1800;     // "Update" is in minutes

    // [Mode]
    int CurrentMode = 0; // "mode" 0..7; others select no mode

    // [Ports] COM1..COM6: the device behind each COM number.
    std::array<QString, LcdLink::PortCount> Ports = defaultPorts();

    static AppSettings load(const modINI& ini);

private:
    static std::array<QString, LcdLink::PortCount> defaultPorts();
};
