#include "screens/base/ScreenLines.h"
#include "screens/web/ServiceStockSource.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WebSettings.h"
#include "screens/web/YahooStockSource.h"
#include "support/HttpFixture.h"
#include "support/NetTestSupport.h"

#include <QtTest>

namespace {
// An answer of the stock quote web service: escaped XML inside XML.
const QByteArray ServiceAnswerMsft =
    "<string "
    "xmlns=\"http://www.webserviceX.NET/\">&lt;StockQuotes&gt;&lt;Stock&gt;&lt;Last&gt;35.50&lt;/"
    "Last&gt;&lt;Time&gt;4:00pm&lt;/Time&gt;&lt;Open&gt;35.33&lt;/"
    "Open&gt;&lt;Volume&gt;31234567&lt;/"
    "Volume&gt;&lt;PercentageChange&gt;+0.77%&lt;/PercentageChange&gt;&lt;Name&gt;Microsoft "
    "Corporation&lt;/Name&gt;&lt;/Stock&gt;&lt;/StockQuotes&gt;</string>";

// A chart answer; 1796418000 is Friday 4 December 2026 21:00 UTC, 16:00 in New York.
QByteArray chart(const QByteArray& meta, const QByteArray& quote = R"({"open":[242.91]})")
{
    return R"({"chart":{"result":[{"meta":{"currency":"USD","symbol":"AAPL",)" + meta +
           R"(},"timestamp":[1796394600],"indicators":{"quote":[)" + quote +
           R"(]}}],"error":null}})";
}
const QByteArray AaplMeta =
    R"("exchangeTimezoneName":"America/New_York","gmtoffset":-18000,"regularMarketTime":1796418000,)"
    R"("regularMarketPrice":242.84,"regularMarketVolume":36870619,"longName":"Apple Inc.",)"
    R"("shortName":"Apple","chartPreviousClose":243.04)";
} // namespace

// The stock screen: the cut of the service's answer, the Yahoo chart
// source with its second try, the requests and the four lines.
class TestStockScreen : public QObject
{
    Q_OBJECT

    struct Rig
    {
        ScreenLines lines;
        RecordedMessages messages;
        StockSettings symbol{QStringLiteral("AAPL"), 300};
        WebSettings web;
        TestWebClient client;
        StockScreen screen{lines, messages, symbol, web, client.client};

        Rig(const HttpFixture& server, WebSettings::StockSource source)
        {
            web.stockSource = source;
            web.base = server.base() + QStringLiteral("/ws/");
            web.yahooChart = server.base() + QStringLiteral("/v8/finance/chart/");
            for (int i = 0; i < 4; ++i)
                lines.setLine(i, "kept");
        }
        QByteArray shown() const
        {
            return lines.line(0) + '|' + lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3);
        }
    };

