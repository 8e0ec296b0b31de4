#include "app/views/frmMain.h"
#include "support/LinkHarness.h"
#include "support/TestPlatform.h"
#include "support/TestWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QtTest>

// The window offscreen: the COM items, the dialogs, messages, and the
// option and backlight buttons reaching the simulated module.
class TestFrmMain : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

    static void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, {5, 5}); }

private Q_SLOTS:
    // The autostart entry lives in a folder of the tests' own.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // A notice passes in the status bar; a message is a box, not opened
    // again while one with its text is open, nor for the same failure again
    // until new lines came; in the tray only the status bar.
    void messages()
    {
        LinkHarness h;
        TestApp c(h.iniPath(), m_platform);
        TestWindow w(c);
        w.show();
        const auto boxes = [&w] {
            int open = 0;
            for (QMessageBox* b : w.findChildren<QMessageBox*>())
                open += b->isVisible();
            return open;
        };
        const auto show = [&c](const char* text) {
            c.messages().showMessage(
                {QString::fromLatin1(text), MessageSeverity::Information, MessageCategory::Web});
        };
        c.messages().showMessage({QStringLiteral("Mail sign-on at h failed: x"),
                                  MessageSeverity::Warning, MessageCategory::Mail, true});
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Mail sign-on at h failed: x"));
        QCOMPARE(boxes(), 0);
        show(" City Not Found ");
        show(" City Not Found ");
        QCOMPARE(boxes(), 1);
        QCOMPARE(w.findChild<QMessageBox*>()->windowTitle(), Lifecycle::ApplicationTitle);
        show("Internet Not Available");
        QCOMPARE(boxes(), 2);
        for (QMessageBox* b : w.findChildren<QMessageBox*>())
            b->accept();
        QTRY_COMPARE(boxes(), 0);
        show("Internet Not Available");
        QCOMPARE(boxes(), 0);
        c.lines().setLine(0, "Sunny");
        show("Internet Not Available");
        QCOMPARE(boxes(), 1);
        w.findChildren<QMessageBox*>().constLast()->accept();
        QTRY_COMPARE(boxes(), 0);
        w.hide();
        w.trayIcon()->show();
        show(" City Not Found ");
        QCOMPARE(boxes(), 0);
        QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral(" City Not Found "));
    }

    // Run at login starts brellix on the settings file it was given.
    void runAtLoginKeepsConfig()
    {
        LinkHarness h;
        TestApp c(h.iniPath(), m_platform);
        frmMain w(c.scheduler(), c.linkController(), c.lines(), c.messages(), c.lifecycle(),
                  {c.ini(), c.clock(), c.worldTime(), c.weather(), c.stock()},
                  QStringLiteral("/x/brellix.ini"));
        w.findChild<QCheckBox*>(QStringLiteral("chkRWSU"))->click();
        QFile entry(RunOnWSU::defaultEntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(" --config /x/brellix.ini -systray"));
        w.findChild<QCheckBox*>(QStringLiteral("chkRWSU"))->click();
    }

    // A module on COM1: found at start-up, saved mode and brightness shown;
    // option buttons switch modes, the boxes mirror the lines; backlight.
    void withModule()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("[Settings]\nBacklight=100\n[Mode]\nmode=0\n[TimeZone]\nDestination=Oslo\n"
                   "[Ports]\nCOM1=" +
                   module->slavePath().toUtf8() + "\n");
        TestApp c(h.iniPath(), m_platform);
        c.lifecycle().setTimersEnabled(false);
        TestWindow w(c);
        w.show();
        c.lifecycle().start();
        QTRY_VERIFY(c.lifecycle().startupDone());
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel1"))->text(),
                 QStringLiteral("LCD Connected"));
        QTRY_VERIFY(w.isMinimized());
        QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuCOM1"))->isChecked());
        auto* opt0 = w.findChild<QRadioButton*>(QStringLiteral("optDisplay0"));
        QVERIFY(opt0->isChecked());
        auto* slider = w.findChild<QSlider*>(QStringLiteral("Brightness"));
        QCOMPARE(slider->value(), 100);
        // The label shows the level the module gets (254 at the top).
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblBrightness"))->text(),
                 QStringLiteral("154"));
        // The detection selects ON and gives the module the saved brightness.
        QVERIFY(w.findChild<QRadioButton*>(QStringLiteral("optBLOn"))->isChecked());
        QTRY_COMPARE(module->module().brightness(), quint8(0x9a));

        click(w.findChild<QRadioButton*>(QStringLiteral("optDisplay1")));
        QCOMPARE(c.scheduler().selectedMode(), 1);
        c.scheduler().tick();
        auto* line3 = w.findChild<QLineEdit*>(QStringLiteral("txtLine3"));
        QCOMPARE(line3->text(), QStringLiteral("Oslo Time"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel2"))->text(),
                 QStringLiteral("2:05:07 PM"));
        // The window's picture of the module, from the bytes sent, is what
        // the module shows.
        QTRY_COMPARE(w.preview().textLines(), module->module().textLines());
        click(opt0);
        QCOMPARE(c.scheduler().selectedMode(), 0);
        QCOMPARE(line3->text(), QString());
        QTRY_COMPARE(module->module().line(2), QByteArray(20, ' '));
        module->clearRecord();

        click(w.findChild<QRadioButton*>(QStringLiteral("optBLOff")));
        QVERIFY(!slider->isEnabled());
        click(w.findChild<QRadioButton*>(QStringLiteral("optBLOn")));
        QVERIFY(slider->isEnabled());
        // Up brightens: the slider is drawn with 0 at the top.
        slider->setValue(10);
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Up);
        QCOMPARE(slider->value(), 9);
        const QByteArray wire = hex("fe07fe06 fe28f4 fe28f5");
        QVERIFY(module->waitForBytes(wire.size(), 1000));
        QCOMPARE(module->received().left(wire.size()).toHex(' '), wire.toHex(' '));
        QCOMPARE(int(module->module().brightness()), 254 - slider->value());
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblBrightness"))->text(),
                 QString::number(module->module().brightness()));
        QCOMPARE(w.preview().brightness(), module->module().brightness());
    }

    // Without a tray (the offscreen platform has none), minimising leaves an
    // ordinary minimised window, never a hidden one; the tray menu's Exit
    // ends the program like closing the window.
    void noTrayFallback()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        LinkHarness h;
        TestApp c(h.iniPath(), m_platform);
        c.lifecycle().setTimersEnabled(false);
        c.lifecycle().overridePort(1, QStringLiteral("/nonexistent/tty"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot open COM1"));
        c.lifecycle().start();
        TestWindow w(c);
        w.showAfterStartup(); // no module: shown once the start-up has ended
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 1000);
        w.showMinimized();
        QTest::qWait(50); // the tray step runs after the state change
        QVERIFY(w.isVisible());
        QVERIFY(w.isMinimized());
        QVERIFY(!w.trayIcon()->isVisible());
        QSignalSpy ended(&c.lifecycle(), &Lifecycle::finished);
        w.findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
        QCOMPARE(ended.count(), 1);
        QVERIFY(QFile::exists(h.iniPath()));
    }

    // The About box names the build, the Qt it runs on and the settings file.
    void about()
    {
        LinkHarness h;
        TestApp c(h.iniPath(), m_platform);
        TestWindow w(c);
        QDialog* d = w.dialog(QStringLiteral("frmAbout"));
        const QString details = d->findChild<QLabel*>(QStringLiteral("lblDetails"))->text();
        for (const QString& part :
             {QStringLiteral(BRELLIX_VERSION), QString::fromLatin1(qVersion()), h.iniPath()})
            QVERIFY2(details.contains(part), qPrintable(details));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
