#include "support/TimeTestSupport.h"

#include "screens/base/ScreenLines.h"
#include "screens/clock/LargeClock.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/clock/modTimeZone.h"
#include "support/FixedClock.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

// The clock screens on a pseudo-terminal.
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

    // Each zone's offset and the one daylight rule against the system's time-zone database,
    // for a city in that zone, in mid-January and mid-July. Where Brellix's fixed table
    // and the database disagree, the row says why; a reason that no longer applies fails too.
    void zoneTableAgainstDatabase()
    {
        struct Row
        {
            const char* city;
            const char* offsetWhy = nullptr;
            const char* daylightWhy = nullptr;
        };
        constexpr const char* Southern = "southern summer: one northern rule serves every zone";
        constexpr const char* NoDaylight = "no daylight saving there: one rule serves every zone";
        const Row rows[modTimeZone::ZoneCount] = {
            {"Etc/GMT+12", nullptr, NoDaylight},
            {"Pacific/Midway", nullptr, NoDaylight},
            {"Pacific/Honolulu", nullptr, NoDaylight},
            {"America/Anchorage"},
            {"America/Los_Angeles"},
            {"America/Denver"},
            {"America/Chicago"},
            {"America/New_York"},
            {"America/Halifax"},
            {"America/St_Johns"},
            {"America/Sao_Paulo", nullptr, "Brazil has had no daylight saving since 2019"},
            {"Atlantic/South_Georgia", nullptr, NoDaylight},
            {"Atlantic/Azores"},
            {"Europe/London"},
            {"Europe/Amsterdam"},
            {"Europe/Athens"},
            {"Asia/Baghdad", nullptr, "Iraq has had no daylight saving since 2008"},
            {"Asia/Tehran", nullptr, "Iran has had no daylight saving since 2022"},
            {"Asia/Dubai", nullptr, NoDaylight},
            {"Asia/Kabul", nullptr, NoDaylight},
            {"Asia/Karachi", nullptr, NoDaylight},
            {"Asia/Kolkata", nullptr, NoDaylight},
            {"Asia/Kathmandu", nullptr, NoDaylight},
            {"Asia/Dhaka", nullptr, NoDaylight},
            {"Asia/Yangon", nullptr, NoDaylight},
            {"Asia/Bangkok", nullptr, NoDaylight},
            {"Asia/Shanghai", nullptr, NoDaylight},
            {"Asia/Tokyo", nullptr, NoDaylight},
            {"Australia/Adelaide", nullptr, Southern},
            {"Australia/Sydney", nullptr, Southern},
            {"Pacific/Guadalcanal", nullptr, NoDaylight},
            {"Pacific/Auckland", nullptr, Southern},
        };
        // Past either end of the table: no zone, no offset.
        QCOMPARE(modTimeZone::ZoneOffsetMinutes(-1), 0);
        QCOMPARE(modTimeZone::ZoneOffsetMinutes(modTimeZone::ZoneCount), 0);
        if (!QTimeZone::isTimeZoneIdAvailable("Europe/London"))
            QSKIP("no time-zone database (tzdata) on this machine");
        for (int i = 0; i < modTimeZone::ZoneCount; ++i) {
            const Row& row = rows[i];
            const QTimeZone zone(row.city);
            QVERIFY2(zone.isValid(), row.city);
            QStringList offsetDiffers, daylightDiffers;
            for (const QDate date : {QDate(2026, 1, 15), QDate(2026, 7, 15)}) {
                const QDateTime noon(date, QTime(12, 0), zone);
                const int database = zone.standardTimeOffset(noon) / 60;
                if (database != modTimeZone::ZoneOffsetMinutes(i))
                    offsetDiffers << u"%1: table %2 min, database %3 min"_s
                                         .arg(date.toString(Qt::ISODate))
                                         .arg(modTimeZone::ZoneOffsetMinutes(i))
                                         .arg(database);
                const bool rule = modTimeZone::IsDaylightSaving(date);
                if (zone.isDaylightTime(noon) != rule)
                    daylightDiffers << u"%1: rule %2, database %3"_s.arg(date.toString(Qt::ISODate))
                                           .arg(rule)
                                           .arg(!rule);
            }
            // Empty when the row and the database agree on whether there is a difference.
            const auto verdict = [&](const QStringList& differs, const char* why,
                                     const char* what) {
                const QString where = u"zone %1 (%2) %3: "_s.arg(i).arg(row.city, what);
                if (differs.isEmpty() && why)
                    return where + u"agrees with the database, but the row says: "_s + why;
                if (!differs.isEmpty() && !why)
                    return where + differs.join(u"; "_s) + u" (no reason given)"_s;
                return QString();
            };
            const QString problems = verdict(offsetDiffers, row.offsetWhy, "offset") +
                                     verdict(daylightDiffers, row.daylightWhy, "daylight");
            QVERIFY2(problems.isEmpty(), qPrintable(problems));
        }
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
};

QTEST_GUILESS_MAIN(TestClockScreens)
#include "tst_clockscreens.moc"
