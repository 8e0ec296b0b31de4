#include "app/IntervalModel.h"
#include "support/HttpFixture.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>

namespace {
QByteArray weatherAnswer(const QByteArray& sky, const QByteArray& temperature)
{
    return "<string>&lt;CurrentWeather&gt;&lt;Visibility&gt; 10 mile(s):0&lt;/Visibility&gt;"
           "&lt;SkyConditions&gt; " +
           sky + "&lt;/SkyConditions&gt;&lt;Temperature&gt; " + temperature +
           "&lt;/Temperature&gt;&lt;RelativeHumidity&gt; 68%&lt;/RelativeHumidity&gt;"
           "&lt;Status&gt;Success&lt;/Status&gt;&lt;/CurrentWeather&gt;</string>";
}

// Friday 4 December 2026, 16:00 in New York.
QByteArray chartAnswer(const QByteArray& price)
{
    return R"({"chart":{"result":[{"meta":{"symbol":"AAPL","exchangeTimezoneName":)"
           R"("America/New_York","regularMarketTime":1796418000,"regularMarketPrice":)" +
           price +
           R"(,"regularMarketVolume":36870619,"longName":"Apple Inc.","chartPreviousClose":)"
           R"(243.04},"indicators":{"quote":[{"open":[242.91]}]}}],"error":null}})";
}
} // namespace

// The Weather Station and Stock Quote modes end to end: settings file,
// start-up, the scheduler, a loopback web server, the line writer, the wire
// and the simulated module.
class TestWebModes : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

    // The bytes a refresh writes: command 11, then four lines of 20.
    static QByteArray written(const QList<QByteArray>& lines)
    {
        QByteArray out("\x0b");
        for (const QByteArray& l : lines)
            out += l.leftJustified(20, ' ');
        return out;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(HttpFixture().isListening()); }

    // The service answer at the switch and at the refresh a minute later,
    // with the place confirmed in the dialog meanwhile.
    void weatherService()
    {
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather",
                  {HttpFixture::answer(200, weatherAnswer("PARTLY CLOUDY", "57 F (14 C)")),
                   HttpFixture::answer(200, weatherAnswer("light rain", "-3 F (-19 C)"))});
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=5\n[Weather]\nCity=Port of Spain\nCountry=Trinidad and Tobago\n"
                "Update=1\nSource=service\n[Web]\nBase=" +
                server.base().toUtf8() + "/ws/\n");
        const QByteArray first =
            written({"Partly Cloudy", "57 F (14 C)", "Humidity:68%", "Vis:10 mile(s)"});
        QTRY_VERIFY_WITH_TIMEOUT(p.module->received().endsWith(first), 3000);
        // The switch cleared the module just before.
        QVERIFY(p.module->received().endsWith("\x0d" + first));
        QCOMPARE(p.module->module().line(0), QByteArray("Partly Cloudy       "));
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(server.requests[0].target,
                 QByteArray("/ws/globalweather.asmx/GetWeather?CityName=Port%20of%20Spain"
                            "&CountryName=Trinidad%20and%20Tobago"));

        QVERIFY(IntervalModel::weather(p.c->ini(), p.c->weather(), p.c->messages())
                    .confirm({{QStringLiteral("St. John's"), QStringLiteral("Antigua & Barbuda")},
                              QStringLiteral("1")}));
        p.module->clearRecord();
        p.ticks(59);
        QCOMPARE(p.module->received(), QByteArray());
        p.ticks(1);
        const QByteArray second =
            written({"Light Rain", "-3 F (-19 C)", "Humidity:68%", "Vis:10 mile(s)"});
        QVERIFY(p.module->waitForBytes(int(second.size()), 3000));
        QCOMPARE(p.module->received().toHex(' '), second.toHex(' '));
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests[1].target,
                 QByteArray("/ws/globalweather.asmx/GetWeather?CityName=St.%20John%27s"
                            "&CountryName=Antigua%20%26%20Barbuda"));
    }

    // Yahoo at the switch and at the refresh.
    void stockYahoo()
    {
        HttpFixture server;
        server.on("/chart/AAPL", {HttpFixture::answer(200, chartAnswer("242.84")),
                                  HttpFixture::answer(200, chartAnswer("245.47"))});
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=6\n[Stock]\nSymbol=AAPL\nUpdate=1\n[Web]\nYahooChart=" +
                server.base().toUtf8() + "/chart/\n");
        const QByteArray first =
            written({"Apple Inc.", "Open:242.91", "16:00:242.84", "36870619:-0.08%"});
        QTRY_VERIFY_WITH_TIMEOUT(p.module->received().endsWith("\x0d" + first), 3000);
        p.module->clearRecord();
        p.ticks(60);
        const QByteArray second =
            written({"Apple Inc.", "Open:242.91", "16:00:245.47", "36870619:+1.00%"});
        QVERIFY(p.module->waitForBytes(int(second.size()), 3000));
        QCOMPARE(p.module->received().toHex(' '), second.toHex(' '));
        QCOMPARE(server.requests.size(), 2);
    }

    // Another mode chosen while the quote loads: the download is dropped and
    // nothing of it reaches the module.
    void lateAnswerDropped()
    {
        HttpFixture server;
        server.on("/chart/AAPL", {HttpFixture::late(300, chartAnswer("242.84"))});
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=6\n[Stock]\nSymbol=AAPL\n[Web]\nYahooChart=" +
                server.base().toUtf8() + "/chart/\n");
        QTRY_COMPARE(server.requests.size(), 1);
        p.c->scheduler().selectMode(1);
        QTRY_COMPARE(server.closedByClient, 1);
        p.module->clearRecord();
        p.c->scheduler().tick();
        QVERIFY(p.module->waitForBytes(81, 3000));
        QCOMPARE(p.module->module().line(2), QByteArray("London Time         "));
        QVERIFY(!p.c->lines().line(0).contains("Apple"));
    }

    // Offline at the switch: "Internet Not Available" and no request.
    void offline()
    {
        HttpFixture server;
        TestPlatform offline;
        offline.connected = false;
        ModuleApp p(offline);
        p.make("[Mode]\nmode=5\n[Weather]\nSource=service\n[Web]\nBase=" + server.base().toUtf8() +
               "/ws/\n");
        QSignalSpy shown(&p.c->messages(), &Messages::shown);
        p.run();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0][0].value<UserMessage>().text, QStringLiteral("Internet Not Available"));
        p.ticks(1800);
        QVERIFY(server.requests.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWebModes)
#include "tst_webmodes.moc"
