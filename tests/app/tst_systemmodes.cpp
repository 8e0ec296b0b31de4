#include "support/LinkHarness.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>
#include <unistd.h>

// The CPU Info and Network Info modes end to end: the real /proc and host,
// the scheduler's ticks, the line writer, the wire and the simulated module.
class TestSystemModes : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

private Q_SLOTS:
    void cpuAndNetwork()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("[Mode]\nmode=2\n[Ports]\nCOM1=" + module->slavePath().toUtf8() + "\n");
        TestApp c(h.iniPath(), m_platform);
        c.lifecycle().setTimersEnabled(false);
        QSignalSpy finished(&c.lifecycle(), &Lifecycle::startupFinished);
        c.lifecycle().start();
        QVERIFY(finished.wait(3000));
        QCOMPARE(c.scheduler().selectedMode(), 2);

        // The first sample after opening has no processor value yet.
        c.scheduler().tick();
        QVERIFY2(c.lines().line(0).startsWith(" MEM:"), c.lines().line(0).constData());
        // A processor value needs two samples with time between them.
        const QRegularExpression cpuLine(QStringLiteral("^CPU:\\d{1,3}% MEM:\\d{1,3}% *$"));
        QTRY_VERIFY2_WITH_TIMEOUT(
            (c.scheduler().tick(),
             cpuLine.match(QString::fromLatin1(module->module().line(0))).hasMatch()),
            module->module().line(0).constData(), 5000);

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
};

QTEST_GUILESS_MAIN(TestSystemModes)
#include "tst_systemmodes.moc"