private Q_SLOTS:
    void initTestCase() { QVERIFY(HttpFixture().isListening()); }

    // What the screen makes of an answer of the stock quote service.
    void serviceLines_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("name cut at 20")
            << ServiceAnswerMsft
            << QByteArray("Microsoft Corporatio|Open:35.33|4:00pm:35.50|31234567:+0.77%");
        QTest::newRow("marker only in lower case: ignored")
            << QByteArray(ServiceAnswerMsft).replace("Name", "name")
            << QByteArray("kept|kept|kept|kept");
    }
    void serviceLines()
    {
        QFETCH(QByteArray, answer);
        HttpFixture server;
        server.on("/ws/stockquote.asmx/GetQuote", answer);
        Rig rig(server, WebSettings::StockSource::Service);
        if (answer.contains("name"))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("service gave no quote"));
        QVERIFY(refresh(rig.screen));
        QTEST(rig.shown(), "lines");
    }

    // The symbol is percent-encoded into either source's address.
    void requests_data()
    {
        QTest::addColumn<bool>("service");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("service, delimiters")
            << true << "A&B C" << QByteArray("/ws/stockquote.asmx/GetQuote?symbol=A%26B%20C");
        QTest::newRow("yahoo, index and class")
            << false << "^GSPC/BRK.B"
            << QByteArray("/v8/finance/chart/%5EGSPC%2FBRK.B?range=1d&interval=1d");
    }
    void requests()
    {
        QFETCH(bool, service);
        QFETCH(QString, symbol);
        HttpFixture server;
        Rig rig(server,
                service ? WebSettings::StockSource::Service : WebSettings::StockSource::Yahoo);
        rig.symbol.StockSymbol = symbol;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("gave no quote: HTTP 404"));
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 1);
        QTEST(server.requests[0].target, "target");
        QCOMPARE(server.requests[0].agent(), QByteArray("Project"));
    }

    // The chart answer in the screen's six values.
    void chartQuote_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("values"); // name, open, time, last, volume, change
        QTest::newRow("falling") << chart(AaplMeta)
                                 << QStringList{"Apple Inc.", "242.91",   "16:00",
                                                "242.84",     "36870619", "-0.08%"};
        QTest::newRow("rising, open from the meta, short name")
            << chart(R"("exchangeTimezoneName":"Europe/Berlin","regularMarketTime":1796418000,)"
                     R"("regularMarketPrice":101.234,"regularMarketOpen":99.5,)"
                     R"("shortName":"SIEMENS AG","previousClose":100)",
                     R"({"open":[1.0],"volume":[1200]})")
            << QStringList{"SIEMENS AG", "99.50", "22:00", "101.23", "1200", "+1.23%"};
        QTest::newRow("unknown zone: the offset; no name: the symbol; nulls skipped")
            << chart(R"("exchangeTimezoneName":"Nowhere/Else","gmtoffset":3600,)"
                     R"("regularMarketTime":1796418000,"regularMarketPrice":5,)"
                     R"("chartPreviousClose":5.00001)",
                     R"({"open":[null,4.5],"volume":[null]})")
            << QStringList{"AAPL", "4.50", "22:00", "5.00", "", "+0.00%"};
        QTest::newRow("no previous close, no open")
            << chart(R"("exchangeTimezoneName":"America/New_York","regularMarketTime":1796418000,)"
                     R"("regularMarketPrice":1.5,"longName":"X")",
                     "{}")
            << QStringList{"X", "", "16:00", "1.50", "", ""};
        QTest::newRow("volume beyond qint64: none")
            << chart(R"("exchangeTimezoneName":"America/New_York","regularMarketTime":1796418000,)"
                     R"("regularMarketPrice":1.5,"regularMarketVolume":3.7e28,"longName":"X")",
                     "{}")
            << QStringList{"X", "", "16:00", "1.50", "", ""};
        QTest::newRow("time beyond qint64")
            << chart(R"("regularMarketTime":1e300,"regularMarketPrice":1.5,"longName":"X")")
            << QStringList{};
        // Numbers no price can be are no answer (the lines stay as they were).
        QTest::newRow("price beyond the screen")
            << chart(
                   R"("regularMarketTime":1796418000,"regularMarketPrice":1.7e308,"longName":"X")")
            << QStringList{};
        QTest::newRow("change beyond the screen")
            << chart(R"("regularMarketTime":1796418000,"regularMarketPrice":5,)"
                     R"("previousClose":1e-300,"longName":"X")")
            << QStringList{};
        QTest::newRow("symbol not found")
            << QByteArray(R"({"chart":{"result":null,"error":{"code":"Not Found",)"
                          R"("description":"No data found, symbol may be delisted"}}})")
            << QStringList{};
    }
    void chartQuote()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, values);
        const auto q = YahooStockSource::Parse(json, QStringLiteral("AAPL"));
        const QStringList got =
            q ? QStringList{q->name, q->open, q->time, q->last, q->volume, q->change}
              : QStringList();
        QCOMPARE(got, values);
    }

    // Refused with 429 or 403: once more with a browser's agent, and no
    // third time; the next refresh starts again with Brellix's own agent.
    void yahooRefused()
    {
        HttpFixture server;
        server.on("/v8/finance/chart/AAPL", {HttpFixture::answer(429, "Too Many Requests"),
                                             HttpFixture::answer(200, chart(AaplMeta)),
                                             HttpFixture::answer(403, "Forbidden")});
        Rig rig(server, WebSettings::StockSource::Yahoo);
        QVERIFY(refresh(rig.screen));
        QCOMPARE(rig.shown(), QByteArray("Apple Inc.|Open:242.91|16:00:242.84|36870619:-0.08%"));
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests[1].agent(), YahooStockSource::BrowserAgent);
        QCOMPARE(server.requests[1].target, server.requests[0].target);

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Yahoo chart gave no quote: HTTP 403"));
        QVERIFY(refresh(rig.screen));
        QCOMPARE(server.requests.size(), 4);
        QCOMPARE(server.requests[2].agent(), QByteArray("Project"));
        QCOMPARE(server.requests[3].agent(), YahooStockSource::BrowserAgent);
    }

    // No symbol: nothing to ask; the mode says it is not set up, and where
    // to set it once a run.
    void yahooWithoutSymbol()
    {
        HttpFixture server;
        Rig rig(server, WebSettings::StockSource::Yahoo);
        rig.symbol.StockSymbol = QStringLiteral("  ");
        for (int round = 0; round < 2; ++round) {
            rig.screen.enter();
            QVERIFY(refresh(rig.screen));
        }
        QVERIFY(server.requests.isEmpty());
        QCOMPARE(rig.lines.line(0), QByteArray("Stock Not Set Up"));
        QCOMPARE(rig.messages.shown.size(), 1);
        QVERIFY(rig.messages.shown.first().text.contains(QLatin1String("[Stock] Symbol")));
    }
};

QTEST_GUILESS_MAIN(TestStockScreen)
#include "tst_stockscreen.moc"
