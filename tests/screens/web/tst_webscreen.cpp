#include "screens/base/ScreenLines.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"
#include "support/HttpFixture.h"
#include "support/NetTestSupport.h"

#include <QtTest>

// What the weather and stock screens share, with each of their sources: a
// failed refresh keeps the lines (the weather screen says " City Not Found "
// each time), a run of failures is logged once, and a good refresh after it
// shows the new result.
class TestWebScreen : public QObject
{
    Q_OBJECT

    // A weather or stock screen whose sources all live under base.
    struct Rig
    {
        ScreenLines lines;
        RecordedMessages messages;
        TestWebClient client;
        WeatherSettings place{QStringLiteral("Berlin"), QStringLiteral("Germany"), 300};
        StockSettings symbol{QStringLiteral("AAPL"), 300};
        WebSettings web;
        std::unique_ptr<ModeScreen> screen;
        Rig(bool weather, int source, const QString& base)
        {
            web.weatherSource = WebSettings::WeatherSource(source);
            web.stockSource = WebSettings::StockSource(source);
            web.base = base + QStringLiteral("/ws/");
            web.openMeteoGeocoding = base + QStringLiteral("/v1/search");
            web.openMeteoForecast = base + QStringLiteral("/v1/forecast");
            web.yahooChart = base + QStringLiteral("/v8/finance/chart/");
            if (weather)
                screen =
                    std::make_unique<WeatherScreen>(lines, messages, place, web, client.client);
            else
                screen = std::make_unique<StockScreen>(lines, messages, symbol, web, client.client);
        }
    };

private Q_SLOTS:
    void failuresAndRecovery_data()
    {
        QTest::addColumn<bool>("weather");
        QTest::addColumn<int>("source"); // the WebSettings enum of that screen
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("good"); // line 0: "Clear" or "Widgets"
        QTest::addColumn<QString>("warning");
        QTest::newRow("weather service")
            << true << int(WebSettings::WeatherSource::Service)
            << QByteArray("/ws/globalweather.asmx/GetWeather")
            << QByteArray("Success SkyConditions#### clear####/SkyConditions")
            << "Weather service gave no answer: HTTP 500";
        QTest::newRow("Yahoo")
            << false << int(WebSettings::StockSource::Yahoo) << QByteArray("/v8/finance/chart/AAPL")
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketTime":1796418000,)"
                          R"("regularMarketPrice":1.5,"longName":"Widgets"}}]}})")
            << "Yahoo chart gave no quote: HTTP 500";
    }
    void failuresAndRecovery()
    {
        QFETCH(bool, weather);
        QFETCH(int, source);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, good);
        HttpFixture server;
        const auto bad = HttpFixture::answer(500, "<html>Error</html>");
        server.on(path,
                  {HttpFixture::answer(200, good), bad, bad, HttpFixture::answer(200, good), bad});
        server.on("/v1/search", R"({"results":[{"latitude":52.52,"longitude":13.41}]})");

        Rig rig(weather, source, server.base());
        ScreenLines& lines = rig.lines;
        RecordedMessages& messages = rig.messages;
        ModeScreen* screen = rig.screen.get();
        QFETCH(QString, warning);
        const QRegularExpression logged('^' + QRegularExpression::escape(warning));
        QTest::ignoreMessage(QtWarningMsg, logged); // the first run of failures
        QTest::ignoreMessage(QtWarningMsg, logged); // the second
        QTest::failOnWarning(QRegularExpression("gave no"));
        int failed = 0;
        for (const bool ok : {true, false, false, true, false}) {
            lines.setLine(0, "kept");
            QVERIFY(refresh(*screen));
            QCOMPARE(lines.line(0), QByteArray(ok ? (weather ? "Clear" : "Widgets") : "kept"));
            failed += ok ? 0 : 1;
            QCOMPARE(messages.shown.size(), weather ? failed : 0);
        }
        if (weather)
            QCOMPARE(messages.shown.last().text, WeatherScreen::NotFound);
    }

    // A weather source that cannot be reached (offline, no name service,
    // refused) is no unknown city: the mode says the internet is missing.
    void weatherUnreachable_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("base");
        QTest::newRow("service, refused")
            << int(WebSettings::WeatherSource::Service) << "http://127.0.0.1:1";
        QTest::newRow("Open-Meteo, unknown host")
            << int(WebSettings::WeatherSource::OpenMeteo) << "http://brellix.invalid";
    }
    void weatherUnreachable()
    {
        QFETCH(int, source);
        QFETCH(QString, base);
        Rig rig(true, source, base);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("gave no"));
        QVERIFY(refresh(*rig.screen));
        QCOMPARE(rig.messages.shown.size(), 1);
        QCOMPARE(rig.messages.shown.first().text, QStringLiteral("Internet Not Available"));
    }
};

QTEST_GUILESS_MAIN(TestWebScreen)
#include "tst_webscreen.moc"
