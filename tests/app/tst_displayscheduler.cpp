#include "app/DisplayScheduler.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "screens/clock/LargeClock.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/TimeDateScreen.h"
#include "support/TimeTestSupport.h"
#include "screens/clock/WorldTimeSettings.h"
#include "support/FixedClock.h"

namespace {
// The connection check and the message boxes.
struct Outside : InternetState, MessageSink
{
    bool connected = true;
    QList<UserMessage> shown;
    bool isConnected() const override { return connected; }
    void showMessage(const UserMessage& message) override { shown.append(message); }
    void requestFatalEnd() override {}
};

// A counted screen that writes its refresh count into line 1; its data can
// be held back like a download that has not come in yet.
struct CountingScreen : ModeScreen
{
    CountingScreen(ScreenLines& l, bool internet) : lines(l), needsInternet(internet) {}
    ScreenLines& lines;
    bool needsInternet;
    int interval = 60;
    int shown = 0;
    int cancelled = 0;
    bool hold = false;
    FetchDone pending;
    Traits traits() const override
    {
        return Traits{.cadence = Cadence::CountedTicks, .needsInternet = needsInternet};
    }
    int refreshTicks() const override { return interval; }
    void show() { lines.setLine(0, "refresh " + QByteArray::number(++shown)); }
    void fetch(FetchDone done) override
    {
        if (hold)
            pending = std::move(done);
        else
            done(true);
    }
    void cancelFetch() override { ++cancelled; }
};

// A screen that shows nothing and uploads the custom characters so often.
struct GlyphScreen : ModeScreen
{
    explicit GlyphScreen(int uploads) : uploads(uploads) {}
    int uploads;
    Traits traits() const override { return Traits{.glyphUploads = uploads}; }
    void show() {}
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

