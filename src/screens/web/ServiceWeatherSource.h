#pragma once

#include "screens/web/WeatherSource.h"
#include "platform/web/modWebservices.h"

#include <QUrl>

// The weather web service at [Web] Base:
// GET Base + "globalweather.asmx/GetWeather?CityName=" city "&CountryName=" country.
class ServiceWeatherSource final : public WeatherSource
{
public:
    ServiceWeatherSource(const WebSettings& web, modWebservices& client)
        : m_web(web), m_client(client)
    {
    }

    void fetch(const QString& city, const QString& country, Done done) override;
    void cancel() override { m_request.reset(); }

    // City and country percent-encoded, so "Port of Spain" or "A&B" stay
    // one value each. Invalid when base is empty.
    static QUrl RequestUrl(const QString& base, const QString& city, const QString& country);
    // Nothing when "Success" (with its case) is not in the answer.
    static std::optional<WeatherReport> Parse(const QString& answer);

private:
    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<WebRequest> m_request;
};
