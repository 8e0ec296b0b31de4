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
#include <limits>

using namespace Qt::StringLiterals;

namespace {
const IPMod::Runner AtOnce = [](std::function<void()> job) { job(); };

// Name, address, then index type speed mtu oper admin queue, received octets unicast
// nonunicast discarded errors unknown, sent octets unicast nonunicast discarded errors, and
// the description.
QString properties(const CInterface& i)
{
    QStringList p{i.InterfaceName(), i.AdapterAddress()};
    for (const qint64 n :
         {qint64(i.InterfaceIndex()), qint64(i.InterfaceType()), i.Speed(),
          qint64(i.MaximumTransmissionUnit()), qint64(i.OperationalStatus()),
          qint64(i.AdminStatus()), i.OutputQueueLength(), i.OctetsReceived(),
          i.UnicastPacketsReceived(), i.NonunicastPacketsReceived(), i.DiscardedIncomingPackets(),
          i.IncomingErrors(), i.UnknownProtocolPackets(), i.OctetsSent(), i.UnicastPacketsSent(),
          i.NonunicastPacketsSent(), i.DiscardedOutgoingPackets(), i.OutgoingErrors()})
        p << QString::number(n);
    return (p << i.InterfaceDescription()).join(' ');
}

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

// The screen on a table file rewritten before each refresh, on a host whose name has a byte
// that is no character and is longer than a line.
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
    NetworkInfoScreen screen{lines,
                             messages,
                             *this,
                             helper,
                             std::make_shared<ScriptedHost>("a\376bcdefghijklmnopqrstuvwx"),
                             AtOnce};
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

// The network screen, the interface table and the host name and address it shows.
class TestNetworkInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void interfaceFixtures()
    {
        const struct
        {
            QString fixture;
            QString totals; // rows, octets received, octets sent
            int item;
            QString properties;
        } rows[] = {
            {"two_rows", "2 1000 400", 1,
             "eth0 00-0A-95-9D-68-16 2 6 1000000000 1500 1 1 1000 1000 15 5 2 1 7 400 10 0 4 3 "
             "eth0"},
            // A tunnel that is down, sys files missing, 64-bit totals: 4294967296 + 5000000000
            // + 900 and 3000000000 + 2000000000 + 100.
            {"mixed", "3 9294968196 5000000100", 2,
             "wg0  5 131 0 1420 4 2 500 5000000000 4000000 0 0 2 0 2000000000 1000000 0 7 0 wg0"},
        };
        for (const auto& r : rows) {
            RecordingMessages messages;
            const LinuxInterfaceTable table(dataPath("net/" + r.fixture + "/proc_net_dev"),
                                            dataPath("net/" + r.fixture + "/sys_class_net"));
            CIpHelper helper(messages, table);
            const int count = helper.readTotals();
            QCOMPARE(u"%1 %2 %3"_s.arg(count).arg(helper.BytesReceived()).arg(helper.BytesSent()),
                     r.totals);
            const auto interfaces = helper.Interfaces();
            QCOMPARE(interfaces->Count(), count);
            QCOMPARE(properties(*interfaces->Item(r.item)), r.properties);
            QVERIFY(messages.texts.isEmpty());
        }
    }

    // Every call reads the table afresh. Counters the kernel keeps as unsigned 64-bit values
    // never turn negative, and totals stick at the top instead of wrapping round.
    void everyGetRereads()
    {
        QTemporaryDir dir;
        const QString dev = dir.filePath("dev");
        const QString told = u"Cannot read the network interface statistics: "_s;
        RecordingMessages messages;
        const LinuxInterfaceTable table(dev, dir.filePath("sys"));
        CIpHelper helper(messages, table);
        // No table: told once, not once a second, naming the file.
        QCOMPARE(helper.Interfaces()->Count(), 0);
        QCOMPARE(helper.readTotals(), -1);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith(told + "cannot open " + dev));

