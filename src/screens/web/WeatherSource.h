#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class modWebservices;
struct WebSettings;

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

// Where the weather comes from: builds the request or requests for a place
// and turns the answer into a report. One class per source.
class WeatherSource
{
public:
    // Nothing: the city was not found, or no answer could be read.
    using Done = std::function<void(std::optional<WeatherReport>)>;

    virtual ~WeatherSource() = default;
    // Asks for the weather at a place; done runs once unless cancel() comes first.
    virtual void fetch(const QString& city, const QString& country, Done done) = 0;
    virtual void cancel() = 0;

    // The source [Weather] Source names, reading its addresses from web.
    static std::unique_ptr<WeatherSource> create(const WebSettings& web, modWebservices& client);
};
