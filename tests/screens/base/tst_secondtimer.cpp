#include "screens/base/SecondTimer.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QtTest>

// The tick that follows the wall-clock second.
class TestSecondTimer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void msUntilNextSecond_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("wait");
        QTest::newRow("on the second") << qint64(1'700'000'000'000) << 1005;
        QTest::newRow("just before") << qint64(1'700'000'000'999) << 6;
        QTest::newRow("before the epoch") << qint64(-250) << 255;
    }
    void msUntilNextSecond()
    {
        QFETCH(qint64, now);
        QTEST(SecondTimer::msUntilNextSecond(now), "wait");
    }

    // Ticks land just after the turn of each second, one per second.
    void followsTheSecond()
    {
        SecondTimer timer;
        QList<qint64> at;
        connect(&timer, &SecondTimer::tick, this,
                [&] { at.append(QDateTime::currentMSecsSinceEpoch()); });
        timer.start();
        QTRY_COMPARE_WITH_TIMEOUT(at.size(), 3, 5000);
        timer.stop();
        for (int i = 0; i < at.size(); ++i) {
            const qint64 into = at[i] % 1000;
            QVERIFY2(into >= SecondTimer::LateMs && into < 200, qPrintable(QString::number(into)));
            if (i > 0)
                QCOMPARE(at[i] / 1000 - at[i - 1] / 1000, qint64(1));
        }
    }
};

QTEST_GUILESS_MAIN(TestSecondTimer)
#include "tst_secondtimer.moc"
