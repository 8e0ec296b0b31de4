#include "screens/web/WebSettings.h"

#include "platform/SettingsReader.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"

#include <QUrl>

namespace {

QString address(const SettingsReader& web, const char* key, const QString& fallback)
{
    const QString value = web.raw(key);
    if (value.isEmpty())
        return fallback;
    if (!WebSettings::isWebAddress(value)) {
        web.reject(QLatin1String(key), value, QStringLiteral("is not an http or https address"),
                   fallback);
        return fallback;
    }
    return value;
}

// One of the names, any case; else the first.
int choice(const SettingsReader& r, const QStringList& names)
{
    const QString value = r.raw(WebSettings::SourceKey);
    if (value.isEmpty())
        return 0;
    for (int i = 0; i < names.size(); ++i) {
        if (value.compare(names[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    r.reject(QLatin1String(WebSettings::SourceKey), value,
             QStringLiteral("is not one of %1").arg(names.join(QStringLiteral(", "))), names[0]);
    return 0;
}

} // namespace

bool WebSettings::isWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

WebSettings WebSettings::load(const modINI& ini)
{
    WebSettings s;
    s.weatherSource = choice(SettingsReader(ini, WeatherSettings::Section),
                             {QStringLiteral("open-meteo"), QStringLiteral("service")}) == 1
                          ? WeatherSource::Service
                          : WeatherSource::OpenMeteo;
    s.stockSource = choice(SettingsReader(ini, StockSettings::Section),
                           {QStringLiteral("yahoo"), QStringLiteral("service")}) == 1
                        ? StockSource::Service
                        : StockSource::Yahoo;

    const SettingsReader web(ini, Section);
    const QString base = web.raw(BaseKey);
    if (!base.isEmpty()) {
        if (isWebAddress(base) && base.endsWith(u'/'))
            s.base = base;
        else
            web.reject(QLatin1String(BaseKey), base,
                       QStringLiteral("is not an http or https address ending in \"/\""),
                       QString());
    }
    s.openMeteoGeocoding = address(web, GeocodingKey, s.openMeteoGeocoding);
    s.openMeteoForecast = address(web, ForecastKey, s.openMeteoForecast);
    s.yahooChart = address(web, YahooChartKey, s.yahooChart);
    return s;
}
