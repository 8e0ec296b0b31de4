#include "support/HttpFixture.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>
#include <netdb.h>

// Outside text end to end (a destination name, SpeedFan titles and values,
// the host name, the weather service's and Yahoo's answers), full of control
// codes and 0xFE, reaches the module only as text: read with the module's
// command table, every 0B is followed by 80 codes it shows and nothing else
// outside a command is anything but text or the program's own commands.
namespace {

class HostileHost final : public HostLookup
{
public:
    bool hostName(QByteArray& name, int&) const override
    {
        name = QByteArray("ev\xFEil\x0B\x0Dho\x01st", 12);
        return true;
    }
    int resolveIPv4(const QByteArray&, QList<QByteArray>&) const override { return EAI_NONAME; }
    QByteArray interfaceIPv4(const QString&) const override { return {}; }
    QString defaultRouteInterface() const override
    {
        return QStringLiteral("\x0B"
                              "eth\x7F");
    }
};

const QByteArray WeatherAnswer =
    "<string>&lt;CurrentWeather&gt;&lt;Visibility&gt; 1\xFE\x0B mile(s):0&lt;/Visibility&gt;"
    "&lt;SkyConditions&gt; \x0B\xFE\x1B[2Jrain\x7F&lt;/SkyConditions&gt;&lt;Temperature&gt; "
    "5\xFE F\x0D\x01&lt;/Temperature&gt;&lt;RelativeHumidity&gt; 6\x08%&lt;/RelativeHumidity&gt;"
    "&lt;Status&gt;Success&lt;/Status&gt;&lt;/CurrentWeather&gt;</string>";

const QByteArray ChartAnswer =
    R"({"chart":{"result":[{"meta":{"exchangeTimezoneName":"America/New_York",)"
    R"("regularMarketTime":1796418000,"regularMarketPrice":1.5,)"
    R"("longName":"Ev\u000bil\u00fe\u001b[2J\u0000Inc"}}]}})";

bool shown(quint8 code)
{
    return code <= 7 || (code >= 32 && code <= 126) || code == 223 || code == 255;
}

// Empty when the wire keeps the rule, else where it breaks.
QString checkWire(const QByteArray& wire)
{
    for (qsizetype i = 0; i < wire.size();) {
        const auto b = quint8(wire[i]);
        if (b == 0xFE) { // the argument bytes of the module's commands
            const auto c = quint8(wire.at(i + 1));
            const bool one = c == 0x28 || c == 0x29 || c == 0x2D || c == 0x2E;
            i += 2 + (c == 0x64 ? 64 : c == 0x32 || c == 0x34 ? 2 : one);
        } else if (b == 0x0B) {
            for (qsizetype k = i + 1; k < i + 81; ++k) {
                if (k >= wire.size() || !shown(quint8(wire[k])))
                    return QStringLiteral("code at %1 in the frame from %2").arg(k).arg(i);
            }
            i += 81;
        } else if (b == 0x0D || b == 0x0C || b == 0x08 || b == 0x0E || b == 0x0F || shown(b)) {
            ++i;
        } else {
            return QStringLiteral("stray byte %1 at %2").arg(b).arg(i);
        }
    }
    return {};
}

} // namespace

class tst_HostileInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noCommandFromOutsideText_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("expected"); // the row, written out by hand
        // "To" 0B "ky" FE(þ) 01 "o" 7F 1B "[2J": each control and the þ become '?'.
        QTest::newRow("destination name") << 1 << 2 << QByteArray("To?ky??o??[2J Time  ");
        // Title T FE 0B 1 and value 4 FE . 5: controls dropped, þ is '?'.
        QTest::newRow("sensor title and value") << 2 << 1
                                                << QByteArray("T?1:4?\xDF"
                                                              "C            ");
        // ev FE il 0B 0D ho 01 st: the invalid byte and the controls are '?'.
        QTest::newRow("host name") << 3 << 0 << QByteArray("ev?il??ho?st        ");
        // Sky 0B FE 1B "[2Jrain" 7F, in words: each control and the FE are '?'.
        QTest::newRow("weather sky") << 5 << 0 << QByteArray("???[2jrain?         ");
        // Company "Ev" 0B "il" þ 1B "[2J" 00 "Inc".
        QTest::newRow("stock company") << 6 << 0 << QByteArray("Ev?il??[2J?Inc      ");
    }
    void noCommandFromOutsideText()
    {
        QFETCH(int, mode);
        QFETCH(int, row);
        QFETCH(QByteArray, expected);

        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", WeatherAnswer);
        server.on("/chart/AAPL", ChartAnswer);
        TestPlatform platform;
        platform.host = std::make_shared<HostileHost>();
        ModuleApp p(platform);
        LinkHarness& h = p.h;
        QVERIFY(QDir().mkpath(h.dirPath(QStringLiteral("speedfan"))));
        QFile log(h.dirPath(QStringLiteral("speedfan/SFLog20261205.csv")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        const QByteArray logText("Seconds\tT\xFE\x0B"
                                 "1\tF\x01\x7F\r\n"
                                 "7\t4\xFE.5\t\x0B\x1B\xFE\x10\r\n");
        QCOMPARE(log.write(logText), logText.size());
        log.close();
        p.start("[Mode]\nmode=" + QByteArray::number(mode) +
                "\n[TimeZone]\nDestination=To\x0Bky\xFE\x01o\x7F\x1B[2J\n[SpeedFan]\nFolder=" +
                h.dirPath(QStringLiteral("speedfan")).toUtf8() +
                "\n[Weather]\nCity=Berlin\nSource=service\n[Stock]\nSymbol=AAPL\n[Web]\nBase=" +
                server.base().toUtf8() + "/ws/\nYahooChart=" + server.base().toUtf8() +
                "/chart/\n");
        QCOMPARE(p.c->scheduler().selectedMode(), mode);
        QTRY_COMPARE_WITH_TIMEOUT((p.ticks(1), p.module->module().line(row)), expected, 5000);

        const QString broken = checkWire(p.module->received());
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
    }
};

QTEST_GUILESS_MAIN(tst_HostileInput)
#include "tst_hostileinput.moc"
