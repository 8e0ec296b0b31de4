#include "SystemTestDoubles.h"

#include "platform/linux/LinuxHostLookup.h"
#include "platform/linux/LinuxInterfaceTable.h"
#include "platform/linux/LinuxInternetState.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/IPMod.h"
#include "screens/system/NetworkInfoScreen.h"

#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {
const IPMod::Runner AtOnce = [](std::function<void()> job) { job(); };

// A resolver that does not answer until the test lets it (or after 5 s, as a slow server).
class StuckHost : public ScriptedHost
{
public:
    int resolveIPv4(const QByteArray& query, QList<QByteArray>& out) const override
    {
        ++started;
        released.tryAcquire(1, 5000);
        return ScriptedHost::resolveIPv4(query, out);
    }
    mutable QSemaphore released;
    mutable std::atomic<int> started{0};
};

// A host name with a byte that is no character, longer than a line.
std::shared_ptr<const HostLookup> host()
{
    return std::make_shared<ScriptedHost>("a\376bcdefghijklmnopqrstuvwx");
}

// The screen on a table file rewritten before each refresh.
struct Rig : InternetState
{
    bool connected = true;
    bool isConnected() const override { return connected; }
    QTemporaryDir dir;
    const QString dev = dir.filePath("dev");
    RecordingMessages messages;
    ScreenLines lines;
    LinuxInterfaceTable table{dev, dir.filePath("sys")};
    CIpHelper helper{messages, table};
    NetworkInfoScreen screen{lines, messages, *this, helper, host(), AtOnce};
    // Octets received and sent, split over two rows; -1: offline, no table.
    QByteArray show(qint64 received, qint64 sent)
    {
        connected = received >= 0;
        const QByteArray table = NetDevHeader + " eth0: " + QByteArray::number(received - 1) +
                                 " 1 0 0 0 0 0 0 " + QByteArray::number(sent - 1) +
                                 " 1 0 0 0 0 0 0\n eth1: 1 1 0 0 0 0 0 0 1 1 0 0 0 0 0 0\n";
        if (!writeFile(dev, received < 0 ? "garbage\n" : table))
            return "cannot write " + dev.toLocal8Bit();
        screen.ShowNetworkInfo();
        return lines.line(0) + '|' + lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3);
    }
};
} // namespace

