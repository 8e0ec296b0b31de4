#include "app/WorldTimeModel.h"
#include "app/views/frmMain.h"
#include "app/views/frmWorldTime.h"
#include "support/TestPlatform.h"
#include "support/TestWindow.h"
#include "support/TimeTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

// The World Time dialog: what it opens on, what it shows, what closing saves.
class TestFrmWorldTime : public QObject
{
    Q_OBJECT

    template <typename T> static T* child(QObject* d, const char* name)
    {
        return d->findChild<T*>(QString::fromLatin1(name));
    }

private Q_SLOTS:
    void initTestCase()
    {
        setLocalZone("UTC");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // The dialog opens on the destination the screen shows, defaults
    // included; missing, malformed or out-of-range values open on sound
    // ones. Closing it (Esc too) saves what it shows.
    void load_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QString>("destTime"); // clock: 10 July 2026 14:05:07 GMT
        QTest::newRow("daylight in July")
            << QByteArray("Zone=7\nDestination=New York\nDaylight=1\n") << 7 << "New York" << true
            << "7/10/2026 10:05:07 AM";
        QTest::newRow("zone out of range")
            << QByteArray("Zone=32\nDaylight=2\n") << 13 << "" << true << "7/10/2026 3:05:07 PM";
        QTest::newRow("long name cut to 16, other keys missing")
            << QByteArray("Destination=Amsterdam Schiphol Airport\n") << 13 << "Amsterdam Schiph"
            << false << "7/10/2026 2:05:07 PM";
    }
    void load()
    {
        QFETCH(QByteArray, keys);
        QFETCH(int, zone);
        QFETCH(QString, destination);
        QFETCH(bool, daylight);
        QFETCH(QString, destTime);
        LinkHarness h;
        h.writeIni("[TimeZone]\n" + keys);
        TestPlatform platform(QDateTime(QDate(2026, 7, 10), QTime(14, 5, 7)));
        TestApp c(h.iniPath(), platform);
        c.loadSettings();
        // Deletes itself when closed.
        const QPointer<frmWorldTime> opened =
            new frmWorldTime(WorldTimeModel(c.ini(), c.clock(), c.worldTime()));
        frmWorldTime& d = *opened;
        auto* cbo = child<QComboBox>(&d, "cboTimeZone");
        QCOMPARE(cbo->currentIndex(), zone);
        QCOMPARE(child<QLineEdit>(&d, "txtDest")->text(), destination);
        QCOMPARE(child<QCheckBox>(&d, "chkDaylight")->isChecked(), daylight);
        QCOMPARE(child<QLabel>(&d, "lblLocalTime")->text(),
                 QStringLiteral("Local Time is 7/10/2026 2:05:07 PM"));
        QCOMPARE(child<QLabel>(&d, "lblDestTime")->text(), destTime);
        d.show();
        QTest::keyClick(&d, Qt::Key_Escape);
        QTRY_VERIFY(!opened || !opened->isVisible());
        const QByteArray ini = h.readIni();
        QVERIFY2(ini.contains("Destination=" + destination.toUtf8() + "\n"), ini.constData());
        QCOMPARE(c.worldTime().DestinationName(), destination);
    }

    // Opened from the menu at 23:59:59 GMT on Saturday 24 October. The
    // daylight test looks at the date fixed at opening, while each tick follows
    // the controls; closing writes the three keys, nothing else, and the time
    // and date screen follows from its next tick, judging daylight by its date.
    void editAndClose()
    {
        LinkHarness h;
        h.writeIni("[TimeZone]\nZone=13\nDestination=London\nDaylight=0\n\n[Other]\nKeep=me\n");
        TestPlatform platform(QDateTime(QDate(2026, 10, 24), QTime(23, 59, 59)));
        FixedClock& clock = platform.fixedClock;
        TestApp c(h.iniPath(), platform);
        c.loadSettings();
        TestWindow w(c);
        w.findChild<QAction*>(QStringLiteral("mnuWorldTime"))->trigger();
        auto* d = w.findChild<frmWorldTime*>(QStringLiteral("frmWorldTime"));
        QVERIFY(d && d->isVisible());
        auto* dest = child<QLabel>(d, "lblDestTime");
        QCOMPARE(dest->text(), QStringLiteral("10/24/2026 11:59:59 PM"));
        clock.advanceSecs(2);
        child<QComboBox>(d, "cboTimeZone")->setCurrentIndex(26);
        child<QCheckBox>(d, "chkDaylight")->setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(dest->text(), QStringLiteral("10/25/2026 9:00:01 AM"), 2000);
        auto* name = child<QLineEdit>(d, "txtDest");
        name->clear();
        QTest::keyClicks(name, QStringLiteral("Beijing Central Station"));
        d->close();
        QCOMPARE(h.readIni(), QByteArray("[TimeZone]\nZone=26\nDestination=Beijing Central \n"
                                         "Daylight=1\n\n[Other]\nKeep=me\n"));
        c.scheduler().selectMode(1);
        c.scheduler().tick();
        QCOMPARE(c.lines().line(2), QByteArray("Beijing Central  Tim"));
        QCOMPARE(c.lines().line(3), QByteArray("25/Oct/26 08:00:01"));
    }
};

QTEST_MAIN(TestFrmWorldTime)
#include "tst_frmworldtime.moc"
