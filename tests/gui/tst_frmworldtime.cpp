#include "app/MainController.h"
#include "app/WorldTimeModel.h"
#include "app/views/frmMain.h"
#include "app/views/frmWorldTime.h"
#include "platform/Clock.h"
#include "screens/time/TimeTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// The World Time dialog: what it opens on, what it shows, what closing saves.
class TestFrmWorldTime : public QObject
{
    Q_OBJECT

    static QString iniWith(LinkHarness& h, const QByteArray& timeZone)
    {
        h.writeIni("[TimeZone]\n" + timeZone);
        return h.iniPath();
    }

private Q_SLOTS:
    void initTestCase()
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<int>("zone");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("daylight");
        QTest::addColumn<QString>("destTime"); // clock: 10 July 2026 14:05:07 GMT
        QTest::newRow("Beijing") << QByteArray("Zone=26\nDestination=Beijing\nDaylight=0\n") << 26
                                 << "Beijing" << false << "7/10/2026 10:05:07 PM";
        QTest::newRow("daylight in July") << QByteArray("Zone=7\nDestination=New York\nDaylight=1\n")
                                          << 7 << "New York" << true << "7/10/2026 10:05:07 AM";
        QTest::newRow("no zone selected") << QByteArray("Zone=-1\nDestination=X\n") << -1 << "X"
                                          << false << "7/10/2026 2:05:07 PM";
        QTest::newRow("missing keys") << QByteArray() << 13 << "" << false
                                      << "7/10/2026 2:05:07 PM";
        QTest::newRow("zone not a number") << QByteArray("Zone=abc\nDaylight=yes\n") << 13 << ""
                                           << false << "7/10/2026 2:05:07 PM";
        QTest::newRow("zone out of range") << QByteArray("Zone=32\nDaylight=2\n") << 13 << ""
                                           << true << "7/10/2026 3:05:07 PM";
        QTest::newRow("long name cut to 16")
            << QByteArray("Zone=14\nDestination=Amsterdam Schiphol Airport\n") << 14
            << "Amsterdam Schiph" << false << "7/10/2026 3:05:07 PM";
    }
    void load()
    {
        QFETCH(QByteArray, keys);
        QFETCH(int, zone);
        QFETCH(QString, destination);
        QFETCH(bool, daylight);
        QFETCH(QString, destTime);
        LinkHarness h;
        FixedClock clock(QDateTime(QDate(2026, 7, 10), QTime(14, 5, 7)));
        MainController c(iniWith(h, keys), clock);
        frmWorldTime d(WorldTimeModel(c.ini(), clock), c.worldTime());
        auto* cbo = d.findChild<QComboBox*>(QStringLiteral("cboTimeZone"));
        QCOMPARE(cbo->count(), 32);
        QCOMPARE(cbo->itemText(26), QStringLiteral("(GMT + 8:00) Beijing,Hong Kong,Singapore"));
        QCOMPARE(cbo->currentIndex(), zone);
        QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("txtDest"))->text(), destination);
        QCOMPARE(d.findChild<QCheckBox*>(QStringLiteral("chkDaylight"))->isChecked(), daylight);
        QCOMPARE(d.findChild<QLabel*>(QStringLiteral("lblLocalTime"))->text(),
                 QStringLiteral("Local Time is 7/10/2026 2:05:07 PM"));
        QCOMPARE(d.findChild<QLabel*>(QStringLiteral("lblDestTime"))->text(), destTime);
    }

    void daylightJudgedOnTheDateAtOpening()
    {
        LinkHarness h;
        FixedClock clock(QDateTime(QDate(2026, 10, 24), QTime(23, 59, 59)));
        MainController c(iniWith(h, "Zone=13\nDaylight=1\n"), clock);
        frmWorldTime d(WorldTimeModel(c.ini(), clock), c.worldTime());
        auto* dest = d.findChild<QLabel*>(QStringLiteral("lblDestTime"));
        QCOMPARE(dest->text(), QStringLiteral("10/25/2026 12:59:59 AM"));
        clock.advanceSecs(2); // 25 October at the destination: no daylight any more
        auto* cbo = d.findChild<QComboBox*>(QStringLiteral("cboTimeZone"));
        cbo->setCurrentIndex(14);
        QTest::qWait(1100); // the next tick follows the new zone
        QCOMPARE(dest->text(), QStringLiteral("10/25/2026 2:00:01 AM"));
    }

    void closingSavesAndTheScreenFollows()
    {
        LinkHarness h;
        FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7)));
        h.writeIni("[TimeZone]\nZone=13\nDestination=London\nDaylight=0\n\n[Other]\nKeep=me\n");
        MainController c(h.iniPath(), clock);
        c.setTimersEnabled(false);
        c.startup();
        frmMain w(c);
        auto* action = w.findChild<QAction*>(QStringLiteral("mnuWorldTime"));
        action->trigger();
        auto* d = w.findChild<frmWorldTime*>(QStringLiteral("frmWorldTime"));
        QVERIFY(d && d->isVisible());
        d->findChild<QComboBox*>(QStringLiteral("cboTimeZone"))->setCurrentIndex(26);
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("txtDest"));
        name->clear();
        QTest::keyClicks(name, QStringLiteral("Beijing Central Station"));
        QCOMPARE(name->text(), QStringLiteral("Beijing Central ")); // 16 at most
        d->findChild<QCheckBox*>(QStringLiteral("chkDaylight"))->setChecked(true);
        d->close();
        QCOMPARE(h.readIni(), QByteArray("[TimeZone]\nZone=26\nDestination=Beijing Central \n"
                                         "Daylight=1\n\n[Other]\nKeep=me\n"));
        QCOMPARE(c.worldTime().ZoneIndex, qint16(26));
        QCOMPARE(c.worldTime().ObserveDaylight, true);

        c.scheduler().selectMode(1);
        c.scheduler().tick();
        QCOMPARE(c.lines().line(2), QByteArray("Beijing Central  Tim"));
        QCOMPARE(c.lines().line(3), QByteArray("5/Dec/26 22:05:07"));

        // Opening again loads afresh from the file.
        QTRY_VERIFY(!w.findChild<frmWorldTime*>(QStringLiteral("frmWorldTime")));
        action->trigger();
        d = w.findChild<frmWorldTime*>(QStringLiteral("frmWorldTime"));
        QCOMPARE(d->findChild<QComboBox*>(QStringLiteral("cboTimeZone"))->currentIndex(), 26);
    }
};

QTEST_MAIN(TestFrmWorldTime)
#include "tst_frmworldtime.moc"
