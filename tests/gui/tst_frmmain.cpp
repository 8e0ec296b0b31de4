#include "app/MainController.h"
#include "app/views/frmMain.h"
#include "platform/Clock.h"
#include "support/LinkHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QtTest>

// The window offscreen: named controls, captions, and the backlight controls
// reaching the simulated module.
class TestFrmMain : public QObject
{
    Q_OBJECT
    FixedClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))};

private Q_SLOTS:
    void controlsAndCaptions()
    {
        LinkHarness h;
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        frmMain w(c);
        QCOMPARE(w.windowTitle(), QStringLiteral("BRELLIX Version 2"));
        for (int i = 1; i <= 4; ++i) {
            auto* line = w.findChild<QLineEdit*>(QStringLiteral("txtLine%1").arg(i));
            QVERIFY(line);
            QCOMPARE(line->maxLength(), 20);
        }
        const QStringList modes = {"Large Characters Clock", "Time And Date", "CPU Info",
                                   "Network Info",           "WinAmp Plugin", "Weather Station",
                                   "Stock Quote",            "POP Email"};
        auto* frame2 = w.findChild<QGroupBox*>(QStringLiteral("Frame2"));
        QVERIFY(frame2);
        QCOMPARE(frame2->title(), QStringLiteral("Display Options"));
        for (int i = 0; i < 8; ++i) {
            auto* opt = frame2->findChild<QRadioButton*>(QStringLiteral("optDisplay%1").arg(i));
            QVERIFY(opt);
            QCOMPARE(opt->text(), modes[i]);
        }
        auto* frame1 = w.findChild<QGroupBox*>(QStringLiteral("Frame1"));
        QCOMPARE(frame1->title(), QStringLiteral("Backlight Control"));
        QCOMPARE(frame1->findChild<QRadioButton*>(QStringLiteral("optBLOff"))->text(),
                 QStringLiteral("OFF"));
        QCOMPARE(frame1->findChild<QRadioButton*>(QStringLiteral("optBLOn"))->text(),
                 QStringLiteral("ON"));
        auto* slider = frame1->findChild<QSlider*>(QStringLiteral("Brightness"));
        QCOMPARE(slider->orientation(), Qt::Vertical);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 254);
        QCOMPARE(w.findChild<QCheckBox*>(QStringLiteral("chkRWSU"))->text(),
                 QStringLiteral("Run BRELLIXV2 on Windows Startup"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel1"))->text(),
                 QStringLiteral("LCD Connection Status"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel2"))->text(),
                 QStringLiteral("System Time"));

        QStringList menus;
        for (QAction* a : w.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"&Configuration", "C&ommunition", "&About"}));
        const QStringList items = {"mnuWorldTime", "World &Time", "mnuWeather", "&Weather",
                                   "mnuStock", "&Stock"};
        for (int i = 0; i < items.size(); i += 2)
            QCOMPARE(w.findChild<QAction*>(items[i])->text(), items[i + 1]);
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(w.findChild<QAction*>(QStringLiteral("mnuCOM%1").arg(i))->text(),
                     QStringLiteral("COM%1").arg(i));
    }

    void dialogsOpenOnceWithoutBlocking()
    {
        LinkHarness h;
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        frmMain w(c);
        w.show();
        const QStringList items = {"mnuWorldTime", "mnuWeather", "mnuStock", "mnuAbout"};
        const QStringList dialogs = {"frmWorldTime", "frmWeather", "frmStock", "frmAbout"};
        for (int i = 0; i < items.size(); ++i) {
            auto* action = w.findChild<QAction*>(items[i]);
            action->trigger();
            action->trigger();
            QCOMPARE(w.findChildren<QDialog*>(dialogs[i]).size(), 1);
            QDialog* d = w.findChild<QDialog*>(dialogs[i]);
            QVERIFY(d->isVisible());
            QVERIFY(!d->isModal());
        }
        QCOMPARE(w.findChild<QDialog*>(QStringLiteral("frmAbout"))->windowTitle(),
                 QStringLiteral("About BRELLIXV2"));
    }

    void closingWithDialogsOpenEndsTheProgram()
    {
        LinkHarness h;
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        frmMain w(c);
        w.show();
        for (const char* item : {"mnuWorldTime", "mnuWeather", "mnuAbout"})
            w.findChild<QAction*>(QString::fromLatin1(item))->trigger();
        // The dialogs belong to the window: closing it (which SIGTERM does)
        // must end the program and save, whatever is still open.
        QTimer::singleShot(0, &w, [&w] { w.close(); });
        QTimer stuck;
        stuck.setSingleShot(true);
        connect(&stuck, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        stuck.start(3000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(QFile::exists(h.iniPath()));
    }

    void optionButtonsSwitchModesAndBoxesMirrorLines()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("[Mode]\nmode=0\n[TimeZone]\nDestination=Oslo\n[Ports]\nCOM1=" +
                   module->slavePath().toUtf8() + "\n");
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        frmMain w(c);
        QSignalSpy finished(&c, &MainController::startupFinished);
        c.startup();
        QVERIFY(finished.wait(3000));
        auto* opt0 = w.findChild<QRadioButton*>(QStringLiteral("optDisplay0"));
        auto* opt1 = w.findChild<QRadioButton*>(QStringLiteral("optDisplay1"));
        QVERIFY(opt0->isChecked()); // the saved mode is selected at start-up
        QTest::mouseClick(opt1, Qt::LeftButton, {}, QPoint(5, opt1->height() / 2));
        QVERIFY(opt1->isChecked());
        QCOMPARE(c.scheduler().selectedMode(), 1);
        c.scheduler().tick();
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("txtLine3"))->text(),
                 QStringLiteral("Oslo Time"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel2"))->text(),
                 QStringLiteral("2:05:07 PM"));
        QTRY_COMPARE(module->module().line(2), QByteArray("Oslo Time           "));
        QTest::mouseClick(opt0, Qt::LeftButton, {}, QPoint(5, opt0->height() / 2));
        QCOMPARE(c.scheduler().selectedMode(), 0);
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("txtLine3"))->text(), QString());
    }

    void backlightButtonsAndStatus()
    {
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        h.writeIni("[Settings]\nBacklight=100\n[Ports]\nCOM1=" + module->slavePath().toUtf8() +
                   "\n");
        MainController c(h.iniPath(), m_clock);
        c.setTimersEnabled(false);
        frmMain w(c);
        w.show();
        QSignalSpy finished(&c, &MainController::startupFinished);
        c.startup();
        QVERIFY(finished.wait(3000));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("StatusBar1Panel1"))->text(),
                 QStringLiteral("LCD Connected"));
        QTRY_VERIFY(w.isMinimized());
        QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuCOM1"))->isChecked());
        auto* slider = w.findChild<QSlider*>(QStringLiteral("Brightness"));
        QCOMPARE(slider->value(), 100); // restored without a send
        QVERIFY(module->waitForBytes(10, 1000));
        module->clearRecord();

        auto* off = w.findChild<QRadioButton*>(QStringLiteral("optBLOff"));
        auto* on = w.findChild<QRadioButton*>(QStringLiteral("optBLOn"));
        QTest::mouseClick(off, Qt::LeftButton);
        QVERIFY(!slider->isEnabled());
        QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(5, on->height() / 2));
        QVERIFY(slider->isEnabled());
        slider->setValue(0);
        const QByteArray wire = hex("fe07fe06fe28fe");
        QVERIFY(module->waitForBytes(wire.size(), 1000));
        QCOMPARE(module->received().toHex(' '), wire.toHex(' '));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
