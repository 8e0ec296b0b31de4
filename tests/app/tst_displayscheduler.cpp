#include "app/DisplayScheduler.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ModeScreen.h"
#include "screens/base/ScreenLines.h"
#include "support/FixedClock.h"
#include "support/TimeTestSupport.h"

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

// A screen that writes its refresh count into line 1; its data can be held
// back like a download that has not come in yet.
struct Screen : ModeScreen
{
    Screen(ScreenLines& l, Traits t) : lines(l), t(t) {}
    ScreenLines& lines;
    Traits t;
    int interval = 60;
    int shown = 0;
    int cancelled = 0;
    bool hold = false;
    FetchDone pending;
    Traits traits() const override { return t; }
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

using Steps = QList<QList<int>>;
} // namespace

class TestDisplayScheduler : public QObject
{
    Q_OBJECT

    struct Rig
    {
        using C = ModeScreen::Cadence;
        PtyLink pty;
        ScreenLines lines;
        LineWriter writer{lines, pty.link};
        FixedClock clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};
        Screen own{lines, {.cadence = C::Own, .writesLines = false, .timerMs = 500}};
        Screen everyTick{lines, {.glyphUploads = 2}};
        Screen web{lines, {.cadence = C::CountedTicks, .needsInternet = true}};
        Screen mail{lines, {.cadence = C::CountedTicks}};
        Outside outside;
        DisplayScheduler s{{{"own timer", &own, &Screen::show},
                            {"every tick", &everyTick, &Screen::show},
                            {"web", &web, &Screen::show},
                            {"mail", &mail, &Screen::show}},
                           pty.link,
                           lines,
                           writer,
                           clock,
                           outside,
                           outside};
        Rig() { QVERIFY(pty.open()); }
    };

private Q_SLOTS:
    void initTestCase()
    {
        setLocalZone("UTC");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // A mode without an option button selects nothing and sends nothing.
    // Each switch clears the module and the lines and uploads the screen's
    // glyphs; only a screen with a timer of its own keeps one running.
    // Offline, an internet mode says so and goes no further. Every mode is
    // saved at shutdown. An every-tick screen is written as one frame at each
    // tick; after the stop no mode is shown.
    void switching()
    {
        Rig r;
        r.s.selectMode(9);
        r.s.tick();
        QCOMPARE(r.s.selectedMode(), -1);
        QVERIFY(r.pty.takeWrites().isEmpty());
        r.outside.connected = false;
        const struct
        {
            int mode;
            qsizetype uploads;
            bool timer;
            int messages;
        } rows[] = {{0, 0, true, 0}, {1, 2, false, 0}, {2, 0, false, 1}, {3, 0, false, 1}};
        for (const auto& row : rows) {
            r.lines.setLine(2, "left over");
            r.s.selectMode(row.mode);
            const QByteArray wire = r.pty.takeWrites().join();
            QCOMPARE(std::tuple(row.mode, wire.left(1), wire.count("\xfe\x64"),
                                r.s.screenTimerActive(), r.outside.shown.size(), r.s.currentMode()),
                     std::tuple(row.mode, QByteArray("\x0d"), row.uploads, row.timer, row.messages,
                                row.mode));
            QCOMPARE(r.lines.line(2), QByteArray());
        }
        const QList<UserMessage> offline{
            {"Internet Not Available", MessageSeverity::Information, MessageCategory::Web}};
        QCOMPARE(r.outside.shown, offline);
        QCOMPARE(r.web.shown, 0);
        QCOMPARE(r.mail.shown, 1);

        r.s.selectMode(1);
        r.pty.takeWrites();
        r.s.tick();
        QCOMPARE(r.s.statusClock(), QStringLiteral("2:05:07 PM"));
        const QByteArray frame = r.pty.takeWrites().join();
        QCOMPARE(frame.size(), 81);
        QCOMPARE(frame.left(10), QByteArray("\x0brefresh 1"));
        r.s.selectMode(0);
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
        QTest::newRow("web, offline retry")
            << 2 << Steps{{599, 600, 1, 1}, {1, 600, 0, 1}, {4999, 600, 1, 1}, {1, 600, 1, 2}};
        // A shorter interval chosen while counting still refreshes.
        QTest::newRow("web, interval shortened") << 2 << Steps{{100, 1200, 1, 1}, {1, 60, 1, 2}};
        // Mail asks no connection check.
        QTest::newRow("mail every 60 ticks") << 3 << Steps{{59, 60, 0, 1}, {1, 60, 0, 2}};
    }
    void refreshCounting()
    {
        QFETCH(int, mode);
        QFETCH(Steps, steps);
        Rig r;
        Screen& screen = mode == 2 ? r.web : r.mail;
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
        QTest::newRow("still web") << -1 << true;
        QTest::newRow("still web, failed") << -1 << false;
        QTest::newRow("another mode") << 0 << true;
        QTest::newRow("web again, offline") << 2 << true;
    }
    void heldRefresh()
    {
        QFETCH(int, next);
        QFETCH(bool, ok);
        Rig r;
        r.web.hold = true;
        r.s.selectMode(2);
        QVERIFY(r.web.pending);
        if (next >= 0) {
            r.outside.connected = false;
            r.s.selectMode(next);
            QCOMPARE(r.web.cancelled, 1);
        }
        r.pty.takeWrites();
        r.web.pending(ok);
        const bool painted = next < 0 && ok;
        QCOMPARE(r.web.shown, painted ? 1 : 0);
        QCOMPARE(r.lines.line(0), painted ? QByteArray("refresh 1") : QByteArray());
        QCOMPARE(r.pty.takeWrites().join().left(10), painted ? QByteArray("\x0brefresh 1") : "");
    }
};

QTEST_GUILESS_MAIN(TestDisplayScheduler)
#include "tst_displayscheduler.moc"
