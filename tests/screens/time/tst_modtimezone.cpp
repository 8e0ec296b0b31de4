#include "TimeTestSupport.h"

#include "platform/Clock.h"
#include "screens/time/modTimeZone.h"

class TestModTimeZone : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Offsets at explicit instants, so nothing here depends on Qt's idea of
    // the local zone.
    void localOffsetSeconds_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<qint64>("utcSecs");
        QTest::addColumn<int>("offset");
        // 2026-07-10 14:00:00 UTC, 2026-01-10 15:00:00 UTC.
        QTest::newRow("New York summer")
            << QByteArray("America/New_York") << qint64(1783692000) << -14400;
        QTest::newRow("New York winter")
            << QByteArray("America/New_York") << qint64(1768057200) << -18000;
        // Daylight time starts 2026-03-08 07:00:00 UTC and ends 2026-11-01 06:00:00 UTC.
        QTest::newRow("second before spring")
            << QByteArray("America/New_York") << qint64(1772953199) << -18000;
        QTest::newRow("spring") << QByteArray("America/New_York") << qint64(1772953200) << -14400;
        QTest::newRow("second before autumn")
            << QByteArray("America/New_York") << qint64(1793512799) << -14400;
        QTest::newRow("autumn") << QByteArray("America/New_York") << qint64(1793512800) << -18000;
        QTest::newRow("POSIX rule summer")
            << QByteArray("EST5EDT,M3.2.0,M11.1.0") << qint64(1783692000) << -14400;
        QTest::newRow("POSIX rule winter")
            << QByteArray("EST5EDT,M3.2.0,M11.1.0") << qint64(1768057200) << -18000;
        QTest::newRow("UTC") << QByteArray("UTC") << qint64(1783692000) << 0;
        QTest::newRow("Kathmandu") << QByteArray("Asia/Kathmandu") << qint64(1783692000) << 20700;
        // Southern summer in January: +10:30.
        QTest::newRow("Adelaide January")
            << QByteArray("Australia/Adelaide") << qint64(1768057200) << 37800;
        QTest::newRow("Adelaide July")
            << QByteArray("Australia/Adelaide") << qint64(1783692000) << 34200;
    }
    void localOffsetSeconds()
    {
        QFETCH(QByteArray, tz);
        QFETCH(qint64, utcSecs);
        QFETCH(int, offset);
        TzScope zone(tz.constData());
        QCOMPARE(modTimeZone::LocalOffsetSeconds(utcSecs), offset);
    }

    void localToGMT_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QDate>("localDate");
        QTest::addColumn<QTime>("localTime");
        QTest::addColumn<QDateTime>("gmt");
        const auto utc = [](int y, int mo, int d, int h, int mi, int s) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
        };
        QTest::newRow("daylight time") << QByteArray("America/New_York") << QDate(2026, 7, 10)
                                       << QTime(10, 0) << utc(2026, 7, 10, 14, 0, 0);
        QTest::newRow("standard time") << QByteArray("America/New_York") << QDate(2026, 1, 10)
                                       << QTime(10, 0) << utc(2026, 1, 10, 15, 0, 0);
        QTest::newRow("back over midnight") << QByteArray("Asia/Kathmandu") << QDate(2026, 12, 5)
                                            << QTime(5, 0, 9) << utc(2026, 12, 4, 23, 15, 9);
        QTest::newRow("forward over new year")
            << QByteArray("America/New_York") << QDate(2026, 12, 31) << QTime(20, 30)
            << utc(2027, 1, 1, 1, 30, 0);
        QTest::newRow("GMT") << QByteArray("UTC") << QDate(2026, 12, 5) << QTime(14, 5, 7)
                             << utc(2026, 12, 5, 14, 5, 7);
    }
    void localToGMT()
    {
        QFETCH(QByteArray, tz);
        QFETCH(QDate, localDate);
        QFETCH(QTime, localTime);
        QFETCH(QDateTime, gmt);
        TzScope zone(tz.constData());
        // Built under the zone, not in the data function.
        const QDateTime local(localDate, localTime);
        const QDateTime got = modTimeZone::LocalToGMT(local);
        QCOMPARE(got.timeSpec(), Qt::UTC);
        QCOMPARE(got, gmt);
        const FixedClock clock(local);
        QCOMPARE(modTimeZone::LocalToGMT(clock), gmt);
    }

    // A date-time that is not in local time counts as the instant it is.
    void localToGMTFromUtcInstant()
    {
        TzScope zone("America/New_York");
        const QDateTime instant(QDate(2026, 7, 10), QTime(14, 0), Qt::UTC);
        QCOMPARE(modTimeZone::LocalToGMT(instant), instant);
    }

    void zoneOffsetMinutes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("minutes");
        QTest::newRow("first") << 0 << -720;
        QTest::newRow("Newfoundland") << 9 << -210;
        QTest::newRow("London") << 13 << 0;
        QTest::newRow("Kathmandu") << 22 << 345;
        QTest::newRow("Adelaide") << 28 << 570;
        QTest::newRow("last") << 31 << 720;
        QTest::newRow("below") << -1 << 0;
        QTest::newRow("above") << 32 << 0;
        QTest::newRow("far above") << 32767 << 0;
    }
    void zoneOffsetMinutes()
    {
        QFETCH(int, index);
        QFETCH(int, minutes);
        QCOMPARE(modTimeZone::ZoneOffsetMinutes(index), minutes);
    }

    void zoneLabels_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("label");
        QTest::newRow("0") << 0 << "(GMT - 12:00) International Date Line West";
        QTest::newRow("9") << 9 << "(GMT - 3:30) Newfoundland";
        QTest::newRow("13") << 13 << "(GMT) London";
        QTest::newRow("22") << 22 << "(GMT + 5:45) Kathmandu";
        QTest::newRow("26") << 26 << "(GMT + 8:00) Beijing,Hong Kong,Singapore";
        QTest::newRow("31") << 31 << "(GMT + 12:00) Auckland,Fiji";
    }
    void zoneLabels()
    {
        QFETCH(int, index);
        QFETCH(QString, label);
        QCOMPARE(modTimeZone::ZoneLabels.size(), std::size_t(32));
        QCOMPARE(QString::fromLatin1(modTimeZone::ZoneLabels.at(std::size_t(index))), label);
    }

    void isDaylightSaving_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("daylight");
        QTest::newRow("31 Mar 2026") << QDate(2026, 3, 31) << false;
        QTest::newRow("1 Apr 2026 Wed") << QDate(2026, 4, 1) << false;
        QTest::newRow("4 Apr 2026 Sat") << QDate(2026, 4, 4) << false;
        QTest::newRow("5 Apr 2026 first Sun") << QDate(2026, 4, 5) << true;
        QTest::newRow("6 Apr 2026 Mon") << QDate(2026, 4, 6) << true;
        QTest::newRow("1 Apr 2018 Sun") << QDate(2018, 4, 1) << true;
        QTest::newRow("7 Apr 2019 first Sun") << QDate(2019, 4, 7) << true;
        QTest::newRow("6 Apr 2019 Sat") << QDate(2019, 4, 6) << false;
        QTest::newRow("30 Apr 2026") << QDate(2026, 4, 30) << true;
        QTest::newRow("1 Oct 2026") << QDate(2026, 10, 1) << true;
        QTest::newRow("24 Oct 2026 Sat") << QDate(2026, 10, 24) << true;
        QTest::newRow("25 Oct 2026 last Sun") << QDate(2026, 10, 25) << false;
        QTest::newRow("26 Oct 2026 Mon") << QDate(2026, 10, 26) << false;
        QTest::newRow("31 Oct 2026 Sat") << QDate(2026, 10, 31) << false;
        QTest::newRow("30 Oct 2021 Sat") << QDate(2021, 10, 30) << true;
        QTest::newRow("31 Oct 2021 last Sun") << QDate(2021, 10, 31) << false;
        QTest::newRow("25 Oct 2020 last Sun") << QDate(2020, 10, 25) << false;
        QTest::newRow("24 Oct 2020 Sat") << QDate(2020, 10, 24) << true;
        QTest::newRow("1 Nov 2026") << QDate(2026, 11, 1) << false;
    }
    void isDaylightSaving()
    {
        QFETCH(QDate, date);
        QFETCH(bool, daylight);
        QCOMPARE(modTimeZone::IsDaylightSaving(date), daylight);
        // The time of day plays no part.
        QCOMPARE(modTimeZone::IsDaylightSaving(QDateTime(date, QTime(23, 59, 59), Qt::UTC)),
                 daylight);
        QCOMPARE(modTimeZone::IsDaylightSaving(QDateTime(date, QTime(0, 0), Qt::UTC)), daylight);
    }

    // Whole months: May to September always, November to March never.
    void isDaylightSavingWholeMonths()
    {
        for (int year : {2024, 2026}) {
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
                const int m = d.month();
                if (m >= 5 && m <= 9)
                    QVERIFY2(modTimeZone::IsDaylightSaving(d), qPrintable(d.toString(Qt::ISODate)));
                else if (m <= 3 || m >= 11)
                    QVERIFY2(!modTimeZone::IsDaylightSaving(d),
                             qPrintable(d.toString(Qt::ISODate)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestModTimeZone)
#include "tst_modtimezone.moc"