        QVERIFY(writeFile(dev, NetDevHeader + " eth0: 100 1 0 0 0 0 0 0 10 1 0 0 0 0 0 0\n"));
        const auto first = helper.Interfaces();
        // A short row and one with a bad number are skipped; a number may touch the colon.
        QVERIFY(writeFile(dev, NetDevHeader +
                                   " eth0: 9223372036854775808 18446744073709551615 0 0 0 0 0 0 "
                                   "30 1 0 0 0 0 0 0\n bad0: 1 2 3\n"
                                   " bad1: 1 2 x 0 0 0 0 0 1 1 0 0 0 0 0 0\n"
                                   "eth1:9223372036854775808 3 0 0 0 0 0 10 7 1 0 0 0 0 0 0\n"));
        const auto interfaces = helper.Interfaces();
        QCOMPARE(interfaces->Count(), 2);
        const qint64 top = std::numeric_limits<qint64>::max();
        QCOMPARE(helper.BytesReceived(), top);
        QCOMPARE(helper.BytesSent(), 37);
        QCOMPARE(interfaces->Item(1)->OctetsReceived(), top);
        QCOMPARE(interfaces->Item(1)->UnicastPacketsReceived(), top);
        QCOMPARE(interfaces->Item(2)->UnicastPacketsReceived(), 0); // more multicast than packets
        QCOMPARE(interfaces->Item(2)->NonunicastPacketsReceived(), 10);
        QCOMPARE(first->Item(1)->OctetsReceived(), 100); // what a caller kept stays

