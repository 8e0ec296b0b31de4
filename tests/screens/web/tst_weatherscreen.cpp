#include "screens/base/ScreenLines.h"
#include "screens/web/OpenMeteoWeatherSource.h"
#include "screens/web/ServiceAnswer.h"
#include "screens/web/WeatherSettings.h"
#include "support/HttpFixture.h"
#include "support/NetTestSupport.h"

#include <QtTest>

namespace {
// An answer of the weather web service: escaped XML inside XML.
const QByteArray ServiceAnswerBerlin =
    "<string xmlns=\"http://www.webserviceX.NET\">&lt;CurrentWeather&gt;\r\n"
    "  &lt;Visibility&gt; greater than 7 mile(s):0&lt;/Visibility&gt;\r\n"
    "  &lt;SkyConditions&gt; PARTLY CLOUDY&lt;/SkyConditions&gt;\r\n"
    "  &lt;Temperature&gt; 57 F (14 C)&lt;/Temperature&gt;\r\n"
    "  &lt;RelativeHumidity&gt; 68%&lt;/RelativeHumidity&gt;\r\n"
    "  &lt;Status&gt;Success&lt;/Status&gt;\r\n&lt;/CurrentWeather&gt;</string>";

const QByteArray GeocodingBerlin =
    R"({"results":[{"id":2950159,"name":"Berlin","latitude":52.52437,"longitude":13.41053,)"
    R"("country_code":"DE","country":"Germany"},{"id":5083330,"name":"Berlin",)"
    R"("latitude":44.46867,"longitude":-71.18508,"country_code":"US","country":"United States"}],)"
    R"("generationtime_ms":0.5})";

QByteArray forecastAnswer(const char* current)
{
    return QByteArray(R"({"latitude":52.52,"longitude":13.419998,"current_units":{},"current":)") +
           current + "}";
}
} // namespace

// The weather screen: the cut of the service's answer, the Open-Meteo
// source, the requests both send and the four lines they give.
class TestWeatherScreen : public QObject
{
    Q_OBJECT

    struct Rig
    {
        ScreenLines lines;
        RecordedMessages messages;
        WeatherSettings place{QStringLiteral("Berlin"), QStringLiteral("Germany"), 300};
        WebSettings web;
        TestWebClient client;
        WeatherScreen screen{lines, messages, place, web, client.client};

        Rig(const HttpFixture& server, WebSettings::WeatherSource source)
        {
            web.weatherSource = source;
            web.base = server.base() + QStringLiteral("/ws/");
            web.openMeteoGeocoding = server.base() + QStringLiteral("/v1/search");
            web.openMeteoForecast = server.base() + QStringLiteral("/v1/forecast");
            for (int i = 0; i < 4; ++i)
                lines.setLine(i, "kept");
        }
        QList<QByteArray> shown() const
        {
            return {lines.line(0), lines.line(1), lines.line(2), lines.line(3)};
        }
    };

private Q_SLOTS:
    void initTestCase() { QVERIFY(HttpFixture().isListening()); }

