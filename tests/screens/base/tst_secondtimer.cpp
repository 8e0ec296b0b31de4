#include "screens/base/SecondTimer.h"

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
};

QTEST_GUILESS_MAIN(TestSecondTimer)
#include "tst_secondtimer.moc"
