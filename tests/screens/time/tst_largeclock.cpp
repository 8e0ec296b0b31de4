#include "TimeTestSupport.h"

#include "platform/Clock.h"
#include "screens/time/LargeClock.h"
#include "sim/LcdModule.h"

namespace {
// The cells of large-digit position p, all four rows.
QByteArray digitArea(const LcdModule& module, int position)
{
    QByteArray cells;
    const int left = LcdModule::largeDigitColumn(position);
    for (int row = 0; row < LcdModule::Rows; ++row)
        cells += module.line(row).mid(left, 3);
    return cells;
}
} // namespace

class TestLargeClock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void showLargeClock_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("writes");
        QTest::addColumn<int>("firstPosition");

        // One-digit hours: columns 0-3 blanked, three digits at positions 1, 3, 2.
        QTest::newRow("9:30")
            << QTime(9, 30, 15)
            << "FE2E00 FE2E01 FE2E02 FE2E03 FE343139FE343330FE343233 FE32021361 FE3203136D" << 1;
        QTest::newRow("11:45") << QTime(11, 45)
                               << "FE343335FE343031FE343131FE343234 FE32021361 FE3203136D" << 0;
        QTest::newRow("0:05") << QTime(0, 5, 59)
                              << "FE343335FE343031FE343132FE343230 FE32021361 FE3203136D" << 0;
        QTest::newRow("12:00") << QTime(12, 0)
                               << "FE343330FE343031FE343132FE343230 FE32021370 FE3203136D" << 0;
        QTest::newRow("13:07")
            << QTime(13, 7, 30)
            << "FE2E00 FE2E01 FE2E02 FE2E03 FE343131FE343337FE343230 FE32021370 FE3203136D" << 1;
        QTest::newRow("23:59") << QTime(23, 59, 59)
                               << "FE343339FE343031FE343131FE343235 FE32021370 FE3203136D" << 0;
    }
    void showLargeClock()
    {
        QFETCH(QTime, time);
        QFETCH(QString, writes);
        QFETCH(int, firstPosition);
        const QList<QByteArray> expected = hexWrites(writes);
        const QByteArray wire = joined(expected);

        TzScope local("UTC");
        PtyLink pty;
        QVERIFY(pty.open());
        // A four-digit time on the module first, so the blanking shows.
        FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(12, 0)));
        LargeClock largeClock(pty.link, clock);
        largeClock.ShowLargeClock();
        QVERIFY(pty.waitFor(24));
        pty.module->clearRecord();
        pty.takeWrites();

        clock.set(QDateTime(QDate(2026, 12, 5), time));
        largeClock.ShowLargeClock();
        QCOMPARE(pty.takeWrites(), expected);
        QVERIFY(pty.waitFor(wire.size()));
        QCOMPARE(pty.module->received().toHex(' '), wire.toHex(' '));

        // What the module shows: the same as a blank module given just this time.
        const LcdModule& shown = pty.module->module();
        LcdModule fresh;
        fresh.feed(wire);
        for (int row = 0; row < LcdModule::Rows; ++row)
            QCOMPARE(shown.line(row), fresh.line(row));
        for (int p = 0; p < 4; ++p) {
            const bool blank = digitArea(shown, p).count(' ') == 12;
            QVERIFY2(blank == (p < firstPosition),
                     qPrintable(QStringLiteral("position %1").arg(p)));
        }
        QCOMPARE(shown.line(2).at(19), time.hour() < 12 ? 'a' : 'p');
        QCOMPARE(shown.line(3).at(19), 'm');
    }

    // The letters follow the hour, whatever the locale calls the morning.
    void letterFromHourNotLocale()
    {
        LocaleScope scope(QLocale(QLocale::Spanish, QLocale::Spain));
        TzScope local("UTC");
        PtyLink pty;
        QVERIFY(pty.open());
        FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(9, 30)));
        LargeClock largeClock(pty.link, clock);
        largeClock.ShowLargeClock();
        QList<QByteArray> sent = pty.takeWrites();
        QCOMPARE(sent.size(), 7);
        QCOMPARE(sent.at(5), hex("FE32021361"));
        clock.set(QDateTime(QDate(2026, 12, 5), QTime(21, 30)));
        largeClock.ShowLargeClock();
        sent = pty.takeWrites();
        QCOMPARE(sent.size(), 7);
        QCOMPARE(sent.at(5), hex("FE32021370"));
    }

    void enter()
    {
        PtyLink pty;
        QVERIFY(pty.open());
        FixedClock clock;
        LargeClock largeClock(pty.link, clock);
        largeClock.enter();
        QCOMPARE(pty.takeWrites(), hexWrites("FE09"));
        QVERIFY(pty.waitFor(2));
        QVERIFY(pty.module->module().largeDigitsReady());
    }

    void blinkColon_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("writes");
        const QString hide = QStringLiteral("FE2E09");
        const QString show = QStringLiteral("FE320109DF FE320309DF");
        QTest::newRow("0 -> 1") << 0 << 1 << hide;
        QTest::newRow("1 -> 2") << 1 << 2 << show;
        QTest::newRow("252 -> 253") << 252 << 253 << hide;
        QTest::newRow("253 -> 254") << 253 << 254 << show;
        QTest::newRow("254 -> 0") << 254 << 0 << show;
    }
    void blinkColon()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, writes);
        const QList<QByteArray> expected = hexWrites(writes);
        PtyLink pty;
        QVERIFY(pty.open());
        FixedClock clock;
        LargeClock largeClock(pty.link, clock);
        largeClock.BlinkCount = qint16(before);
        largeClock.BlinkColon();
        QCOMPARE(int(largeClock.BlinkCount), after);
        QCOMPARE(pty.takeWrites(), expected);
        QVERIFY(pty.waitFor(joined(expected).size()));
        QCOMPARE(pty.module->received(), joined(expected));
        const char colon = after % 2 == 0 ? char(223) : ' ';
        QCOMPARE(pty.module->module().line(1).at(9), colon);
        QCOMPARE(pty.module->module().line(3).at(9), colon);
    }

    // 255 values per round: the count comes back to 0 after 255 ticks.
    void blinkRound()
    {
        PtyLink pty;
        QVERIFY(pty.open());
        FixedClock clock;
        LargeClock largeClock(pty.link, clock);
        for (int i = 0; i < 254; ++i)
            largeClock.BlinkColon();
        QCOMPARE(int(largeClock.BlinkCount), 254);
        largeClock.BlinkColon();
        QCOMPARE(int(largeClock.BlinkCount), 0);
        // 127 hides (1, 3, ..., 253) and 128 shows of two writes (2, ..., 254, 0).
        QCOMPARE(pty.takeWrites().size(), 127 + 2 * 128);
    }

    // A closed port: nothing goes out, the count still moves on.
    void closedPort()
    {
        PtyLink pty;
        FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(9, 30)));
        LargeClock largeClock(pty.link, clock);
        largeClock.enter();
        largeClock.ShowLargeClock();
        largeClock.BlinkColon();
        QCOMPARE(int(largeClock.BlinkCount), 1);
        QCOMPARE(pty.spy.count(), 0);
        QTest::qWait(100);
        QVERIFY(pty.module->received().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLargeClock)
#include "tst_largeclock.moc"
