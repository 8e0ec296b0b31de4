#include "support/HttpFixture.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>

namespace {
QByteArray weather(const QByteArray& sky)
{
    return "<string>&lt;CurrentWeather&gt;&lt;Visibility&gt; 10 mile(s):0&lt;/Visibility&gt;"
           "&lt;SkyConditions&gt; " +
           sky +
           "&lt;/SkyConditions&gt;&lt;Temperature&gt; 57 F (14 C)&lt;/Temperature&gt;"
           "&lt;RelativeHumidity&gt; 68%&lt;/RelativeHumidity&gt;"
           "&lt;Status&gt;Success&lt;/Status&gt;&lt;/CurrentWeather&gt;</string>";
}
QByteArray chart(const QByteArray& name)
{
    return R"({"chart":{"result":[{"meta":{"exchangeTimezoneName":"America/New_York",)"
           R"("regularMarketTime":1796418000,"regularMarketPrice":242.84,"longName":")" +
           name + R"("}}]}})";
}
} // namespace

// The Weather Station and Stock Quote modes wired end to end: the settings
// file, the scheduler, a loopback web server and the bytes on the module.
// What the answers become is the screens' own tests' business.
class TestWebModes : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

private Q_SLOTS:
    // The switch shows the first answer after the clear; the refresh at the
    // interval's 60th tick, not before, writes the second as one frame.
    void refreshes_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArrayList>("answers");
        QTest::addColumn<QByteArrayList>("lines"); // line 1 after each answer
        QTest::newRow("weather") << QByteArray("mode=5\n[Weather]\nCity=Oslo\nSource=service\nUpdate=1\n")
                                 << QByteArray("/ws/globalweather.asmx/GetWeather")
                                 << QByteArrayList{weather("PARTLY CLOUDY"), weather("light rain")}
                                 << QByteArrayList{"Partly Cloudy", "Light Rain"};
        QTest::newRow("stock") << QByteArray("mode=6\n[Stock]\nSymbol=AAPL\nUpdate=1\n")
                               << QByteArray("/chart/AAPL")
                               << QByteArrayList{chart("Apple Inc."), chart("Apple")}
                               << QByteArrayList{"Apple Inc.", "Apple"};
    }
    void refreshes()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, path);
        QFETCH(QByteArrayList, answers);
        QFETCH(QByteArrayList, lines);
        HttpFixture server;
        server.on(path, {HttpFixture::answer(200, answers[0]), HttpFixture::answer(200, answers[1])});
        ModuleApp p(m_platform);
        p.start("[Mode]\n" + ini + "[Web]\nBase=" + server.base().toUtf8() +
                "/ws/\nYahooChart=" + server.base().toUtf8() + "/chart/\n");
        const QByteArray first = "\x0d\x0b" + lines[0].leftJustified(20, ' ');
        QTRY_VERIFY_WITH_TIMEOUT(p.module->received().contains(first), 3000);
        QVERIFY(p.module->waitForBytes(p.module->received().indexOf(first) + 82, 1000));
        p.module->clearRecord();
        p.ticks(59);
        QCOMPARE(p.module->received(), QByteArray());
        p.ticks(1);
        QVERIFY(p.module->waitForBytes(81, 3000));
        QCOMPARE(p.module->received().left(21), "\x0b" + lines[1].leftJustified(20, ' '));
        QCOMPARE(p.module->received().size(), 81);
        QCOMPARE(server.requests.size(), 2);
    }

    // Another mode chosen while the quote loads: the download is dropped and
    // nothing of it reaches the module.
    void lateAnswerDropped()
    {
        HttpFixture server;
        server.on("/chart/AAPL", {HttpFixture::late(300, chart("Apple Inc."))});
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=6\n[Stock]\nSymbol=AAPL\n[Web]\nYahooChart=" +
                server.base().toUtf8() + "/chart/\n");
        QTRY_COMPARE(server.requests.size(), 1);
        p.c->scheduler().selectMode(1);
        QTRY_COMPARE(server.closedByClient, 1);
        QTest::qWait(400);
        QVERIFY(!p.module->received().contains("Apple"));
    }
};

QTEST_GUILESS_MAIN(TestWebModes)
#include "tst_webmodes.moc"
