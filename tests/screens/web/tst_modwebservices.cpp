#include "platform/modINI.h"
#include "platform/web/curl/CurlWebTransport.h"
#include "platform/web/modWebservices.h"
#include "screens/web/WebSettings.h"
#include "support/HttpFixture.h"
#include "support/LinkHarness.h"

#include <QSslKey>
#include <QSslServer>
#include <QtTest>

#include <optional>

// The web client against a loopback server: whole bodies, failures that
// give nothing, the limits, what the request carries, and cancelling.
class TestModWebservices : public QObject
{
    Q_OBJECT

    CurlWebTransport m_transport;
    modWebservices m_client{m_transport,
                            modWebservices::Limits{.timeoutMs = 1000, .maxBodyBytes = 4096}};

    // Fetches and waits for the continuation.
    std::optional<modWebservices::Answer> get(const QUrl& url,
                                              const QByteArray& agent = modWebservices::Agent)
    {
        std::optional<modWebservices::Answer> result;
        int calls = 0;
        const auto request = m_client.FetchUrl(
            url,
            [&](const modWebservices::Answer& a) {
                result = a;
                ++calls;
            },
            agent);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(calls > 0, 5000); }();
        if (calls != 1)
            return std::nullopt;
        return result;
    }

    // A line of /proc/self/status, in kB.
    static qint64 memoryKb(const QByteArray& field)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(field))
                return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }

    static QByteArray pattern(int size)
    {
        QByteArray b;
        for (int i = 0; i < size; ++i)
            b.append(char('a' + i % 26));
        return b;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(HttpFixture().isListening()); }

    // Whatever the server sends as a whole body is the answer, error pages
    // too; hostile servers are stopped at the limits, the connection closed.
    void answers_data()
    {
        QTest::addColumn<HttpFixture::Reply>("reply");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("error"); // empty: ok
        QTest::addColumn<int>("closed");    // connections the client dropped
        QTest::newRow("HTML error page unchanged")
            << HttpFixture::answer(500, "<html>Error</html>") << 500
            << QByteArray("<html>Error</html>") << QString() << 0;
        QTest::newRow("body ended by the connection")
            << HttpFixture::unsized(pattern(3000)) << 200 << pattern(3000) << QString() << 0;
        QTest::newRow("exactly the cap")
            << HttpFixture::answer(200, pattern(4096)) << 200 << pattern(4096) << QString() << 0;
        QTest::newRow("over the cap, announced")
            << HttpFixture::answer(200, pattern(4097)) << 200 << QByteArray()
            << "answer of 4097 bytes is larger than 4096" << 0;
        QTest::newRow("over the cap, not announced")
            << HttpFixture::unsized(pattern(9000)) << 200 << QByteArray()
            << "answer larger than 4096 bytes" << 0;
        QTest::newRow("never answers") << HttpFixture::silent() << 0 << QByteArray()
                                       << "no complete answer within 1000 ms" << 1;
        QTest::newRow("endless headers")
            << HttpFixture::flooding("HTTP/1.1 200 OK\r\n", "X-Flood: " + pattern(53) + "\r\n")
            << 200 << QByteArray() << "headers larger than 65536 bytes" << 1;
        QTest::newRow("endless chunked body")
            << HttpFixture::flooding("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                     "1000\r\n" + pattern(4096) + "\r\n")
            << 200 << QByteArray() << "answer larger than 4096 bytes" << 1;
    }
    void answers()
    {
        QFETCH(HttpFixture::Reply, reply);
        QFETCH(QString, error);
        HttpFixture server;
        server.on("/data", {reply});
        const qint64 before = memoryKb("VmRSS:");
        QElapsedTimer clock;
        clock.start();
        const auto answer = get(server.url(QStringLiteral("/data")));
        QVERIFY(answer);
        QCOMPARE(answer->ok, error.isEmpty());
        QTEST(answer->status, "status");
        QTEST(answer->body, "body");
        QCOMPARE(answer->error, error);
        QCOMPARE(answer->reached(), answer->status != 0);
        QVERIFY2(clock.elapsed() < 3000, "the timeout bounds the whole download");
        QFETCH(int, closed);
        QTRY_COMPARE(server.closedByClient, closed);
        // The client holds no more than the limits (AddressSanitizer's shadow
        // and quarantine make these figures mean nothing there).
#ifndef __SANITIZE_ADDRESS__
        QVERIFY2(memoryKb("VmHWM:") < 40 * 1024, qPrintable(QString::number(memoryKb("VmHWM:"))));
        QVERIFY2(memoryKb("VmRSS:") < before + 3 * 1024, qPrintable(QString::number(before)));
#else
        Q_UNUSED(before);
#endif
    }

    // Redirects are followed, five at most.
    void redirects_data()
    {
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("ok");
        QTest::newRow("five") << 5 << true;
        QTest::newRow("six") << 6 << false;
    }
    void redirects()
    {
        QFETCH(int, hops);
        HttpFixture server;
        for (int i = 0; i < hops; ++i)
            server.on("/hop" + QByteArray::number(i),
                      {HttpFixture::redirect("/hop" + QByteArray::number(i + 1))});
        server.on("/hop" + QByteArray::number(hops), "arrived");
        const auto answer = get(server.url(QStringLiteral("/hop0")));
        QVERIFY(answer);
        QTEST(answer->ok, "ok");
        QCOMPARE(answer->body, answer->ok ? QByteArray("arrived") : QByteArray());
    }

    // A refused connection and an unknown host give nothing, and no message
    // (the client has no way to show one).
    void unreachable_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<int>("failure");
        QTest::newRow("refused")
            << QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(HttpFixture::refusedPort()))
            << int(WebAnswer::Failure::Connection);
        QTest::newRow("unknown host")
            << QUrl(QStringLiteral("http://brellix.invalid/x")) << int(WebAnswer::Failure::Name);
    }
    void unreachable()
    {
        QFETCH(QUrl, url);
        const auto answer = get(url);
        QVERIFY(answer && !answer->ok && answer->status == 0 && answer->body.isEmpty());
        QTEST(int(answer->failure), "failure");
    }

    // A server whose certificate no authority vouches for gets no request
    // (tests/data/net holds a throw-away self-signed certificate for 127.0.0.1).
    void untrustedCertificate()
    {
        const QString dir = QStringLiteral(BRELLIX_TEST_DATA "/net/");
        QFile certFile(dir + QStringLiteral("selfsigned.crt"));
        QFile keyFile(dir + QStringLiteral("selfsigned.key"));
        QVERIFY(certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly));
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(&certFile, QSsl::Pem));
        config.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa, QSsl::Pem));
        QVERIFY(!config.localCertificate().isNull() && !config.privateKey().isNull());
        QSslServer server;
        server.setSslConfiguration(config);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const auto answer =
            get(QUrl(QStringLiteral("https://127.0.0.1:%1/x").arg(server.serverPort())));
        QVERIFY(answer && !answer->ok);
        QVERIFY2(answer->error.contains(QLatin1String("self-signed")), qPrintable(answer->error));
        QCOMPARE(answer->failure, WebAnswer::Failure::Tls);
    }

    // The request carries the agent and the address as given, and never
    // comes from a cache.
    void request()
    {
        HttpFixture server;
        server.on("/GetWeather", "fresh");
        const QUrl url =
            QUrl::fromEncoded("http://127.0.0.1:" + QByteArray::number(server.url({}).port()) +
                              "/GetWeather?CityName=Port%20of%20Spain&Country=A%26B");
        QVERIFY(get(url));
        server.on("/GetWeather", "fresher");
        const auto second = get(url, "Other/1.0");
        QVERIFY(second);
        QCOMPARE(second->body, QByteArray("fresher"));
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests[0].target,
                 QByteArray("/GetWeather?CityName=Port%20of%20Spain&Country=A%26B"));
        QCOMPARE(server.requests[0].agent(), QByteArray("Project"));
        QCOMPARE(server.requests[1].agent(), QByteArray("Other/1.0"));
    }

    // A dropped request never calls back, and lets the connection go.
    void cancel()
    {
        HttpFixture server;
        server.on("/slow", {HttpFixture::silent()});
        bool called = false;
        auto request =
            m_client.FetchUrl(server.url(QStringLiteral("/slow")),
                              [&called](const modWebservices::Answer&) { called = true; });
        QTRY_COMPARE(server.requests.size(), 1);
        request.reset();
        QTRY_COMPARE_WITH_TIMEOUT(server.closedByClient, 1, 1000);
        // Past the time limit: the timer went with the request.
        server.on("/marker", {HttpFixture::late(1200, "marker")});
        QVERIFY(get(server.url(QStringLiteral("/marker"))));
        QVERIFY(!called);

        // The program's end stops the transfers under way too, at once; their
        // requests may be dropped later.
        auto transport = std::make_unique<CurlWebTransport>();
        modWebservices client(*transport, modWebservices::Limits{.timeoutMs = 10000});
        request = client.FetchUrl(server.url(QStringLiteral("/slow")),
                                  [&called](const modWebservices::Answer&) { called = true; });
        QTRY_COMPARE(server.requests.size(), 3);
        QElapsedTimer clock;
        clock.start();
        transport.reset();
        QVERIFY(clock.elapsed() < 1000);
        QTRY_COMPARE_WITH_TIMEOUT(server.closedByClient, 2, 1000);
        request.reset();
        QTest::qWait(50);
        QVERIFY(!called);
    }

    // [Weather] Source, [Stock] Source and [Web]: defaults, choices, and
    // values that cannot be used.
    void settings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("expected"); // weather, stock, base, geocoding, chart
        const QString defaults =
            QStringLiteral("0 0  %1 %2")
                .arg(WebSettings::DefaultGeocoding, WebSettings::DefaultYahooChart);
        QTest::newRow("defaults") << QByteArray() << defaults;
        QTest::newRow("service, any case")
            << QByteArray("[Weather]\nSource=Service\n[Stock]\nSource=SERVICE\n[Web]\n"
                          "Base=http://127.0.0.1:8080/ws/\n")
            << "1 1 http://127.0.0.1:8080/ws/ " + defaults.mid(5);
        QTest::newRow("base without the slash")
            << QByteArray("[Web]\nBase=http://example.org/ws\n") << defaults;
        QTest::newRow("base not http")
            << QByteArray("[Web]\nBase=ftp://example.org/\n") << defaults;
        QTest::newRow("endpoints") << QByteArray("[Web]\nOpenMeteoGeocoding=http://127.0.0.1:1/g\n"
                                                 "YahooChart=https://mirror.example/chart/\n")
                                   << "0 0  http://127.0.0.1:1/g https://mirror.example/chart/";
        QTest::newRow("endpoint not an address")
            << QByteArray("[Web]\nOpenMeteoGeocoding=geocoding\nYahooChart=/chart/\n") << defaults;
    }
    void settings()
    {
        QFETCH(QByteArray, ini);
        LinkHarness h;
        h.writeIni(ini);
        const WebSettings s = WebSettings::load(modINI(h.iniPath()));
        QTEST(QStringLiteral("%1 %2 %3 %4 %5")
                  .arg(int(s.weatherSource == WebSettings::WeatherSource::Service))
                  .arg(int(s.stockSource == WebSettings::StockSource::Service))
                  .arg(s.base, s.openMeteoGeocoding, s.yahooChart),
              "expected");
    }
};

QTEST_GUILESS_MAIN(TestModWebservices)
#include "tst_modwebservices.moc"
