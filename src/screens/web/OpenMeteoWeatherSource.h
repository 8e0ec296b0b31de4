#pragma once

#include "screens/web/WeatherSource.h"
#include "platform/web/modWebservices.h"

#include <QUrl>

// Open-Meteo (free for non-commercial use, no account): the place is looked
// up once per change of city or country with the geocoding endpoint, then
// each refresh asks the forecast endpoint for the current weather there.
// The values are written as the weather web service wrote them, so the
// screen reads the same whichever source is used.
class OpenMeteoWeatherSource final : public WeatherSource
{
public:
    struct Place
    {
        double latitude = 0;
        double longitude = 0;
    };

    OpenMeteoWeatherSource(const WebSettings& web, modWebservices& client)
        : m_web(web), m_client(client)
    {
    }

    void fetch(const QString& city, const QString& country, Done done) override;
    void cancel() override { m_request.reset(); }

    static QUrl GeocodingUrl(const QString& endpoint, const QString& city);
    // The first result whose country or country code is the typed country
    // (any case), else the first result; nothing without results. *readable
    // is false for an answer that is not the geocoder's JSON.
    static std::optional<Place> ParseGeocoding(const QByteArray& json, const QString& country,
                                               bool* readable = nullptr);
    static QUrl ForecastUrl(const QString& endpoint, const Place& place);
    // Nothing when the answer has no current temperature and weather code.
    static std::optional<WeatherReport> ParseForecast(const QByteArray& json);

    // The sky in words for a WMO weather code ("Partly Cloudy").
    static QString SkyText(int wmoCode);
    // "57 F (14 C)" for 14.2 degrees Celsius.
    static QString TemperatureText(double celsius);
    // "10 mile(s)" for 16093 metres; below a mile one decimal.
    static QString VisibilityText(double metres);

private:
    void askForecast(const Done& done);

    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<WebRequest> m_request;
    // The place of the last city and country looked up; kept for the run.
    QString m_placeKey;
    bool m_placeKnown = false;
    std::optional<Place> m_place; // nothing: the geocoder has no such city
};
