#include "TimeTestSupport.h"

#include "platform/Clock.h"
#include "screens/time/ScreenLines.h"
#include "screens/time/TimeDateScreen.h"
#include "screens/time/WorldTimeSettings.h"

namespace {
QList<QByteArray> linesOf(const ScreenLines& screen)
{
    QList<QByteArray> lines;
    for (int i = 0; i < ScreenLines::Count; ++i)
        lines << screen.line(i);
    return lines;
}
} // namespace

class TestTimeDateScreen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void showTimeDate_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QList<QByteArray>>("lines");

        const QDate dec5(2026, 12, 5);
        // Time text of 10 characters: pad 10, five spaces; date of 15: pad 5, 2.5 -> 2.
        QTest::newRow("London afternoon")
            << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 13 << "London" << false
            << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026", "London Time",
                                 "5/Dec/26 14:05:07"};
        // 11 characters: pad 9, 4.5 -> 4.
        QTest::newRow("two-digit hour")
            << QByteArray("UTC") << dec5 << QTime(12, 5, 7) << 13 << "London" << false
            << QList<QByteArray>{"    12:05:07 PM", "  5-December-2026", "London Time",
                                 "5/Dec/26 12:05:07"};
        QTest::newRow("15 May") << QByteArray("UTC") << QDate(2026, 5, 15) << QTime(9, 0) << 13
                                << "London" << false
                                << QList<QByteArray>{"     9:00:00 AM", "    15-May-2026",
                                                     "London Time", "15/May/26 09:00:00"};
        QTest::newRow("5 May at midnight")
            << QByteArray("UTC") << QDate(2026, 5, 5) << QTime(0, 0) << 13 << "London" << false
            << QList<QByteArray>{"    12:00:00 AM", "     5-May-2026", "London Time",
                                 "5/May/26 00:00:00"};
        // 17 characters: pad 3, 1.5 -> 2.
        QTest::newRow("30 September") << QByteArray("UTC") << QDate(2026, 9, 30)
                                      << QTime(23, 59, 59) << 13 << "London" << false
                                      << QList<QByteArray>{"    11:59:59 PM", "  30-September-2026",
                                                           "London Time", "30/Sep/26 23:59:59"};
        QTest::newRow("16-character name")
            << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 13 << "Buenos Aires ARG" << false
            << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026", "Buenos Aires ARG Tim",
                                 "5/Dec/26 14:05:07"};
        QTest::newRow("no name") << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 13 << ""
                                 << false
                                 << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026",
                                                      " Time", "5/Dec/26 14:05:07"};
        QTest::newRow("accented name") << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 14
                                       << QString::fromUtf8("Zürich") << false
                                       << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026",
                                                            "Zurich Time", "5/Dec/26 15:05:07"};
        QTest::newRow("Kathmandu")
            << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 22 << "Kathmandu" << false
            << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026", "Kathmandu Time",
                                 "5/Dec/26 19:50:07"};
        QTest::newRow("Newfoundland")
            << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 9 << "St. John's" << false
            << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026", "St. John's Time",
                                 "5/Dec/26 10:35:07"};
        QTest::newRow("day before")
            << QByteArray("UTC") << dec5 << QTime(3, 4, 5) << 7 << "New York" << false
            << QList<QByteArray>{"     3:04:05 AM", "  5-December-2026", "New York Time",
                                 "4/Dec/26 22:04:05"};
        QTest::newRow("next year")
            << QByteArray("UTC") << QDate(2026, 12, 31) << QTime(13, 0) << 31 << "Auckland" << false
            << QList<QByteArray>{"     1:00:00 PM", "  31-December-2026", "Auckland Time",
                                 "1/Jan/27 01:00:00"};
        QTest::newRow("zone outside the table")
            << QByteArray("UTC") << dec5 << QTime(14, 5, 7) << 40 << "Nowhere" << true
            << QList<QByteArray>{"     2:05:07 PM", "  5-December-2026", "Nowhere Time",
                                 "5/Dec/26 14:05:07"};

        // Observed daylight saving adds an hour by the destination's date.
        QTest::newRow("daylight observed, July")
            << QByteArray("UTC") << QDate(2026, 7, 10) << QTime(12, 0) << 14 << "Amsterdam" << true
            << QList<QByteArray>{"    12:00:00 PM", "    10-July-2026", "Amsterdam Time",
                                 "10/Jul/26 14:00:00"};
        QTest::newRow("daylight observed, January")
            << QByteArray("UTC") << QDate(2026, 1, 10) << QTime(12, 0) << 14 << "Amsterdam" << true
            << QList<QByteArray>{"    12:00:00 PM", "  10-January-2026", "Amsterdam Time",
                                 "10/Jan/26 13:00:00"};
        QTest::newRow("daylight not observed, July")
            << QByteArray("UTC") << QDate(2026, 7, 10) << QTime(12, 0) << 14 << "Amsterdam" << false
            << QList<QByteArray>{"    12:00:00 PM", "    10-July-2026", "Amsterdam Time",
                                 "10/Jul/26 13:00:00"};
        // GMT is still on Saturday 24 October, the destination already on the last Sunday.
        QTest::newRow("destination date ends daylight")
            << QByteArray("UTC") << QDate(2026, 10, 24) << QTime(20, 0) << 31 << "Auckland" << true
            << QList<QByteArray>{"     8:00:00 PM", "  24-October-2026", "Auckland Time",
                                 "25/Oct/26 08:00:00"};
        QTest::newRow("destination date starts daylight")
            << QByteArray("UTC") << QDate(2026, 4, 4) << QTime(20, 0) << 31 << "Auckland" << true
            << QList<QByteArray>{"     8:00:00 PM", "    4-April-2026", "Auckland Time",
                                 "5/Apr/26 09:00:00"};

        // Local daylight time is taken out before the destination offset goes in.
        QTest::newRow("local summer time")
            << QByteArray("America/New_York") << QDate(2026, 7, 10) << QTime(10, 0) << 13
            << "London" << false
            << QList<QByteArray>{"    10:00:00 AM", "    10-July-2026", "London Time",
                                 "10/Jul/26 14:00:00"};
        QTest::newRow("local winter time")
            << QByteArray("America/New_York") << QDate(2026, 1, 10) << QTime(10, 0) << 13
            << "London" << false
            << QList<QByteArray>{"    10:00:00 AM", "  10-January-2026", "London Time",
                                 "10/Jan/26 15:00:00"};
        QTest::newRow("local summer time to Beijing")
            << QByteArray("America/New_York") << QDate(2026, 7, 10) << QTime(10, 0) << 26
            << "Beijing" << false
            << QList<QByteArray>{"    10:00:00 AM", "    10-July-2026", "Beijing Time",
                                 "10/Jul/26 22:00:00"};
    }
    void showTimeDate()
    {
        QFETCH(QByteArray, tz);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(int, zone);
        QFETCH(QString, name);
        QFETCH(bool, daylight);
        QFETCH(QList<QByteArray>, lines);

        TzScope local(tz.constData());
        const FixedClock clock(QDateTime(date, time));
        WorldTimeSettings settings;
        settings.ZoneIndex = qint16(zone);
        settings.DestinationName = name;
        settings.ObserveDaylight = daylight;
        ScreenLines screen;
        TimeDateScreen page(screen, clock, settings);
        page.show();
        QCOMPARE(linesOf(screen), lines);
    }

    // The dialog changes the settings in place; the next tick shows them.
    void followsSettings()
    {
        TzScope local("UTC");
        const FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7)));
        WorldTimeSettings settings;
        settings.DestinationName = QStringLiteral("London");
        ScreenLines screen;
        TimeDateScreen page(screen, clock, settings);
        page.ShowTimeDate();
        QCOMPARE(screen.line(3), QByteArray("5/Dec/26 14:05:07"));
        settings.ZoneIndex = 26;
        settings.DestinationName = QStringLiteral("Beijing");
        page.ShowTimeDate();
        QCOMPARE(screen.line(2), QByteArray("Beijing Time"));
        QCOMPARE(screen.line(3), QByteArray("5/Dec/26 22:05:07"));
    }

    // Month names and designators of other locales reach the lines through
    // the module codec.
    void otherLocales_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France)
                                << QList<QByteArray>{"     2:05:07 PM", "  5-decembre-2026",
                                                     "Paris Time", "5/dec./26 14:05:07"};
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << QList<QByteArray>{"     2:05:07 PM", "  5-Dezember-2026",
                                                     "Paris Time", "5/Dez./26 14:05:07"};
        QTest::newRow("Chinese") << QLocale(QLocale::Chinese, QLocale::China)
                                 << QList<QByteArray>{"     2:05:07 \?\?", "     5-\?\?\?-2026",
                                                      "Paris Time", "5/12?/26 14:05:07"};
    }
    void otherLocales()
    {
        QFETCH(QLocale, locale);
        QFETCH(QList<QByteArray>, lines);
        LocaleScope scope(locale);
        TzScope local("UTC");
        const FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7)));
        WorldTimeSettings settings;
        settings.DestinationName = QStringLiteral("Paris");
        ScreenLines screen;
        TimeDateScreen page(screen, clock, settings);
        page.ShowTimeDate();
        QCOMPARE(linesOf(screen), lines);
    }

    void statusClockText_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << QTime(0, 0) << "12:00:00 AM";
        QTest::newRow("after midnight") << QTime(0, 5, 9) << "12:05:09 AM";
        QTest::newRow("morning") << QTime(9, 30) << "9:30:00 AM";
        QTest::newRow("before noon") << QTime(11, 59, 59) << "11:59:59 AM";
        QTest::newRow("noon") << QTime(12, 0) << "12:00:00 PM";
        QTest::newRow("afternoon") << QTime(13, 7, 1) << "1:07:01 PM";
        QTest::newRow("before midnight") << QTime(23, 59, 59) << "11:59:59 PM";
    }
    void statusClockText()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(TimeDateScreen::StatusClockText(QDateTime(QDate(2026, 12, 5), time, Qt::UTC)),
                 text);
    }

    void centred_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("pad 10") << QByteArray("0123456789") << QByteArray("     0123456789");
        QTest::newRow("pad 9") << QByteArray("01234567890") << QByteArray("    01234567890");
        QTest::newRow("pad 7") << QByteArray("0123456789012") << QByteArray("    0123456789012");
        QTest::newRow("pad 3") << QByteArray("01234567890123456")
                               << QByteArray("  01234567890123456");
        QTest::newRow("pad 1") << QByteArray("0123456789012345678")
                               << QByteArray("0123456789012345678");
        QTest::newRow("pad 0") << QByteArray("01234567890123456789")
                               << QByteArray("01234567890123456789");
        QTest::newRow("cut first")
            << QByteArray("0123456789012345678901") << QByteArray("01234567890123456789");
        QTest::newRow("empty") << QByteArray() << QByteArray("          ");
    }
    void centred()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, line);
        QCOMPARE(TimeDateScreen::Centred(text), line);
    }
};

QTEST_GUILESS_MAIN(TestTimeDateScreen)
#include "tst_timedatescreen.moc"
