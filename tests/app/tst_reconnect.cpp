#include "support/LinkHarness.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

// The module unplugged and plugged in again, behind a stable device path as
// /dev/serial/by-id gives one: a symlink to a pseudo-terminal that goes and
// comes back as another.
class TestReconnect : public QObject
{
    Q_OBJECT

    TestPlatform m_platform;

    struct Rig
    {
        LinkHarness h;
        QString link = h.dirPath(QStringLiteral("by-id-module"));
        PtyLcdModule* module = nullptr;
        std::unique_ptr<TestApp> c;

        Rig(Platform& platform, bool pluggedAtStart)
        {
            h.writeIni("[Settings]\nBacklight=4\n[Mode]\nmode=1\n[Ports]\nCOM1=" +
                       QFile::encodeName(link) + "\n");
            if (pluggedAtStart)
                plug();
            c = std::make_unique<TestApp>(h.iniPath(), platform);
            c->lifecycle().setTimersEnabled(false);
            c->linkController().setWatchInterval(20);
            if (!pluggedAtStart)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot open COM1"));
            c->lifecycle().start();
            QTRY_VERIFY(c->lifecycle().startupDone());
        }
        void plug()
        {
            module = h.addModule();
            QFile::remove(link);
            QVERIFY(QFile::link(module->slavePath(), link));
        }
        LinkController& controller() { return c->linkController(); }

        // What a module that comes back gets: the detection and the
        // initialisation with the brightness (slider 4: level 250), then
        // the time and date mode's switch and its lines at the next tick.
        void checkShowsTimeAndDate()
        {
            const QByteArray init = hex("fe10 fe2900 0d fe06 fe28fa 0d");
            QVERIFY(module->waitForBytes(init.size(), 3000));
            QCOMPARE(module->received().left(init.size()).toHex(' '), init.toHex(' '));
            c->scheduler().tick();
            QTRY_COMPARE(module->module().line(2), QByteArray("London Time         "));
        }
    };

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Unplugged and back, again and again, with no descriptor left behind.
    void replugged()
    {
        Rig r(m_platform, true);
        QCOMPARE(r.controller().statusText(), QStringLiteral("LCD Connected"));
        int descriptors = 0;
        for (int i = 0; i < 20 && !QTest::currentTestFailed(); ++i) {
            QFile::remove(r.link);
            r.h.dropModule(r.module);
            // The next write finds the port gone.
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lost: device removed"));
            r.c->scheduler().tick();
            QTRY_COMPARE(r.controller().statusText(), QStringLiteral("LCD Not Found On Com 1"));
            QVERIFY(r.controller().watching());
            r.plug();
            QTRY_COMPARE_WITH_TIMEOUT(r.controller().statusText(),
                                      QStringLiteral("LCD Connected"), 3000);
            r.checkShowsTimeAndDate();
            if (i == 1)
                descriptors = int(QDir(QStringLiteral("/proc/self/fd")).count());
        }
        QCOMPARE(int(QDir(QStringLiteral("/proc/self/fd")).count()), descriptors);
        QCOMPARE(r.controller().commPortText(), QStringLiteral("1"));
    }

    // brellixd started at boot before the USB adapter is there: the watch
    // finds it; after a quit nothing opens the port.
    void absentAtStart_data()
    {
        QTest::addColumn<bool>("quitFirst");
        QTest::newRow("plugged in later") << false;
        QTest::newRow("plugged in after the quit") << true;
    }
    void absentAtStart()
    {
        QFETCH(bool, quitFirst);
        Rig r(m_platform, false);
        QCOMPARE(r.controller().statusText(), QStringLiteral("LCD Connection Status"));
        QVERIFY(r.controller().watching());
        if (quitFirst)
            r.c->lifecycle().requestQuit();
        r.plug();
        if (quitFirst) {
            QTest::qWait(100); // five watch intervals
            QVERIFY(!r.c->link().isOpen());
            QCOMPARE(r.module->received(), QByteArray());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(r.controller().statusText(),
                                      QStringLiteral("LCD Connected"), 3000);
            r.checkShowsTimeAndDate();
        }
    }

    // After a resume the module may have lost power: it is initialised again
    // on the port that is open, and shows its mode again. The window is not
    // sent out of the way again.
    void resumed()
    {
        Rig r(m_platform, true);
        QSignalSpy found(&r.controller(), &LinkController::moduleFound);
        QVERIFY(r.module->waitForBytes(12, 2000));
        r.module->module().reset(); // power lost during the suspend
        r.module->clearRecord();
        r.controller().reinitialise();
        r.checkShowsTimeAndDate();
        QCOMPARE(found.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReconnect)
#include "tst_reconnect.moc"
