#include "support/TimeTestSupport.h"

#include "screens/clock/LargeClock.h"
#include "support/FixedClock.h"

class TestLargeClock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showLargeClock_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("writes");
        // One-digit hours: columns 0-3 blanked, three digits at positions 1, 3, 2.
        QTest::newRow("9:30") << QTime(9, 30, 15) << "en_US"
                              << QByteArray("FE2E00 FE2E01 FE2E02 FE2E03 FE343139FE343330FE343233 "
                                            "FE32021361 FE3203136D");
        QTest::newRow("0:05") << QTime(0, 5, 59) << "en_US"
                              << QByteArray("FE343335FE343031FE343132FE343230 FE32021361 "
                                            "FE3203136D");
        QTest::newRow("12:00") << QTime(12, 0) << "en_US"
                               << QByteArray("FE343330FE343031FE343132FE343230 FE32021370 "
                                             "FE3203136D");
        QTest::newRow("13:07") << QTime(13, 7, 30) << "en_US"
                               << QByteArray("FE2E00 FE2E01 FE2E02 FE2E03 FE343131FE343337FE343230 "
                                             "FE32021370 FE3203136D");
        // The letters follow the hour, whatever the locale calls the morning.
        QTest::newRow("9:30 Spanish") << QTime(9, 30) << "es_ES"
                                      << QByteArray("FE2E00 FE2E01 FE2E02 FE2E03 "
                                                    "FE343139FE343330FE343233 FE32021361 "
                                                    "FE3203136D");
    }
    void showLargeClock()
    {
        QFETCH(QTime, time);
        QFETCH(QString, locale);
        QFETCH(QByteArray, writes);
        QLocale::setDefault(QLocale(locale));
        PtyLink pty;
        QVERIFY(pty.open());
        FixedClock clock(QDateTime(QDate(2026, 12, 5), time));
        LargeClock(pty.link, clock).ShowLargeClock();
        QCOMPARE(pty.takeWrites(), hexWrites(writes));
    }

    void blinkColon_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QByteArray>("writes");
        const QByteArray hide = "FE2E09";
        const QByteArray show = "FE320109DF FE320309DF";
        QTest::newRow("252 -> 253") << 252 << 253 << hide;
        QTest::newRow("253 -> 254") << 253 << 254 << show;
        QTest::newRow("254 -> 0") << 254 << 0 << show;
        QTest::newRow("0 -> 1") << 0 << 1 << hide;
    }
    void blinkColon()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QByteArray, writes);
        PtyLink pty;
        QVERIFY(pty.open());
        FixedClock clock;
        LargeClock largeClock(pty.link, clock);
        for (int i = 0; i < before; ++i) // the count wraps at 255 ticks
            largeClock.BlinkColon();
        QCOMPARE(int(largeClock.blinkCount()), before);
        pty.takeWrites();
        largeClock.BlinkColon();
        QCOMPARE(int(largeClock.blinkCount()), after);
        QCOMPARE(pty.takeWrites(), hexWrites(writes));
    }
};

QTEST_GUILESS_MAIN(TestLargeClock)
#include "tst_largeclock.moc"
