#include "support/DovecotServer.h"
#include "support/HttpFixture.h"
#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestMprisPlayer.h"
#include "support/TestPlatform.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The modes wired end to end: the settings file, the scheduler, the outside
// sources (files, a loopback web server, a test MPRIS player on a private
// session bus, a real Dovecot over verified TLS) and the simulated module.
// What the lines say is the screens' own tests' business.
namespace {

const QByteArray WeatherAnswer =
    "<string>&lt;CurrentWeather&gt;&lt;Visibility&gt; 1\xFE\x0B mile(s):0&lt;/Visibility&gt;"
    "&lt;SkyConditions&gt; \x0B\xFE\x1B[2Jrain\x7F&lt;/SkyConditions&gt;&lt;Temperature&gt; "
    "5\xFE F\x0D\x01&lt;/Temperature&gt;&lt;RelativeHumidity&gt; 6\x08%&lt;/RelativeHumidity&gt;"
    "&lt;Status&gt;Success&lt;/Status&gt;&lt;/CurrentWeather&gt;</string>";

const QByteArray ChartAnswer =
    R"({"chart":{"result":[{"meta":{"exchangeTimezoneName":"America/New_York",)"
    R"("regularMarketTime":1796418000,"regularMarketPrice":1.5,)"
    R"("longName":"Ev\u000bil\u00fe\u001b[2J\u0000Inc"}}]}})";

QByteArray message(const QByteArray& subject)
{
    return "From: Ann <ann@example.org>\r\nSubject: " + subject +
           "\r\nDate: Sat, 5 Dec 2026 14:05:07 +0100\r\n\r\nHello.\r\n";
}

bool shown(quint8 code)
{
    return code <= 7 || (code >= 32 && code <= 126) || code == 223 || code == 255;
}

// Empty when outside text reached the wire only as text: read with the
// module's command table, every 0B is followed by 80 codes it shows, and
// nothing else outside a command is anything but the program's own commands.
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
                    return u"code at %1 in the frame from %2"_s.arg(k).arg(i);
            }
            i += 81;
        } else if (b == 0x0D || b == 0x0C || b == 0x08 || b == 0x0E || b == 0x0F || shown(b)) {
            ++i;
        } else {
            return u"stray byte %1 at %2"_s.arg(b).arg(i);
        }
    }
    return {};
}

} // namespace

class TestModes : public QObject
{
    Q_OBJECT
    PrivateSessionBus m_bus;
    DovecotServer m_server;
    QString m_noBus;
    QString m_noServer;

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            m_noBus = u"No private session bus: "_s + m_bus.error();
        else // before anything in this process opens the session bus
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        DovecotServer::User many{"many", "secret-many", {}};
        for (int i = 1; i <= 12; ++i)
            many.messages.append({message("Unread"), false});
        m_noServer = m_server.start({many});
    }

    // Outside text full of control codes and 0xFE (a destination name, the
    // weather service's and Yahoo's answers) reaches the module only as text.
    void outsideTextStaysText_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("expected"); // the row, written out by hand
        // "To" 0B "ky" FE(þ) 01 "o" 7F 1B "[2J": each control and the þ become '?'.
        QTest::newRow("destination name") << 1 << 2 << QByteArray("To?ky??o??[2J Time  ");
        // Sky 0B FE 1B "[2Jrain" 7F, in words: each control and the FE are '?'.
        QTest::newRow("weather sky") << 5 << 0 << QByteArray("???[2jrain?         ");
        // Company "Ev" 0B "il" þ 1B "[2J" 00 "Inc".
        QTest::newRow("stock company") << 6 << 0 << QByteArray("Ev?il??[2J?Inc      ");
    }
    void outsideTextStaysText()
    {
        QFETCH(int, mode);
        QFETCH(int, row);
        QFETCH(QByteArray, expected);
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", WeatherAnswer);
        server.on("/chart/AAPL", ChartAnswer);
        TestPlatform platform;
        ModuleApp p(platform);
        p.start("[Mode]\nmode=" + QByteArray::number(mode) +
                "\n[TimeZone]\nDestination=To\x0Bky\xFE\x01o\x7F\x1B[2J\n[Weather]\nCity=Berlin\n"
                "Source=service\n[Stock]\nSymbol=AAPL\n[Web]\nBase=" + server.base().toUtf8() +
                "/ws/\nYahooChart=" + server.base().toUtf8() + "/chart/\n");
        QCOMPARE(p.c->scheduler().selectedMode(), mode);
        QTRY_COMPARE_WITH_TIMEOUT((p.ticks(1), p.module->module().line(row)), expected, 5000);
        const QString broken = checkWire(p.module->received());
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
    }

    // The player is known once the bus has answered; the title scrolls on the
    // mode's own timer, which another mode stops.
    void playerMode()
    {
        if (!m_noBus.isEmpty())
            QSKIP(qPrintable(m_noBus));
        TestMprisPlayer player(m_bus.address(), u"e2e"_s, u"Playing"_s);
        QVERIFY(player.isRegistered());
        player.setTrack(u"ABCDEFGHIJKLMNOPQRSTUVWXY"_s, {u"Some Artist"_s}, 225'000'000);
        TestPlatform platform;
        ModuleApp p(platform);
        p.start("[Mode]\nmode=4\n");
        DisplayScheduler& s = p.c->scheduler();
        const LcdModule& module = p.module->module();
        QTRY_COMPARE_WITH_TIMEOUT((s.tick(), module.line(0)), QByteArray("Playing Now: \x05      "),
                                  3000);
        QTRY_COMPARE_WITH_TIMEOUT(module.line(1), QByteArray("GHIJKLMNOPQRSTUVWXY*"), 2500);
        s.selectMode(1);
        QVERIFY(!s.screenTimerActive());
    }

    // The switch signs on and shows the count without a tick; new mail is
    // seen at the scheduler's refresh.
    void mailMode()
    {
        if (!m_noServer.isEmpty())
            QSKIP(qPrintable(m_noServer));
        TestPlatform platform;
        ModuleApp p(platform);
        p.start("[Mode]\nmode=7\n[Mail]\nUrl=imaps://localhost:" +
                QByteArray::number(m_server.imapsPort()) +
                "/INBOX\nUser=many\nPasswordCommand=echo secret-many\nCaFile=" +
                m_server.caFile().toUtf8() + "\n");
        const auto line = [&p] { return p.module->module().line(0); };
        QTRY_COMPARE_WITH_TIMEOUT(line(), QByteArray("12 Unread Messages  "), 15000);
        QFile mail(m_server.maildir("many") + u"/new/1800000000.M99P1.brellix"_s);
        QVERIFY(mail.open(QIODevice::WriteOnly));
        QVERIFY(mail.write(message("Newest")) > 0);
        mail.close();
        p.ticks(60);
        QTRY_COMPARE_WITH_TIMEOUT(line(), QByteArray("13 Unread Messages  "), 15000);
    }
};

QTEST_GUILESS_MAIN(TestModes)
#include "tst_modes.moc"
