#pragma once

#include "screens/web/WebSettings.h"
#include "screens/web/WebSource.h"

#include <QString>

#include <memory>

class modWebservices;

// The four values of the weather screen, as the web service wrote them
// after the cut: "partly cloudy", "57 F (14 C)", "68%", "10 mile(s)". A
// value the answer lacked is empty.
struct WeatherReport
{
    QString sky;
    QString temperature;
    QString humidity;
    QString visibility;
    bool operator==(const WeatherReport&) const = default;
};

// Where the weather comes from. No report: the city was not found, or no
// answer could be read.
class WeatherSource : public WebSource<WeatherReport>
{
public:
    using Result = WeatherReport;
    using Kind = WebSettings::WeatherSource;

    // Asks for the weather at a place; done runs once unless cancel() comes first.
    virtual void fetch(const QString& city, const QString& country, Done done) = 0;

    static Kind kindIn(const WebSettings& web) { return web.weatherSource; }
    // The source [Weather] Source names, reading its addresses from web.
    static std::unique_ptr<WeatherSource> create(const WebSettings& web, modWebservices& client);
};
