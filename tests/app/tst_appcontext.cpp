#include "app/BacklightSchedule.h"
#include "app/PortChooser.h"
#include "app/RotationSettings.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ModeScreen.h"
#include "support/DovecotServer.h"
#include "support/HttpFixture.h"
#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestMprisPlayer.h"
#include "support/TestPlatform.h"
#include "support/TimeTestSupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

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

// Writes its refresh count into line 1; its data can be held back like a late download.
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

} // namespace

// The program without its views, over simulated modules and real sources.
class TestAppContext : public QObject
{
    Q_OBJECT

    TestPlatform m_platform;
    PrivateSessionBus m_bus;
    DovecotServer m_server;
    QString m_noBus;
    QString m_noServer;

    // Started with COM1 at com1 for this run only.
    std::unique_ptr<TestApp> started(LinkHarness& h, const QByteArray& ini, const QString& com1)
    {
        h.writeIni(ini);
        auto c = std::make_unique<TestApp>(h.iniPath(), m_platform);
        c->lifecycle().setTimersEnabled(false);
        c->lifecycle().overridePort(1, com1);
        c->lifecycle().start();
        [&] { QTRY_VERIFY(c->lifecycle().startupDone()); }();
        return c;
    }

    // A scheduler over four screens; the rig is its connection check and message boxes.
    struct Rig : InternetState, MessageSink
    {
        PtyLink pty;
        ScreenLines lines;
        LineWriter writer{lines, pty.link};
        FixedClock clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};
        Screen own{lines, {.cadence = Screen::Cadence::Own, .writesLines = false, .timerMs = 500}};
        Screen everyTick{lines, {.glyphUploads = 2}};
        Screen web{lines, {.cadence = Screen::Cadence::CountedTicks, .needsInternet = true}};
        Screen mail{lines, {.cadence = Screen::Cadence::CountedTicks}};
        bool connected = true;
        QList<UserMessage> shown;
        DisplayScheduler s = DisplayScheduler({mode(own), mode(everyTick), mode(web), mode(mail)},
                                              pty.link, lines, writer, clock, *this, *this);
        Rig() { QVERIFY(pty.open()); }
        static DisplayScheduler::Mode mode(Screen& s) { return {{}, {}, {&s, &Screen::show}}; }
        bool isConnected() const override { return connected; }
        void showMessage(const UserMessage& message) override { shown.append(message); }
        void requestFatalEnd() override {}
    };

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            m_noBus = u"No private session bus: "_s + m_bus.error();
        else // before anything in this process opens the session bus
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        DovecotServer::User many{"many", "secret-many", {}};
        many.messages.fill({"From: Ann <ann@example.org>\r\nSubject: Unread\r\n\r\nHi.\r\n", false},
                           12);
        m_noServer = m_server.start({many});
    }

    // COM3 at start-up, then COM2 chosen after it or during its detection: only
    // COM2's own detection reports. The module gets the query, code 41, clear,
    // backlight on, brightness (slider 20: 234), then mode 0's switch.
    void detection()
    {
        enum Click { None, After, During };
        const QString found = QStringLiteral("LCD Connected");
        const QString notOn2 = QStringLiteral("LCD Not Found On Com 2");
        const QByteArray init = hex("fe10 fe2900 0d fe06 fe28ea 0d fe09");
        const struct
        {
            const char* name;
            QByteArray com3; // the modules' answers; null: no device
            QByteArray com2;
            Click click;
            QStringList statuses;
            QString saved;
            QByteArray wire; // what the module in use got
        } rows[] = {
            {"0x45", "\x45", {}, None, {"LCD Not Found On Com 3"}, "3", hex("fe10 0d fe09")},
            {"no such device", {}, {}, None, {}, "3", {}},
            {"COM2 silent", "\x65", "", After, {found, notOn2}, "3", hex("fe10")},
            {"COM2 answers during detection", "", "\x65", During, {found}, "2", init},
            {"COM2 missing during detection", "\x65", {}, During, {notOn2}, "3", {}},
        };
        for (const auto& r : rows) {
            LinkHarness h;
            QStringList statuses;
            PtyLcdModule* com3 = r.com3.isNull() ? nullptr : h.addModule(r.com3);
            PtyLcdModule* com2 = r.com2.isNull() ? nullptr : h.addModule(r.com2);
            const auto path = [](auto* m) { return m ? m->slavePath().toUtf8() : "/none"_ba; };
            h.writeIni("[Settings]\nCommPort=3\nBacklight=20\n[Ports]\nCOM2=" + path(com2) +
                       "\nCOM3=" + path(com3) + "\n");
            auto c = std::make_unique<TestApp>(h.iniPath(), m_platform);
            c->lifecycle().setTimersEnabled(false);
            LinkController& link = c->linkController();
            connect(&link, &LinkController::statusTextChanged,
                    [&](const QString& s) { statuses << s; });
            QSignalSpy moduleFound(&link, &LinkController::moduleFound);
            QSignalSpy finished(&c->lifecycle(), &Lifecycle::startupFinished);
            c->lifecycle().start();
            if (r.click == During) {
                QVERIFY(com3->waitForBytes(2, 1000));
                QCOMPARE(finished.count(), 0); // start() returned; the wait runs on the event loop
            }
            if (r.click == After)
                QVERIFY(finished.wait(2000));
            if (r.click != None)
                link.comMenuClicked(2);
            QTRY_COMPARE(finished.count(), 1);
            PtyLcdModule* used = r.click == None ? com3 : com2;
            if (used)
                QTRY_COMPARE(used->received().toHex(' '), r.wire.toHex(' '));
            QTRY_COMPARE(statuses.size(), r.statuses.size());
            QCOMPARE(std::tuple(r.name, statuses, link.checkedComItem(), link.commPortText(),
                                c->link().isOpen(), moduleFound.count()),
                     std::tuple(r.name, r.statuses, r.click == None ? 3 : 2, r.saved,
                                !r.wire.isEmpty(), int(r.statuses.count(found))));
        }
    }

    // A session on the simulated module (COM1 for this run only): slider and
    // backlight bytes; what the end writes to the module and to the file.
    void sessionAndShutdown()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        const QByteArray notes = "; my notes\n[Settings]\nCommPort=3\nSetting=9600,n,8,1\n";
        auto c = started(h, notes + "Backlight=7\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=2\n",
                         module->slavePath());
        LinkController& link = c->linkController();
        link.comMenuClicked(1); // found there again: still not the port to save
        QTRY_COMPARE(module->received().size(), 23); // two detections, the CPU mode's clear
        QVERIFY(module->waitForBytes(23, 0));        // what has come is not waited for
        module->clearRecord();
        for (int position : {100, 0, 254})
            link.sliderMoved(position);
        link.backlightOffClicked();
        link.sliderMoved(50); // unavailable while the light is off
        link.backlightOnClicked();
        link.sliderMoved(50);
        QTRY_COMPARE(module->received().toHex(' '),
                     hex("fe289a fe28fe fe2800 fe07 fe06 fe28cc").toHex(' '));

        // An orderly end clears the module's lines, so a stopped clock is not
        // taken for the time; the backlight stays as the user chose.
        c->scheduler().selectMode(1);
        c->scheduler().tick();
        QTRY_VERIFY(!module->module().line(0).trimmed().isEmpty());
        module->clearRecord();
        QSignalSpy ended(&c->lifecycle(), &Lifecycle::finished);
        c->lifecycle().requestQuit();
        c->lifecycle().requestQuit(); // a second request (the window closing after SIGTERM)
        QCOMPARE(ended.count(), 1);
        QTRY_COMPARE(module->received().toHex(' '), hex("0d").toHex(' '));
        QVERIFY(module->module().backlight());
        QCOMPARE(h.readIni(), notes + "Backlight=50\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=1\n");
    }

    // A /dev/serial/by-id symlink: absent at start (brellixd started at boot),
    // plugged, unplugged and back with no descriptor left behind, power lost in
    // a suspend: each time the module is initialised (slider 4: 250) and shown.
    void replugged()
    {
        LinkHarness h;
        const QString path = h.dirPath(QStringLiteral("by-id-module"));
        PtyLcdModule* module = nullptr;
        const auto plug = [&] {
            module = h.addModule();
            QFile::remove(path);
            QVERIFY(QFile::link(module->slavePath(), path));
        };
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot open COM1"));
        auto c = started(h, "[Settings]\nBacklight=4\n[Mode]\nmode=1\n", path);
        LinkController& link = c->linkController();
        link.setWatchInterval(20);
        QSignalSpy found(&link, &LinkController::moduleFound);
        const auto showsTimeAndDate = [&] {
            QTRY_COMPARE_WITH_TIMEOUT(module->received().left(12).toHex(' '),
                                      hex("fe10 fe2900 0d fe06 fe28fa 0d").toHex(' '), 3000);
            c->scheduler().tick();
            QTRY_COMPARE(module->module().line(2), QByteArray("London Time         "));
        };
        QCOMPARE(link.statusText(), QStringLiteral("LCD Connection Status"));
        int descriptors[5] = {};
        for (int i = 0; i < 5; ++i) {
            QVERIFY(link.watching());
            plug();
            QTRY_COMPARE_WITH_TIMEOUT(link.statusText(), QStringLiteral("LCD Connected"), 3000);
            showsTimeAndDate();
            if (i == 0) { // after a resume
                module->module().reset();
                module->clearRecord();
                link.reinitialise();
                showsTimeAndDate();
                QCOMPARE(found.count(), 0); // the window is not sent out of the way again
            }
            descriptors[i] = int(QDir(QStringLiteral("/proc/self/fd")).count());
            QFile::remove(path);
            h.dropModule(module);
            // The next write finds the port gone.
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lost: device removed"));
            c->scheduler().tick();
            QTRY_COMPARE(link.statusText(), QStringLiteral("LCD Not Found On Com 1"));
        }
        QCOMPARE(descriptors[4], descriptors[1]);
        // After a quit nothing opens the port.
        c->lifecycle().requestQuit();
        plug();
        QTest::qWait(100); // five watch intervals
        QCOMPARE(std::pair(c->link().isOpen(), module->received()), std::pair(false, QByteArray()));
    }

    // The "Ports..." list: stable names first, each group by name, each line
    // says what the device is. A choice is saved in one write and switched to as
    // from the COM menu; one that cannot work changes nothing. A fatal end saves
    // nothing, once the last view showing the message has released it.
    void portsThenFatalEnd()
    {
        const QList<PortChooser::Device> devices =
            PortChooser::ordered({{"/dev/ttyS0", "", "", "", ""},
                                  {"/dev/ttyUSB1", "/dev/serial/by-id/usb-Prolific-if00",
                                   "USB-Serial Controller", "Prolific", ""},
                                  {"/dev/ttyACM0", "", "Arduino Uno", "", "8573"},
                                  {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A900XYZ-if00",
                                   "FT232R USB UART", "FTDI", "A900XYZ"}});
        QStringList labels;
        for (const auto& d : devices)
            labels << PortChooser::label(d);
        QCOMPARE(
            labels,
            (QStringList{
                "/dev/serial/by-id/usb-FTDI_FT232R_A900XYZ-if00 - FT232R USB UART (FTDI, A900XYZ)",
                "/dev/serial/by-id/usb-Prolific-if00 - USB-Serial Controller (Prolific)",
                "/dev/ttyACM0 - Arduino Uno (8573)", "/dev/ttyS0"}));
        LinkHarness h;
        const QString path = h.addModule()->slavePath();
        QByteArray ini = "[Settings]\nCommPort=1\n";
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot open COM1"));
        auto c = started(h, ini, QStringLiteral("/nonexistent/tty"));
        LinkController& link = c->linkController();
        QSignalSpy found(&link, &LinkController::moduleFound);
        PortChooser chooser(c->ini(), link);
        QString why;
        for (const auto& [com, settings, error] :
             {std::tuple(2, "9600,n,9,1", "are not valid"), {7, "9600,n,8,1", "COM1 to COM6"}})
            QVERIFY2(!chooser.apply(com, path, settings, &why) && why.contains(error),
                     qPrintable(why));
        QCOMPARE(h.readIni(), ini);
        ini += "Setting=9600,n,8,1\n\n[Ports]\nCOM1=" + path.toUtf8() + "\n";
        for (const auto& [com, settings] : {std::pair(1, "9600,n,8,1"), {6, "19200,n,8,1"}}) {
            QVERIFY(chooser.apply(com, path, settings, &why));
            if (com == 6)
                ini.replace("9600", "19200").append("COM6=" + path.toUtf8() + "\n");
            QCOMPARE(h.readIni(), ini);
            QTRY_COMPARE(found.count(), com == 1 ? 1 : 2);
            QCOMPARE(std::tuple(link.checkedComItem(), c->link().settings(), link.commPortText()),
                     std::tuple(com, QString::fromUtf8(settings), QString::number(com)));
        }
        c->scheduler().selectMode(2);
        QSignalSpy ended(&c->lifecycle(), &Lifecycle::finished);
        c->lifecycle().holdEnd();
        c->lifecycle().holdEnd();
        c->messages().requestFatalEnd();
        c->lifecycle().releaseEnd();
        QCOMPARE(ended.count(), 0);
        c->lifecycle().releaseEnd();
        QCOMPARE(std::pair(ended.count(), c->lifecycle().exitCode()), std::pair(qsizetype(1), 1));
        QCOMPARE(h.readIni(), ini);
    }

    // Outside text with control codes and 0xFE (destination name, weather and
    // stock answers) reaches the module only as text; the player's title scrolls
    // on the mode's own timer; the mail switch shows the count without a tick.
    void modesOnTheirSources()
    {
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", WeatherAnswer);
        server.on("/chart/AAPL", ChartAnswer);
        TestMprisPlayer player(m_bus.address(), u"e2e"_s, u"Playing"_s);
        player.setTrack(u"ABCDEFGHIJKLMNOPQRSTUVWXY"_s, {u"Some Artist"_s}, 225'000'000);
        ModuleApp p(m_platform);
        p.start(
            "[TimeZone]\nDestination=To\x0Bky\xFE\x01o\x7F\x1B[2J\n[Weather]\nCity=Berlin\n"
            "Source=service\n[Stock]\nSymbol=AAPL\n[Web]\nBase=" +
            server.base().toUtf8() + "/ws/\nYahooChart=" + server.base().toUtf8() +
            "/chart/\n[Mail]\nUrl=imaps://localhost:" + QByteArray::number(m_server.imapsPort()) +
            "/INBOX\nUser=many\nPasswordCommand=echo secret-many\nCaFile=" +
            m_server.caFile().toUtf8() + "\n");
        const struct
        {
            int mode;
            int row;
            QByteArray expected; // each control code and 0xFE (þ) a '?'
            bool ticking;
            QString skip; // rows that need it last
        } rows[] = {
            {1, 2, "To?ky??o??[2J Time  ", true, {}},
            {5, 0, "???[2jrain?         ", true, {}},
            {6, 0, "Ev?il??[2J?Inc      ", true, {}},
            {4, 0, "Playing Now: \x05      ", true, m_noBus},
            {4, 1, "GHIJKLMNOPQRSTUVWXY*", false, m_noBus},
            {7, 0, "12 Unread Messages  ", false, m_noServer},
        };
        for (const auto& r : rows) {
            if (!r.skip.isEmpty())
                QSKIP(qPrintable(r.skip));
            if (p.c->scheduler().currentMode() != r.mode)
                p.c->scheduler().selectMode(r.mode);
            QTRY_COMPARE_WITH_TIMEOUT((p.ticks(r.ticking), p.module->module().line(r.row)),
                                      r.expected, 15000);
        }
    }

    // Each switch clears the module and the lines, uploads the glyphs, runs the
    // screen's own timer only; offline, an internet mode says so and stops
    // there. An every-tick screen is one frame a tick.
    void scheduler()
    {
        Rig r;
        r.s.selectMode(9);
        r.s.tick();
        QCOMPARE(std::pair(r.s.selectedMode(), r.pty.takeWrites()),
                 std::pair(-1, QList<QByteArray>()));
        r.connected = false;
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
                                r.s.screenTimerActive(), r.shown.size(), r.s.currentMode(),
                                r.lines.line(2)),
                     std::tuple(row.mode, QByteArray("\x0d"), row.uploads, row.timer, row.messages,
                                row.mode, QByteArray()));
        }
        const QList<UserMessage> offline{
            {"Internet Not Available", MessageSeverity::Information, MessageCategory::Web}};
        QCOMPARE(r.shown, offline);
        QCOMPARE(std::pair(r.web.shown, r.mail.shown), std::pair(0, 1));

        r.s.selectMode(1);
        r.pty.takeWrites();
        r.s.tick();
        const QByteArray frame = r.pty.takeWrites().join();
        QCOMPARE(std::pair(frame.size(), frame.left(10)),
                 std::pair(qsizetype(81), QByteArray("\x0brefresh 1")));
        r.s.selectMode(0);
        r.s.stop();
        QCOMPARE(std::pair(r.s.screenTimerActive(), r.s.selectedMode()), std::pair(false, -1));

        // Each step: ticks to run, the interval, online or not, then the
        // refreshes so far. The first refresh comes with the switch.
        const struct
        {
            const char* name;
            int mode;
            QList<QList<int>> steps;
        } counts[] = {
            // Offline at the 600th tick: the retry comes 5000 ticks later, not before.
            {"offline", 2, {{599, 600, 1, 1}, {1, 600, 0, 1}, {4999, 600, 1, 1}, {1, 600, 1, 2}}},
            // A shorter interval chosen while counting still refreshes.
            {"interval shortened", 2, {{100, 1200, 1, 1}, {1, 60, 1, 2}}},
            // Mail asks no connection check.
            {"mail", 3, {{59, 60, 0, 1}, {1, 60, 0, 2}}},
        };
        for (const auto& row : counts) {
            Rig rig;
            Screen& screen = row.mode == 2 ? rig.web : rig.mail;
            rig.s.selectMode(row.mode);
            for (const QList<int>& step : row.steps) {
                screen.interval = step[1];
                rig.connected = step[2];
                for (int i = 0; i < step[0]; ++i)
                    rig.s.tick();
                QCOMPARE(std::pair(row.name, screen.shown), std::pair(row.name, step[3]));
            }
            QVERIFY(rig.shown.isEmpty()); // no message at a refresh
        }

        // Held data is shown when it comes, unless nothing came or a mode (the
        // same one too) was chosen since: each row, that mode (-1: none), the answer.
        for (const auto& [next, ok] : {std::pair(-1, true), {-1, false}, {0, true}, {2, true}}) {
            Rig rig;
            rig.web.hold = true;
            rig.s.selectMode(2);
            if (next >= 0) {
                rig.connected = false;
                rig.s.selectMode(next);
            }
            rig.pty.takeWrites();
            rig.web.pending(ok);
            const bool painted = next < 0 && ok;
            QCOMPARE(std::tuple(next, ok, rig.web.cancelled, rig.web.shown,
                                rig.pty.takeWrites().join().left(10)),
                     std::tuple(next, ok, int(next >= 0), int(painted),
                                painted ? QByteArray("\x0brefresh 1") : QByteArray()));
        }
    }

    // The settings read at start-up (what differs from a fresh install's),
    // each refused value with a warning that names it and the default used.
    void load()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        const QStringList names{"CommPort", "Setting",   "Destination", "Symbol",   "City",
                                "Country",  "Backlight", "Zone",        "Daylight", "Stock",
                                "Weather",  "mode",      "COM1",        "COM2",     "COM3",
                                "COM4",     "COM5",      "COM6",        "Screens",  "Seconds",
                                "Enabled",  "Off",       "On"};
        QStringList defaults{"1",          "9600,n,8,1", "London",     "",           "",
                             "",           "0",          "13",         "0",          "300",
                             "1800",       "0",          "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2",
                             "/dev/ttyS3", "/dev/ttyS4", "/dev/ttyS5"};
        defaults.append({"", "10", "0", "", ""});
        const struct
        {
            const char* name;
            QByteArray file; // null: no file
            const char* changed;
            const char* bad = ""; // the default a refused value falls back to
        } rows[] = {
            {"no file", nullptr, ""},
            // A saved zone keeps an empty name empty; each section has its Update.
            {"values",
             "[Settings]\nCommPort= +3 \nSetting=19200,n,8,1\nBacklight=254\n[TimeZone]\n"
             "Zone=-32768\nDaylight=-1\n[Stock]\nSymbol=ACME\nUpdate=546\n[Weather]\nCity=Zürich\n"
             "Country=CH\nUpdate=10\n[Mode]\nmode=8\n[Ports]\n"
             "COM1=/dev/serial/by-id/usb-FTDI-if00\nCOM6=/dev/ttyUSB0\n"
             "[Rotation]\nScreens= clock ,Home,, time\nSeconds=3600\nEnabled=1\n"
             "[Backlight]\nOff=23:00\nOn=7:05",
             "CommPort=+3 Setting=19200,n,8,1 Destination= Symbol=ACME City=Zürich Country=CH "
             "Backlight=254 Zone=-32768 Daylight=1 Stock=32760 Weather=600 mode=8 "
             "COM1=/dev/serial/by-id/usb-FTDI-if00 COM6=/dev/ttyUSB0 Screens=clock,Home,time "
             "Seconds=3600 Enabled=1 Off=23:00 On=07:05"},
            {"empty values",
             "[Settings]\nCommPort=\nBacklight=\n[Stock]\nUpdate=\n[Ports]\nCOM1=", ""},
            {"CommPort not a number", "[Settings]\nCommPort=COM3", "", "1"},
            {"Backlight above", "[Settings]\nBacklight=255", "", "0"},
            {"Backlight 100 + 2^64", "[Settings]\nBacklight=18446744073709551716", "", "0"},
            {"Zone beyond 16 bits", "[TimeZone]\nZone=32768", "Destination=", "13"},
            {"Daylight text", "[TimeZone]\nDaylight=yes", "", "0"},
            {"Stock Update above", "[Stock]\nUpdate=547", "", "5"},
            {"rotation Seconds below", "[Rotation]\nSeconds=2", "", "10"},
            {"Off not a time", "[Backlight]\nOff=24:00", "", "\\(none\\)"},
        };
        for (const auto& r : rows) {
            LinkHarness h;
            if (!r.file.isNull())
                h.writeIni(r.file);
            const QString value = QString::fromUtf8(r.file.mid(r.file.indexOf('=') + 1)).trimmed();
            const QString warning = u"= \"%1\".*default %2$"_s;
            if (*r.bad)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning.arg(
                                                       QRegularExpression::escape(value), r.bad)));
            const modINI ini(h.iniPath());
            const AppSettings s = AppSettings::load(ini);
            const WorldTimeSettings t = WorldTimeSettings::load(ini);
            const StockSettings st = StockSettings::load(ini);
            const WeatherSettings w = WeatherSettings::load(ini);
            const RotationSettings rot = RotationSettings::load(ini);
            const BacklightSchedule b = BacklightSchedule::load(ini);
            QStringList got{s.CommPortText, s.SerialSettings, t.DestinationName(),
                            st.StockSymbol, w.WeatherCity,    w.WeatherCountry};
            for (int n : {s.Backlight, int(t.ZoneIndex()), int(t.ObserveDaylight()),
                          st.StockUpdateSeconds, w.WeatherUpdateSeconds, s.CurrentMode})
                got << QString::number(n);
            got << QStringList(s.Ports.begin(), s.Ports.end());
            got << rot.Screens.join(u',') << QString::number(rot.Seconds)
                << QString::number(rot.Enabled) << b.Off.toString(u"HH:mm")
                << b.On.toString(u"HH:mm");
            QStringList changed{QString::fromUtf8(r.name)};
            for (qsizetype i = 0; i < got.size(); ++i)
                if (got[i] != defaults[i])
                    changed << names[i] + u'=' + got[i];
            QCOMPARE(changed.join(u' '),
                     (QString::fromUtf8(r.name) + u' ' + QString::fromUtf8(r.changed)).trimmed());

            // What [Rotation] and [Backlight] save reads back the same.
            LinkHarness copy;
            modINI saved(copy.iniPath());
            QVERIFY(rot.save(saved) && b.save(saved));
            const RotationSettings rot2 = RotationSettings::load(saved);
            const BacklightSchedule b2 = BacklightSchedule::load(saved);
            QVERIFY2(rot2.Screens == rot.Screens && rot2.Seconds == rot.Seconds &&
                         rot2.Enabled == rot.Enabled && b2.Off == b.Off && b2.On == b.On,
                     r.name);
        }
    }
};

QTEST_GUILESS_MAIN(TestAppContext)
#include "tst_appcontext.moc"
