#include "support/TimeTestSupport.h"

#include "lcd/SerialLineSettings.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/base/SecondTimer.h"
#include "screens/base/modCustomChar.h"
#include "screens/clock/LargeClock.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/clock/modTimeZone.h"
#include "support/FixedClock.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;

// The serial link on a pseudo-terminal, the screen pieces writing on it, the clock screens.
class TestClockScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Locale, local time (ISO, in zone tz) -> destination zone, name, daylight -> lines.
    void showTimeDate()
    {
        using Row = std::tuple<const char*, const char*, const char*, qint16, const char*, bool,
                               const char*>;
        const Row rows[] = {
            // Centring pads half the free room, halves to even: 10 -> 5, 5 -> 2, 3 -> 2.
            {"en_US", "UTC", "2026-09-30T23:59:59", 13, "Zürich", false,
             "    11:59:59 PM|  30-September-2026|Zurich Time|30/Sep/26 23:59:59"},
            // No zone selected; a local offset of 5:45 taken out, back over midnight.
            {"en_US", "Asia/Kathmandu", "2026-12-05T03:04:05", -1, "X", false,
             "     3:04:05 AM|  5-December-2026|X Time|4/Dec/26 21:19:05"},
            {"en_US", "UTC", "2026-12-05T03:04:05", 7, "New York", false,
             "     3:04:05 AM|  5-December-2026|New York Time|4/Dec/26 22:04:05"},
            {"en_US", "UTC", "2026-07-10T12:00:00", 14, "Amsterdam", true,
             "    12:00:00 PM|    10-July-2026|Amsterdam Time|10/Jul/26 14:00:00"},
            // GMT is still on Saturday 24 October, the destination already on the last Sunday.
            {"en_US", "UTC", "2026-10-24T20:00:00", 31, "Auckland", true,
             "     8:00:00 PM|  24-October-2026|Auckland Time|25/Oct/26 08:00:00"},
            // Local daylight time is taken out before the destination offset goes in.
            {"en_US", "America/New_York", "2026-07-10T10:00:00", 13, "London", false,
             "    10:00:00 AM|    10-July-2026|London Time|10/Jul/26 14:00:00"},
            // The locale's month names and designators reach the lines through the codec.
            {"zh_CN", "UTC", "2026-12-05T14:05:07", 13, "London", false,
             "     2:05:07 \?\?|     5-\?\?\?-2026|London Time|5/12?/26 14:05:07"},
            // Line 4 keeps its seconds in every locale: three characters of month at most.
            {"ca_ES", "UTC", "2026-09-30T23:59:59", 13, "London", false,
             "   11:59:59 p. m.|30-de setembre-2026|London Time|30/set/26 23:59:59"},
        };
        for (const auto& [locale, tz, local, zone, name, daylight, lines] : rows) {
            QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
            setLocalZone(tz);
            const FixedClock clock(QDateTime::fromString(QString::fromLatin1(local), Qt::ISODate));
            ScreenLines screen;
            const WorldTimeSettings settings{zone, QString::fromUtf8(name), daylight};
            TimeDateScreen(screen, clock, settings).ShowTimeDate();
            const QByteArrayList shown{screen.line(0), screen.line(1), screen.line(2),
                                       screen.line(3)};
            QCOMPARE(shown.join('|'), lines);
        }
    }

    // Daylight from the first Sunday of April to the last of October (on the 1st, 25th, 31st).
    void isDaylightSaving()
    {
        const std::pair<QDate, bool> rows[] = {
            {QDate(2026, 4, 4), false},   {QDate(2018, 4, 1), true},   {QDate(2026, 10, 24), true},
            {QDate(2026, 10, 25), false}, {QDate(2021, 10, 30), true}, {QDate(2021, 10, 31), false},
            {QDate(2026, 10, 26), false}, {QDate(2026, 11, 1), false},
        };
        for (const auto& [date, daylight] : rows)
            QVERIFY2(modTimeZone::IsDaylightSaving(date) == daylight, qPrintable(date.toString()));
    }

    // One-digit hours blank columns 0-3 and show digits at 1, 3, 2; the letter follows the hour.
    // The colon shows on even counts; the count wraps at 255, so once a round it stays for two.
    void showLargeClock()
    {
        const std::tuple<QTime, const char*, const char*> rows[] = {
            {QTime(9, 30), "es_ES",
             "FE2E00 FE2E01 FE2E02 FE2E03 FE343139FE343330FE343233 FE32021361 FE3203136D"},
            {QTime(0, 5, 59), "en_US", "FE343335FE343031FE343132FE343230 FE32021361 FE3203136D"},
            {QTime(12, 0), "en_US", "FE343330FE343031FE343132FE343230 FE32021370 FE3203136D"},
            {QTime(13, 7, 30), "en_US",
             "FE2E00 FE2E01 FE2E02 FE2E03 FE343131FE343337FE343230 FE32021370 FE3203136D"},
        };
        PtyLink pty;
        QVERIFY(pty.open());
        for (const auto& [time, locale, writes] : rows) {
            QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
            const FixedClock clock(QDateTime(QDate(2026, 12, 5), time));
            LargeClock(pty.link, clock).ShowLargeClock();
            QCOMPARE(pty.takeWrites(), hexWrites(writes));
        }
        const FixedClock clock;
        LargeClock largeClock(pty.link, clock);
        for (int tick = 1; tick <= 256; ++tick) {
            largeClock.BlinkColon();
            QCOMPARE(int(largeClock.blinkCount()), tick % 255);
            QCOMPARE(pty.takeWrites(),
                     hexWrites(tick % 255 % 2 ? "FE2E09" : "FE320109DF FE320309DF"));
        }
    }

    // 0B, then each line's text (cut at 20) as one write and a write per pad space.
    void writeLines()
    {
        PtyLink pty;
        QVERIFY(pty.open());
        ScreenLines screen;
        const QByteArray a = "ABCDEFGHIJKLMNOPQRST";
        screen.setLine(1, a);
        screen.setLine(2, a + "UVWXY");
        screen.setLine(3, "Hello");
        LineWriter(screen, pty.link).WriteLines();
        const QList<QByteArray> spaces(20, " "), texts = {a, a, "Hello"};
        QCOMPARE(pty.takeWrites(), QList<QByteArray>(1, "\x0B") + spaces + texts + spaces.mid(5));
    }

    // FE 64, the glyphs, FE 08: nine writes straight to the port; nothing on a closed port.
    void loadCustomChars()
    {
        for (const bool open : {true, false}) {
            PtyLink pty;
            QVERIFY(!open || pty.open());
            pty.link.SendLcd("kept");
            pty.takeWrites();
            QCOMPARE(modCustomChar::LoadCustomChars(pty.link), open);
            QCOMPARE(pty.takeWrites(),
                     hexWrites(open ? "FE64080C0E0F0E0C0800 00000E0E0E0E0000 00001B1B1B1B0000 "
                                      "00041C1C1C040000 00051C1D1C050000 080C0E0F0E0C0800 "
                                      "001F11110E040400 000E0E0404040400 FE08"
                                    : ""));
            QCOMPARE(pty.link.lcdOut(), QByteArray("kept"));
        }
    }

    // The tick that follows the wall-clock second.
    void msUntilNextSecond()
    {
        QCOMPARE(SecondTimer::msUntilNextSecond(1'700'000'000'000), 1005);
        QCOMPARE(SecondTimer::msUntilNextSecond(1'700'000'000'999), 6);
        QCOMPARE(SecondTimer::msUntilNextSecond(-250), 255);
    }

    // Baud:parity, data and stop bits as QSerialPort numbers them; "bad": refused with a reason.
    void parseLineSettings()
    {
        QStringList parsed;
        for (const char* text :
             {"9600,n,8,1", " 19200 , E , 7 , 2 ", "2400,o,5,1.5", "1200,m,8,1", "300,s,6,1",
              "9600,n,8", "fast,n,8,1", "0,n,8,1", "9600,x,8,1", "9600,n,9,1", "9600,n,8,3"}) {
            QString why;
            const auto s = SerialLineSettings::parse(QString::fromLatin1(text), &why);
            parsed << (s ? QString::asprintf("%d:%d%d%d", s->baudRate, s->parity, s->dataBits,
                                             s->stopBits)
                         : (why.isEmpty() ? u"?"_s : u"bad"_s));
        }
        QCOMPARE(parsed.join(u'|'),
                 u"9600:081|19200:272|2400:353|1200:581|300:461|bad|bad|bad|bad|bad|bad"_s);
    }

    // Settings a pty refuses (parity) leave the port closed, sends dropped, no module lost.
    void applyLineSettings()
    {
        const std::pair<const char*, const char*> rows[] = {
            {"19200,n,8,2", nullptr},
            {"19200,e,8,2", "Cannot apply"},
        };
        for (const auto& [settings, warning] : rows) {
            PtyLink pty;
            pty.link.setSettings(QString::fromLatin1(settings));
            QSignalSpy lost(&pty.link, &LcdLink::portLost);
            if (warning)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
            QCOMPARE(pty.open(), !warning);
            QCOMPARE(pty.link.isOpen(), !warning);
            pty.link.SendLcd("x");
            QCOMPARE(pty.module->waitForBytes(1, warning ? 100 : 2000), !warning);
            QCOMPARE(lost.count(), 0);
        }
    }

    // Two waits at once each get their own ticks; the shorter does not cut the longer short.
    void twoWaitsAtOnce()
    {
        LcdLink link;
        QElapsedTimer clock;
        clock.start();
        QList<int> ended; // negative: ended too early
        for (const int ticks : {20, 5}) {
            link.WaitTicks(ticks, [&, ticks] {
                ended.append(clock.elapsed() >= ticks * LcdLink::TickMs ? ticks : -ticks);
            });
        }
        QTRY_COMPARE(ended, (QList<int>{5, 20}));
    }
};

QTEST_GUILESS_MAIN(TestClockScreens)
#include "tst_clockscreens.moc"
