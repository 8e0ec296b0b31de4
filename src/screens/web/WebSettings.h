#pragma once

#include <QString>

class modINI;

// Where the weather and stock screens get their data, from brellix.ini:
//
//   [Weather] Source = open-meteo | service
//   [Stock]   Source = yahoo | service
//   [Web]     Base               = http(s) address ending in "/" of a host
//                                  answering the globalweather.asmx and
//                                  stockquote.asmx requests ("service")
//             OpenMeteoGeocoding = geocoding endpoint
//             OpenMeteoForecast  = forecast endpoint
//             YahooChart         = chart endpoint; the symbol is appended
//
// The endpoints can be pointed at a mirror, a proxy of one's own or a test
// server. A value that cannot be used is logged and the default taken.
struct WebSettings
{
    static constexpr const char* Section = "Web";
    static constexpr const char* SourceKey = "Source"; // in [Weather] and [Stock]
    static constexpr const char* BaseKey = "Base";
    static constexpr const char* GeocodingKey = "OpenMeteoGeocoding";
    static constexpr const char* ForecastKey = "OpenMeteoForecast";
    static constexpr const char* YahooChartKey = "YahooChart";

    enum class WeatherSource { OpenMeteo, Service };
    enum class StockSource { Yahoo, Service };

    static inline const QString DefaultGeocoding =
        QStringLiteral("https://geocoding-api.open-meteo.com/v1/search");
    static inline const QString DefaultForecast =
        QStringLiteral("https://api.open-meteo.com/v1/forecast");
    static inline const QString DefaultYahooChart =
        QStringLiteral("https://query1.finance.yahoo.com/v8/finance/chart/");

    WeatherSource weatherSource = WeatherSource::OpenMeteo;
    StockSource stockSource = StockSource::Yahoo;
    QString base; // WebServiceBase; empty when not set or not usable
    QString openMeteoGeocoding = DefaultGeocoding;
    QString openMeteoForecast = DefaultForecast;
    QString yahooChart = DefaultYahooChart;

    static WebSettings load(const modINI& ini);
    // An absolute http or https address.
    static bool isWebAddress(const QString& address);
};
