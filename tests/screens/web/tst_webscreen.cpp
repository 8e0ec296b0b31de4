#include "platform/modINI.h"
#include "platform/web/curl/CurlWebTransport.h"
#include "screens/base/ScreenLines.h"
#include "screens/web/OpenMeteoWeatherSource.h"
#include "screens/web/ServiceAnswer.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"
#include "screens/web/YahooStockSource.h"
#include "support/HttpFixture.h"
#include "support/LinkHarness.h"
#include "support/NetTestSupport.h"

#include <QSslKey>
#include <QSslServer>
#include <QtTest>

namespace {
// Answers of the weather and stock quote web services: escaped XML in XML.
const QByteArray ServiceWeather =
    "<string xmlns=\"http://www.webserviceX.NET\">&lt;CurrentWeather&gt;\r\n"
    "  &lt;Visibility&gt; greater than 7 mile(s):0&lt;/Visibility&gt;\r\n"
    "  &lt;SkyConditions&gt; PARTLY CLOUDY&lt;/SkyConditions&gt;\r\n"
    "  &lt;Temperature&gt; 57 F (14 C)&lt;/Temperature&gt;\r\n"
    "  &lt;RelativeHumidity&gt; 68%&lt;/RelativeHumidity&gt;\r\n"
    "  &lt;Status&gt;Success&lt;/Status&gt;\r\n&lt;/CurrentWeather&gt;</string>";
const QByteArray ServiceStock =
    "<string xmlns=\"http://www.webserviceX.NET/\">&lt;StockQuotes&gt;&lt;Stock&gt;&lt;Last&gt;"
    "35.50&lt;/Last&gt;&lt;Time&gt;4:00pm&lt;/Time&gt;&lt;Open&gt;35.33&lt;/Open&gt;&lt;Volume"
    "&gt;31234567&lt;/Volume&gt;&lt;PercentageChange&gt;+0.77%&lt;/PercentageChange&gt;&lt;Name"
    "&gt;Microsoft Corporation&lt;/Name&gt;&lt;/Stock&gt;&lt;/StockQuotes&gt;</string>";

const QByteArray GeocodingBerlin =
    R"({"results":[{"name":"Berlin","latitude":52.52437,"longitude":13.41053,"country_code":"DE",)"
    R"("country":"Germany"},{"name":"Berlin","latitude":44.46867,"longitude":-71.18508,)"
    R"("country_code":"US","country":"United States"}]})";

// A chart answer; 1796418000 is Friday 4 December 2026 21:00 UTC, 16:00 in New York.
QByteArray chart(const QByteArray& meta, const QByteArray& quote = R"({"open":[242.91]})")
{
    return R"({"chart":{"result":[{"meta":{"currency":"USD",)" + meta +
           R"(},"indicators":{"quote":[)" + quote + "]}}],\"error\":null}}";
}
const QByteArray AaplMeta =
    R"("exchangeTimezoneName":"America/New_York","regularMarketTime":1796418000,)"
    R"("regularMarketPrice":242.84,"regularMarketVolume":36870619,"longName":"Apple Inc.",)"
    R"("chartPreviousClose":243.04)";

// A figure of /proc/self/status, in kB.
qint64 memoryKb(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    const QByteArray all = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    return all.mid(all.indexOf(field) + field.size()).trimmed().split(' ').value(0).toLongLong();
}

template <typename Result> Result waitFor(const auto& start)
{
    Result result{};
    int calls = 0;
    [[maybe_unused]] const auto request = start([&](const Result& r) { result = r, ++calls; });
    if (!QTest::qWaitFor([&] { return calls > 0; }, 5000) || calls != 1)
        QTest::qFail("not called back exactly once", __FILE__, __LINE__);
    return result;
}
} // namespace

// The web client, the weather and stock screens and their sources.
class TestWebScreen : public QObject
{
    Q_OBJECT

