#include "app/DisplayScheduler.h"
#include "support/FixedClock.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "screens/time/LargeClock.h"
#include "screens/time/LineWriter.h"
#include "screens/time/ModeScreen.h"
#include "screens/time/ScreenLines.h"
#include "screens/time/TimeDateScreen.h"
#include "screens/time/TimeTestSupport.h"
#include "screens/time/WorldTimeSettings.h"

namespace {
// The connection check and the message boxes.
struct Outside : InternetState, MessageSink
{
    bool connected = true;
    QList<QPair<QString, MessageIcon>> shown;
    bool isConnected() const override { return connected; }
    void showMessage(const QString& text, MessageIcon icon) override { shown.append({text, icon}); }
    void requestQuit() override {}
};

// Writes its refresh count into line 1; its data can be held back like a
// download that has not come in yet.
struct CountingScreen : ModeScreen
{
    explicit CountingScreen(ScreenLines& l) : lines(l) {}
    ScreenLines& lines;
    int shown = 0;
    bool hold = false;
    std::function<void()> pending;
    void show() override { lines.setLine(0, "refresh " + QByteArray::number(++shown)); }
    void fetch(std::function<void()> ready) override
    {
        if (hold)
            pending = std::move(ready);
        else
            ready();
    }
};

using Steps = QList<QList<int>>;

// The eight glyphs: FE 64, 64 row bytes, FE 08.
const QByteArray Glyphs = QByteArray::fromHex("fe64 080c0e0f0e0c0800 00000e0e0e0e0000 "
                                              "00001b1b1b1b0000 00041c1c1c040000 00051c1d1c050000 "
                                              "080c0e0f0e0c0800 001f11110e040400 000e0e0404040400 "
                                              "fe08");
} // namespace

class TestDisplayScheduler : public QObject
{
    Q_OBJECT

    struct Rig
    {
        PtyLink pty;
        ScreenLines lines;
        LineWriter writer{lines, pty.link};
        FixedClock clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};
        LargeClock large{pty.link, clock};
        WorldTimeSettings world{13, QStringLiteral("London"), false};
        TimeDateScreen timeDate{lines, clock, world};
        Outside outside;
        CountingScreen remote{lines}; // modes 5 to 7
        DisplayScheduler s{pty.link, lines, writer, large, clock, outside, outside};
        Rig()
        {
            if (!pty.open())
                qFatal("cannot open the simulated module");
            s.setScreen(1, &timeDate);
            for (int mode : {5, 6, 7})
                s.setScreen(mode, &remote);
        }
    };

