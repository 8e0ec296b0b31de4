#include "app/MainController.h"
#include "platform/Clock.h"
#include "support/LinkHarness.h"

#include <QSignalSpy>
#include <QtTest>

// Start-up, detection, COM menu, backlight and shutdown over real
// pseudo-terminals with simulated modules behind them.
class TestMainController : public QObject
{
    Q_OBJECT

    FixedClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};

    static QByteArray portsSection(const QStringList& paths)
    {
        QByteArray s = "[Ports]\n";
        for (int i = 0; i < paths.size(); ++i)
            s += "COM" + QByteArray::number(i + 1) + "=" + paths[i].toUtf8() + "\n";
        return s;
    }

    static void startAndWait(MainController& c)
    {
        QSignalSpy finished(&c, &MainController::startupFinished);
        c.startup();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 3000);
    }

private Q_SLOTS:
    void detection_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("minimised");
        // Detection, then the switch to the saved mode 0: clear, large digits.
        QTest::newRow("answers 0x65") << QByteArray("\x65") << "LCD Connected"
                                      << hex("fe10 fe2900 0d fe06 0d fe09") << 1;
        QTest::newRow("answers 0x65 then more")
            << QByteArray("\x65\x00\x01", 3) << "LCD Connected"
            << hex("fe10 fe2900 0d fe06 0d fe09") << 1;
        QTest::newRow("silent") << QByteArray() << "LCD Not Found On Com 3" << hex("fe10 0d fe09")
                                << 0;
        QTest::newRow("answers 0x45") << QByteArray("\x45") << "LCD Not Found On Com 3"
                                      << hex("fe10 0d fe09") << 0;
    }
    void detection()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, status);
        QFETCH(QByteArray, wire);
        QFETCH(int, minimised);
        LinkHarness h;
        PtyLcdModule* module = h.addModule(reply);
        h.writeIni("[Settings]\nCommPort=3\nSetting=9600,n,8,1\nBacklight=20\n" +
                   portsSection({"/nonexistent/a", "/nonexistent/b", module->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        QSignalSpy minimise(&c, &MainController::minimiseRequested);
        QSignalSpy sent(&c.link(), &LcdLink::sent);
        startAndWait(c);
        QCOMPARE(c.statusText(), status);
        QCOMPARE(c.checkedComItem(), 3);
        QVERIFY(module->waitForBytes(wire.size(), 2000));
        QTest::qWait(50); // nothing more may follow
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));
        QCOMPARE(minimise.count(), minimised);
        // Restoring the slider position sends nothing.
        QCOMPARE(c.sliderPosition(), 20);
        // Query, then code 41, clear and backlight each as its own write;
        // then the mode switch's two.
        QCOMPARE(sent.count(), minimised ? 6 : 3);
    }

    void detectionWaitKeepsEventLoopRunning()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni(portsSection({module->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        int ticks = 0;
        QTimer t;
        QObject::connect(&t, &QTimer::timeout, [&] { ++ticks; });
        t.start(10);
        QElapsedTimer elapsed;
        elapsed.start();
        startAndWait(c);
        const qint64 ms = elapsed.elapsed();
        QVERIFY2(ms >= 100 && ms <= 400, qPrintable(QString::number(ms)));
        QVERIFY2(ticks >= 5, "the wait must not block the event loop");
    }

    void missingDeviceLeavesInitialStatus()
    {
        LinkHarness h;
        h.writeIni("[Settings]\nCommPort=2\n" + portsSection({"/x", "/nonexistent/tty"}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        QSignalSpy status(&c, &MainController::statusTextChanged);
        startAndWait(c);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connection Status"));
        QCOMPARE(status.count(), 0);
        QCOMPARE(c.checkedComItem(), 2);
        QVERIFY(!c.link().isOpen());
        c.sliderMoved(100); // dropped, no crash
    }

    void invalidSerialSettingsLeavePortClosed()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("[Settings]\nSetting=9600,q,8,1\n" + portsSection({module->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("Invalid serial settings.*")));
        startAndWait(c);
        QVERIFY(!c.link().isOpen());
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connection Status"));
        QTest::qWait(30);
        QVERIFY(module->received().isEmpty());
    }

    void comMenu()
    {
        LinkHarness h;
        PtyLcdModule* one = h.addModule();
        PtyLcdModule* two = h.addModule();
        PtyLcdModule* four = h.addModule(QByteArray());
        h.writeIni("[Settings]\nCommPort=1\n" +
                   portsSection({one->slavePath(), two->slavePath(), "/nonexistent/3",
                                 four->slavePath(), "/nonexistent/5"}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        startAndWait(c);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connected"));

        // No module on COM4: not found, but COM4 stays open and checked, and
        // the saved port is still the one where a module answered.
        c.comMenuClicked(4);
        QCOMPARE(c.checkedComItem(), 4);
        QTRY_COMPARE(c.statusText(), QStringLiteral("LCD Not Found On Com 4"));
        QVERIFY(c.link().isOpen());
        QCOMPARE(c.link().CommPortText, QStringLiteral("1"));
        c.sliderMoved(100);
        QVERIFY(four->waitForBytes(5, 1000));
        QCOMPARE(four->received().toHex(' '), hex("fe10fe289a").toHex(' '));

        // A port that does not open changes nothing visible; later sends drop.
        c.comMenuClicked(5);
        QCOMPARE(c.checkedComItem(), 4);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Not Found On Com 4"));
        QVERIFY(!c.link().isOpen());
        c.sliderMoved(10);

        // A module on COM2: found, and COM2 becomes the saved port.
        c.comMenuClicked(2);
        QTRY_COMPARE(c.statusText(), QStringLiteral("LCD Connected"));
        QCOMPARE(c.checkedComItem(), 2);
        QCOMPARE(c.link().CommPortText, QStringLiteral("2"));
        QVERIFY(two->waitForBytes(8, 1000));
        QCOMPARE(two->received().toHex(' '), hex("fe10fe29000dfe06").toHex(' '));
        QCOMPARE(four->received().size(), 5);
    }

    void overtakenDetectionReportsNothing()
    {
        LinkHarness h;
        PtyLcdModule* silent = h.addModule(QByteArray());
        PtyLcdModule* answering = h.addModule();
        h.writeIni(portsSection({silent->slavePath(), answering->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        QSignalSpy status(&c, &MainController::statusTextChanged);
        QSignalSpy finished(&c, &MainController::startupFinished);
        c.startup();
        c.comMenuClicked(2); // while the start-up detection still waits
        QVERIFY(finished.wait(2000));
        QTRY_COMPARE(c.statusText(), QStringLiteral("LCD Connected"));
        QTest::qWait(200);
        QCOMPARE(status.count(), 1);
        QCOMPARE(c.link().CommPortText, QStringLiteral("2"));
    }

    void failedOpenEndsPendingDetectionQuietly_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("silent module") << QByteArray();
        QTest::newRow("answering module") << QByteArray("\x65");
    }
    void failedOpenEndsPendingDetectionQuietly()
    {
        QFETCH(QByteArray, reply);
        LinkHarness h;
        PtyLcdModule* module = h.addModule(reply);
        h.writeIni(portsSection({module->slavePath(), "/nonexistent/2"}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        QSignalSpy status(&c, &MainController::statusTextChanged);
        QSignalSpy minimise(&c, &MainController::minimiseRequested);
        QSignalSpy finished(&c, &MainController::startupFinished);
        c.startup();
        QVERIFY(module->waitForBytes(2, 1000)); // the query is out, the wait runs
        // COM2 does not open: the port is closed, and the detection that was
        // waiting on COM1 must not report on a port it never tried.
        c.comMenuClicked(2);
        QVERIFY(finished.wait(2000));
        QTest::qWait(50);
        QCOMPARE(status.count(), 0);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connection Status"));
        QCOMPARE(minimise.count(), 0);
        QCOMPARE(c.checkedComItem(), 1);
        QCOMPARE(c.link().CommPortText, QStringLiteral("1"));
        QVERIFY(!c.link().isOpen());
    }

    void simulatedPortIsNeverSaved()
    {
        LinkHarness h;
        PtyLcdModule* simulated = h.addModule();
        h.writeIni("[Settings]\nCommPort=3\n" + portsSection({"/nonexistent/1"}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        c.overridePort(1, simulated->slavePath());
        startAndWait(c);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connected"));
        // Choosing COM1 again finds the simulated module there; the file must
        // still name the user's own port afterwards.
        c.comMenuClicked(1);
        QVERIFY(QTest::qWaitFor([&] { return simulated->received().count('\x10') == 2; }, 1000));
        QTest::qWait(300);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connected"));
        c.shutdown();
        QVERIFY2(h.readIni().contains("CommPort=3\n"), h.readIni().constData());
    }

    void backlight()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni(portsSection({module->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        startAndWait(c);
        QVERIFY(module->waitForBytes(10, 1000));
        module->clearRecord();
        QSignalSpy enabled(&c, &MainController::sliderEnabledChanged);

        c.sliderMoved(100);
        c.sliderMoved(0);
        c.sliderMoved(254);
        c.backlightOffClicked();
        QCOMPARE(c.sliderEnabled(), false);
        c.sliderMoved(50); // unavailable while the light is off
        c.backlightOnClicked();
        QCOMPARE(c.sliderEnabled(), true);
        c.sliderMoved(50);
        const QByteArray wire = hex("fe289a fe28fe fe2800 fe07 fe06 fe28cc");
        QVERIFY(module->waitForBytes(wire.size(), 1000));
        QTest::qWait(30);
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));
        QCOMPARE(module->module().brightness(), quint8(204));
        QVERIFY(module->module().backlight());
        QCOMPARE(enabled.count(), 2);
        QCOMPARE(c.sliderPosition(), 50);
    }

    void shutdownWritesModePortAndBrightness()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("; my notes\n[Settings]\nCommPort=1\nSetting=9600,n,8,1\nBacklight=7\n\n"
                   "[Weather]\nCity=Oslo\n\n[Mode]\nmode=2\n\n" +
                   portsSection({module->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        startAndWait(c);
        c.sliderMoved(100);
        c.setCurrentMode(5);
        c.shutdown();
        QVERIFY(!c.link().isOpen());
        const QByteArray expected = "; my notes\n[Settings]\nCommPort=1\nSetting=9600,n,8,1\n"
                                    "Backlight=100\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=5\n\n" +
                                    portsSection({module->slavePath()});
        QCOMPARE(h.readIni(), expected);
    }

    void shutdownCreatesMissingFile()
    {
        LinkHarness h;
        const QString path = h.dirPath(QStringLiteral("new/brellix.ini"));
        MainController c(path, m_clock);
        c.setTimersEnabled(false);
        c.overridePort(1, QStringLiteral("/nonexistent/tty")); // keep off real devices
        startAndWait(c);
        c.shutdown();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("[Mode]\nmode=0"));
        QVERIFY(text.contains("CommPort=1"));
        QVERIFY(text.contains("Backlight=0"));
    }

    void moduleVanishing()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni(portsSection({module->slavePath()}));
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        startAndWait(c);
        QCOMPARE(c.statusText(), QStringLiteral("LCD Connected"));
        h.dropModule(module); // the adapter is pulled
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*lost.*")));
        for (int i = 0; i < 20 && c.link().isOpen(); ++i) {
            c.sliderMoved(i);
            QTest::qWait(20);
        }
        QVERIFY(!c.link().isOpen());
        QTRY_COMPARE(c.statusText(), QStringLiteral("LCD Not Found On Com 1"));
        c.sliderMoved(3); // dropped quietly
        c.backlightOnClicked();
    }
};

QTEST_GUILESS_MAIN(TestMainController)
#include "tst_maincontroller.moc"