    // The table of the program's modes, with counting screens for the
    // counted ones.
    struct Rig
    {
        PtyLink pty;
        ScreenLines lines;
        LineWriter writer{lines, pty.link};
        FixedClock clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};
        LargeClock large{pty.link, clock};
        WorldTimeSettings world{13, QStringLiteral("London"), false};
        TimeDateScreen timeDate{lines, clock, world};
        GlyphScreen cpu{0};
        GlyphScreen network{1};
        GlyphScreen player{2};
        CountingScreen weather{lines, true};
        CountingScreen stock{lines, true};
        CountingScreen mail{lines, false};
        Outside outside;
        DisplayScheduler s{{{"Large Characters Clock", &large, &LargeClock::ShowLargeClock},
                            {"Time And Date", &timeDate, &TimeDateScreen::ShowTimeDate},
                            {"CPU Info", &cpu, &GlyphScreen::show},
                            {"Network Info", &network, &GlyphScreen::show},
                            {"WinAmp Plugin", &player, &GlyphScreen::show},
                            {"Weather Station", &weather, &CountingScreen::show},
                            {"Stock Quote", &stock, &CountingScreen::show},
                            {"POP Email", &mail, &CountingScreen::show}},
                           pty.link,
                           lines,
                           writer,
                           clock,
                           outside,
                           outside};
        Rig() { QVERIFY(pty.open()); }
        CountingScreen& counted(int mode) { return mode == 5 ? weather : mode == 6 ? stock : mail; }
    };

private Q_SLOTS:
    void initTestCase()
    {
        setLocalZone("UTC");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Offline, the internet modes say so and go no further. Every mode is
    // saved at shutdown. Only the large clock keeps a timer of its own, so
    // the other modes wake the program once a second.
    void switchWire_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<bool>("ownTimer");
        QTest::newRow("0 large clock") << 0 << QByteArray::fromHex("0d fe09") << true;
        QTest::newRow("1 time and date") << 1 << QByteArray::fromHex("0d") << false;
        QTest::newRow("4 player") << 4 << QByteArray::fromHex("0d") + Glyphs + Glyphs << false;
        QTest::newRow("5 weather, offline") << 5 << QByteArray::fromHex("0d") << false;
    }
    void switchWire()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, wire);
        QFETCH(bool, ownTimer);
        Rig r;
        r.s.selectMode(0); // the colon timer on, so every other switch must stop it
        QVERIFY(r.s.screenTimerActive());
        r.pty.takeWrites();
        r.lines.setLine(2, "left over");
        r.outside.connected = false;
        r.s.selectMode(7);
        for (int i = 0; i < 7; ++i)
            r.s.tick();
        r.s.selectMode(mode);
        QCOMPARE(r.pty.takeWrites().join().right(wire.size()).toHex(' '), wire.toHex(' '));
        QCOMPARE(r.s.currentMode(), mode);
        QCOMPARE(r.s.screenTimerActive(), ownTimer);
        QCOMPARE(r.lines.line(2), QByteArray());
        const QList<UserMessage> offline{
            {"Internet Not Available", MessageSeverity::Information, MessageCategory::Web}};
        QCOMPARE(r.outside.shown, mode >= 5 ? offline : QList<UserMessage>{});
    }

    // A mode without an option button selects nothing and sends nothing; the
    // colon blinks on its own timer, only in the large clock mode.
    void tickAndBlinkByMode()
    {
        Rig r;
        r.s.selectMode(9);
        r.s.tick();
        QCOMPARE(r.s.selectedMode(), -1);
        QVERIFY(r.pty.takeWrites().isEmpty());
        r.s.selectMode(1);
        r.pty.takeWrites();
        r.s.tick();
        QCOMPARE(r.s.statusClock(), QStringLiteral("2:05:07 PM"));
        const QByteArray frame = r.pty.takeWrites().join(); // the lines, as one frame
        QCOMPARE(frame.size(), 81);
        QCOMPARE(frame.mid(41, 20), QByteArray("London Time         "));
        r.s.selectMode(0);
        r.pty.takeWrites();
        QTRY_COMPARE_WITH_TIMEOUT(r.pty.spy.count(), 1, 2000);
        QCOMPARE(r.pty.takeWrites(), QList<QByteArray>{QByteArray::fromHex("fe2e09")});
        QTRY_COMPARE_WITH_TIMEOUT(r.pty.spy.count(), 2, 2000);
        QCOMPARE(r.pty.takeWrites(), (QList<QByteArray>{QByteArray::fromHex("fe320109df"),
                                                        QByteArray::fromHex("fe320309df")}));
        r.s.stop();
        QVERIFY(!r.s.screenTimerActive());
        QCOMPARE(r.s.selectedMode(), -1);
    }

    // Each step: ticks to run, the interval, online or not, then the refreshes
    // so far. The first refresh comes with the switch.
    void refreshCounting_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Steps>("steps");
        // Offline at the 600th tick: the retry comes 5000 ticks later, not before.
        QTest::newRow("weather, offline retry")
            << 5
            << Steps{{599, 600, 1, 1}, {1, 600, 0, 1}, {4999, 600, 1, 1}, {1, 600, 1, 2}};
        // A shorter interval chosen while counting still refreshes.
        QTest::newRow("stock, interval shortened")
            << 6 << Steps{{100, 1200, 1, 1}, {1, 60, 1, 2}};
        // Mail asks no connection check.
        QTest::newRow("mail every 60 ticks") << 7 << Steps{{59, 60, 0, 1}, {1, 60, 0, 2}};
    }
    void refreshCounting()
    {
        QFETCH(int, mode);
        QFETCH(Steps, steps);
        Rig r;
        CountingScreen& screen = r.counted(mode);
        screen.interval = steps[0][1];
        r.outside.connected = steps[0][2];
        r.s.selectMode(mode);
        for (const QList<int>& step : std::as_const(steps)) {
            screen.interval = step[1];
            r.outside.connected = step[2];
            for (int i = 0; i < step[0]; ++i)
                r.s.tick();
            QCOMPARE(screen.shown, step[3]);
        }
        QVERIFY(r.outside.shown.isEmpty()); // no message at a refresh
    }

    // Held data composes and writes the lines when it comes in, unless the
    // user chose a mode since (the fetch is then cancelled, and a late answer
    // neither composes nor writes) or nothing came.
    void heldRefresh_data()
    {
        QTest::addColumn<int>("next");
        QTest::addColumn<bool>("ok");
        QTest::newRow("still weather") << -1 << true;
        QTest::newRow("still weather, failed") << -1 << false;
        QTest::newRow("large clock") << 0 << true;
        QTest::newRow("weather again, offline") << 5 << true;
    }
    void heldRefresh()
    {
        QFETCH(int, next);
        QFETCH(bool, ok);
        Rig r;
        r.weather.hold = true;
        r.s.selectMode(5);
        QVERIFY(r.weather.pending);
        if (next >= 0) {
            r.outside.connected = false;
            r.s.selectMode(next);
            QCOMPARE(r.weather.cancelled, 1);
        }
        r.pty.takeWrites();
        r.weather.pending(ok);
        const bool painted = next < 0 && ok;
        QCOMPARE(r.weather.shown, painted ? 1 : 0);
        QCOMPARE(r.lines.line(0), painted ? QByteArray("refresh 1") : QByteArray());
        QCOMPARE(r.pty.takeWrites().join().left(10), painted ? QByteArray("\x0brefresh 1") : "");
    }
};

QTEST_GUILESS_MAIN(TestDisplayScheduler)
#include "tst_displayscheduler.moc"