// The network screen with the host name and address it shows.
class TestNetworkInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Rates from the octets since the last connected refresh; offline, the last rates stay
    // and no table is read. Control bytes of the host name never reach the module.
    void refreshSequence()
    {
        Rig rig;
        // 06 / 07: connected or not, a space, the address.
        const QByteArray on = "a?bcdefghijklmnopqrs|\x06 192.168.1.10|";
        const QByteArray off = "a?bcdefghijklmnopqrs|\x07 192.168.1.10|";
        QCOMPARE(rig.show(-1, -1), off + "|");
        QCOMPARE(rig.show(5000000, 100000), on + "In :5000 kbps|Out:100 kbps");
        QCOMPARE(rig.show(5012345, 100400), on + "In :12.345 kbps|Out:0.4 kbps");
        QCOMPARE(rig.show(5012345, 100400), on + "In :0 kbps|Out:0 kbps");
        QCOMPARE(rig.show(-1, -1), off + "In :0 kbps|Out:0 kbps");
        QCOMPARE(rig.show(5020000, 101000), on + "In :7.655 kbps|Out:0.6 kbps");
        QCOMPARE(rig.show(5018500, 101000), on + "In :-1.5 kbps|Out:0 kbps");
        // Beyond 32 bits; rate lines of exactly 20 and cut at 20.
        QCOMPARE(rig.show(4294968296, 10000102124),
                 on + "In :4289949.796 kbps|Out:10000001.124 kbp");
        QVERIFY(rig.messages.texts.isEmpty());
    }

    // An unreadable table or one without rows shows 0; the message is told once, and the
    // next good read covers the whole gap.
    void noTableShowsZero()
    {
        Rig rig;
        rig.show(8000, 2000);
        for (const QByteArray& bad : {QByteArray("garbage\n"),
                                      QByteArray(NetDevHeader).replace("Transmit", "Tx") +
                                          " eth0: 99999 1 0 0 0 0 0 0 9 1 0 0 0 0 0 0\n",
                                      NetDevHeader}) {
            QVERIFY(writeFile(rig.dev, bad));
            rig.screen.ShowNetworkInfo();
            QCOMPARE(rig.lines.line(2) + '|' + rig.lines.line(3), "In :0 kbps|Out:0 kbps");
        }
        QCOMPARE(rig.messages.texts.size(), 1);
        QVERIFY(rig.show(9500, 2000).endsWith("|In :1.5 kbps|Out:0 kbps"));
    }

    // The rate lines in the user's locale; a separator the module has no
    // code for gives way to ".", rather than showing as "?".
    void rateLinesInLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("German comma")
            << QLocale(QLocale::German) << QByteArray("In :12,345 kbps|Out:0,4 kbps");
        QTest::newRow("Arabic separator") << QLocale(QLocale::Arabic, QLocale::Egypt)
                                          << QByteArray("In :12.345 kbps|Out:0.4 kbps");
    }
    void rateLinesInLocale()
    {
        QFETCH(QLocale, locale);
        const QLocale previous;
        QLocale::setDefault(locale);
        const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
        Rig rig;
        rig.show(5000000, 100000);
        rig.show(5012345, 100400);
        QTEST(rig.lines.line(2) + '|' + rig.lines.line(3), "expected");
    }

    // The IPv4 and IPv6 route tables as the kernel writes them: only an up, not rejected
    // default route counts, never one on loopback; of several, the lowest metric wins.
    void defaultRoute_data()
    {
        QTest::addColumn<QByteArray>("ipv4");
        QTest::addColumn<QByteArray>("ipv6");
        QTest::addColumn<QString>("routeInterface"); // of the IPv4 default route
        QTest::addColumn<bool>("connected");
        const QByteArray head4 = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask"
                                 "\t\tMTU\tWindow\tIRTT\n";
        const QByteArray zero6(32, '0');
        const QByteArray unreachable6 =
            zero6 + " 00 " + zero6 + " 00 " + zero6 + " ffffffff 00000001 00000000 00200200 lo\n";
        QTest::newRow("fixture") << readData("net/route_default_eth0") << unreachable6 << u"eth0"_s
                                 << true;
        QTest::newRow("no default")
            << readData("net/route_no_default") << unreachable6 << QString() << false;
        // 4294967295, the worst metric, as the kernel prints it.
        QTest::newRow("lowest metric, one above 2^31")
            << head4 + "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t-1\t00000000\t0\t0\t0\n"
                       "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                       "eth1\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
            << QByteArray() << u"eth0"_s << true;
        QTest::newRow("down, rejected, loopback")
            << head4 + "eth0\t00000000\t0101A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n"
                       "eth1\t00000000\t00000000\t0201\t0\t0\t100\t00000000\t0\t0\t0\n"
                       "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
            << unreachable6 << QString() << false;
        QTest::newRow("IPv6 only") << head4
                                   << unreachable6 + zero6 + " 00 " + zero6 +
                                          " 00 fe800000000000000000000000000001 "
                                          "00000400 00000001 00000000 00450003 eth0\n"
                                   << QString() << true;
        QTest::newRow("IPv6 prefix not zero")
            << QByteArray()
            << "20010db8000000000000000000000000 20 " + zero6 + " 00 " + zero6 +
                   " 00000100 00000001 00000000 00000001 eth0\n"
            << QString() << false;
        QTest::newRow("IPv6 prefix not a number")
            << QByteArray()
            << zero6 + " zz " + zero6 + " 00 " + zero6 + " 00000100 1 0 00000001 eth0\n"
            << QString() << false;
    }
    void defaultRoute()
    {
        QFETCH(QByteArray, ipv4);
        QFETCH(QByteArray, ipv6);
        QFETCH(QString, routeInterface);
        QFETCH(bool, connected);
        QCOMPARE(LinuxInternetState::defaultRouteInterface(ipv4), routeInterface);
        QCOMPARE(LinuxInternetState::hasDefaultRouteV4(ipv4) ||
                     LinuxInternetState::hasDefaultRouteV6(ipv6),
                 connected);

        QTemporaryDir dir;
        const QString v4 = dir.filePath("route"), v6 = dir.filePath("ipv6_route");
        QVERIFY(writeFile(v4, ipv4) && writeFile(v6, ipv6));
        QCOMPARE(LinuxInternetState(v4, v6).isConnected(), connected);
        QCOMPARE(LinuxHostLookup(v4).defaultRouteInterface(), routeInterface);
    }

    void address_data()
    {
        QTest::addColumn<QByteArray>("resolved"); // addresses, 4 bytes each
        QTest::addColumn<QString>("route");       // interface of the default route:its address
        QTest::addColumn<QString>("expected");
        const QByteArray loopback = QByteArray::fromHex("7f000101");
        QTest::newRow("first of two, bytes unsigned")
            << QByteArray::fromHex("ffff00fe0a000001") << "eth0:0a000002" << u"255.255.0.254"_s;
        QTest::newRow("loopback: the default route's address")
            << loopback << "eth0:c0a8010a" << u"192.168.1.10"_s;
        QTest::newRow("loopback, route interface without IPv4")
            << loopback << "wg0:" << u"127.0.1.1"_s;
    }
    void address()
    {
        QFETCH(QByteArray, resolved);
        QFETCH(QString, route);
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>("  box ");
        host->addresses = {resolved.first(4), resolved.mid(4)};
        host->routeInterface = route.section(':', 0, 0);
        host->routeAddress = QByteArray::fromHex(route.section(':', 1).toLatin1());
        IPMod ip(messages, host, 0, AtOnce);
        QTEST(ip.GetIPAddress(), "expected");
        QCOMPARE(host->lastQuery, QByteArray("box"));
    }

    // Each failure is told once until the call succeeds again, not once a second.
    void failuresToldOnce()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        IPMod ip(messages, host, 0, AtOnce);
        host->resolveError = -2; // EAI_NONAME
        QCOMPARE(ip.GetIPAddress() + ip.GetIPAddress(), QString());
        host->resolveError = 0;
        QCOMPARE(ip.GetIPAddress(), u"192.168.1.10"_s);
        host->resolveError = -3; // EAI_AGAIN
        QCOMPARE(ip.GetIPAddress(), QString());
        host->hostNameError = 36;
        for (int refresh = 0; refresh < 3; ++refresh) // one refresh asks for both
            QCOMPARE(ip.GetHostName() + ip.GetIPAddress(), QString());
        const QString resolve = u"Cannot look up the address of this computer's name brellixbox."_s;
        const QString told = u"Cannot read this computer's name (system error 36)."_s;
        QCOMPARE(messages.texts, QStringList({resolve, resolve, told}));
    }

    // A resolver that hangs holds neither the refresh nor the end of the screen; one
    // lookup at a time, the last answer standing until the next is in.
    void stuckResolver()
    {
        RecordingMessages messages;
        auto host = std::make_shared<StuckHost>();
        {
            IPMod ip(messages, host); // lookups on a thread of their own
            QCOMPARE(ip.GetIPAddress() + ip.GetIPAddress(), QString());
            QTRY_COMPARE(host->started.load(), 1);
            host->released.release();
            QTRY_COMPARE(ip.GetIPAddress(), u"192.168.1.10"_s);
            host->name = "renamed"; // looked up at once, not when the answer is old
            QCOMPARE(ip.GetIPAddress(), u"192.168.1.10"_s);
            QTRY_COMPARE(host->started.load(), 2);
        }
        QCOMPARE(host.use_count(), long(2)); // the worker's share
        host->released.release();
        QTRY_COMPARE(host.use_count(), long(1));
        QVERIFY(messages.texts.isEmpty());
    }

    void realSystemCalls()
    {
        const LinuxHostLookup real(dataPath("net/route_default_eth0"));
        QList<QByteArray> addresses{"stale"};
        QCOMPARE(real.resolveIPv4("localhost", addresses), 0);
        QCOMPARE(addresses.value(0).toHex() + real.interfaceIPv4("lo").toHex(), "7f0000017f000001");
    }
};

QTEST_GUILESS_MAIN(TestNetworkInfo)
#include "tst_networkinfo.moc"
