#include "lcd/LcdLink.h"
#include "platform/MediaPlayerLink.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/player/WinAmpScreen.h"
#include "screens/player/WinAmpSettings.h"
#include "screens/player/modWinAmp.h"
#include "support/LinkHarness.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using State = MediaPlayerLink::PlaybackState;

namespace {
// A player link that answers what the test sets; the listing comes when
// the test says so.
struct ScriptedPlayer : MediaPlayerLink
{
    bool present = false;
    State playing = State::Stopped;
    Track current;
    double level = 0.0;
    qint64 position = 0; // what the link last read
    qint64 playerPosition = 0; // what the player would say if asked: players do not announce it
    QString preferred;
    std::vector<std::function<void()>> waiting;

    void start(std::function<void()> listed) override
    {
        if (listed)
            waiting.push_back(std::move(listed));
    }
    void list()
    {
        for (auto& callback : std::exchange(waiting, {}))
            callback();
    }
    void setPreferredPlayer(const QString& suffix) override { preferred = suffix; }
    bool hasPlayer() const override { return present; }
    State state() const override { return playing; }
    Track track() const override { return current; }
    double volume() const override { return level; }
    qint64 positionUs() const override { return position; }
    void refresh() override { position = playerPosition; }
};

// The screen on the simulated module, with a settings file.
struct Rig
{
    LinkHarness harness;
    PtyLcdModule* module = harness.addModule();
    LcdLink link;
    ScreenLines lines;
    modINI ini{harness.iniPath()};
    ScriptedPlayer player;
    QList<QStringList> started;
    bool startWorks = true;
    WinAmpScreen screen{lines, link, [this] { return WinAmpSettings::load(ini); }, player,
                        [this](const QString& program, const QStringList& arguments) {
                            started.append(QStringList{program} + arguments);
                            return startWorks;
                        }};
    QSignalSpy sent{&link, &LcdLink::sent};

    Rig()
    {
        link.setPortPaths({module->slavePath()});
        link.setPortNumber(1);
        if (!link.openPort())
            qFatal("cannot open the simulated module");
    }
    QByteArray show()
    {
        screen.ShowWinAmp();
        return lines.line(0) + '|' + lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3);
    }
    void play(const QString& title, const QStringList& artists = {u"Artist"_s})
    {
        player.present = true;
        player.playing = State::Playing;
        player.current.title = title;
        player.current.artists = artists;
        player.level = 1.0;
    }
    // What the scroller wrote at one tick.
    QByteArray scroll()
    {
        sent.clear();
        screen.ScrollTitle();
        QByteArray wire;
        for (const QList<QVariant>& write : std::as_const(sent))
            wire += write.at(0).toByteArray();
        return wire;
    }
};
} // namespace

class TestWinAmpScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The four lines by state and track: 01 stop, 02 pause, 03 volume at 0%,
    // 04 volume, 05 play (an ordinary song: in the end-to-end test, tst_winampmode).
    void showWinAmp_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("artists");
        QTest::addColumn<QString>("url");
        QTest::addColumn<qint64>("lengthUs");
        QTest::addColumn<qint64>("positionUs");
        QTest::addColumn<double>("volume");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char* name, State state, const QString& title,
                      const QStringList& artists, qint64 length, qint64 position, double volume,
                      const QByteArray& expected, const QString& url = {}) {
            QTest::newRow(name) << int(state) << title << artists << url << length << position
                                << volume << expected;
        };
        const QStringList some{u"7. Some Artist"_s};
        row("stopped", State::Stopped, u"Some Song"_s, some, 1, 1, 1.0, "|  \x01 WINAMP STOPPED||");
        row("paused", State::Paused, u"Some Song"_s, some, 1, 1, 1.0, "|   \x02 WINAMP PAUSED||");
        row("length unknown, volume 0", State::Playing, u"Radio"_s, some, -1, 0, 0.0,
            "Playing Now: \x05|Radio|7. Some Artist|0:00 0:00 \x03 0%");
        row("above full, rounded lengths", State::Playing, u"S"_s, some, 59'500'000, 3'500'000, 1.3,
            "Playing Now: \x05|S|7. Some Artist|1:00 0:04 \x04 130%");
        row("artists joined, cut at 20", State::Playing, u"Song - Live"_s,
            {u"Simon - Garfunkel"_s, u"Guest"_s}, 0, 0, 1.0,
            "Playing Now: \x05|Song - Live|Simon - Garfunkel, G|0:00 0:00 \x04 100%");
        row("no title: the file name", State::Playing, QString(), {}, 0, 0, 1.0,
            "Playing Now: \x05|Track 01.ogg||0:00 0:00 \x04 100%",
            u"file:///music/Track%2001.ogg"_s);
        row("foreign text and controls", State::Playing,
            u"Caf\u00e9 \u2615\U0001F600\n\x1b\u00fe"_s, {u"M\u00f6tley Cr\u00fce\t\u0000x"_s}, 0,
            0, 1.0, "Playing Now: \x05|Cafe ?????|Motley Crue?|0:00 0:00 \x04 100%");
        row("beyond 32767 s", State::Playing, u"Mix"_s, {}, 40'000'000'000, 32'768'000'000, 1.0,
            "Playing Now: \x05|Mix||666:40 546:08 \x04 100%");
        row("hours", State::Playing, u"Mix"_s, {}, 60'000'000'000, 86'399'000'000, 0.5,
            "Playing Now: \x05|Mix||16h40 23h59 \x04 50%");
        row("beyond 999 hours", State::Playing, u"Mix"_s, {}, std::numeric_limits<qint64>::max(),
            3'600'000'000'000, 0.5, "Playing Now: \x05|Mix||>999h >999h \x04 50%");
    }
    void showWinAmp()
    {
        QFETCH(int, state);
        QFETCH(QString, title);
        QFETCH(QStringList, artists);
        QFETCH(QString, url);
        QFETCH(qint64, lengthUs);
        QFETCH(qint64, positionUs);
        QFETCH(double, volume);
        Rig r;
        r.player.present = true;
        r.player.playing = State(state);
        r.player.current = {title, artists, url, lengthUs};
        r.player.playerPosition = positionUs;
        r.player.level = volume;
        QTEST(r.show(), "expected");
        QCOMPARE(r.sent.count(), 0); // the screen never sends
    }

    void numbers_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<qint64>("volume");
        QTest::addColumn<qint64>("percent");
        QTest::newRow("halves to even") << 2500LL << 2LL << 0LL << 0LL;
        QTest::newRow("odd half up") << 3500LL << 4LL << 1LL << 0LL;
        QTest::newRow("just over") << 2501LL << 3LL << 2LL << 1LL;
        QTest::newRow("negative half") << -1500LL << -2LL << 128LL << 50LL;
        QTest::newRow("full") << 999LL << 1LL << 255LL << 100LL;
    }
    void numbers()
    {
        QFETCH(qint64, ms);
        QFETCH(qint64, seconds);
        QFETCH(qint64, volume);
        QFETCH(qint64, percent);
        QCOMPARE(modWinAmp::SecondsHalfEven(ms), seconds);
        QCOMPARE(WinAmpScreen::VolumePercent(volume), percent);
    }

    // A 25-character title moves one character a tick behind FE 2D 01;
    // after 25 ticks the window that ends in "*" comes again. Line 2 of the
    // lines keeps the scroller's window. A paused player does not scroll; a
    // new title shorter than where the last one got to starts over.
    void scroller()
    {
        Rig r;
        r.play(u"ABCDEFGHIJKLMNOPQRST"_s);
        r.show();
        QCOMPARE(r.scroll(), QByteArray()); // 20 characters fit
        r.play(u"ABCDEFGHIJKLMNOPQRSTUVWXY"_s);
        r.show();
        QCOMPARE(r.lines.line(1), QByteArray("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01GHIJKLMNOPQRSTUVWXY*"));
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01HIJKLMNOPQRSTUVWXY*A"));
        r.show();
        QCOMPARE(r.lines.line(1), QByteArray("HIJKLMNOPQRSTUVWXY*A"));
        QByteArray last;
        for (int tick = 3; tick <= 25; ++tick)
            last = r.scroll();
        QCOMPARE(last, QByteArray("\xfe\x2d\x01"
                                  "EFGHIJKLMNOPQRSTUVWX"));
        QCOMPARE(r.screen.ScrollPos(), 0);
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01GHIJKLMNOPQRSTUVWXY*"));
        QTRY_COMPARE(r.module->module().line(1), QByteArray("GHIJKLMNOPQRSTUVWXY*"));

        r.play(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"_s);
        r.show();
        for (int tick = 0; tick < 30; ++tick)
            r.scroll();
        r.player.playing = State::Paused;
        QCOMPARE(r.show(), QByteArray("|   \x02 WINAMP PAUSED||"));
        QCOMPARE(r.scroll(), QByteArray());
        QCOMPARE(r.screen.ScrollPos(), 31);
        r.play(u"abcdefghijklmnopqrstuvwxy"_s); // 25 < 31
        r.show();
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01ghijklmnopqrstuvwxy*"));
        QCOMPARE(r.screen.ScrollPos(), 1);
        r.screen.enter(); // nothing scrolls until the lines are shown again
        QCOMPARE(r.scroll(), QByteArray());
    }

    // The player starts when the mode is chosen and the chosen player is not
    // on the bus, once the bus has been listed, split as a desktop Exec line.
    void startPlayer_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("leaveFirst");
        QTest::addColumn<QList<QStringList>>("started");
        QTest::addColumn<QString>("preferred");
        QTest::newRow("started, quoted")
            << QByteArray("[WinAmp]\nCommand=mpv --idle \"/music/My Song.ogg\" a;b\n") << false
            << false
            << QList<QStringList>{{u"mpv"_s, u"--idle"_s, u"/music/My Song.ogg"_s, u"a;b"_s}}
            << QString();
        QTest::newRow("player already there") << QByteArray("[WinAmp]\nCommand=vlc\nPlayer=vlc\n")
                                              << true << false << QList<QStringList>() << u"vlc"_s;
        QTest::newRow("mode left before the listing")
            << QByteArray("[WinAmp]\nCommand=vlc\n") << false << true << QList<QStringList>()
            << QString();
        QTest::newRow("whole bus name")
            << QByteArray("[WinAmp]\nPlayer=org.mpris.MediaPlayer2.vlc.instance7\n") << false
            << false << QList<QStringList>() << u"vlc.instance7"_s;
        QTest::newRow("not a bus name") << QByteArray("[WinAmp]\nPlayer=my player\n") << false
                                        << false << QList<QStringList>() << QString();
    }
    void startPlayer()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, present);
        QFETCH(bool, leaveFirst);
        Rig r;
        r.harness.writeIni(ini);
        r.player.present = present;
        r.screen.enter();
        QTEST(r.player.preferred, "preferred");
        QVERIFY(r.started.isEmpty());
        if (leaveFirst)
            r.screen.leave();
        r.player.list();
        QTEST(r.started, "started");
    }

    // The real start: no shell, so ";" and quotes are the argument's own.
    void startDetachedForReal()
    {
        Rig r;
        QTemporaryDir dir;
        const QString target = dir.filePath(u"a b;touch x"_s);
        ScreenLines lines;
        WinAmpScreen screen(
            lines, r.link, [&r] { return WinAmpSettings::load(r.ini); }, r.player);
        r.harness.writeIni("[WinAmp]\nCommand=touch \"" + target.toUtf8() + "\"\n");
        screen.enter();
        r.player.list();
        QTRY_VERIFY(QFile::exists(target));
        QVERIFY(!QFile::exists(dir.filePath(u"x"_s)));
        QVERIFY(!QFile::exists(u"x"_s));
    }
};

QTEST_GUILESS_MAIN(TestWinAmpScreen)
#include "tst_winampscreen.moc"
