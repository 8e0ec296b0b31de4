#include "support/DovecotServer.h"
#include "support/HttpFixture.h"
#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestMprisPlayer.h"
#include "support/TestPlatform.h"
#include "support/TimeTestSupport.h"

#include <QtTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray WeatherAnswer =
    "<string>&lt;CurrentWeather&gt;&lt;SkyConditions&gt; partly cloudy&lt;/SkyConditions&gt;"
    "&lt;Temperature&gt; 57 F (14 C)&lt;/Temperature&gt;&lt;RelativeHumidity&gt; 68%"
    "&lt;/RelativeHumidity&gt;&lt;Status&gt;Success&lt;/Status&gt;&lt;/CurrentWeather&gt;</string>";

const QByteArray ChartAnswer =
    R"({"chart":{"result":[{"meta":{"exchangeTimezoneName":"America/New_York",)"
    R"("regularMarketTime":1796418000,"regularMarketPrice":1.5,"chartPreviousClose":1.2}}]}})";

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The process is gone (or a zombie nobody has reaped yet).
bool ended(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    return fields.mid(fields.lastIndexOf(')') + 1).trimmed().startsWith('Z');
}

} // namespace

// Own screens over the simulated module, their values from real sources.
class TestOwnScreens : public QObject
{
    Q_OBJECT

    TestPlatform m_platform;
    PrivateSessionBus m_bus;
    DovecotServer m_server;
    QString m_noBus;
    QString m_noServer;