    // The cut: skip k characters after the name, stop 4 characters before
    // "/" and the name. # stands for any character.
    void cutValue_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("skip");
        QTest::addColumn<QString>("value"); // null: not found
        QTest::newRow("first occurrences")
            << "xLast####1.00####/Last Last####2.00####/Last" << 8 << "1.00";
        QTest::newRow("no closing name") << "Last####35.50####" << 8 << QString();
        QTest::newRow("closing name too close") << "Last####1/Last" << 8 << QString();
        QTest::newRow("exactly nothing left") << "Last########/Last" << 8 << "";
        QTest::newRow("closing name before the value") << "/Last Last####" << 8 << QString();
    }
    void cutValue()
    {
        QFETCH(QString, answer);
        QFETCH(int, skip);
        QFETCH(QString, value);
        const std::optional<QString> got =
            ServiceAnswer::CutValue(answer, QStringLiteral("Last"), skip, 4);
        QCOMPARE(got.has_value(), !value.isNull());
        QCOMPARE(got.value_or(QString()), value);
    }

    // What the screen makes of an answer of the weather service; no marker:
    // the lines stay and the mode says " City Not Found ".
    void serviceLines_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("full answer, cut at 20")
            << ServiceAnswerBerlin
            << QList<QByteArray>{"Partly Cloudy", "57 F (14 C)", "Humidity:68%",
                                 "Vis:greater than 7 m"};
        QTest::newRow("marker only in lower case")
            << QByteArray(ServiceAnswerBerlin).replace("Success", "success")
            << QList<QByteArray>{"kept", "kept", "kept", "kept"};
        QTest::newRow("Windows-1252 and UTF-8 letters through the codec")
            << QByteArray("Success SkyConditions&gt; l\xe9g\xe8re pluie&lt;/SkyConditions")
            << QList<QByteArray>{"Legere Pluie", "", "Humidity:", "Vis:"};
    }
    void serviceLines()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QList<QByteArray>, lines);
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", answer);
        Rig rig(server, WebSettings::WeatherSource::Service);
        QVERIFY(refresh(rig.screen));
        QCOMPARE(rig.shown(), lines);
        QCOMPARE(rig.messages.shown.size(), lines[0] == "kept" ? 1 : 0);
        if (lines[0] == "kept")
            QCOMPARE(rig.messages.shown[0].text, QStringLiteral(" City Not Found "));
    }

    // City and country are percent-encoded into the service's address
    // (blanks: in the end-to-end test of the mode, tst_webmodes).
    void serviceRequest_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("country");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("delimiters, non-ASCII as UTF-8")
            << QString::fromUtf8("Zürich&B") << "C=D#E?+"
            << QByteArray("CityName=Z%C3%BCrich%26B&CountryName=C%3DD%23E%3F%2B");
    }
    void serviceRequest()
    {
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", ServiceAnswerBerlin);
        Rig rig(server, WebSettings::WeatherSource::Service);
        QFETCH(QString, city);
        QFETCH(QString, country);
        QFETCH(QByteArray, query);
        rig.place.WeatherCity = city;
        rig.place.WeatherCountry = country;
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(server.requests[0].target, "/ws/globalweather.asmx/GetWeather?" + query);
        QCOMPARE(server.requests[0].agent(), QByteArray("Project"));
    }

    // Without [Web] Base the service source has nowhere to ask.
    void serviceWithoutBase()
    {
        HttpFixture server;
        Rig rig(server, WebSettings::WeatherSource::Service);
        rig.web.base.clear();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("needs \\[Web\\] Base"));
        QVERIFY(refresh(rig.screen));
        QCOMPARE(rig.messages.shown.size(), 1);
        QVERIFY(server.requests.isEmpty());
    }

    // The geocoder's result for the typed country, else its first.
    void geocoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("country");
        QTest::addColumn<double>("latitude"); // 0: none found
        QTest::addColumn<bool>("readable");
        QTest::newRow("country by name") << GeocodingBerlin << "united states" << 44.46867 << true;
        QTest::newRow("country by code") << GeocodingBerlin << "us" << 44.46867 << true;
        QTest::newRow("no match: first") << GeocodingBerlin << "Narnia" << 52.52437 << true;
        QTest::newRow("no results")
            << QByteArray(R"({"generationtime_ms":0.2})") << "Germany" << 0.0 << true;
        QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << "Germany" << 0.0 << false;
        QTest::newRow("result without coordinates")
            << QByteArray(R"({"results":[{"name":"X","country":"Germany"}]})") << "Germany" << 0.0
            << true;
    }
    void geocoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, country);
        bool readable = false;
        const auto place = OpenMeteoWeatherSource::ParseGeocoding(json, country, &readable);
        QTEST(place ? place->latitude : 0.0, "latitude");
        QTEST(readable, "readable");
    }

    // The current weather written as the weather service wrote it.
    void forecast_data()
    {
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<QStringList>(
            "values"); // sky, temperature, humidity, visibility; empty: none
        QTest::newRow("frost and fog")
            << QByteArray(
                   R"({"temperature_2m":-7.6,"relative_humidity_2m":97,"weather_code":45,"visibility":400})")
            << QStringList{"Fog", "18 F (-8 C)", "97%", "0.2 mile(s)"};
        QTest::newRow("unknown code, values missing")
            << QByteArray(R"({"temperature_2m":21,"weather_code":42})")
            << QStringList{"Unknown", "70 F (21 C)", "", ""};
        QTest::newRow("numbers beyond int: at its end")
            << QByteArray(
                   R"({"temperature_2m":-1e40,"relative_humidity_2m":1e12,"weather_code":1e30,"visibility":1e30})")
            << QStringList{"Unknown", "-2147483648 F (-2147483648 C)", "2147483647%",
                           "2147483647 mile(s)"};
        QTest::newRow("no temperature")
            << QByteArray(R"({"weather_code":1,"relative_humidity_2m":50})") << QStringList{};
        QTest::newRow("null weather code")
            << QByteArray(R"({"temperature_2m":3,"weather_code":null})") << QStringList{};
    }
    void forecast()
    {
        QFETCH(QByteArray, current);
        const auto r = OpenMeteoWeatherSource::ParseForecast(forecastAnswer(current));
        const QStringList got =
            r ? QStringList{r->sky, r->temperature, r->humidity, r->visibility} : QStringList();
        QTEST(got, "values");
    }

    // The place is looked up once per change of city or country; each
    // refresh asks for the current weather there. A city the geocoder does
    // not know: " City Not Found " at each refresh, not asked again.
    void openMeteo()
    {
        HttpFixture server;
        server.on("/v1/search", GeocodingBerlin);
        server.on("/v1/forecast",
                  forecastAnswer(R"({"temperature_2m":13.9,"relative_humidity_2m":68,)"
                                 R"("weather_code":2,"visibility":16093.0})"));
        Rig rig(server, WebSettings::WeatherSource::OpenMeteo);
        QVERIFY(refresh(rig.screen));
        QCOMPARE(rig.shown(), (QList<QByteArray>{"Partly Cloudy", "57 F (14 C)", "Humidity:68%",
                                                 "Vis:10 mile(s)"}));
        QVERIFY(refresh(rig.screen));
        rig.place.WeatherCountry = QStringLiteral("US");
        QVERIFY(refresh(rig.screen));
        rig.place.WeatherCity = QStringLiteral("Port of Spain");
        server.on("/v1/search", R"({"generationtime_ms":0.2})");
        QVERIFY(refresh(rig.screen));
        QVERIFY(refresh(rig.screen));
        QList<QByteArray> targets;
        for (const auto& r : std::as_const(server.requests))
            targets << QByteArray(r.target).replace(
                "&current=temperature_2m,relative_humidity_2m,weather_code,visibility", "");
        QCOMPARE(targets,
                 (QList<QByteArray>{
                     "/v1/search?name=Berlin&count=10&language=en&format=json",
                     "/v1/forecast?latitude=52.5244&longitude=13.4105",
                     "/v1/forecast?latitude=52.5244&longitude=13.4105",
                     "/v1/search?name=Berlin&count=10&language=en&format=json",
                     "/v1/forecast?latitude=44.4687&longitude=-71.1851",
                     "/v1/search?name=Port%20of%20Spain&count=10&language=en&format=json"}));
        QVERIFY(server.requests[1].target.endsWith(
            "&current=temperature_2m,relative_humidity_2m,weather_code,visibility"));
        QCOMPARE(server.requests[0].agent(), QByteArray("Project"));
        QCOMPARE(rig.messages.shown.size(), 2);
    }

    // A geocoder that fails is asked again at the next refresh.
    void openMeteoFailures()
    {
        HttpFixture server;
        server.on("/v1/search", {HttpFixture::answer(503, "<html>busy</html>"),
                                 HttpFixture::answer(200, GeocodingBerlin)});
        server.on("/v1/forecast", R"({"error":true,"reason":"Cannot initialize"})", 400);
        Rig rig(server, WebSettings::WeatherSource::OpenMeteo);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("geocoding gave no usable answer"));
        QVERIFY(refresh(rig.screen));
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestWeatherScreen)
#include "tst_weatherscreen.moc"
