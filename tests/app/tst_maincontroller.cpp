#include "app/MainController.h"
#include "support/FixedClock.h"
#include "support/LinkHarness.h"

#include <QSignalSpy>
#include <QtTest>

// Over real pseudo-terminals with simulated modules behind them.
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

    std::unique_ptr<MainController> controller(LinkHarness& h, const QByteArray& ini)
    {
        h.writeIni(ini);
        auto c = std::make_unique<MainController>(h.iniPath(), m_clock);
        c->setTimersEnabled(false);
        return c;
    }

private Q_SLOTS:
    void detection_data()
    {
        QTest::addColumn<QByteArray>("reply"); // null: no device behind COM3
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("wire");
        // Query, code 41, clear, backlight on; then the switch to the saved
        // mode 0: clear, large digits.
        QTest::newRow("answers 0x65") << QByteArray("\x65") << QByteArray("9600,n,8,1")
                                      << "LCD Connected" << hex("fe10 fe2900 0d fe06 0d fe09");
        QTest::newRow("silent") << QByteArray("") << QByteArray("9600,n,8,1")
                                << "LCD Not Found On Com 3" << hex("fe10 0d fe09");
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
        auto c = controller(h, "[Settings]\nCommPort=3\nSetting=" + setting + "\nBacklight=20\n" +
                                   portsSection({"/nonexistent/a", "/nonexistent/b", com3}));
        QSignalSpy minimise(c.get(), &MainController::minimiseRequested);
        if (setting.contains('q'))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Invalid serial settings.*"));
        c->startup();
        QTRY_VERIFY(c->startupDone());
        QCOMPARE(c->statusText(), status);
        QCOMPARE(c->checkedComItem(), 3);
        QCOMPARE(c->link().isOpen(), !wire.isEmpty());
        QVERIFY(module->waitForBytes(wire.size(), 2000));
        QTest::qWait(50); // nothing more may follow
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));
        QCOMPARE(minimise.count(), status == "LCD Connected" ? 1 : 0);
        QCOMPARE(c->sliderPosition(), 20); // restored without a send
    }

    // COM2 chosen after the start-up detection, or while it still waits on
    // COM1: only COM2's own detection may report, and only if COM2 opened.
    // A port that does not open changes nothing visible.
    void comMenu_data()
    {
        QTest::addColumn<QByteArray>("com1"); // the modules' answers; null: no device
        QTest::addColumn<QByteArray>("com2");
        QTest::addColumn<bool>("during");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("saved");
        const QString found = QStringLiteral("LCD Connected");
        QTest::newRow("COM2 silent") << QByteArray("\x65") << QByteArray("") << false
                                     << QStringList{found, "LCD Not Found On Com 2"} << 2 << 1;
        QTest::newRow("COM2 answers during detection")
            << QByteArray("") << QByteArray("\x65") << true << QStringList{found} << 2 << 2;
        QTest::newRow("COM2 missing during detection")
            << QByteArray("\x65") << QByteArray() << true << QStringList{} << 1 << 1;
    }
    void comMenu()
    {
        QFETCH(QByteArray, com1);
        QFETCH(QByteArray, com2);
        QFETCH(bool, during);
        QFETCH(QStringList, statuses);
        QFETCH(int, checked);
        QFETCH(int, saved);
        LinkHarness h;
        PtyLcdModule* one = h.addModule(com1);
        PtyLcdModule* two = com2.isNull() ? nullptr : h.addModule(com2);
        auto c = controller(
            h, portsSection({one->slavePath(), two ? two->slavePath() : "/nonexistent/2"}));
        QSignalSpy shown(c.get(), &MainController::statusTextChanged);
        QSignalSpy finished(c.get(), &MainController::startupFinished);
        c->startup();
        QVERIFY(one->waitForBytes(2, 1000));
        QCOMPARE(finished.count(), 0); // startup() returned; the wait runs on the event loop
        if (!during)
            QVERIFY(finished.wait(2000));
        c->comMenuClicked(2);
        QTRY_COMPARE(finished.count(), 1);
        QTest::qWait(300); // every detection has ended
        QStringList texts;
        for (const QList<QVariant>& args : std::as_const(shown))
            texts << args.at(0).toString();
        QCOMPARE(texts, statuses);
        QCOMPARE(c->checkedComItem(), checked);
        QCOMPARE(c->link().CommPortText, QString::number(saved));
        QCOMPARE(c->link().isOpen(), two != nullptr);
        if (during && two && !com2.isEmpty()) {
            // The rest of start-up (the saved mode 0's switch) waits for
            // COM2's detection instead of landing in the middle of it.
            QCOMPARE(two->received().toHex(' '), hex("fe10 fe2900 0d fe06 0d fe09").toHex(' '));
        }
    }

    // A session on the simulated module (COM1 for this run only): slider and
    // backlight bytes; the adapter pulled (the port closes, the status says
    // so, sends drop); what shutdown writes, the rest of the file untouched.
    void sessionAndShutdown()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        auto c = controller(h, "; my notes\n[Settings]\nCommPort=3\nSetting=9600,n,8,1\n"
                               "Backlight=7\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=2\n");
        c->overridePort(1, module->slavePath());
        QSignalSpy status(c.get(), &MainController::statusTextChanged);
        c->startup();
        QTRY_VERIFY(c->startupDone());
        c->comMenuClicked(1); // found there again: still not the port to save
        QTRY_COMPARE(status.count(), 2);
        QCOMPARE(c->statusText(), QStringLiteral("LCD Connected"));
        QVERIFY(module->waitForBytes(17, 1000));
        module->clearRecord();
        c->sliderMoved(100);
        c->sliderMoved(0);
        c->sliderMoved(254);
        c->backlightOffClicked();
        QCOMPARE(c->sliderEnabled(), false);
        c->sliderMoved(50); // unavailable while the light is off
        c->backlightOnClicked();
        QCOMPARE(c->sliderEnabled(), true);
        c->sliderMoved(50);
        const QByteArray wire = hex("fe289a fe28fe fe2800 fe07 fe06 fe28cc");
        QVERIFY(module->waitForBytes(wire.size(), 1000));
        QTest::qWait(30);
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));

        h.dropModule(module);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*lost.*")));
        for (int i = 0; i < 20 && c->link().isOpen(); ++i) {
            c->backlightOnClicked();
            QTest::qWait(20);
        }
        QVERIFY(!c->link().isOpen());
        QTRY_COMPARE(c->statusText(), QStringLiteral("LCD Not Found On Com 1"));
        c->backlightOnClicked();

        c->setCurrentMode(5);
        c->shutdown();
        QCOMPARE(h.readIni(),
                 QByteArray("; my notes\n[Settings]\nCommPort=3\nSetting=9600,n,8,1\n"
                            "Backlight=50\n\n[Weather]\nCity=Oslo\n\n[Mode]\nmode=5\n"));
    }
};

QTEST_GUILESS_MAIN(TestMainController)
#include "tst_maincontroller.moc"