private Q_SLOTS:
    void initTestCase()
    {
        setLocalZone("UTC");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Offline, modes 5 and 6 say so and go no further. Every mode is saved
    // at shutdown.
    void switchWire_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<bool>("timer4");
        QTest::newRow("0 large clock") << 0 << QByteArray::fromHex("0d fe09") << false;
        QTest::newRow("1 time and date") << 1 << QByteArray::fromHex("0d") << false;
        QTest::newRow("2 cpu") << 2 << QByteArray::fromHex("0d") << false;
        QTest::newRow("3 network") << 3 << QByteArray::fromHex("0d") + Glyphs << false;
        QTest::newRow("4 player") << 4 << QByteArray::fromHex("0d") + Glyphs + Glyphs << true;
        QTest::newRow("5 weather, offline") << 5 << QByteArray::fromHex("0d") << false;
        QTest::newRow("6 stock, offline") << 6 << QByteArray::fromHex("0d") << false;
    }
    void switchWire()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, wire);
        QFETCH(bool, timer4);
        Rig r;
        r.s.selectMode(4); // Timer4 on, so every other switch must stop it
        r.pty.takeWrites();
        r.lines.setLine(2, "left over");
        r.outside.connected = false;
        r.s.UpdateCounter = 7;
        r.s.selectMode(mode);
        QCOMPARE(r.pty.takeWrites().join().toHex(' '), wire.toHex(' '));
        QCOMPARE(r.s.CurrentMode, mode);
        QCOMPARE(r.s.timer4Enabled(), timer4);
        QCOMPARE(r.lines.line(2), QByteArray());
        QCOMPARE(r.s.UpdateCounter, 7); // kept while offline
        const QList<QPair<QString, MessageIcon>> offline{
            {"Internet Not Available", MessageIcon::Information}};
        QCOMPARE(r.outside.shown, mode >= 5 ? offline : decltype(offline){});
    }

    // A mode without an option button selects nothing and sends nothing;
    // Timer3 blinks only in mode 0.
    void tickAndBlinkByMode()
    {
        Rig r;
        r.s.selectMode(9);
        r.s.tick();
        r.s.blinkTick();
        QCOMPARE(r.s.selectedMode(), -1);
        QVERIFY(r.pty.takeWrites().isEmpty());
        r.s.selectMode(1);
        r.pty.takeWrites();
        r.s.tick();
        r.s.blinkTick();
        QCOMPARE(r.s.statusClock(), QStringLiteral("2:05:07 PM"));
        QCOMPARE(r.pty.takeWrites().join(), QByteArray("\x0b"
                                                       "     2:05:07 PM     "
                                                       "  5-December-2026   "
                                                       "London Time         "
                                                       "5/Dec/26 14:05:07   "));
        r.s.selectMode(0);
        r.pty.takeWrites();
        r.s.blinkTick();
        QCOMPARE(r.pty.takeWrites(), QList<QByteArray>{QByteArray::fromHex("fe2e09")});
    }

    // Each step: ticks to run, the interval, online or not, then the refreshes
    // so far and UpdateCounter. The first refresh comes with the switch.
    void refreshCounting_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Steps>("steps");
        // Offline at the 600th tick: the retry comes 5000 ticks later, not before.
        QTest::newRow("weather, offline retry") << 5
                                                << Steps{{599, 600, 1, 1, 599},
                                                         {1, 600, 0, 1, -4400},
                                                         {4999, 600, 1, 1, 599},
                                                         {1, 600, 1, 2, 0}};
        // A shorter interval chosen while counting still refreshes.
        QTest::newRow("stock, interval shortened")
            << 6 << Steps{{100, 1200, 1, 1, 100}, {1, 60, 1, 2, 0}};
        QTest::newRow("mail every 60 ticks") << 7 << Steps{{59, 0, 1, 1, 59}, {1, 0, 1, 2, 0}};
    }
    void refreshCounting()
    {
        QFETCH(int, mode);
        QFETCH(Steps, steps);
        Rig r;
        r.s.WeatherUpdateSeconds = r.s.StockUpdateSeconds = steps[0][1];
        r.s.selectMode(mode);
        for (const QList<int>& step : std::as_const(steps)) {
            r.s.WeatherUpdateSeconds = r.s.StockUpdateSeconds = step[1];
            r.outside.connected = step[2];
            for (int i = 0; i < step[0]; ++i)
                r.s.tick();
            QCOMPARE(r.remote.shown, step[3]);
            QCOMPARE(r.s.UpdateCounter, step[4]);
        }
        QVERIFY(r.outside.shown.isEmpty()); // no message at a refresh
    }

    // Held data composes and writes the lines when it comes in, unless the
    // user chose a mode since: then it neither composes (the window's mirror)
    // nor writes.
    void heldRefresh_data()
    {
        QTest::addColumn<int>("next");
        QTest::newRow("still weather") << -1;
        QTest::newRow("large clock") << 0;
        QTest::newRow("weather again, offline") << 5;
    }
    void heldRefresh()
    {
        QFETCH(int, next);
        Rig r;
        r.remote.hold = true;
        r.s.selectMode(5);
        QVERIFY(r.remote.pending);
        if (next >= 0) {
            r.outside.connected = false;
            r.s.selectMode(next);
        }
        r.pty.takeWrites();
        r.remote.pending();
        const bool painted = next < 0;
        QCOMPARE(r.remote.shown, painted ? 1 : 0);
        QCOMPARE(r.lines.line(0), painted ? QByteArray("refresh 1") : QByteArray());
        QCOMPARE(r.pty.takeWrites().join().left(10), painted ? QByteArray("\x0brefresh 1") : "");
    }
};

QTEST_GUILESS_MAIN(TestDisplayScheduler)
#include "tst_displayscheduler.moc"