    CurlWebTransport m_transport;
    modWebservices m_client{m_transport,
                            modWebservices::Limits{.timeoutMs = 1000, .maxBodyBytes = 4096}};

    modWebservices::Answer get(const QUrl& url)
    {
        return waitFor<modWebservices::Answer>(
            [&](modWebservices::Done done) { return m_client.FetchUrl(url, done); });
    }

    struct Rig
    {
        HttpFixture server;
        ScreenLines lines;
        RecordedMessages messages;
        WeatherSettings place{QStringLiteral("Berlin"), QStringLiteral("Germany"), 300};
        StockSettings symbol{QStringLiteral("AAPL"), 300};
        WebSettings web;
        WeatherScreen weather;
        StockScreen stock;

        explicit Rig(modWebservices& client)
            : weather(lines, messages, place, web, client),
              stock(lines, messages, symbol, web, client)
        {
            web.base = server.base() + QStringLiteral("/ws/");
            web.openMeteoGeocoding = server.base() + QStringLiteral("/v1/search");
            web.openMeteoForecast = server.base() + QStringLiteral("/v1/forecast");
            web.yahooChart = server.base() + QStringLiteral("/v8/finance/chart/");
            for (int i = 0; i < 4; ++i)
                lines.setLine(i, "kept");
        }
        QByteArray refresh(bool ofWeather)
        {
            ModeScreen& screen = ofWeather ? static_cast<ModeScreen&>(weather) : stock;
            waitFor<bool>([&](ModeScreen::FetchDone done) { return screen.fetch(done), 0; });
            ofWeather ? weather.ShowWeather() : stock.ShowStock();
            return lines.line(0) + '|' + lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3);
        }
    };

