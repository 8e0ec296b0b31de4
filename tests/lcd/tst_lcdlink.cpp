#include "lcd/LcdLink.h"
#include "support/LinkHarness.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

// The serial link over a pseudo-terminal.
class TestLcdLink : public QObject
{
    Q_OBJECT

    static void useModule(LcdLink& link, PtyLcdModule* module)
    {
        std::array<QString, LcdLink::PortCount> paths;
        paths.fill(module->slavePath());
        link.setPortPaths(paths);
    }

private Q_SLOTS:
    // A line setting that parses but that the device refuses (a
    // pseudo-terminal takes no parity) leaves the port closed, logs why, and
    // later sends are dropped: it is no lost module.
    void lineSettings_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("warning");
        QTest::newRow("default") << LcdLink::DefaultSettings << true << QString();
        QTest::newRow("19200, two stop bits") << "19200,n,8,2" << true << QString();
        QTest::newRow("parity refused") << "19200,e,8,2" << false << "Cannot apply";
        QTest::newRow("not a setting") << "9600,q,8,1" << false << "Invalid serial settings";
    }
    void lineSettings()
    {
        QFETCH(QString, settings);
        QFETCH(bool, opens);
        QFETCH(QString, warning);
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        LcdLink link;
        useModule(link, module);
        link.setSettings(settings);
        QSignalSpy lost(&link, &LcdLink::portLost);
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        QCOMPARE(link.openPort(), opens);
        QCOMPARE(link.isOpen(), opens);
        link.SendLcd("x");
        QCOMPARE(module->waitForBytes(1, opens ? 2000 : 100), opens);
        QCOMPARE(lost.count(), 0);
    }

    // Two waits at once each get their own ticks: the shorter one ends
    // first and does not cut the longer one short.
    void twoWaitsAtOnce()
    {
        LcdLink link;
        QElapsedTimer clock;
        clock.start();
        QList<QPair<int, qint64>> ended;
        link.WaitTicks(20, [&] { ended.append({20, clock.elapsed()}); });
        link.WaitTicks(5, [&] { ended.append({5, clock.elapsed()}); });
        QTRY_COMPARE(ended.size(), 2);
        QCOMPARE(ended[0].first, 5);
        QCOMPARE(ended[1].first, 20);
        QVERIFY2(ended[0].second >= 5 * LcdLink::TickMs,
                 qPrintable(QString::number(ended[0].second)));
        QVERIFY2(ended[1].second >= 20 * LcdLink::TickMs,
                 qPrintable(QString::number(ended[1].second)));
    }
};

QTEST_GUILESS_MAIN(TestLcdLink)
#include "tst_lcdlink.moc"
