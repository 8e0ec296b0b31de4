#include "support/TimeTestSupport.h"

#include "codec/ModuleCodec.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/TimeText.h"
#include "screens/clock/WorldTimeSettings.h"
#include "support/FixedClock.h"

class TestTimeDateScreen : public QObject
{
    Q_OBJECT

    // Local time (ISO, in zone tz) -> destination zone, name, daylight -> lines.
    static void row(const char* tag, const char* tz, const char* local, int zone, const char* name,
                    bool daylight, const QList<QByteArray>& lines, const char* locale = "en_US")
    {
        QTest::newRow(tag) << QByteArray(tz) << QString::fromLatin1(local) << zone
                           << QString::fromUtf8(name) << daylight << lines
                           << QString::fromLatin1(locale);
    }

private Q_SLOTS:
    void showTimeDate_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QString>("local");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QString>("locale");
        // Centring pads half the free room, halves to even: 10 -> 5, 5 -> 2, 3 -> 2
        // (London on 5 December: the wire in tst_displayscheduler).
        row("30 September, daylight not observed", "UTC", "2026-09-30T23:59:59", 13, "London",
            false, {"    11:59:59 PM", "  30-September-2026", "London Time", "30/Sep/26 23:59:59"});
        row("accented name", "UTC", "2026-12-05T14:05:07", 14, "Zürich", false,
            {"     2:05:07 PM", "  5-December-2026", "Zurich Time", "5/Dec/26 15:05:07"});
        row("no zone selected", "UTC", "2026-12-05T14:05:07", -1, "X", false,
            {"     2:05:07 PM", "  5-December-2026", "X Time", "5/Dec/26 14:05:07"});
        row("day before", "UTC", "2026-12-05T03:04:05", 7, "New York", false,
            {"     3:04:05 AM", "  5-December-2026", "New York Time", "4/Dec/26 22:04:05"});
        row("daylight observed", "UTC", "2026-07-10T12:00:00", 14, "Amsterdam", true,
            {"    12:00:00 PM", "    10-July-2026", "Amsterdam Time", "10/Jul/26 14:00:00"});
        // GMT is still on Saturday 24 October, the destination already on the last Sunday.
        row("destination date ends daylight", "UTC", "2026-10-24T20:00:00", 31, "Auckland", true,
            {"     8:00:00 PM", "  24-October-2026", "Auckland Time", "25/Oct/26 08:00:00"});
        // Local daylight time is taken out before the destination offset goes in.
        row("local summer time", "America/New_York", "2026-07-10T10:00:00", 13, "London", false,
            {"    10:00:00 AM", "    10-July-2026", "London Time", "10/Jul/26 14:00:00"});
        // The locale's month names and designators reach the lines through the codec.
        row("Chinese locale", "UTC", "2026-12-05T14:05:07", 13, "London", false,
            {"     2:05:07 \?\?", "     5-\?\?\?-2026", "London Time", "5/12?/26 14:05:07"},
            "zh_CN");
    }
    // Line 4 keeps its seconds in every locale: three characters of month at most.
    void shortDateTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("Catalan de set.")
            << "ca_ES" << QDate(2026, 9, 30) << QByteArray("30/set/26 23:59:59");
    }
    void shortDateTime()
    {
        QFETCH(QString, locale);
        QFETCH(QDate, date);
        QFETCH(QByteArray, line);
        QLocale::setDefault(QLocale(locale));
        const QByteArray got = ModuleCodec::fromUnicode(
            TimeText::ShortDateTimeText(QDateTime(date, QTime(23, 59, 59), Qt::UTC)));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(got, line);
    }

    void showTimeDate()
    {
        QFETCH(QByteArray, tz);
        QFETCH(QString, local);
        QFETCH(int, zone);
        QFETCH(QString, name);
        QFETCH(bool, daylight);
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        setLocalZone(tz.constData());
        const FixedClock clock(QDateTime::fromString(local, Qt::ISODate));
        const WorldTimeSettings settings{qint16(zone), name, daylight};
        ScreenLines screen;
        TimeDateScreen(screen, clock, settings).ShowTimeDate();
        for (int i = 0; i < ScreenLines::Count; ++i)
            QCOMPARE(screen.line(i), lines.at(i));
    }
};

QTEST_GUILESS_MAIN(TestTimeDateScreen)
#include "tst_timedatescreen.moc"
