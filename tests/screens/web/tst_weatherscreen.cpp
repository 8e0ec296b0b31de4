#include "support/NetTestSupport.h"
#include "screens/web/OpenMeteoWeatherSource.h"
#include "screens/web/ServiceAnswer.h"
#include "screens/web/ServiceWeatherSource.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"
#include "screens/web/WebSettings.h"
#include "platform/web/modWebservices.h"
#include "screens/base/ScreenLines.h"
#include "support/HttpFixture.h"

#include <QtTest>

namespace {
// An answer of the weather web service: escaped XML inside XML.
const QByteArray ServiceAnswerBerlin =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<string xmlns=\"http://www.webserviceX.NET\">&lt;?xml version=\"1.0\" "
    "encoding=\"utf-16\"?&gt;\r\n&lt;CurrentWeather&gt;\r\n"
    "  &lt;Location&gt;Berlin-Tegel, Germany (EDDT) 52-34N 013-19E 37M&lt;/Location&gt;\r\n"
    "  &lt;Time&gt;Dec 06, 2026 - 09:50 AM EST / 2026.12.06 1450 UTC&lt;/Time&gt;\r\n"
    "  &lt;Wind&gt; from the W (270 degrees) at 9 MPH (8 KT):0&lt;/Wind&gt;\r\n"
    "  &lt;Visibility&gt; greater than 7 mile(s):0&lt;/Visibility&gt;\r\n"
    "  &lt;SkyConditions&gt; PARTLY CLOUDY&lt;/SkyConditions&gt;\r\n"
    "  &lt;Temperature&gt; 57 F (14 C)&lt;/Temperature&gt;\r\n"
    "  &lt;DewPoint&gt; 46 F (8 C)&lt;/DewPoint&gt;\r\n"
    "  &lt;RelativeHumidity&gt; 68%&lt;/RelativeHumidity&gt;\r\n"
    "  &lt;Pressure&gt; 30.12 in. Hg (1020 hPa)&lt;/Pressure&gt;\r\n"
    "  &lt;Status&gt;Success&lt;/Status&gt;\r\n"
    "&lt;/CurrentWeather&gt;</string>";

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

        explicit Rig(const HttpFixture& server, WebSettings::WeatherSource source)
        {
            web.weatherSource = source;
            web.base = server.base() + QStringLiteral("/ws/");
            web.openMeteoGeocoding = server.base() + QStringLiteral("/v1/search");
            web.openMeteoForecast = server.base() + QStringLiteral("/v1/forecast");
        }
        QList<QByteArray> shownLines() const
        {
            return {lines.line(0), lines.line(1), lines.line(2), lines.line(3)};
        }
    };

