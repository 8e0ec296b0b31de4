#include "support/TimeTestSupport.h"

#include "screens/clock/modTimeZone.h"
#include "support/FixedClock.h"

class TestModTimeZone : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The local offset at an instant, and the GMT wall clock of a local time.
    void localOffsetAndGMT_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QString>("local");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("gmt");
        QTest::newRow("New York summer") << QByteArray("America/New_York") << "2026-07-10T10:00:00"
                                         << -14400 << "2026-07-10T14:00:00";
        QTest::newRow("Adelaide summer") << QByteArray("Australia/Adelaide")
                                         << "2026-01-11T01:30:00" << 37800 << "2026-01-10T15:00:00";
        QTest::newRow("back over midnight") << QByteArray("Asia/Kathmandu") << "2026-12-05T05:00:09"
                                            << 20700 << "2026-12-04T23:15:09";
    }
    void localOffsetAndGMT()
    {
        QFETCH(QByteArray, tz);
        QFETCH(QString, local);
        QFETCH(int, offset);
        QFETCH(QString, gmt);
        setLocalZone(tz.constData()); // before the local date-time is read
        const QDateTime instant = QDateTime::fromString(gmt + QLatin1Char('Z'), Qt::ISODate);
        QCOMPARE(modTimeZone::LocalOffsetSeconds(instant.toSecsSinceEpoch()), offset);
        const FixedClock clock(QDateTime::fromString(local, Qt::ISODate));
        const QDateTime got = modTimeZone::LocalToGMT(clock);
        QCOMPARE(got.timeSpec(), Qt::UTC);
        QCOMPARE(got, instant);
    }

    // From the first Sunday of April to the last Sunday of October.
    void isDaylightSaving_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("daylight");
        QTest::newRow("4 Apr 2026 Sat") << QDate(2026, 4, 4) << false;
        QTest::newRow("5 Apr 2026 first Sun") << QDate(2026, 4, 5) << true;
        QTest::newRow("1 Apr 2018 Sun") << QDate(2018, 4, 1) << true;
        QTest::newRow("24 Oct 2026 Sat") << QDate(2026, 10, 24) << true;
        QTest::newRow("25 Oct 2026 last Sun") << QDate(2026, 10, 25) << false;
        QTest::newRow("26 Oct 2026 Mon") << QDate(2026, 10, 26) << false;
        QTest::newRow("30 Oct 2021 Sat") << QDate(2021, 10, 30) << true;
        QTest::newRow("31 Oct 2021 last Sun") << QDate(2021, 10, 31) << false;
        QTest::newRow("1 Nov 2026") << QDate(2026, 11, 1) << false;
    }
    void isDaylightSaving()
    {
        QFETCH(QDate, date);
        QFETCH(bool, daylight);
        QCOMPARE(modTimeZone::IsDaylightSaving(date), daylight);
    }
};

QTEST_GUILESS_MAIN(TestModTimeZone)
#include "tst_modtimezone.moc"
