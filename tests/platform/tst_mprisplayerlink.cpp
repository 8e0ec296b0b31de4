#include "platform/linux/mpris/MprisPlayerLink.h"
#include "support/PrivateSessionBus.h"
#include "support/TestMprisPlayer.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using State = MediaPlayerLink::PlaybackState;

// The MPRIS link against players on a private session bus.
class TestMprisPlayerLink : public QObject
{
    Q_OBJECT
    PrivateSessionBus m_bus;
    int m_links = 0;

    // A link on a connection of its own, started, with the listing done.
    std::unique_ptr<MprisPlayerLink> startedLink(const QString& preferred = {})
    {
        const QString name = u"link-%1"_s.arg(++m_links);
        auto link = std::make_unique<MprisPlayerLink>([this, name] { return m_bus.connect(name); });
        link->setPreferredPlayer(preferred);
        bool listed = false;
        link->start([&listed] { listed = true; });
        if (!QTest::qWaitFor([&listed] { return listed; }, 3000))
            qWarning("the bus was not listed");
        return link;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP(qPrintable(u"No private session bus: "_s + m_bus.error()));
    }

    // Playing beats paused beats the first by name; a preferred player is
    // picked by its suffix, also an instance of it, and nothing when absent.
    void choice()
    {
        // the players (suffix=status); the player asked for, the one shown
        const std::tuple<const char*, QString, QString, State> rows[] = {
            {"", "", "", State::Stopped},
            {"a=Paused b=Playing c=Stopped", "", "b", State::Playing},
            {"a=Stopped b=Paused", "", "b", State::Paused},
            {"zz=Stopped aa=Stopped", "", "aa", State::Stopped},
            {"a=Playing vlc=Stopped", "vlc", "vlc", State::Stopped},
            {"vlcx=Playing vlc.instance42=Paused", "vlc", "vlc.instance42", State::Paused},
            {"a=Playing", "vlc", "", State::Stopped},
        };
        for (const auto& [names, preferred, chosen, state] : rows) {
            const QStringList players = QString::fromLatin1(names).split(u' ', Qt::SkipEmptyParts);
            std::vector<std::unique_ptr<TestMprisPlayer>> running;
            for (const QString& p : players)
                running.push_back(std::make_unique<TestMprisPlayer>(
                    m_bus.address(), p.section('=', 0, 0), p.section('=', 1)));
            auto link = startedLink(preferred);
            QTRY_COMPARE(link->chosenPlayer().remove(MprisPlayerLink::BusPrefix), chosen);
            QTRY_COMPARE(link->state(), state);
            QCOMPARE(link->hasPlayer(), !chosen.isEmpty());
            QCOMPARE(link->players().size(), players.size());
        }
    }

