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
// A player link that answers what the test sets, listed when the test says.
struct ScriptedPlayer : MediaPlayerLink
{
    bool present = false;
    State playing = State::Stopped;
    Track current;
    double level = 0.0;
    qint64 position = 0;       // what the link last read
    qint64 playerPosition = 0; // what the player would say if asked: players do not announce it
    QString preferred;
    std::function<void()> listed;

    void start(std::function<void()> callback) override { listed = std::move(callback); }
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
    WinAmpScreen screen{lines, link, [this] { return WinAmpSettings::load(ini); }, player};
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
    void play(const QString& title)
    {
        player.present = true;
        player.playing = State::Playing;
        player.current.title = title;
        player.current.artists = QStringList{u"Artist"_s};
        show();
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
    // The four lines of a track: 03 volume at 0%, 04 volume, 05 play.
    void showWinAmp()
    {
        const QStringList some{u"7. Some Artist"_s};
        // title, artists, url, length, position, volume; the lines after the first
        using Row = std::tuple<QString, QStringList, QString, qint64, qint64, double, QByteArray>;
        const Row rows[] = {
            // length unknown, volume 0
            {u"Radio"_s, some, QString(), -1, 0, 0.0, "Radio|7. Some Artist|0:00 0:00 \x03 0%"},
            // above full, rounded lengths
            {u"S"_s, some, QString(), 59'500'000, 3'500'000, 1.3,
             "S|7. Some Artist|1:00 0:04 \x04 130%"},
            {u"Song - Live"_s, QStringList{u"Simon - Garfunkel"_s, u"Guest"_s}, QString(), 0, 0,
             1.0, "Song - Live|Simon - Garfunkel, G|0:00 0:00 \x04 100%"},
            {u"Caf\u00e9 \u2615\U0001F600\n\x1b\u00fe"_s,
             QStringList{u"M\u00f6tley Cr\u00fce\t\u0000x"_s}, QString(), 0, 0, 1.0,
             "Cafe ?????|Motley Crue?|0:00 0:00 \x04 100%"},
            {QString(), QStringList(), u"file:///music/Track%2001.ogg"_s, 40'000'000'000,
             32'768'000'000, 1.0, "Track 01.ogg||666:40 546:08 \x04 100%"},
            {u"Mix"_s, QStringList(), QString(), 60'000'000'000, 86'399'000'000, 0.5,
             "Mix||16h40 23h59 \x04 50%"},
            {u"Mix"_s, QStringList(), QString(), std::numeric_limits<qint64>::max(),
             3'600'000'000'000, 0.5, "Mix||>999h >999h \x04 50%"},
        };
        for (const auto& [title, artists, url, lengthUs, positionUs, volume, expected] : rows) {
            Rig rig;
            rig.play(title);
            rig.player.current = {title, artists, url, lengthUs};
            rig.player.playerPosition = positionUs;
            rig.player.level = volume;
            QCOMPARE(rig.show(), "Playing Now: \x05|" + expected);
            QCOMPARE(rig.sent.count(), 0); // the screen never sends
        }
    }

    // Seconds from milliseconds, halves to even; a volume of 0-255 in percent.
    void numbers()
    {
        const qint64 rows[][4] = {
            {2500, 2, 0, 0},      {3500, 4, 1, 0},    {2501, 3, 2, 1},
            {-1500, -2, 128, 50}, {999, 1, 255, 100},
        };
        for (const auto& r : rows) {
            QCOMPARE(modWinAmp::SecondsHalfEven(r[0]), r[1]);
            QCOMPARE(WinAmpScreen::VolumePercent(r[2]), r[3]);
        }
    }
    // A 25-character title moves a character a tick behind FE 2D 01, round
    // again after 25 ticks; line 2 keeps the window. A paused player does not
    // scroll; a new title shorter than where the last one got to starts over.
    void scroller()
    {
        Rig r;
        r.play(u"ABCDEFGHIJKLMNOPQRST"_s);
        QCOMPARE(r.scroll(), QByteArray()); // 20 characters fit
        r.play(u"ABCDEFGHIJKLMNOPQRSTUVWXY"_s);
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01GHIJKLMNOPQRSTUVWXY*"));
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01HIJKLMNOPQRSTUVWXY*A"));
        r.show();
        QCOMPARE(r.lines.line(1), QByteArray("HIJKLMNOPQRSTUVWXY*A"));
        for (int tick = 3; tick < 25; ++tick)
            r.scroll();
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01"
                                        "EFGHIJKLMNOPQRSTUVWX"));
        QCOMPARE(r.screen.ScrollPos(), 0);
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01GHIJKLMNOPQRSTUVWXY*"));

        r.play(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"_s);
        for (int tick = 0; tick < 30; ++tick)
            r.scroll();
        r.player.playing = State::Stopped; // 01 stop, 02 pause
        QCOMPARE(r.show(), QByteArray("|  \x01 WINAMP STOPPED||"));
        r.player.playing = State::Paused;
        QCOMPARE(r.show(), QByteArray("|   \x02 WINAMP PAUSED||"));
        QCOMPARE(r.scroll(), QByteArray());
        QCOMPARE(r.screen.ScrollPos(), 31);
        r.play(u"abcdefghijklmnopqrstuvwxy"_s); // 25 < 31
        QCOMPARE(r.scroll(), QByteArray("\xfe\x2d\x01ghijklmnopqrstuvwxy*"));
        QCOMPARE(r.screen.ScrollPos(), 1);
        r.screen.enter(); // nothing scrolls until the lines are shown again
        QCOMPARE(r.scroll(), QByteArray());
    }

    // The player starts when the mode is chosen and the chosen player is not
    // on the bus, once the bus has been listed, split as a desktop Exec line
    // but without a shell: ";" and quotes are the argument's own.
    void startPlayer()
    {
        QTemporaryDir dir;
        const QByteArray path = dir.path().toUtf8() + '/';
        const QByteArray touch = "[WinAmp]\nCommand=touch " + path;
        // settings, player present, mode left before the listing; player asked for
        const std::tuple<QByteArray, bool, bool, QString> rows[] = {
            {touch + "present\nPlayer=vlc\n", true, false, u"vlc"_s},
            {touch + "left\n", false, true, QString()},
            {"[WinAmp]\nPlayer=org.mpris.MediaPlayer2.vlc.instance7\n", false, false,
             u"vlc.instance7"_s},
            {"[WinAmp]\nPlayer=my player\n", false, false, QString()}, // not a bus name
            {"[WinAmp]\nCommand=touch \"" + path + "a b\" " + path + "c;d\n", false, false,
             QString()},
        };
        for (const auto& [ini, present, leaveFirst, preferred] : rows) {
            Rig rig;
            rig.harness.writeIni(ini);
            rig.player.present = present;
            rig.screen.enter();
            QVERIFY2(rig.player.preferred == preferred, ini.constData());
            if (leaveFirst)
                rig.screen.leave();
            if (rig.player.listed)
                rig.player.listed();
        }
        // Started last: by the time it ran, the others would have.
        QTRY_VERIFY(QFile::exists(dir.filePath(u"c;d"_s)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{u"a b"_s, u"c;d"_s}));
    }
};

QTEST_GUILESS_MAIN(TestWinAmpScreen)
#include "tst_winampscreen.moc"