        // Not the kernel's table after a good read: told again, totals 0.
        QVERIFY(writeFile(dev, QByteArray(NetDevHeader).replace("Transmit", "Tx") +
                                   " eth0: 9 1 0 0 0 0 0 0 9 1 0 0 0 0 0 0\n"));
        QCOMPARE(helper.readTotals(), -1);
        QCOMPARE(helper.readTotals(), -1);
        QCOMPARE(helper.BytesReceived(), 0);
        QCOMPARE(messages.texts.mid(1),
                 QStringList{told + dev + " is not an interface statistics table."});
    }

    // Rates from the octets since the last connected refresh; offline, the last rates stay
    // and no table is read. Control bytes of the host name never reach the module.
    void screen()
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
        // An unreadable table or one without rows shows 0; the next good read covers the gap.
        for (const QByteArray& bad : {QByteArray("garbage\n"), NetDevHeader}) {
            QVERIFY(writeFile(rig.dev, bad));
            rig.screen.ShowNetworkInfo();
            QCOMPARE(rig.lines.line(2) + '|' + rig.lines.line(3), "In :0 kbps|Out:0 kbps");
        }
        // Beyond 32 bits; rate lines of exactly 20 and cut at 20.
        QCOMPARE(rig.show(4294968296, 10000102124),
                 on + "In :4289949.796 kbps|Out:10000001.124 kbp");

        // The rates in the user's locale; a separator the module has no code for gives way
        // to ".", rather than showing as "?".
        const QLocale previous;
        const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
        QLocale::setDefault(QLocale(QLocale::German));
        QVERIFY(rig.show(4294980641, 10000102524).endsWith("In :12,345 kbps|Out:0,4 kbps"));
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        QVERIFY(rig.show(4294992986, 10000102924).endsWith("In :12.345 kbps|Out:0.4 kbps"));
        QCOMPARE(rig.messages.texts.size(), 1);
    }

    // The IPv4 and IPv6 route tables as the kernel writes them: only an up, not rejected
    // default route counts, never one on loopback; of several, the lowest metric wins.
    void defaultRoute()
    {
        const QByteArray zero(32, '0');
        const auto v4 = [](QByteArray iface, QByteArray dest, QByteArray flags, QByteArray metric) {
            return iface + '\t' + dest + "\t0101A8C0\t" + flags + "\t0\t0\t" + metric +
                   "\t00000000\t0\t0\t0\n";
        };
        const auto v6 = [&zero](QByteArray dest, QByteArray prefix, QByteArray flags,
                                QByteArray iface) {
            return dest + ' ' + prefix + ' ' + zero + " 00 " + zero +
                   " 00000100 00000001 00000000 " + flags + ' ' + iface + '\n';
        };
        const QByteArray head4 = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask"
                                 "\t\tMTU\tWindow\tIRTT\n";
        const struct
        {
            QByteArray ipv4;
            QByteArray ipv6;
            QString routeInterface; // of the IPv4 default route
            bool connected;
        } rows[] = {
            // Not a default route; down, rejected, on loopback.
            {head4 + v4("eth0", "0001A8C0", "0001", "100") +
                 v4("eth0", zero.left(8), "0002", "100") + v4("eth1", zero.left(8), "0201", "100") +
                 v4("lo", zero.left(8), "0001", "0"),
             v6(zero, "00", "00200200", "lo"), "", false},
            // 4294967295, the worst metric, as the kernel prints it.
            {head4 + v4("wlan0", zero.left(8), "0003", "-1") +
                 v4("eth0", zero.left(8), "0003", "100") + v4("eth1", zero.left(8), "0003", "600"),
             "", "eth0", true},
            {head4, v6(zero, "00", "00450003", "eth0"), "", true},
            // The prefix length not zero, not a number.
            {"",
             v6("20010db8000000000000000000000000", "20", "00000001", "eth0") +
                 v6(zero, "zz", "00000001", "eth0"),
             "", false},
        };
        QTemporaryDir dir;
        const QString v4File = dir.filePath("route"), v6File = dir.filePath("ipv6_route");
        for (const auto& r : rows) {
            QVERIFY(writeFile(v4File, r.ipv4) && writeFile(v6File, r.ipv6));
            QCOMPARE(LinuxInternetState(v4File, v6File).isConnected(), r.connected);
            QCOMPARE(LinuxHostLookup(v4File).defaultRouteInterface(), r.routeInterface);
        }

        // The system calls themselves.
        const LinuxHostLookup real(v4File);
        QList<QByteArray> addresses{"stale"};
        QCOMPARE(real.resolveIPv4("localhost", addresses), 0);
        QCOMPARE(addresses.value(0).toHex() + real.interfaceIPv4("lo").toHex(), "7f0000017f000001");
    }

    void address()
    {
        const QByteArray loopback = QByteArray::fromHex("7f000101");
        const struct
        {
            QByteArray resolved; // addresses, 4 bytes each
            QString route;       // interface of the default route:its address
            QString expected;
        } rows[] = {
            {QByteArray::fromHex("ffff00fe0a000001"), "eth0:0a000002", "255.255.0.254"},
            // Loopback: the default route's address, if it has one.
            {loopback, "eth0:c0a8010a", "192.168.1.10"},
            {loopback, "wg0:", "127.0.1.1"},
        };
        RecordingMessages messages;
        for (const auto& r : rows) {
            auto host = std::make_shared<ScriptedHost>("  box ");
            host->addresses = {r.resolved.first(4), r.resolved.mid(4)};
            host->routeInterface = r.route.section(':', 0, 0);
            host->routeAddress = QByteArray::fromHex(r.route.section(':', 1).toLatin1());
            IPMod ip(messages, host, 0, AtOnce);
            QCOMPARE(ip.GetIPAddress(), r.expected);
            QCOMPARE(host->lastQuery, QByteArray("box"));
        }

        // Each failure is told once until the call succeeds again, not once a second.
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
        const QString nameFailed = u"Cannot read this computer's name (system error 36)."_s;
        QCOMPARE(messages.texts, QStringList({resolve, resolve, nameFailed}));
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
};

QTEST_GUILESS_MAIN(TestNetworkInfo)
#include "tst_networkinfo.moc"