    // Players started in a loop: the first comings and goings are logged,
    // then one line says more follow, not one line each.
    void churnLoggedOnce()
    {
        auto link = startedLink();
        static int lines; // a message handler is a plain function
        lines = 0;
        // Info only: a loaded machine may warn of a player slow to answer.
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString&) {
                lines += type == QtInfoMsg && QByteArray(context.category) == "brellix.player";
            });
        for (int i = 0; i < 25; ++i) {
            TestMprisPlayer player(m_bus.address(), u"churn%1"_s.arg(i));
            QTRY_COMPARE(link->players().size(), 1);
        }
        QTRY_COMPARE(link->players().size(), 0);
        qInstallMessageHandler(previous);
        QCOMPARE(lines, 11); // ten events, then one line for the rest of the run
    }

    // A player that comes after the link, changes and vanishes: read at
    // first, then from PropertiesChanged; the position only when asked.
    void followsOnePlayer()
    {
        auto link = startedLink();
        // state (0 stopped, 1 paused, 2 playing), title, artists, length, volume, position
        const auto seen = [&link] {
            const MediaPlayerLink::Track t = link->track();
            return u"%1 %2 (%3) %4 %5 %6"_s.arg(QString::number(int(link->state())), t.title,
                                                t.artists.join(u','), QString::number(t.lengthUs),
                                                QString::number(link->volume()),
                                                QString::number(link->positionUs()));
        };
        auto player = std::make_unique<TestMprisPlayer>(m_bus.address(), u"one"_s, u"Playing"_s);
        player->setTrack(u"Some Song"_s, {u"Some Artist"_s, u"Guest"_s}, 225'400'000);
        player->set(u"Volume"_s, 0.5);
        player->set(u"Position"_s, qlonglong(83'000'000), false); // read with the rest at first
        QTRY_COMPARE(seen(), u"2 Some Song (Some Artist,Guest) 225400000 0.5 83000000"_s);

        player->set(u"Position"_s, qlonglong(84'500'000), false); // seen only when asked
        player->set(u"Volume"_s, 1.0);
        player->set(u"PlaybackStatus"_s, u"Paused"_s);
        player->setTrack(u"Next"_s, {}); // a stream: no length
        QTRY_COMPARE(seen(), u"1 Next () -1 1 83000000"_s);
        link->refresh();
        QTRY_COMPARE(seen(), u"1 Next () -1 1 84500000"_s);

        player.reset();
        QTRY_VERIFY(!link->hasPlayer());
        QCOMPARE(seen(), u"0  () -1 0 0"_s);
    }

    // A hung player is never waited for: it shows as stopped, and one that
    // answers is shown instead until the hung one answers again.
    void playerThatNeverAnswers()
    {
        TestMprisPlayer hung(m_bus.address(), u"aaa_hung"_s, u"Playing"_s, true);
        auto link = startedLink();
        QTRY_COMPARE(link->players(), QStringList{MprisPlayerLink::BusPrefix + u"aaa_hung"_s});
        QVERIFY(link->hasPlayer());
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 20; ++i)
            link->refresh();
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(link->state(), State::Stopped);

        TestMprisPlayer paused(m_bus.address(), u"bbb"_s, u"Paused"_s);
        QTRY_COMPARE(link->chosenPlayer(), MprisPlayerLink::BusPrefix + u"bbb"_s);
        // Still none after the 500 ms wait ran out, asked again and again.
        QTest::qWait(MprisPlayerLink::ReplyTimeoutMs + 200);
        link->refresh();
        QCOMPARE(link->chosenPlayer(), MprisPlayerLink::BusPrefix + u"bbb"_s);
        QCOMPARE(link->state(), State::Paused);

        // Answering again, without a signal: found by the next requests.
        hung.wakeUp();
        QTRY_COMPARE((link->refresh(), link->state()), State::Playing);
        QCOMPARE(link->chosenPlayer(), MprisPlayerLink::BusPrefix + u"aaa_hung"_s);
    }

    // Metadata as players send it (one artist as a plain string, odd lengths);
    // a player's megabytes are cut where they come in.
    void metadata()
    {
        // metadata; artists, length
        const std::pair<QVariantMap, QString> rows[] = {
            {{{"xesam:artist", QStringList{"A", "", "B"}}, {"mpris:length", 1LL}}, "A,B 1"},
            {{{"xesam:artist", u"Solo"_s}, {"mpris:length", 7ULL}}, "Solo 7"},
            {{{"mpris:length", 18446744073709551615ULL}}, " 9223372036854775807"},
            {{{"mpris:length", -5LL}}, " -1"},
        };
        for (const auto& [metadata, expected] : rows) {
            const MediaPlayerLink::Track track = MprisPlayerLink::readMetadata(metadata);
            QCOMPARE(track.artists.join(u',') + u' ' + QString::number(track.lengthUs), expected);
        }
        QStringList many;
        for (int i = 0; i < 100000; ++i)
            many << u"Artist %1"_s.arg(i);
        const QString huge(10 * 1024 * 1024, u'x');
        const MediaPlayerLink::Track track = MprisPlayerLink::readMetadata(
            QVariantMap{{"xesam:title", huge},
                        {"xesam:artist", many},
                        {"xesam:url", u"file:///"_s + huge + u"/song.ogg"_s}});
        // The first twelve artists fill the 120 characters shown.
        QCOMPARE(std::tuple(track.title.size(), track.artists, track.url),
                 std::tuple(qsizetype(120), many.mid(0, 12), u"song.ogg"_s));
    }

    // Without a bus the mode still runs: listed, no player, stopped.
    void noBus()
    {
        MprisPlayerLink link([] {
            return QDBusConnection::connectToBus(u"unix:path=/nonexistent/brellix-bus"_s,
                                                 u"nobus"_s);
        });
        bool listed = false;
        link.start([&listed] { listed = true; });
        link.refresh();
        QVERIFY(listed && !link.hasPlayer() && link.state() == State::Stopped);
    }
    // mpv with its MPRIS script, playing five minutes of generated silence: our reading of
    // the interface against a player we did not write.
    void realPlayer()
    {
        const QString mpv = QStandardPaths::findExecutable(u"mpv"_s);
        const QString script = u"/usr/lib/mpv-mpris/mpris.so"_s;
        if (mpv.isEmpty() || !QFile::exists(script))
            QSKIP("mpv with mpv-mpris is not installed (Debian: mpv, mpv-mpris)");
        auto link = startedLink(u"mpv"_s);
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_bus.address());
        player.setProcessEnvironment(env);
        player.start(mpv, {u"--no-config"_s, u"--idle"_s, u"--no-video"_s, u"--ao=null"_s,
                           u"--volume=67"_s, u"--script="_s + script,
                           u"--force-media-title=Silence"_s, u"av://lavfi:anullsrc=d=300"_s});
        QVERIFY(player.waitForStarted(5000));
        QTRY_COMPARE_WITH_TIMEOUT(link->state(), State::Playing, 10000);
        QTRY_COMPARE(link->track().title, u"Silence"_s);
        QCOMPARE(link->volume(), 0.67);
        QTRY_VERIFY_WITH_TIMEOUT((link->refresh(), link->positionUs() > 0), 5000);
        player.terminate();
        QTRY_VERIFY_WITH_TIMEOUT(!link->hasPlayer(), 5000);
    }
};

QTEST_GUILESS_MAIN(TestMprisPlayerLink)
#include "tst_mprisplayerlink.moc"
