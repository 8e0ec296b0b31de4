#include "screens/web/ServiceWeatherSource.h"

#include "codec/TextDecoding.h"
#include "screens/web/ServiceAnswer.h"
#include "screens/web/WebSettings.h"

QUrl ServiceWeatherSource::RequestUrl(const QString& base, const QString& city,
                                      const QString& country)
{
    if (base.isEmpty())
        return {};
    return QUrl::fromEncoded(QUrl(base).toEncoded() + "globalweather.asmx/GetWeather?CityName=" +
                             QUrl::toPercentEncoding(city) +
                             "&CountryName=" + QUrl::toPercentEncoding(country));
}

std::optional<WeatherReport> ServiceWeatherSource::Parse(const QString& answer)
{
    if (!answer.contains(QLatin1String("Success")))
        return std::nullopt;
    const auto cut = [&answer](const char* name, int skip, int drop) {
        return ServiceAnswer::CutValue(answer, QLatin1String(name), skip, drop).value_or(QString());
    };
    WeatherReport r;
    r.visibility = cut("Visibility", 15, 6);
    r.temperature = cut("Temperature", 16, 4);
    r.sky = cut("SkyConditions", 18, 4);
    r.humidity = cut("RelativeHumidity", 21, 4);
    return r;
}

void ServiceWeatherSource::fetch(const QString& city, const QString& country, Done done)
{
    const QUrl url = RequestUrl(m_web.base, city, country);
    if (!url.isValid()) {
        done({std::nullopt, QStringLiteral("[Weather] Source=service needs [Web] Base, an http or "
                                           "https address ending in \"/\"")});
        return;
    }
    m_request = m_client.FetchUrl(url, [done](const modWebservices::Answer& answer) {
        // Without "Success" the city was not found; a failed download says so too.
        QString failure;
        if (!answer.ok || answer.status != 200)
            failure = "Weather service gave no answer: " + answer.describe();
        done({Parse(TextDecoding::utf8OrWindows1252(answer.body)), failure, !answer.reached()});
    });
}
