#include "support/LinkHarness.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QSignalSpy>
#include <QtTest>

// Start-up, the COM menu, the backlight and shutdown over real
// pseudo-terminals with simulated modules behind them.
class TestLifecycle : public QObject
{
    Q_OBJECT

    TestPlatform m_platform;

    static QByteArray portsSection(const QStringList& paths)
    {
        QByteArray s = "[Ports]\n";
        for (int i = 0; i < paths.size(); ++i)
            s += "COM" + QByteArray::number(i + 1) + "=" + paths[i].toUtf8() + "\n";
        return s;
    }

    std::unique_ptr<TestApp> context(LinkHarness& h, const QByteArray& ini)
    {
        h.writeIni(ini);
        auto c = std::make_unique<TestApp>(h.iniPath(), m_platform);
        c->lifecycle().setTimersEnabled(false);
        return c;
    }
    // Started on a port without a device behind it.
    std::unique_ptr<TestApp> started(LinkHarness& h, const QByteArray& ini, const QString& com1)
    {
        auto c = context(h, ini);
        c->lifecycle().overridePort(1, com1);
        c->lifecycle().start();
        [&] { QTRY_VERIFY(c->lifecycle().startupDone()); }();
        return c;
    }

private Q_SLOTS:
    void detection_data()
    {
        QTest::addColumn<QByteArray>("reply"); // null: no device behind COM3
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("wire");
        // Query, code 41, clear, backlight on, the saved brightness (slider
        // 20: level 234); then the switch to the saved mode 0: clear, large digits.
        QTest::newRow("answers 0x65")
            << QByteArray("\x65") << QByteArray("9600,n,8,1") << "LCD Connected"
            << hex("fe10 fe2900 0d fe06 fe28ea 0d fe09");
        QTest::newRow("answers 0x45") << QByteArray("\x45") << QByteArray("9600,n,8,1")
                                      << "LCD Not Found On Com 3" << hex("fe10 0d fe09");
        QTest::newRow("no such device")
            << QByteArray() << QByteArray("9600,n,8,1") << "LCD Connection Status" << QByteArray();
        QTest::newRow("invalid settings") << QByteArray("\x65") << QByteArray("9600,q,8,1")
                                          << "LCD Connection Status" << QByteArray();
    }
    void detection()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, setting);
        QFETCH(QString, status);
        QFETCH(QByteArray, wire);
        LinkHarness h;
        PtyLcdModule* module = h.addModule(reply);
        const QString com3 =
            reply.isNull() ? QStringLiteral("/nonexistent/c") : module->slavePath();
        auto c = context(h, "[Settings]\nCommPort=3\nSetting=" + setting + "\nBacklight=20\n" +
                                portsSection({"/nonexistent/a", "/nonexistent/b", com3}));
        LinkController& link = c->linkController();
        QSignalSpy found(&link, &LinkController::moduleFound);
        QSignalSpy restored(&link, &LinkController::sliderPositionChanged);
        if (setting.contains('q'))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Invalid serial settings.*"));
        c->lifecycle().start();
        QTRY_VERIFY(c->lifecycle().startupDone());
        QCOMPARE(link.statusText(), status);
        QCOMPARE(link.checkedComItem(), 3);
        QCOMPARE(c->link().isOpen(), !wire.isEmpty());
        QVERIFY(module->waitForBytes(wire.size(), 2000));
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));
        QCOMPARE(found.count(), status == "LCD Connected" ? 1 : 0);
        QCOMPARE(link.sliderPosition(), 20);
        QCOMPARE(restored.count(), 1);
        QVERIFY(link.backlightOn()); // ON is selected from the start
        if (found.count() > 0)
            QCOMPARE(module->module().brightness(), quint8(234));
    }

    // COM2 chosen after the start-up detection, or while it still waits on
    // COM1: only COM2's own detection may report. A port that does not open
    // is a port without a module, and the check mark says which one is in use.
    void comMenu_data()
    {
        QTest::addColumn<QByteArray>("com1"); // the modules' answers; null: no device
        QTest::addColumn<QByteArray>("com2");
        QTest::addColumn<bool>("during");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<int>("saved");
        const QString found = QStringLiteral("LCD Connected");
        const QString notOn2 = QStringLiteral("LCD Not Found On Com 2");
        QTest::newRow("COM2 silent")
            << QByteArray("\x65") << QByteArray("") << false << QStringList{found, notOn2} << 1;
        QTest::newRow("COM2 answers during detection")
            << QByteArray("") << QByteArray("\x65") << true << QStringList{found} << 2;
        QTest::newRow("COM2 missing during detection")
            << QByteArray("\x65") << QByteArray() << true << QStringList{notOn2} << 1;
    }
    void comMenu()
    {
        QFETCH(QByteArray, com1);
        QFETCH(QByteArray, com2);
        QFETCH(bool, during);
        QFETCH(QStringList, statuses);
        QFETCH(int, saved);
        LinkHarness h;
        PtyLcdModule* one = h.addModule(com1);
        PtyLcdModule* two = com2.isNull() ? nullptr : h.addModule(com2);
        auto c =
            context(h, portsSection({one->slavePath(), two ? two->slavePath() : "/nonexistent/2"}));
        LinkController& link = c->linkController();
        QSignalSpy shown(&link, &LinkController::statusTextChanged);
        QSignalSpy finished(&c->lifecycle(), &Lifecycle::startupFinished);
        c->lifecycle().start();
        QVERIFY(one->waitForBytes(2, 1000));
        QCOMPARE(finished.count(), 0); // start() returned; the wait runs on the event loop
        if (!during)
            QVERIFY(finished.wait(2000));
        link.comMenuClicked(2);
        QTRY_COMPARE(finished.count(), 1);
        QTRY_COMPARE(shown.count(), statuses.size());
        QStringList texts;
        for (const QList<QVariant>& args : std::as_const(shown))
            texts << args.at(0).toString();
        QCOMPARE(texts, statuses);
        QCOMPARE(link.checkedComItem(), 2);
        QCOMPARE(link.commPortText(), QString::number(saved));
        QCOMPARE(c->link().isOpen(), two != nullptr);
        if (during && two && !com2.isEmpty()) {
            // The rest of start-up (the saved mode 0's switch) waits for
            // COM2's detection instead of landing in the middle of it.
            QVERIFY(two->waitForBytes(14, 1000));
            QCOMPARE(two->received().toHex(' '),
                     hex("fe10 fe2900 0d fe06 fe28fe 0d fe09").toHex(' '));
        }
    }

    // A session on the simulated module (COM1 for this run only): slider and
    // backlight bytes; what the end writes to the module and to the file.
    void sessionAndShutdown()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        auto c = started(h, "; my notes\n[Settings]\nCommPort=3\nSetting=9600,n,8,1\n"
                            "Backlight=7\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=2\n",
                         module->slavePath());
        LinkController& link = c->linkController();
        QSignalSpy status(&link, &LinkController::statusTextChanged);
        link.comMenuClicked(1); // found there again: still not the port to save
        QTRY_COMPARE(status.count(), 1);
        QCOMPARE(link.statusText(), QStringLiteral("LCD Connected"));
        // Two detections with their brightness, and the CPU mode's clear.
        QVERIFY(module->waitForBytes(23, 1000));
        module->clearRecord();
        link.sliderMoved(100);
        link.sliderMoved(0);
        link.sliderMoved(254);
        link.backlightOffClicked();
        QCOMPARE(link.sliderEnabled(), false);
        link.sliderMoved(50); // unavailable while the light is off
        link.backlightOnClicked();
        QCOMPARE(link.sliderEnabled(), true);
        link.sliderMoved(50);
        const QByteArray wire = hex("fe289a fe28fe fe2800 fe07 fe06 fe28cc");
        QVERIFY(module->waitForBytes(wire.size(), 1000));
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));

        // An orderly end clears the module's lines, so a stopped clock is not
        // taken for the time; the backlight stays as the user chose.
        c->scheduler().selectMode(1);
        c->scheduler().tick();
        QTRY_VERIFY(!module->module().line(0).trimmed().isEmpty());
        module->clearRecord();
        QSignalSpy ended(&c->lifecycle(), &Lifecycle::finished);
        c->lifecycle().requestQuit();
        c->lifecycle().requestQuit(); // a second request (the window closing after SIGTERM)
        QCOMPARE(ended.count(), 1);
        QTRY_COMPARE(module->received().toHex(' '), hex("0d").toHex(' '));
        QCOMPARE(module->module().textLines().join(u'\n').trimmed(), QString());
        QVERIFY(module->module().backlight());
        QCOMPARE(h.readIni(),
                 QByteArray("; my notes\n[Settings]\nCommPort=3\nSetting=9600,n,8,1\n"
                            "Backlight=50\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=1\n"));
    }

    // "OpenQuery failed" ends the run without saving, so the next start does
    // not fall into the same mode again; views that show the message hold
    // the end until the last has been read.
    void fatalEndSavesNothing_data()
    {
        QTest::addColumn<int>("holds");
        QTest::newRow("headless") << 0;
        QTest::newRow("message in two views") << 2;
    }
    void fatalEndSavesNothing()
    {
        QFETCH(int, holds);
        LinkHarness h;
        auto c = started(h, "[Mode]\nmode=1\n", QStringLiteral("/nonexistent/tty"));
        c->scheduler().selectMode(2);
        QSignalSpy ended(&c->lifecycle(), &Lifecycle::finished);
        for (int i = 0; i < holds; ++i)
            c->lifecycle().holdEnd();
        c->messages().requestFatalEnd();
        for (int i = holds; i > 0; --i) {
            QCOMPARE(ended.count(), 0);
            c->lifecycle().releaseEnd();
        }
        QCOMPARE(ended.count(), 1);
        QCOMPARE(c->lifecycle().exitCode(), 1);
        QCOMPARE(h.readIni(), QByteArray("[Mode]\nmode=1\n"));
    }
};

QTEST_GUILESS_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
