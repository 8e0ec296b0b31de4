#include "app/MainController.h"
#include "support/FixedClock.h"
#include "support/LinkHarness.h"

#include <QtTest>
#include <unistd.h>

// The CPU Info and Network Info modes end to end: the real /proc and host,
// the scheduler's ticks, the line writer, the wire and the simulated module.
class TestSystemModes : public QObject
{
    Q_OBJECT
    FixedClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};

private Q_SLOTS:
    void cpuAndNetwork()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("[Mode]\nmode=2\n[Ports]\nCOM1=" + module->slavePath().toUtf8() + "\n");
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        QSignalSpy finished(&c, &MainController::startupFinished);
        c.startup();
        QVERIFY(finished.wait(3000));
        QCOMPARE(c.scheduler().selectedMode(), 2);

        // The first sample after opening has no processor value yet.
        c.scheduler().tick();
        QVERIFY2(c.lines().line(0).startsWith(" MEM:"), c.lines().line(0).constData());
        QTest::qWait(1100);
        c.scheduler().tick();
        const QRegularExpression cpuLine(QStringLiteral("^CPU:\\d{1,3}% MEM:\\d{1,3}% *$"));
        QTRY_VERIFY2(cpuLine.match(QString::fromLatin1(module->module().line(0))).hasMatch(),
                     module->module().line(0).constData());
        QVERIFY(QString::fromLatin1(module->module().line(0)).contains(QStringLiteral("CPU:")));

        c.scheduler().selectMode(3);
        c.scheduler().tick();
        char host[256] = {};
        QCOMPARE(::gethostname(host, sizeof host - 1), 0);
        const QByteArray expected = QByteArray(host).left(20).leftJustified(20, ' ');
        QTRY_COMPARE(module->module().line(0), expected);
        // Line 2: a connection symbol (custom character 6 or 7) and an address.
        const QByteArray line2 = module->module().line(1);
        QVERIFY2(line2.at(0) == '\x06' || line2.at(0) == '\x07', line2.toHex().constData());
        QVERIFY(module->module().line(2).startsWith("In :"));
        QVERIFY(module->module().line(3).startsWith("Out:"));
        // The glyphs the symbols need were uploaded by the switch.
        QCOMPARE(module->module().glyph(6), (std::array<quint8, 8>{0, 31, 17, 17, 14, 4, 4, 0}));
    }

    // "OpenQuery failed" ends the run at once: nothing is saved, so the next
    // start does not fall into the same mode again.
    void fatalEndSavesNothing()
    {
        LinkHarness h;
        h.writeIni("[Mode]\nmode=1\n");
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        c.overridePort(1, QStringLiteral("/nonexistent/tty"));
        c.startup();
        QTRY_VERIFY(c.startupDone());
        c.scheduler().selectMode(2);
        QSignalSpy quit(&c, &MainController::quitRequested);
        c.requestQuit();
        QCOMPARE(quit.count(), 1);
        c.shutdown();
        QCOMPARE(h.readIni(), QByteArray("[Mode]\nmode=1\n"));
    }
};

QTEST_GUILESS_MAIN(TestSystemModes)
#include "tst_systemmodes.moc"