    static QByteArray line(ModuleApp& p, int row) { return p.module->module().line(row); }

private Q_SLOTS:
    void initTestCase()
    {
        setLocalZone("UTC");
        if (!m_bus.start())
            m_noBus = u"No private session bus: "_s + m_bus.error();
        else
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        DovecotServer::User many{"many", "secret-many", {}};
        many.messages.fill({"From: Ann <ann@example.org>\r\nSubject: Unread\r\n\r\nHi.\r\n", false},
                           12);
        m_noServer = m_server.start({many});
    }

    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); } // only where expected

    // Each kind of value, a screen of its own: line 1 as the module shows it.
    void values()
    {
        HttpFixture server;
        server.on("/ws/globalweather.asmx/GetWeather", WeatherAnswer);
        server.on("/chart/AAPL", ChartAnswer);
        std::optional<TestMprisPlayer> player;
        if (m_noBus.isEmpty()) {
            player.emplace(m_bus.address(), u"own"_s, u"Playing"_s);
            player->setTrack(u"Song"_s, {u"Some Artist"_s}, 225'000'000);
        }
        char host[256] = {};
        QCOMPARE(::gethostname(host, sizeof host - 1), 0);
        ModuleApp p(m_platform);
        const QString dir = p.h.dirPath({});
        QVERIFY(writeFile(dir + u"/note"_s, "back at 3\r\nsecond line\n"));
        QVERIFY(writeFile(dir + u"/SFLog20261205.csv"_s,
                          "Seconds\tTemp1\tTemp2\tFan1\r\n123\t45.5\t38.0\t2410\r\n"));
        const QString inHome = QDir::home().relativeFilePath(dir + u"/note"_s);
        const struct
        {
            const char* name;
            QString line;
            QString want; // a regular expression where it starts with ^
            QString skip = {};
        } rows[] = {
            {"time default", u"{time}"_s, u"2:05:07 PM"_s},
            {"date default", u"{date}"_s, u"5-December-2026"_s},
            {"formats", u"{time:HH:mm}|{date:ddd d MMM}"_s, u"14:05|Sat 5 Dec"_s},
            {"world time, London", u"{worldtime:HH:mm}"_s, u"14:05"_s},
            {"load", u"{cpu}|{mem}"_s, u"^\\d{1,3}\\|\\d{1,3}$"_s},
            {"sensors from a SpeedFan log", u"{temp1}|{temp2}|{temp3}|{fan}"_s, u"45|38||2410"_s},
            {"network rates", u"{rx}|{tx}"_s, u"^\\d+([.,]\\d+)?\\|\\d+([.,]\\d+)?$"_s},
            {"host", u"{host}"_s, QString::fromLocal8Bit(host).left(20)},
            {"player", u"{state} {title}"_s, u"PLAYING Song"_s, m_noBus},
            {"player times", u"{artist}|{length}|{volume}"_s, u"Some Artist|3:45|100"_s, m_noBus},
            {"weather sky", u"{sky}"_s, u"Partly Cloudy"_s},
            {"weather figures", u"{temperature}|{humidity}"_s, u"57 F (14 C)|68%"_s},
            {"stock", u"{price}|{change}"_s, u"1.50|+25.00%"_s},
            {"mail", u"{unread} unread"_s, u"12 unread"_s, m_noServer},
            {"file from home", u"{file:~/"_s + inHome + u"}|"_s, u"back at 3|"_s},
            {"file missing", u"[{file:"_s + dir + u"/none}]"_s, u"[]"_s},
        };
        QByteArray ini =
            "[SpeedFan]\nFolder=" + dir.toUtf8() +
            "\n[Weather]\nCity=Berlin\nSource=service\n[Stock]\nSymbol=AAPL\n"
            "[Web]\nBase=" +
            server.base().toUtf8() + "/ws/\nYahooChart=" + server.base().toUtf8() +
            "/chart/\n[Mail]\nUrl=imaps://localhost:" + QByteArray::number(m_server.imapsPort()) +
            "/INBOX\nUser=many\nPasswordCommand=echo secret-many\nCaFile=" +
            m_server.caFile().toUtf8() + "\n";
        for (int i = 0; const auto& row : rows)
            ini += "[Screen V" + QByteArray::number(i++) + "]\nLine1=" + row.line.toUtf8() + '\n';
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"Screen V\\d+: cannot open .*/none"_s));
        p.start(ini);
        for (int i = 0; const auto& row : rows) {
            const int mode = 8 + i++;
            if (!row.skip.isEmpty()) {
                qInfo("%s skipped: %s", row.name, qPrintable(row.skip));
                continue;
            }
            p.c->scheduler().selectMode(mode);
            const bool pattern = row.want.startsWith(u'^');
            const auto matches = [&] {
                p.ticks(1);
                const QString got = QString::fromLatin1(line(p, 0)).trimmed();
                return pattern ? QRegularExpression(row.want).match(got).hasMatch()
                               : got == row.want;
            };
            QTRY_VERIFY2_WITH_TIMEOUT(
                matches(),
                qPrintable(u"%1: got \"%2\" want \"%3\""_s.arg(
                    QLatin1String(row.name), QString::fromLatin1(line(p, 0)).trimmed(), row.want)),
                10000);
        }
    }

    // A long line scrolls a character every half second on its own line; a bar's switch
    // uploads the bar characters; bars, centred and right-aligned lines go out as one frame.
    void wire()
    {
        ModuleApp p(m_platform);
        const QString pct = p.h.dirPath(u"pct"_s);
        QVERIFY(writeFile(pct, " 73%\n"));
        p.start("[Screen Bars]\nLine1={bar:40:10}|{bar:file:" + pct.toUtf8() +
                ":4}\nLine2=mid\nAlign2=center\nLine3=right\nAlign3=right\n"
                "[Screen Scroll]\nLine1=abcdefghijklmnopqrstuvwxy\nScroll1=1\nLine2=still\n"
                "[Screen Slow]\nLine1=slow\nUpdate=3\n[Mode]\nmode=Scroll\n");
        p.ticks(1);
        QCOMPARE(p.c->lines().line(0), QByteArray("abcdefghijklmnopqrst"));
        QTRY_COMPARE(line(p, 0), QByteArray("bcdefghijklmnopqrstu"));
        p.module->clearRecord();
        QTRY_COMPARE(p.module->received().toHex(' '),
                     (hex("fe 2d 00") + "cdefghijklmnopqrstuv").toHex(' '));
        QCOMPARE(line(p, 1), QByteArray("still               "));

        p.module->clearRecord();
        p.c->scheduler().selectMode(8);
        const QByteArray upload =
            hex("0d fe 64 08 0c 0e 0f 0e 0c 08 00"
                " 10 10 10 10 10 10 10 10  18 18 18 18 18 18 18 18  1c 1c 1c 1c 1c 1c 1c 1c"
                " 1e 1e 1e 1e 1e 1e 1e 1e  1f 1f 1f 1f 1f 1f 1f 1f"
                " 00 1f 11 11 0e 04 04 00  00 0e 0e 04 04 04 04 00 fe 08");
        QTRY_COMPARE(p.module->received().toHex(' '), upload.toHex(' '));
        p.module->clearRecord();
        p.ticks(1);
        // 40 over 10 cells: 20 columns; 73 over 4: 15. Centring puts 8 of 17 spaces first.
        const QByteArray frame = hex("0b") + "\x05\x05\x05\x05      |\x05\x05\x05      " +
                                 "        mid         " + "               right" +
                                 QByteArray(20, ' ');
        QTRY_COMPARE(p.module->received().toHex(' '), frame.toHex(' '));

        // Update=3: one frame every third tick, nothing in between.
        p.c->scheduler().selectMode(10);
        p.ticks(1);
        QTRY_COMPARE(line(p, 0), QByteArray("slow").leftJustified(20));
        p.module->clearRecord();
        p.ticks(2);
        QTest::qWait(200);
        QCOMPARE(p.module->received().toHex(' '), QByteArray());
        p.ticks(1);
        QTRY_COMPARE(p.module->received().left(5), hex("0b") + "slow");
    }

    // Commands: control bytes become spaces and 1 MB of output is not waited for; one
    // that hangs is killed with its children after 5 s, keeping its last text; none runs
    // twice at once; one that cannot start is said once.
    void commands()
    {
        ModuleApp p(m_platform);
        const QByteArray dir = QFile::encodeName(p.h.dirPath({}));
        QByteArray ini =
            "[Screen Cmd]\n"
            "Line1={exec:sh -c \"printf 'x\\033[2Jy\\tz\\376\\n'; head -c 1048576 /dev/zero\"}\n"
            "Line2={exec:sh -c \"if [ -e DIR/once ]; then sleep 30 & echo $! > DIR/pid; wait; "
            "else touch DIR/once; echo ok; fi\"}\n"
            "Line3={exec:sh -c \"echo run >> DIR/runs; sleep 2; wc -l < DIR/runs\"}\n"
            "Line4=[{exec:/nonexistent/brellix-test}]\nAlign4=right\n";
        ini.replace("DIR", dir);
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(u"Screen Cmd: the command /nonexistent/brellix-test "
                                             u"cannot be started"_s));
        p.start(ini);
        p.c->scheduler().selectMode(8);
        QElapsedTimer started;
        started.start();
        // A refresh a tick: the slow command is asked again while it runs.
        QTRY_COMPARE_WITH_TIMEOUT((p.ticks(1), line(p, 1)), QByteArray("ok                  "),
                                  3000);
        QCOMPARE(line(p, 0), QByteArray("x [2Jy z?           "));
        QCOMPARE(line(p, 3), QByteArray("                  []"));
        QTRY_COMPARE_WITH_TIMEOUT((QTest::qWait(200), p.ticks(1), line(p, 2)),
                                  QByteArray("1                   "), 4000);

        const auto sleeper = [&dir] {
            QFile pid(QString::fromLocal8Bit(dir) + u"/pid"_s);
            return pid.open(QIODevice::ReadOnly) ? pid.readAll().trimmed().toLongLong() : 0;
        };
        QTRY_VERIFY(sleeper() > 0);
        const qint64 pid = sleeper(); // the next run writes another
        QVERIFY(!ended(pid));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Screen Cmd: the command sh -c .*"
                                                              u"did not end within 5 s; killed"_s));
        QTRY_VERIFY_WITH_TIMEOUT((p.ticks(1), ended(pid)), 8000);
        QVERIFY(started.elapsed() >= 5000);
        // The next run starts once the killed one has been seen to end.
        QTRY_VERIFY((p.ticks(1), sleeper() != pid));
        p.ticks(1);
        QCOMPARE(line(p, 1), QByteArray("ok                  "));
    }

    // [Mode] keeps an own screen by name; one no longer in the file, by name or by an
    // old number, falls back to Time And Date with a warning naming it.
    void savedMode()
    {
        const struct
        {
            QByteArray mode;
            int shown;
            QByteArray saved;
            const char* warning;
        } rows[] = {
            {"b", 9, "mode=B", nullptr}, // as the file spells it
            {"Gone", 1, "mode=1", "the screen Gone, which is not"},
            {"10", 1, "mode=1", "the screen 10, which is not"},
            {"8", 8, "mode=A", nullptr},
        };
        for (const auto& row : rows) {
            ModuleApp p(m_platform);
            if (row.warning)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1String(row.warning)));
            p.start("[Screen A]\nLine1=a\n[Screen B]\nLine1=b\n[Mode]\nmode=" + row.mode + "\n");
            QVERIFY2(p.c->scheduler().selectedMode() == row.shown, row.mode.constData());
            p.c->lifecycle().requestQuit();
            QVERIFY2(p.h.readIni().contains("\n" + row.saved + "\n"), p.h.readIni().constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestOwnScreens)
#include "tst_ownscreens.moc"
