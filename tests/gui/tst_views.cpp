#include "app/Rotation.h"
#include "app/views/ModulePanel.h"
#include "app/views/frmMain.h"
#include "lcd/DisplayModel.h"
#include "lcd/LcddScreen.h"
#include "platform/RemoteControl.h"
#include "screens/base/modCustomChar.h"
#include "screens/mail/MailSettings.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"
#include "support/TimeTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

template <typename T> T* child(QObject* o, const char* name)
{
    return o->findChild<T*>(QString::fromLatin1(name));
}

// The named children's properties ("child.property"), joined with '|'.
QString shown(QObject* o, std::initializer_list<const char*> fields)
{
    QStringList out;
    for (const char* f : fields) {
        const QList<QByteArray> at = QByteArray(f).split('.');
        out << child<QObject>(o, at[0].constData())->property(at[1].constData()).toString();
    }
    return out.join(u'|');
}

// The window as brellix's main makes it, over a settings file written first
// ("$PTY" naming a simulated module), at a time of the test's choosing.
struct Rig
{
    LinkHarness h;
    PtyLcdModule* module = h.addModule();
    TestPlatform platform;
    TestApp c;
    frmMain w;

    explicit Rig(const QByteArray& ini = {}, const QDateTime& now = {})
        : platform(now.isValid() ? now : QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7))),
          c(h.iniPath(), platform), w(c.scheduler(), c.linkController(), c.lines(), c.messages(),
                                      c.lifecycle(), frmMain::DialogParts::of(c), h.iniPath())
    {
        if (!ini.isEmpty())
            h.writeIni(QByteArray(ini).replace("$PTY", module->slavePath().toUtf8()));
        c.loadSettings();
    }
    QList<QMessageBox*> boxes()
    {
        QList<QMessageBox*> open = w.findChildren<QMessageBox*>();
        open.removeIf([](QMessageBox* b) { return !b->isVisible(); });
        return open;
    }
    QDialog* open(const char* action, const char* dialog)
    {
        child<QAction>(&w, action)->trigger();
        return child<QDialog>(&w, dialog);
    }
};

// The dots of the 80 cells (8 rows of 5 bits each) off a picture of the panel
// at its size hint: 4 pixels of glass, a dot every 3 pixels, a character every
// 16 across and 25 down; a dot is lit when well darker than the glass.
QByteArray dotsOf(const QImage& image)
{
    const int glass = qGray(image.pixel(0, 0));
    QByteArray dots(80 * 8, 0);
    for (int i = 0; i < dots.size(); ++i) {
        const int cell = i / 8, x = 4 + cell % 20 * 16, y = 4 + cell / 20 * 25 + i % 8 * 3;
        for (int dx = 0; dx < 5; ++dx)
            dots[i] = char(dots[i] |
                           (qGray(image.pixel(x + dx * 3, y)) < glass * 6 / 10 ? 0x10 >> dx : 0));
    }
    return dots;
}

} // namespace

