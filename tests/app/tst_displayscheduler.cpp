#include "app/DisplayScheduler.h"
#include "platform/Clock.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "screens/time/LargeClock.h"
#include "screens/time/LineWriter.h"
#include "screens/time/ModeScreen.h"
#include "screens/time/ScreenLines.h"
#include "screens/time/TimeDateScreen.h"
#include "screens/time/TimeTestSupport.h"
#include "screens/time/WorldTimeSettings.h"

#include <QtTest>

namespace {
struct FakeInternet : InternetState
{
    bool connected = true;
    mutable int asked = 0;
    bool isConnected() const override
    {
        ++asked;
        return connected;
    }
};

struct RecordedMessages : MessageSink
{
    QList<QPair<QString, MessageIcon>> shown;
    int quits = 0;
    void showMessage(const QString& text, MessageIcon icon) override { shown.append({text, icon}); }
    void requestQuit() override { ++quits; }
};

// A screen that writes a counter into line 1; its data can be held back
// like a download that has not come in yet.
struct CountingScreen : ModeScreen
{
    explicit CountingScreen(ScreenLines& l) : lines(l) {}
    ScreenLines& lines;
    int entered = 0;
    int shown = 0;
    bool holdRefresh = false;
    std::function<void()> pending;
    void enter() override { ++entered; }
    void show() override { lines.setLine(0, "refresh " + QByteArray::number(++shown)); }
    void fetch(std::function<void()> ready) override
    {
        if (holdRefresh)
            pending = std::move(ready);
        else
            ready();
    }
};

// The eight glyphs, written out by hand: FE 64, 64 row bytes, FE 08.
const QByteArray Glyphs = QByteArray::fromHex("fe64"
                                              "080c0e0f0e0c0800"
                                              "00000e0e0e0e0000"
                                              "00001b1b1b1b0000"
                                              "00041c1c1c040000"
                                              "00051c1d1c050000"
                                              "080c0e0f0e0c0800"
                                              "001f1111 0e040400"
                                              "000e0e04 04040400"
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
        FakeInternet internet;
        RecordedMessages messages;
        CountingScreen cpu{lines}, net{lines}, player{lines}, weather{lines}, stock{lines},
            mail{lines};
        DisplayScheduler s{pty.link, lines, writer, large, clock, internet, messages};
        qsizetype sent = 0; // bytes the link wrote since the last drain
        Rig()
        {
            QObject::connect(&pty.link, &LcdLink::sent,
                             [this](const QByteArray& b) { sent += b.size(); });
            s.setScreen(1, &timeDate);
            s.setScreen(2, &cpu);
            s.setScreen(3, &net);
            s.setScreen(4, &player);
            s.setScreen(5, &weather);
            s.setScreen(6, &stock);
            s.setScreen(7, &mail);
        }
        // Lets everything sent so far arrive, then forgets it.
        void drain()
        {
            QVERIFY(pty.waitFor(sent));
            QTest::qWait(10);
            pty.module->clearRecord();
            pty.takeWrites();
            sent = 0;
        }
        QByteArray wire(int count)
        {
            if (!pty.waitFor(count))
                return pty.module->received();
            QTest::qWait(30); // nothing more may follow
            return pty.module->received();
        }
    };

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void switchWire_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("writes");
        QTest::addColumn<bool>("timer4");
        QTest::newRow("0 large clock") << 0 << QByteArray::fromHex("0d fe09") << 2 << false;
        QTest::newRow("1 time and date") << 1 << QByteArray::fromHex("0d") << 1 << false;
        QTest::newRow("2 cpu") << 2 << QByteArray::fromHex("0d") << 1 << false;
        QTest::newRow("3 network") << 3 << QByteArray::fromHex("0d") + Glyphs << 10 << false;
        QTest::newRow("4 player") << 4 << QByteArray::fromHex("0d") + Glyphs + Glyphs << 19
                                  << true;
    }
    void switchWire()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, wire);
        QFETCH(int, writes);
        QFETCH(bool, timer4);
        Rig r;
        QVERIFY(r.pty.open());
        r.lines.setLine(2, "left over");
        r.s.selectMode(4); // Timer4 on, so every other switch must stop it
        r.drain();
        r.s.selectMode(mode);
        QCOMPARE(r.wire(wire.size()).toHex(' '), wire.toHex(' '));
        QCOMPARE(r.pty.takeWrites().size(), writes);
        QCOMPARE(r.s.CurrentMode, mode);
        QCOMPARE(r.s.selectedMode(), mode);
        QCOMPARE(r.s.timer4Enabled(), timer4);
        for (int i = 0; i < 4; ++i)
            QVERIFY(r.lines.line(i).isEmpty());
    }

    void tickOfTimeAndDate()
    {
        Rig r;
        QVERIFY(r.pty.open());
        r.s.selectMode(1);
        r.drain();
        QSignalSpy clock(&r.s, &DisplayScheduler::statusClockChanged);
        r.s.tick();
        QCOMPARE(clock.count(), 1);
        QCOMPARE(clock.at(0).at(0).toString(), QStringLiteral("2:05:07 PM"));
        const QByteArray expected = "\x0b"
                                    "     2:05:07 PM     "
                                    "  5-December-2026   "
                                    "London Time         "
                                    "5/Dec/26 14:05:07   ";
        QCOMPARE(r.wire(81), expected);
        QCOMPARE(r.pty.module->module().line(0), QByteArray("     2:05:07 PM     "));
    }

    void blinkOnlyInLargeClockMode()
    {
        Rig r;
        QVERIFY(r.pty.open());
        r.s.selectMode(1);
        r.drain();
        r.s.blinkTick();
        QCOMPARE(r.large.BlinkCount, qint16(0));
        QCOMPARE(r.pty.takeWrites().size(), 0);
        r.s.selectMode(0);
        r.drain();
        r.s.blinkTick();
        QCOMPARE(r.large.BlinkCount, qint16(1));
        QCOMPARE(r.pty.takeWrites(), QList<QByteArray>{QByteArray::fromHex("fe2e09")});
    }

    void noModeSelected()
    {
        Rig r;
        QVERIFY(r.pty.open());
        r.s.CurrentMode = 9;
        r.s.selectMode(9);
        r.s.tick();
        r.s.blinkTick();
        QCOMPARE(r.s.selectedMode(), -1);
        QCOMPARE(r.s.CurrentMode, 9);
        QTest::qWait(30);
        QVERIFY(r.pty.module->received().isEmpty());
    }

    void internetModesOffline_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("weather") << 5;
        QTest::newRow("stock") << 6;
    }
    void internetModesOffline()
    {
        QFETCH(int, mode);
        Rig r;
        QVERIFY(r.pty.open());
        r.internet.connected = false;
        r.s.UpdateCounter = 7;
        r.lines.setLine(0, "old");
        r.s.selectMode(mode);
        QCOMPARE(r.messages.shown.size(), 1);
        QCOMPARE(r.messages.shown[0].first, QStringLiteral("Internet Not Available"));
        QCOMPARE(r.messages.shown[0].second, MessageIcon::Information);
        QCOMPARE(r.s.UpdateCounter, 7); // kept while offline
        QCOMPARE(r.wire(1).toHex(' '), QByteArray("0d"));
        QVERIFY(r.lines.line(0).isEmpty());
        QCOMPARE(r.s.CurrentMode, mode); // saved at shutdown like the others
    }

    void offlineRetryComes5000TicksLater()
    {
        Rig r;
        r.s.WeatherUpdateSeconds = 600;
        r.s.selectMode(5);
        QCOMPARE(r.weather.shown, 1); // the first refresh at the switch
        QCOMPARE(r.s.UpdateCounter, 0);
        for (int i = 0; i < 599; ++i)
            r.s.tick();
        QCOMPARE(r.weather.shown, 1);
        r.internet.connected = false;
        r.s.tick();
        QCOMPARE(r.s.UpdateCounter, -4400);
        QCOMPARE(r.s.InternetConnected, false);
        QCOMPARE(r.weather.shown, 1);
        QVERIFY(r.messages.shown.isEmpty()); // no message at a refresh
        r.internet.connected = true;
        const int asked = r.internet.asked;
        for (int i = 0; i < 4999; ++i)
            r.s.tick();
        QCOMPARE(r.internet.asked, asked); // not asked again before the retry
        r.s.tick();
        QCOMPARE(r.weather.shown, 2);
        QCOMPARE(r.s.UpdateCounter, 0);
    }

    void counterStaysBounded()
    {
        Rig r;
        r.s.StockUpdateSeconds = 1200;
        r.s.selectMode(6);
        for (int i = 0; i < 100; ++i)
            r.s.tick();
        r.s.StockUpdateSeconds = 60; // a shorter interval chosen while counting
        r.s.tick();
        QCOMPARE(r.stock.shown, 2);
        QCOMPARE(r.s.UpdateCounter, 0);
    }

    void mailEverySixtyTicks()
    {
        Rig r;
        r.s.selectMode(7);
        QCOMPARE(r.mail.entered, 1);
        QCOMPARE(r.mail.shown, 1);
        for (int i = 0; i < 59; ++i)
            r.s.tick();
        QCOMPARE(r.mail.shown, 1);
        r.s.tick();
        QCOMPARE(r.mail.shown, 2);
        for (int i = 0; i < 60; ++i)
            r.s.tick();
        QCOMPARE(r.mail.shown, 3);
    }

    // The lines are composed when the data is in, not before.
    void heldRefreshComposesWhenItComesIn()
    {
        Rig r;
        QVERIFY(r.pty.open());
        r.weather.holdRefresh = true;
        r.s.selectMode(5);
        r.drain();
        QVERIFY(r.weather.pending);
        QCOMPARE(r.weather.shown, 0);
        QVERIFY(r.lines.line(0).isEmpty());
        r.weather.pending();
        QCOMPARE(r.weather.shown, 1);
        QCOMPARE(r.lines.line(0), QByteArray("refresh 1"));
        QCOMPARE(r.wire(81).left(10), QByteArray("\x0b" "refresh 1"));
    }

    // A download that comes in after the user chose another mode neither
    // composes the lines (the window's mirror) nor writes them.
    void lateRefreshDoesNotPaintOverNewMode_data()
    {
        QTest::addColumn<int>("next");
        QTest::newRow("large clock") << 0;
        QTest::newRow("time and date") << 1;
        QTest::newRow("stock, offline") << 6;
        QTest::newRow("weather again, offline") << 5;
    }
    void lateRefreshDoesNotPaintOverNewMode()
    {
        QFETCH(int, next);
        Rig r;
        QVERIFY(r.pty.open());
        r.weather.holdRefresh = true;
        r.s.selectMode(5);
        QVERIFY(r.weather.pending);
        r.internet.connected = false;
        r.s.selectMode(next);
        r.drain();
        r.weather.pending(); // the download comes in after the switch
        QTest::qWait(30);
        QCOMPARE(r.weather.shown, 0);
        for (int i = 0; i < 4; ++i)
            QVERIFY(r.lines.line(i).isEmpty());
        QVERIFY(r.pty.module->received().isEmpty());
        QVERIFY(r.pty.takeWrites().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDisplayScheduler)
#include "tst_displayscheduler.moc"