private Q_SLOTS:
    void initTestCase() { QVERIFY(HttpFixture().isListening()); }

    // The cut: skip k characters after the name, stop d characters before
    // "/" and the name. # stands for any character.
    void cutValue_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("drop");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");
        QTest::newRow("temperature") << "Temperature#### 57 F (14 C)####/Temperature"
                                     << "Temperature" << 16 << 4 << true << "57 F (14 C)";
        QTest::newRow("first occurrences") << "xLast####1.00####/Last Last####2.00####/Last"
                                           << "Last" << 8 << 4 << true << "1.00";
        QTest::newRow("case-sensitive name") << "last####35.50####/last"
                                             << "Last" << 8 << 4 << false << "";
        QTest::newRow("no closing name") << "Last####35.50####"
                                         << "Last" << 8 << 4 << false << "";
        QTest::newRow("closing name too close") << "Last####1/Last"
                                                << "Last" << 8 << 4 << false << "";
        QTest::newRow("exactly nothing left") << "Last########/Last"
                                              << "Last" << 8 << 4 << true << "";
        QTest::newRow("skip past the end") << "Last"
                                           << "Last" << 8 << 4 << false << "";
        QTest::newRow("closing name before the value") << "/Last Last####"
                                                       << "Last" << 8 << 4 << false << "";
    }
    void cutValue()
    {
        QFETCH(QString, answer);
        QFETCH(QString, name);
        QFETCH(int, skip);
        QFETCH(int, drop);
        QFETCH(bool, found);
        const std::optional<QString> value = ServiceAnswer::CutValue(answer, name, skip, drop);
        QCOMPARE(value.has_value(), found);
        QTEST(value.value_or(QString()), "value");
    }

    // What the screen makes of an answer of the weather service.
    void serviceLines_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QList<QByteArray>>("lines"); // empty: " City Not Found "
        QTest::newRow("full answer, cut at 20")
            << ServiceAnswerBerlin
            << QList<QByteArray>{"Partly Cloudy", "57 F (14 C)", "Humidity:68%",
                                 "Vis:greater than 7 m"};
        QTest::newRow("worked examples")
            << QByteArray("Success SkyConditions&gt; mostly  CLOUDY&lt;/SkyConditions "
                          "Temperature#### 57 F (14 C)####/Temperature "
                          "RelativeHumidity&gt; 93%&lt;/RelativeHumidity "
                          "Visibility#### 10 mile(s):0####/Visibility")
            << QList<QByteArray>{"Mostly  Cloudy", "57 F (14 C)", "Humidity:93%", "Vis:10 mile(s)"};
        QTest::newRow("marker only in lower case")
            << QByteArray(ServiceAnswerBerlin).replace("Success", "success") << QList<QByteArray>{};
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
        const QList<QByteArray> before{"kept 1", "kept 2", "kept 3", "kept 4"};
        for (int i = 0; i < 4; ++i)
            rig.lines.setLine(i, before[i]);
        QVERIFY(refresh(rig.screen));
        if (lines.isEmpty()) {
            QCOMPARE(rig.shownLines(), before);
            QCOMPARE(rig.messages.shown.size(), 1);
            QCOMPARE(rig.messages.shown[0].text, QStringLiteral(" City Not Found "));
        } else {
            QCOMPARE(rig.shownLines(), lines);
            QVERIFY(rig.messages.shown.isEmpty());
        }
    }

    // City and country are percent-encoded into the service's address.
    void serviceRequest_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("country");
        QTest::addColumn<QByteArray>("query");
        // Blanks: in the end-to-end test of the mode (tst_webmodes).
        QTest::newRow("delimiters")
            << "A&B"
            << "C=D#E?+" << QByteArray("CityName=A%26B&CountryName=C%3DD%23E%3F%2B");
        QTest::newRow("non-ASCII as UTF-8")
            << QString::fromUtf8("Zürich") << "Schweiz"
            << QByteArray("CityName=Z%C3%BCrich&CountryName=Schweiz");
    }
    void serviceRequest()
    {
        QFETCH(QString, city);
        QFETCH(QString, country);
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", ServiceAnswerBerlin);
        Rig rig(server, WebSettings::WeatherSource::Service);
        rig.place.WeatherCity = city;
        rig.place.WeatherCountry = country;
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 1);
        QFETCH(QByteArray, query);
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
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<bool>("readable");
        QTest::newRow("country by name")
            << GeocodingBerlin << "united states" << true << 44.46867 << true;
        QTest::newRow("country by code") << GeocodingBerlin << "us" << true << 44.46867 << true;
        QTest::newRow("no match: first") << GeocodingBerlin << "Narnia" << true << 52.52437 << true;
        QTest::newRow("no results")
            << QByteArray(R"({"generationtime_ms":0.2})") << "Germany" << false << 0.0 << true;
        QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << "Germany" << false << 0.0
                                  << false;
        QTest::newRow("result without coordinates")
            << QByteArray(R"({"results":[{"name":"X","country":"Germany"}]})") << "Germany" << false
            << 0.0 << true;
    }
    void geocoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, country);
        QFETCH(bool, found);
        QFETCH(double, latitude);
        bool readable = false;
        const auto place = OpenMeteoWeatherSource::ParseGeocoding(json, country, &readable);
        QCOMPARE(place.has_value(), found);
        if (found)
            QCOMPARE(place->latitude, latitude);
        QTEST(readable, "readable");
    }

    // The current weather written as the weather service wrote it.
    void forecast_data()
    {
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QStringList>("values"); // sky, temperature, humidity, visibility
        QTest::newRow("partly cloudy")
            << QByteArray(R"({"time":"2026-12-06T14:45","interval":900,"temperature_2m":13.9,)"
                          R"("relative_humidity_2m":68,"weather_code":2,"visibility":16093.0})")
            << true << QStringList{"Partly Cloudy", "57 F (14 C)", "68%", "10 mile(s)"};
        QTest::newRow("frost and fog")
            << QByteArray(R"({"temperature_2m":-7.6,"relative_humidity_2m":97,)"
                          R"("weather_code":45,"visibility":400})")
            << true << QStringList{"Fog", "18 F (-8 C)", "97%", "0.2 mile(s)"};
        QTest::newRow("unknown code, values missing")
            << QByteArray(R"({"temperature_2m":21,"weather_code":42})") << true
            << QStringList{"Unknown", "70 F (21 C)", "", ""};
        QTest::newRow("numbers beyond int: at its end")
            << QByteArray(R"({"temperature_2m":-1e40,"relative_humidity_2m":1e12,)"
                          R"("weather_code":1e30,"visibility":1e30})")
            << true
            << QStringList{"Unknown", "-2147483648 F (-2147483648 C)", "2147483647%",
                           "2147483647 mile(s)"};
        QTest::newRow("no temperature")
            << QByteArray(R"({"weather_code":1,"relative_humidity_2m":50})") << false
            << QStringList{};
        QTest::newRow("null weather code")
            << QByteArray(R"({"temperature_2m":3,"weather_code":null})") << false << QStringList{};
    }
    void forecast()
    {
        QFETCH(QByteArray, current);
        QFETCH(bool, found);
        QFETCH(QStringList, values);
        const auto report = OpenMeteoWeatherSource::ParseForecast(forecastAnswer(current));
        QCOMPARE(report.has_value(), found);
        if (found)
            QCOMPARE((QStringList{report->sky, report->temperature, report->humidity,
                                  report->visibility}),
                     values);
    }

    // The place is looked up once per change of city or country; each
    // refresh asks for the current weather there.
    void openMeteo()
    {
        HttpFixture server;
        server.on("/v1/search", GeocodingBerlin);
        server.on("/v1/forecast",
                  forecastAnswer(R"({"temperature_2m":13.9,"relative_humidity_2m":68,)"
                                 R"("weather_code":2,"visibility":16093.0})"));
        Rig rig(server, WebSettings::WeatherSource::OpenMeteo);
        QVERIFY(refresh(rig.screen));
        QCOMPARE(rig.shownLines(), (QList<QByteArray>{"Partly Cloudy", "57 F (14 C)",
                                                      "Humidity:68%", "Vis:10 mile(s)"}));
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 3);
        QCOMPARE(server.requests[0].target,
                 QByteArray("/v1/search?name=Berlin&count=10&language=en&format=json"));
        const QByteArray forecastTarget =
            "/v1/forecast?latitude=52.5244&longitude=13.4105"
            "&current=temperature_2m,relative_humidity_2m,weather_code,visibility";
        QCOMPARE(server.requests[1].target, forecastTarget);
        QCOMPARE(server.requests[2].target, forecastTarget);
        QCOMPARE(server.requests[0].agent(), QByteArray("Project"));

        // Another country: looked up again, the matching result used.
        rig.place.WeatherCountry = QStringLiteral("US");
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 5);
        QCOMPARE(
            server.requests[4].target,
            QByteArray("/v1/forecast?latitude=44.4687&longitude=-71.1851"
                       "&current=temperature_2m,relative_humidity_2m,weather_code,visibility"));

        // A city the geocoder does not know: " City Not Found " at each
        // refresh, and not asked again until the place changes.
        rig.place.WeatherCity = QStringLiteral("Port of Spain");
        server.on("/v1/search", R"({"generationtime_ms":0.2})");
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.last().target,
                 QByteArray("/v1/search?name=Port%20of%20Spain&count=10&language=en&format=json"));
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 6);
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
