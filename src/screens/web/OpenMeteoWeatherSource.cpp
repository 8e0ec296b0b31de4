#include "screens/web/OpenMeteoWeatherSource.h"

#include "screens/web/WebSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
// The nearest int, a value beyond int's range at its end: an answer may
// hold any number, and a cast of one beyond the range is undefined.
int roundedInt(double value)
{
    return qRound(std::clamp(value, double(INT_MIN), double(INT_MAX)));
}
} // namespace

QUrl OpenMeteoWeatherSource::GeocodingUrl(const QString& endpoint, const QString& city)
{
    return modWebservices::WithQuery(endpoint, "name=" + QUrl::toPercentEncoding(city) +
                                                   "&count=10&language=en&format=json");
}

std::optional<OpenMeteoWeatherSource::Place>
OpenMeteoWeatherSource::ParseGeocoding(const QByteArray& json, const QString& country,
                                       bool* readable)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (readable)
        *readable = error.error == QJsonParseError::NoError && doc.isObject();
    const QJsonArray results = doc.object().value(QLatin1String("results")).toArray();
    const QString wanted = country.trimmed();
    std::optional<Place> first;
    for (const QJsonValue& v : results) {
        const QJsonObject r = v.toObject();
        const QJsonValue lat = r.value(QLatin1String("latitude"));
        const QJsonValue lon = r.value(QLatin1String("longitude"));
        if (!lat.isDouble() || !lon.isDouble())
            continue;
        const Place place{lat.toDouble(), lon.toDouble()};
        if (!first)
            first = place;
        for (const char* key : {"country", "country_code"}) {
            if (!wanted.isEmpty() &&
                r.value(QLatin1String(key)).toString().compare(wanted, Qt::CaseInsensitive) == 0)
                return place;
        }
    }
    return first;
}

QUrl OpenMeteoWeatherSource::ForecastUrl(const QString& endpoint, const Place& place)
{
    return modWebservices::WithQuery(
        endpoint, "latitude=" + QByteArray::number(place.latitude, 'f', 4) +
                      "&longitude=" + QByteArray::number(place.longitude, 'f', 4) +
                      "&current=temperature_2m,relative_humidity_2m,weather_code,visibility");
}

std::optional<WeatherReport> OpenMeteoWeatherSource::ParseForecast(const QByteArray& json)
{
    const QJsonObject current =
        QJsonDocument::fromJson(json).object().value(QLatin1String("current")).toObject();
    const QJsonValue temperature = current.value(QLatin1String("temperature_2m"));
    const QJsonValue code = current.value(QLatin1String("weather_code"));
    if (!temperature.isDouble() || !code.isDouble())
        return std::nullopt;
    WeatherReport r;
    r.sky = SkyText(code.toInt(-1));
    r.temperature = TemperatureText(temperature.toDouble());
    const QJsonValue humidity = current.value(QLatin1String("relative_humidity_2m"));
    if (humidity.isDouble())
        r.humidity = QStringLiteral("%1%").arg(roundedInt(humidity.toDouble()));
    const QJsonValue visibility = current.value(QLatin1String("visibility"));
    if (visibility.isDouble())
        r.visibility = VisibilityText(visibility.toDouble());
    return r;
}

QString OpenMeteoWeatherSource::SkyText(int wmoCode)
{
    // The WMO weather interpretation codes Open-Meteo gives, in words.
    struct Sky
    {
        int code;
        const char* text;
    };
    static constexpr Sky Skies[] = {
        {0, "Clear"}, {1, "Mainly Clear"}, {2, "Partly Cloudy"}, {3, "Overcast"}, {45, "Fog"},
        {48, "Rime Fog"}, {51, "Light Drizzle"}, {53, "Drizzle"}, {55, "Heavy Drizzle"},
        {56, "Freezing Drizzle"}, {57, "Freezing Drizzle"}, {61, "Light Rain"}, {63, "Rain"},
        {65, "Heavy Rain"}, {66, "Freezing Rain"}, {67, "Freezing Rain"}, {71, "Light Snow"},
        {73, "Snow"}, {75, "Heavy Snow"}, {77, "Snow Grains"}, {80, "Light Rain Showers"},
        {81, "Rain Showers"}, {82, "Heavy Rain Showers"}, {85, "Snow Showers"},
        {86, "Heavy Snow Showers"}, {95, "Thunderstorm"}, {96, "Thunderstorm, Hail"},
        {99, "Thunderstorm, Hail"}};
    for (const Sky& sky : Skies) {
        if (sky.code == wmoCode)
            return QString::fromLatin1(sky.text);
    }
    return QStringLiteral("Unknown");
}

QString OpenMeteoWeatherSource::TemperatureText(double celsius)
{
    return QStringLiteral("%1 F (%2 C)")
        .arg(roundedInt(celsius * 9.0 / 5.0 + 32.0))
        .arg(roundedInt(celsius));
}

QString OpenMeteoWeatherSource::VisibilityText(double metres)
{
    const double miles = metres / 1609.344;
    if (miles < 0.95)
        return QStringLiteral("%1 mile(s)").arg(QString::number(std::max(0.0, miles), 'f', 1));
    return QStringLiteral("%1 mile(s)").arg(roundedInt(miles));
}

void OpenMeteoWeatherSource::fetch(const QString& city, const QString& country, Done done)
{
    const QString key = city + u'\n' + country;
    if (key != m_placeKey) {
        m_placeKey = key;
        m_placeKnown = false;
    }
    if (m_placeKnown) {
        if (!m_place)
            done({}); // the geocoder said it has no such city
        else
            askForecast(done);
        return;
    }
    if (city.trimmed().isEmpty()) {
        done({});
        return;
    }
    m_request = m_client.FetchUrl(GeocodingUrl(m_web.openMeteoGeocoding, city.trimmed()),
                                  [this, done, country, key](const modWebservices::Answer& answer) {
                                      bool readable = false;
                                      const std::optional<Place> place =
                                          ParseGeocoding(answer.body, country, &readable);
                                      if (!answer.ok || answer.status != 200 || !readable) {
                                          // Asked again at the next refresh.
                                          done({std::nullopt,
                                                "Open-Meteo geocoding gave no usable answer: " +
                                                    answer.describe(),
                                                !answer.reached()});
                                          return;
                                      }
                                      m_placeKey = key;
                                      m_placeKnown = true;
                                      m_place = place;
                                      if (!place) {
                                          done({});
                                          return;
                                      }
                                      askForecast(done);
                                  });
}

void OpenMeteoWeatherSource::askForecast(const Done& done)
{
    m_request = m_client.FetchUrl(ForecastUrl(m_web.openMeteoForecast, *m_place),
                                  [done](const modWebservices::Answer& answer) {
                                      std::optional<WeatherReport> report;
                                      if (answer.ok && answer.status == 200)
                                          report = ParseForecast(answer.body);
                                      const QString failure =
                                          report ? QString()
                                                 : "Open-Meteo forecast gave no usable answer: " +
                                                       answer.describe();
                                      done({std::move(report), failure,
                                            !report && !answer.reached()});
                                  });
}
