#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestMprisPlayer.h"
#include "support/TestPlatform.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
QByteArray joined(const QSignalSpy& spy, qsizetype from = 0)
{
    QByteArray all;
    for (qsizetype i = from; i < spy.size(); ++i)
        all += spy.at(i).at(0).toByteArray();
    return all;
}
} // namespace

// The "WinAmp Plugin" mode wired end to end: a test MPRIS player on a
// private session bus, the scheduler, the scroller's own timer and the
// simulated module. What the lines say is the screen's own test's business.
class TestWinAmpMode : public QObject
{
    Q_OBJECT
    PrivateSessionBus m_bus;
    std::unique_ptr<TestPlatform> m_platform;

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP(qPrintable(u"No private session bus: "_s + m_bus.error()));
        // Before anything in this process opens the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        m_platform = std::make_unique<TestPlatform>();
    }

    void playerMode()
    {
        TestMprisPlayer player(m_bus.address(), u"e2e"_s, u"Playing"_s);
        QVERIFY(player.isRegistered());
        player.setTrack(u"ABCDEFGHIJKLMNOPQRSTUVWXY"_s, {u"Some Artist"_s}, 225'000'000);
        player.setVolume(170.0 / 255);
        player.setPosition(83'000'000);

        ModuleApp p(*m_platform);
        p.make("[Mode]\nmode=4\n");
        TestApp& c = *p.c;
        PtyLcdModule* module = p.module;
        QSignalSpy sent(&c.link(), &LcdLink::sent);
        p.run();
        QCOMPARE(c.scheduler().selectedMode(), 4);
        QVERIFY(joined(sent).contains("\x0d\xfe\x64")); // the switch: clear, the symbols
        QVERIFY(c.scheduler().screenTimerActive());

        // The player is known once the bus has answered.
        QTRY_COMPARE_WITH_TIMEOUT((c.scheduler().tick(), module->module().line(0)),
                                  QByteArray("Playing Now: \x05      "), 3000);
        // The scroller on its own second: line 2 selected, then 20 characters.
        sent.clear();
        QTRY_VERIFY_WITH_TIMEOUT(joined(sent).contains("\xfe\x2d\x01"), 2500);
        QTRY_COMPARE(joined(sent), QByteArray("\xfe\x2d\x01"
                                              "GHIJKLMNOPQRSTUVWXY*"));
        QTRY_COMPARE(module->module().line(1), QByteArray("GHIJKLMNOPQRSTUVWXY*"));
        // Another mode stops the scroller.
        c.scheduler().selectMode(1);
        QVERIFY(!c.scheduler().screenTimerActive());
    }
};

QTEST_GUILESS_MAIN(TestWinAmpMode)
#include "tst_winampmode.moc"