private Q_SLOTS:
    // Any whole body is the answer, error pages too, after at most five
    // redirects; hostile servers are stopped at the limits, the connection
    // closed, no more memory held.
    void client()
    {
        const QByteArray head = "HTTP/1.1 200 OK\r\n";
        const QByteArray chunked = head + "Transfer-Encoding: chunked\r\n\r\n";
        const QByteArray header = "X-Flood: " + QByteArray(53, 'x') + "\r\n";
        const QByteArray chunk = "1000\r\n" + QByteArray(4096, 'x') + "\r\n";
        const std::tuple<const char*, int, HttpFixture::Reply> rows[] = {
            {"HTTP 500, 18 bytes", 0, {.status = 500, .body = "<html>Error</html>"}},
            {"HTTP 200, 3000 bytes", 0, {.body = QByteArray(3000, 'x'), .unsized = true}},
            {"HTTP 200, 4096 bytes", 0, {.body = QByteArray(4096, 'x')}},
            {"answer of 4097 bytes is larger than 4096", 0, {.body = QByteArray(4097, 'x')}},
            {"answer larger than 4096 bytes", 0, {.body = QByteArray(9000, 'x'), .unsized = true}},
            {"no complete answer within 1000 ms", 1, {.silent = true}},
            {"headers larger than 65536 bytes", 1, {.body = head, .flood = header}},
            {"answer larger than 4096 bytes", 1, {.body = chunked, .flood = chunk}},
            {"Maximum (5) redirects followed", 0, {.status = 302, .headers = {{"Location", "/0"}}}},
        };
        for (const auto& [described, closed, reply] : rows) {
            HttpFixture server;
            server.on("/0", {reply});
            for (int i = 1; i <= 5; ++i)
                server.on(
                    '/' + QByteArray::number(i),
                    {{.status = 302, .headers = {{"Location", '/' + QByteArray::number(i - 1)}}}});
            // The peak starts again here where the kernel allows, else only a rise counts.
            QFile peakReset(QStringLiteral("/proc/self/clear_refs"));
            if (peakReset.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                peakReset.write("5");
            const qint64 before = memoryKb("VmRSS:"), peak = memoryKb("VmHWM:");
            const QDeadlineTimer deadline(3000);
            const modWebservices::Answer answer = get(server.url(QStringLiteral("/5")));
            QCOMPARE(answer.describe(), QString::fromLatin1(described));
            QCOMPARE(answer.body, answer.ok ? reply.body : QByteArray());
            QCOMPARE(answer.reached(), !reply.silent);
            QVERIFY2(!deadline.hasExpired(), "the timeout bounds the whole download");
            QTRY_COMPARE(server.closedByClient, closed);
#ifndef __SANITIZE_ADDRESS__ // its shadow and quarantine make these figures meaningless
            QVERIFY2(memoryKb("VmHWM:") <= qMax(peak, before + 16 * 1024), described);
            QVERIFY2(memoryKb("VmRSS:") < before + 3 * 1024, described);
#endif
        }
    }

    // A server with a self-signed certificate (throw-away, for 127.0.0.1) gets no request.
    void untrustedCertificate()
    {
        QFile cert(QStringLiteral(BRELLIX_TEST_DATA "/net/selfsigned.crt"));
        QFile key(QStringLiteral(BRELLIX_TEST_DATA "/net/selfsigned.key"));
        QVERIFY(cert.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(&cert, QSsl::Pem));
        config.setPrivateKey(QSslKey(&key, QSsl::Rsa, QSsl::Pem));
        QSslServer server;
        server.setSslConfiguration(config);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const auto answer = get(QStringLiteral("https://127.0.0.1:%1/x").arg(server.serverPort()));
        QCOMPARE(answer.failure, WebAnswer::Failure::Tls);
    }

    // A dropped request never calls back and lets the connection go; the
    // transport's end stops the transfers at once.
    void cancel()
    {
        HttpFixture server;
        server.on("/slow", {{.silent = true}});
        bool called = false;
        const auto calls = [&called](const modWebservices::Answer&) { called = true; };
        auto request = m_client.FetchUrl(server.url(QStringLiteral("/slow")), calls);
        QTRY_COMPARE(server.requests.size(), 1);
        request.reset();
        QTRY_COMPARE_WITH_TIMEOUT(server.closedByClient, 1, 1000);
        QTest::qWait(1200);

        auto transport = std::make_unique<CurlWebTransport>();
        modWebservices client(*transport, modWebservices::Limits{.timeoutMs = 10000});
        request = client.FetchUrl(server.url(QStringLiteral("/slow")), calls);
        QTRY_COMPARE(server.requests.size(), 2);
        const QDeadlineTimer soon(1000);
        transport.reset();
        QVERIFY(!soon.hasExpired());
        QTRY_COMPARE_WITH_TIMEOUT(server.closedByClient, 2, 1000);
        request.reset();
        QTest::qWait(50);
        QVERIFY(!called);
    }

    // An address that cannot be used leaves the default.
    void settings()
    {
        const QString defaults =
            QStringLiteral("0 0  %1 %2")
                .arg(WebSettings::DefaultGeocoding, WebSettings::DefaultYahooChart);
        const std::pair<const char*, QString> rows[] = {
            {"", defaults},
            {"[Weather]\nSource=Service\n[Stock]\nSource=SERVICE\n[Web]\nBase=http://h:8/ws/\n"
             "OpenMeteoGeocoding=http://h:1/g\nYahooChart=https://mirror.example/chart/\n",
             "1 1 http://h:8/ws/ http://h:1/g https://mirror.example/chart/"},
            {"[Web]\nBase=http://h/ws\nOpenMeteoGeocoding=geocoding\nYahooChart=/chart/\n",
             defaults},
            {"[Web]\nBase=ftp://h/\n", defaults},
        };
        for (const auto& [ini, expected] : rows) {
            LinkHarness h;
            h.writeIni(ini);
            const WebSettings s = WebSettings::load(modINI(h.iniPath()));
            QCOMPARE(ini + QStringLiteral("%1 %2 %3 %4 %5")
                               .arg(int(s.weatherSource == WebSettings::WeatherSource::Service))
                               .arg(int(s.stockSource == WebSettings::StockSource::Service))
                               .arg(s.base, s.openMeteoGeocoding, s.yahooChart),
                     ini + expected);
        }
    }

    // The services' cut (skip 8 after the name, stop 4 before "/" and the
    // name); Open-Meteo's place (latitude, read) and weather; the chart's
    // quote. None from numbers no value can be.
    void answers()
    {
        const auto cut = [](const char* answer) {
            return ServiceAnswer::CutValue(answer, QStringLiteral("Last"), 8, 4).value_or("(none)");
        };
        const auto place = [](const QByteArray& json, const char* country) {
            bool read = false;
            const auto p = OpenMeteoWeatherSource::ParseGeocoding(json, country, &read);
            return QStringLiteral("%1 %2").arg(p ? p->latitude : 0).arg(read);
        };
        const auto weather = [](const char* current) {
            const auto w =
                OpenMeteoWeatherSource::ParseForecast(R"({"current":)" + QByteArray(current) + '}');
            return w ? QStringList{w->sky, w->temperature, w->humidity, w->visibility}.join('|')
                     : QString();
        };
        const auto quote = [](const QByteArray& json) {
            const auto q = YahooStockSource::Parse(json, QStringLiteral("AAPL"));
            return q ? QStringList{q->name, q->open, q->time, q->last, q->volume, q->change}.join(
                           '|')
                     : QString();
        };
        const std::pair<QString, const char*> rows[] = {
            {cut("xLast####1.00####/Last Last####2.00####/Last"), "1.00"},
            {cut("Last####35.50####"), "(none)"},
            {cut("Last####1/Last"), "(none)"},
            {cut("Last########/Last"), ""},
            {cut("/Last Last####"), "(none)"},
            {place(GeocodingBerlin, "united states"), "44.4687 1"},
            {place(GeocodingBerlin, "Narnia"), "52.5244 1"},
            {place("<html>busy</html>", "Germany"), "0 0"},
            {place(R"({"results":[{"country":"Germany"},{"latitude":1.5,"longitude":2}]})",
                   "Germany"),
             "1.5 1"},
            {weather(R"({"temperature_2m":-7.6,"relative_humidity_2m":97,"weather_code":45,)"
                     R"("visibility":400})"),
             "Fog|18 F (-8 C)|97%|0.2 mile(s)"},
            {weather(R"({"temperature_2m":21,"weather_code":42})"), "Unknown|70 F (21 C)||"},
            {weather(R"({"temperature_2m":-1e40,"relative_humidity_2m":1e12,"weather_code":1e30,)"
                     R"("visibility":1e30})"),
             "Unknown|-2147483648 F (-2147483648 C)|2147483647%|2147483647 mile(s)"},
            {weather(R"({"weather_code":1,"relative_humidity_2m":50})"), ""},
            {weather(R"({"temperature_2m":3,"weather_code":null})"), ""},
            {quote(chart(R"("exchangeTimezoneName":"Europe/Berlin","regularMarketTime":1796418000,)"
                         R"("regularMarketPrice":101.234,"regularMarketOpen":99.5,)"
                         R"("shortName":"SIEMENS AG","previousClose":100)",
                         R"({"open":[1.0],"volume":[1200]})")),
             "SIEMENS AG|99.50|22:00|101.23|1200|+1.23%"},
            {quote(chart(R"("exchangeTimezoneName":"Nowhere/Else","gmtoffset":3600,)"
                         R"("regularMarketTime":1796418000,"regularMarketPrice":5,)"
                         R"("chartPreviousClose":5.00001)",
                         R"({"open":[null,4.5],"volume":[null]})")),
             "AAPL|4.50|22:00|5.00||+0.00%"},
            {quote(chart(R"("regularMarketTime":1796418000,"regularMarketPrice":1.5,)"
                         R"("regularMarketVolume":3.7e28,"longName":"X")",
                         "{}")),
             "X||21:00|1.50||"},
            {quote(chart(R"("regularMarketTime":1e300,"regularMarketPrice":1.5)")), ""},
            {quote(chart(R"("regularMarketTime":1796418000,"regularMarketPrice":1.7e308)")), ""},
            {quote(chart(R"("regularMarketTime":1796418000,"regularMarketPrice":5,)"
                         R"("previousClose":1e-300)")),
             ""},
            {quote(R"({"chart":{"result":null,"error":{"code":"Not Found"}}})"), ""},
        };
        for (const auto& row : rows) // numbered: the failing row
            QCOMPARE(QString::number(&row - rows) + ' ' + row.first,
                     QString::number(&row - rows) + ' ' + row.second);
    }

    // What each source asks and the lines its answer gives; without a
    // result the lines stay and the weather screen says " City Not Found ".
    void sources()
    {
        const QByteArray weather =
            "/ws/globalweather.asmx/GetWeather?CityName=%5EB%26C%20D%2FE.F&CountryName=C%3DD";
        const QByteArray stock = "/ws/stockquote.asmx/GetQuote?symbol=%5EB%26C%20D%2FE.F";
        // source: 0 Open-Meteo, 1 weather service, 2 Yahoo, 3 stock service
        const std::tuple<int, QByteArray, QByteArray, QByteArray> rows[] = {
            {1, ServiceWeather, weather,
             "Partly Cloudy|57 F (14 C)|Humidity:68%|Vis:greater than 7 m"},
            {1, QByteArray(ServiceWeather).replace("Success", "success"), weather,
             "kept|kept|kept|kept City Not Found "},
            {1, "SkyConditions&gt; l\xe9g\xe8re pluie&lt;/SkyConditions Success", weather,
             "Legere Pluie||Humidity:|Vis:"},
            {3, ServiceStock, stock,
             "Microsoft Corporatio|Open:35.33|4:00pm:35.50|31234567:+0.77%"},
            {3, QByteArray(ServiceStock).replace("Name", "name"), stock, "kept|kept|kept|kept"},
            {2, chart(AaplMeta), "/v8/finance/chart/%5EB%26C%20D%2FE.F?range=1d&interval=1d",
             "Apple Inc.|Open:242.91|16:00:242.84|36870619:-0.08%"},
        };
        for (const auto& [source, answer, target, lines] : rows) {
            Rig rig(m_client);
            for (const char* path :
                 {"/ws/globalweather.asmx/GetWeather", "/ws/stockquote.asmx/GetQuote",
                  "/v8/finance/chart/%5EB%26C%20D%2FE.F"})
                rig.server.on(path, answer);
            rig.web.weatherSource = WebSettings::WeatherSource(source);
            rig.web.stockSource = WebSettings::StockSource(source - 2);
            rig.place = {QStringLiteral("^B&C D/E.F"), QStringLiteral("C=D"), 300};
            rig.symbol.StockSymbol = rig.place.WeatherCity;
            const QByteArray got = rig.refresh(source < 2);
            QCOMPARE(rig.server.requests.value(0).target + ' ' + got +
                         rig.messages.shown.value(0).text.toUtf8(),
                     target + ' ' + lines);
        }
    }

    // A failed refresh keeps the lines; a run of failures is logged once. A
    // refusal (429, 403) is asked again once with a browser's agent. Without
    // a symbol nothing is asked; the mode says where to set it, once a run.
    void refreshes()
    {
        Rig rig(m_client);
        const HttpFixture::Reply good{.body = chart(AaplMeta)};
        const HttpFixture::Reply error{.status = 500, .body = "<html>Error</html>"};
        const HttpFixture::Reply refused{.status = 403, .body = "Forbidden"};
        const HttpFixture::Reply tooMany{.status = 429, .body = "Too Many"};
        rig.server.on("/v8/finance/chart/AAPL",
                      {good, tooMany, good, refused, refused, error, good, error});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Yahoo chart .* HTTP 403"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Yahoo chart .* HTTP 500"));
        QTest::failOnWarning(QRegularExpression("gave no"));
        for (const bool ok : {true, true, false, false, true, false}) {
            rig.lines.setLine(0, "kept");
            QCOMPARE(rig.refresh(false).left(5), ok ? "Apple" : "kept|");
        }
        rig.symbol.StockSymbol = QStringLiteral("  ");
        rig.stock.enter();
        rig.refresh(false);
        rig.stock.enter();
        QCOMPARE(rig.refresh(false), QByteArray("Stock Not Set Up|||"));
        QVERIFY(rig.messages.shown.size() == 1 &&
                rig.messages.shown[0].text.contains(QLatin1String("[Stock] Symbol")));
        QByteArray agents;
        for (const auto& r : std::as_const(rig.server.requests))
            agents += r.agent() == YahooStockSource::BrowserAgent ? "browser " : r.agent() + ' ';
        QCOMPARE(agents, "Project Project browser Project browser Project Project Project ");
    }

    // The place is looked up again after a change or a failed look-up; a
    // city not known is not asked again. A source out of reach is no unknown
    // city; without [Web] Base the weather service is not asked.
    void openMeteo()
    {
        Rig rig(m_client);
        rig.server.on("/v1/search", {{.status = 503, .body = "busy"}, {.body = GeocodingBerlin}});
        rig.server.on("/v1/forecast", {{.status = 400, .body = R"({"error":true})"},
                                       {.body = R"({"current":{"temperature_2m":13.9,)"
                                                R"("relative_humidity_2m":68,"weather_code":2,)"
                                                R"("visibility":16093.0}})"}});
        rig.refresh(true);
        rig.refresh(true);
        QCOMPARE(rig.refresh(true),
                 QByteArray("Partly Cloudy|57 F (14 C)|Humidity:68%|Vis:10 mile(s)"));
        rig.place.WeatherCountry = QStringLiteral("US");
        rig.refresh(true);
        rig.place.WeatherCity = QStringLiteral("Port of Spain");
        rig.server.on("/v1/search", R"({"results":[]})");
        rig.refresh(true);
        rig.refresh(true);
        QByteArrayList targets;
        for (const auto& r : std::as_const(rig.server.requests))
            targets << r.target;
        const QByteArray berlin = "/v1/search?name=Berlin&count=10&language=en&format=json";
        const QByteArray now =
            "&current=temperature_2m,relative_humidity_2m,weather_code,visibility";
        QCOMPARE(
            targets,
            (QByteArrayList{berlin, berlin, "/v1/forecast?latitude=52.5244&longitude=13.4105" + now,
                            "/v1/forecast?latitude=52.5244&longitude=13.4105" + now, berlin,
                            "/v1/forecast?latitude=44.4687&longitude=-71.1851" + now,
                            "/v1/search?name=Port%20of%20Spain&count=10&language=en&format=json"}));
        rig.place.WeatherCity = QStringLiteral("Oslo");
        rig.web.openMeteoGeocoding = QStringLiteral("http://brellix.invalid/");
        rig.refresh(true);
        rig.web.weatherSource = WebSettings::WeatherSource::Service;
        rig.web.base = QStringLiteral("http://127.0.0.1:1/");
        rig.refresh(true);
        rig.web.base.clear();
        rig.refresh(true);
        const QList<UserMessage>& shown = rig.messages.shown;
        QCOMPARE(shown.size(), 7);
        QCOMPARE(shown[3].text + '|' + shown[4].text + '|' + shown[5].text + '|' + shown[6].text,
                 " City Not Found |Internet Not Available|Internet Not Available| City Not Found ");
    }
};

QTEST_GUILESS_MAIN(TestWebScreen)
#include "tst_webscreen.moc"