// The window offscreen and the dialogs it opens, over the simulated module.
class TestViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true); // the autostart entry too
        setLocalZone("UTC");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // A notice goes to the status bar; a message is a box, not opened again
    // while one with its text is open, nor until new lines came; in the tray
    // only the status bar.
    void messages()
    {
        Rig r;
        r.w.show();
        // Shows a message, then counts the boxes open.
        const auto show = [&r](const char* text) {
            r.c.messages().showMessage(
                {QString::fromLatin1(text), MessageSeverity::Information, MessageCategory::Web});
            return r.boxes().size();
        };
        r.c.messages().showMessage({u"Mail sign-on at h failed: x"_s, MessageSeverity::Warning,
                                    MessageCategory::Mail, true});
        QCOMPARE(r.w.statusBar()->currentMessage(), u"Mail sign-on at h failed: x"_s);
        QCOMPARE((QList{r.boxes().size(), show(" City Not Found "), show(" City Not Found "),
                        show("Internet Not Available")}),
                 (QList<qsizetype>{0, 1, 1, 2}));
        QCOMPARE(r.boxes()[0]->windowTitle(), Lifecycle::ApplicationTitle);
        for (QMessageBox* b : r.boxes())
            b->accept();
        QCOMPARE(show("Internet Not Available"), 0);
        r.c.lines().setLine(0, "Sunny");
        QCOMPARE(show("Internet Not Available"), 1);
        r.w.hide();
        r.w.trayIcon()->show();
        QCOMPARE(show(" City Not Found "), 1);
        QCOMPARE(r.w.statusBar()->currentMessage(), u" City Not Found "_s);
    }

    // A module on COM1: found at start-up, saved mode and brightness shown;
    // option buttons switch modes, the boxes mirror the lines; backlight.
    // Run at login starts brellix on the settings file it was given.
    void withModule()
    {
        Rig r("[Settings]\nBacklight=100\n[Mode]\nmode=0\n[TimeZone]\nDestination=Oslo\n"
              "[Ports]\nCOM1=$PTY\n[Rotation]\nScreens=clock,time\n");
        r.c.lifecycle().setTimersEnabled(false);
        r.w.show();
        r.c.lifecycle().start();
        QTRY_VERIFY(r.c.lifecycle().startupDone());
        QTRY_VERIFY(r.w.isMinimized());
        // The label shows the level the module gets (254 at the top).
        QCOMPARE(shown(&r.w, {"StatusBar1Panel1.text", "mnuCOM1.checked", "optDisplay0.checked",
                              "lblBrightness.text", "optBLOn.checked"}),
                 u"LCD Connected|true|true|154|true"_s);
        QTRY_COMPARE(r.module->module().brightness(), quint8(0x9a));

        // The box starts the rotation; a mode's button stops it, the box following.
        auto* rotate = child<QCheckBox>(&r.w, "chkRotate");
        rotate->click();
        QVERIFY(r.c.rotation().enabled());
        child<QRadioButton>(&r.w, "optDisplay1")->click();
        QVERIFY(!r.c.rotation().enabled() && !rotate->isChecked());
        r.c.scheduler().tick();
        QCOMPARE(shown(&r.w, {"txtLine3.text", "StatusBar1Panel2.text"}),
                 u"Oslo Time|2:05:07 PM"_s);
        // The window's picture of the module, from the bytes sent, is what
        // the module shows.
        for (int row = 0; row < 4; ++row)
            QTRY_COMPARE(r.w.preview().line(row), r.module->module().line(row));
        // The Character Set menu: one ROM checked, saved at once; the boxes
        // and the picture read the codes by it.
        child<QAction>(&r.w, "mnuCharacterSetA02")->trigger();
        QCOMPARE(shown(&r.w, {"mnuCharacterSetAscii.checked", "mnuCharacterSetA02.checked"}),
                 u"false|true"_s);
        QVERIFY(r.h.readIni().contains("Characters=a02"));
        r.c.remote().showBulletin(u"test"_s, {{u"Grüße 21°C"_s}, 60});
        QCOMPARE(shown(&r.w, {"txtLine1.text"}), u"Grüße 21°C"_s);
        QTRY_VERIFY(r.w.preview().characters == Characters::A02 &&
                    r.w.preview().line(0).startsWith("Gr\xfc\xdf"));

        child<QRadioButton>(&r.w, "optBLOff")->click();
        auto* slider = child<QSlider>(&r.w, "Brightness");
        QVERIFY(!slider->isEnabled());
        child<QRadioButton>(&r.w, "optBLOn")->click();
        // The buttons follow a switch made elsewhere (another program's).
        r.c.linkController().backlightOffClicked();
        QVERIFY(child<QRadioButton>(&r.w, "optBLOff")->isChecked());
        r.c.linkController().backlightOnClicked();
        QVERIFY(child<QRadioButton>(&r.w, "optBLOn")->isChecked());
        // Up brightens: the slider is drawn with 0 at the top.
        slider->setValue(10);
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Up);
        QTRY_COMPARE(r.module->module().brightness(), quint8(245));
        QCOMPARE(shown(&r.w, {"lblBrightness.text"}), u"245"_s);
        QCOMPARE(r.w.preview().brightness, quint8(245));

        child<QCheckBox>(&r.w, "chkRWSU")->click();
        QFile entry(RunOnWSU::defaultEntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly) &&
                entry.readAll().contains(r.h.iniPath().toUtf8()));
        child<QCheckBox>(&r.w, "chkRWSU")->click();
    }

    // Without a tray (offscreen has none) a minimised window stays visible;
    // Exit ends the program. The About box names build, Qt and settings file.
    void noTray()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        Rig r;
        r.c.lifecycle().setTimersEnabled(false);
        r.c.lifecycle().overridePort(1, u"/nonexistent/tty"_s);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot open COM1"));
        r.c.lifecycle().start();
        r.w.showAfterStartup(); // no module: shown once the start-up has ended
        QTRY_VERIFY_WITH_TIMEOUT(r.w.isVisible(), 1000);
        r.w.showMinimized();
        QTest::qWait(50); // the tray step runs after the state change
        QVERIFY(r.w.isVisible() && r.w.isMinimized() && !r.w.trayIcon()->isVisible());
        const QString details = child<QLabel>(r.w.dialog(u"frmAbout"_s), "lblDetails")->text();
        for (const QString& part :
             {QStringLiteral(BRELLIX_VERSION), QString::fromLatin1(qVersion()), r.h.iniPath()})
            QVERIFY2(details.contains(part), qPrintable(details));
        QVERIFY(r.open("mnuPorts", "frmPorts")->isVisible());
        QSignalSpy ended(&r.c.lifecycle(), &Lifecycle::finished);
        child<QAction>(&r.w, "mnuExit")->trigger();
        QCOMPARE(ended.count(), 1);
        QVERIFY(QFile::exists(r.h.iniPath()));
    }

    // The World Time dialog opens on the destination the screen shows,
    // defaults included; missing, malformed or out-of-range values open on
    // sound ones. Closing it (Esc too) saves what it shows.
    void worldTimeOpens()
    {
        // keys; zone, destination, daylight, time there (here 14:05:07 GMT)
        const char* rows[][2] = {
            {"Zone=7\nDestination=New York Central Station\nDaylight=1\n",
             "7|New York Central|true|7/10/2026 10:05:07 AM"},
            {"Zone=32\n", "13||false|7/10/2026 2:05:07 PM"},
        };
        for (const auto& row : rows) {
            Rig r("[TimeZone]\n"_ba + row[0], QDateTime(QDate(2026, 7, 10), QTime(14, 5, 7)));
            const QPointer<QDialog> d = r.open("mnuWorldTime", "frmWorldTime");
            QCOMPARE(shown(d, {"cboTimeZone.currentIndex", "txtDest.text", "chkDaylight.checked",
                               "lblDestTime.text", "lblLocalTime.text"}),
                     QString::fromUtf8(row[1]) + u"|Local Time is 7/10/2026 2:05:07 PM"_s);
            QTest::keyClick(d, Qt::Key_Escape);
            QTRY_VERIFY(!d || !d->isVisible());
            QVERIFY(
                r.h.readIni().contains("Destination=" + QByteArray(row[1]).split('|')[1] + '\n'));
        }
    }

    // Daylight is judged by the date at opening, each tick follows the
    // controls; closing writes the three keys only; the screen follows.
    void worldTimeEdited()
    {
        Rig r("[TimeZone]\nZone=13\nDestination=London\nDaylight=0\n\n[Other]\nKeep=me\n",
              QDateTime(QDate(2026, 10, 24), QTime(23, 59, 59)));
        QDialog* d = r.open("mnuWorldTime", "frmWorldTime");
        auto* dest = child<QLabel>(d, "lblDestTime");
        QCOMPARE(dest->text(), u"10/24/2026 11:59:59 PM"_s);
        r.platform.fixedClock.advanceSecs(2);
        child<QComboBox>(d, "cboTimeZone")->setCurrentIndex(26);
        child<QCheckBox>(d, "chkDaylight")->setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(dest->text(), u"10/25/2026 9:00:01 AM"_s, 2000);
        child<QLineEdit>(d, "txtDest")->setText(u"Beijing Central Station"_s);
        d->close();
        QCOMPARE(r.h.readIni(), QByteArray("[TimeZone]\nZone=26\nDestination=Beijing Central \n"
                                           "Daylight=1\n\n[Other]\nKeep=me\n"));
        r.c.scheduler().selectMode(1);
        r.c.scheduler().tick();
        QCOMPARE(r.c.lines().line(2) + '|' + r.c.lines().line(3),
                 QByteArray("Beijing Central  Tim|25/Oct/26 08:00:01"));
    }

    // Weather and Mail open modeless on what the screens use; a warning is the
    // dialog's box, with the focus, and keeps it open; "OK" stores and closes.
    void webDialogs()
    {
        Rig r("[Weather]\nCity=Oslo\nCountry=Norway\nUpdate=5\n"
              "[Mail]\nUrl=imaps://mail.example.org/INBOX\nUser=ann\n");
        r.w.show();
        QPointer<QDialog> d = r.open("mnuWeather", "frmWeather");
        QVERIFY(d->isVisible() && !d->isModal());
        QCOMPARE(shown(d, {"txtCity.text", "cboUpdateW.currentText"}), u"Oslo|5"_s);
        child<QLineEdit>(d, "txtCity")->clear();
        QTest::mouseClick(child<QPushButton>(d, "cmdUpdateW"), Qt::LeftButton);
        const QList<QMessageBox*> boxes = r.boxes();
        QCOMPARE(std::tuple(boxes.size(), boxes[0]->text(), boxes[0]->icon(), boxes[0]->parent()),
                 std::tuple(qsizetype(1), u"City Not Entered"_s, QMessageBox::Warning,
                            static_cast<QObject*>(d)));
        QTRY_VERIFY(boxes[0]->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(r.boxes().isEmpty());
        QVERIFY(d->isVisible());
        child<QLineEdit>(d, "txtCity")->setText(u"Berlin"_s);
        QTest::mouseClick(child<QPushButton>(d, "cmdUpdateW"), Qt::LeftButton);
        QTRY_VERIFY(!d);
        QCOMPARE(r.c.weather().WeatherCity, u"Berlin"_s);

        d = r.open("mnuMail", "frmMail");
        QCOMPARE(shown(d, {"txtUrl.text", "txtUser.text"}),
                 u"imaps://mail.example.org/INBOX|ann"_s);
        auto* url = child<QLineEdit>(d, "txtUrl");
        url->setText(u"https://mail.example.org"_s);
        QTest::mouseClick(child<QPushButton>(d, "cmdDone"), Qt::LeftButton);
        QCOMPARE(r.boxes().size(), 1);
        r.boxes()[0]->accept();
        QVERIFY(d->isVisible());
        url->setText(u"pop3s://pop.example.org"_s);
        child<QLineEdit>(d, "txtPasswordCommand")->setText(u"pass show mail"_s);
        QTest::mouseClick(child<QPushButton>(d, "cmdDone"), Qt::LeftButton);
        QTRY_VERIFY(!d);
        const MailSettings saved = MailSettings::load(r.c.ini());
        QCOMPARE(saved.account.url + u'|' + saved.account.passwordCommand.join(u'|'),
                 u"pop3s://pop.example.org|pass|show|mail"_s);
    }

    // Screens...: a screen added, named in its list, a value from the menu
    // inserted, seen in the preview, saved by OK with a notice.
    void screensDialog()
    {
        Rig r("[Screen Home]\nLine1=Load {cpu}%\n");
        r.w.show();
        QPointer<QDialog> d = r.open("mnuScreens", "frmScreens");
        QCOMPARE(shown(d, {"txtScreenLine1.text", "lstRotation.count"}), u"Load {cpu}%|9"_s);
        QTest::mouseClick(child<QPushButton>(d, "cmdAdd"), Qt::LeftButton);
        auto* name = child<QListWidget>(d, "lstScreens")->viewport()->findChild<QLineEdit*>();
        name->setText(u"Den"_s);
        QTest::keyClick(name, Qt::Key_Return);
        QApplication::setActiveWindow(d);
        child<QLineEdit>(d, "txtScreenLine2")->setFocus();
        child<QAction>(d, "mnuValue_cpu")->trigger();
        QCOMPARE(child<ModulePanel>(d, "picPreview")->picture().line(1), "23"_ba.leftJustified(20));
        QTest::mouseClick(child<QPushButton>(d, "cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(!d);
        QVERIFY2(r.h.readIni().contains("\n[Screen Den]\nLine1=\nAlign1=left\nScroll1=0\n"
                                        "Line2={cpu}\n"),
                 r.h.readIni().constData());
        // The saved screen is a mode at once: the window has its button.
        QTRY_COMPARE(shown(&r.w, {"optDisplay9.text"}), u"Den"_s);
    }

    // The module's picture: the characters shown, their dots and no others.
    void modulePanel()
    {
        DisplayModel model;
        ModulePanel panel;
        QCOMPARE(panel.sizeHint(), QSize(326, 106));
        panel.resize(panel.sizeHint());
        const auto after = [&model, &panel](const QByteArray& input) {
            model.feed(input);
            panel.show(ModulePicture::of(model));
            return panel.grab().toImage();
        };
        // A picture kept between paints must not outlive a change of the
        // module. Glyph 6 is a chequer; the high bits of each uploaded row
        // are not dots.
        const QImage blank = panel.grab().toImage();
        QByteArray expected(80 * 8, 0);
        expected.replace(0, 8, hex("0e1111111f111100"));
        expected.replace(47 * 8, 8, hex("150a150a150a150a"));
        expected.replace(79 * 8, 8, hex("1c141c0000000000")); // the degree sign
        const QImage drawn =
            after(hex("fe64") + QByteArray(48, 0) + hex("f50a150a150a150a") + QByteArray(8, 0) +
                  hex("fe08 fe320207 06 fe320313 df fe320000") + 'A');
        QCOMPARE(dotsOf(drawn).toHex(), expected.toHex());
        // The glass follows brightness and backlight.
        const int dim = qGray(after(hex("fe2800")).pixel(0, 0));
        const int dark = qGray(after(hex("fe07")).pixel(0, 0));
        QVERIFY(qGray(blank.pixel(0, 0)) > dim + 10 && dim > dark + 10);
        QCOMPARE(qGray(after(hex("fe28ff")).pixel(0, 0)), dark); // the backlight is off
        QCOMPARE(after(hex("0d fe06")), blank);
        // A window twice as large shows dots twice as large, still square.
        panel.resize(panel.sizeHint() * 2);
        QCOMPARE(panel.grab().toImage().size(), panel.sizeHint() * 2);
        const QList heights{panel.heightForWidth(652), panel.heightForWidth(1 << 20)};
        QCOMPARE(heights, QList({184, 1528})); // dots of 4 pixels fit 652 across; 32 at most

        // LCDd's screen is drawn as the module would show it: its digits and colon as the
        // module's, an icon as the program's custom character, with LCDd's backlight.
        LcddScreen lcdd{{"ab", "", "", ""}, {-1, 7, -1, -1}, true, {{2, 19, 6}}, false};
        DisplayModel same;
        same.feed("\x0b"
                  "ab" +
                  hex("fe34 31 37 fe320109 df fe320309 df fe320213 06 fe07"));
        ModulePicture want = ModulePicture::of(same);
        want.glyphs = modCustomChar::Glyphs;
        const ModulePicture got = ModulePicture::of(lcdd);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(got.line(row).toHex(' '), want.line(row).toHex(' '));
        QVERIFY(got == want);
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
