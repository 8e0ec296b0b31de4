#include "app/PortChooser.h"
#include "support/LinkHarness.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>

using Device = PortChooser::Device;

// The "Ports..." dialog's logic.
class TestPortChooser : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

private Q_SLOTS:
    // Adapters with a stable name first, each group by name; the line says
    // what the device is.
    void listing()
    {
        const QList<Device> devices =
            PortChooser::ordered({{"/dev/ttyS0", "", "", "", ""},
                                  {"/dev/ttyUSB1", "/dev/serial/by-id/usb-Prolific-if00",
                                   "USB-Serial Controller", "Prolific", ""},
                                  {"/dev/ttyACM0", "", "Arduino Uno", "", "8573"},
                                  {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A900XYZ-if00",
                                   "FT232R USB UART", "FTDI", "A900XYZ"}});
        QStringList labels;
        for (const Device& d : devices)
            labels << PortChooser::label(d);
        QCOMPARE(
            labels,
            (QStringList{
                "/dev/serial/by-id/usb-FTDI_FT232R_A900XYZ-if00 - FT232R USB UART (FTDI, A900XYZ)",
                "/dev/serial/by-id/usb-Prolific-if00 - USB-Serial Controller (Prolific)",
                "/dev/ttyACM0 - Arduino Uno (8573)", "/dev/ttyS0"}));
    }

    // A choice is written to the settings file in one save and switched to
    // as from the COM menu; one that cannot work is refused and changes nothing.
    void apply_data()
    {
        QTest::addColumn<int>("com");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("error"); // empty: applied
        QTest::newRow("COM1, 9600") << 1 << "9600,n,8,1" << QString();
        QTest::newRow("COM6, 19200") << 6 << "19200,n,8,1" << QString();
        QTest::newRow("settings refused") << 2 << "9600,n,9,1"
                                          << "are not valid";
        QTest::newRow("no such COM") << 7 << "9600,n,8,1"
                                     << "COM1 to COM6";
    }
    void apply()
    {
        QFETCH(int, com);
        QFETCH(QString, settings);
        QFETCH(QString, error);
        LinkHarness h;
        PtyLcdModule* module = h.addModule();
        const QByteArray before = "[Settings]\nCommPort=1\n";
        h.writeIni(before);
        TestApp c(h.iniPath(), m_platform);
        c.lifecycle().setTimersEnabled(false);
        c.lifecycle().overridePort(1, QStringLiteral("/nonexistent/tty"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot open COM1"));
        c.lifecycle().start();
        QTRY_VERIFY(c.lifecycle().startupDone());
        PortChooser chooser(c.ini(), c.linkController());
        QString why;
        QCOMPARE(chooser.apply(com, module->slavePath(), settings, &why), error.isEmpty());
        if (!error.isEmpty()) {
            QVERIFY2(why.contains(error), qPrintable(why));
            QCOMPARE(h.readIni(), before);
            return;
        }
        QCOMPARE(h.readIni(), before + "Setting=" + settings.toUtf8() + "\n\n[Ports]\nCOM" +
                                  QByteArray::number(com) + "=" + module->slavePath().toUtf8() +
                                  "\n");
        QTRY_COMPARE(c.linkController().statusText(), QStringLiteral("LCD Connected"));
        QCOMPARE(c.linkController().checkedComItem(), com);
        QCOMPARE(c.link().settings(), settings);
        QCOMPARE(c.linkController().commPortText(), QString::number(com));
    }
};

QTEST_GUILESS_MAIN(TestPortChooser)
#include "tst_portchooser.moc"
