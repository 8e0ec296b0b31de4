#include "NetTestDoubles.h"

#include "screens/system/CIpHelper.h"
#include "screens/system/NetDevParser.h"
#include "screens/system/SysNetParser.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray Header =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n";

// Every property of a row, written out so a test can compare them at once.
QStringList propertyList(const CInterface& i)
{
    return {
        QStringLiteral("InterfaceDescription=%1").arg(i.InterfaceDescription()),
        QStringLiteral("OutputQueueLength=%1").arg(i.OutputQueueLength()),
        QStringLiteral("OutgoingErrors=%1").arg(i.OutgoingErrors()),
        QStringLiteral("DiscardedOutgoingPackets=%1").arg(i.DiscardedOutgoingPackets()),
        QStringLiteral("NonunicastPacketsSent=%1").arg(i.NonunicastPacketsSent()),
        QStringLiteral("UnicastPacketsSent=%1").arg(i.UnicastPacketsSent()),
        QStringLiteral("OctetsSent=%1").arg(i.OctetsSent()),
        QStringLiteral("UnknownProtocolPackets=%1").arg(i.UnknownProtocolPackets()),
        QStringLiteral("IncomingErrors=%1").arg(i.IncomingErrors()),
        QStringLiteral("DiscardedIncomingPackets=%1").arg(i.DiscardedIncomingPackets()),
        QStringLiteral("NonunicastPacketsReceived=%1").arg(i.NonunicastPacketsReceived()),
        QStringLiteral("MaximumTransmissionUnit=%1").arg(i.MaximumTransmissionUnit()),
        QStringLiteral("UnicastPacketsReceived=%1").arg(i.UnicastPacketsReceived()),
        QStringLiteral("OctetsReceived=%1").arg(i.OctetsReceived()),
        QStringLiteral("LastChange=%1").arg(i.LastChange().isNull() ? "zero" : "set"),
        QStringLiteral("OperationalStatus=%1").arg(i.OperationalStatus()),
        QStringLiteral("AdminStatus=%1").arg(i.AdminStatus()),
        QStringLiteral("AdapterAddress=%1").arg(i.AdapterAddress()),
        QStringLiteral("Speed=%1").arg(i.Speed()),
        QStringLiteral("InterfaceType=%1").arg(i.InterfaceType()),
        QStringLiteral("InterfaceIndex=%1").arg(i.InterfaceIndex()),
        QStringLiteral("InterfaceName=%1").arg(i.InterfaceName()),
    };
}
} // namespace

class TestInterfaces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("rows"); // -1: not a table
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<quint64>("firstRx");
        QTest::addColumn<quint64>("firstTx");

        QTest::newRow("usual") << Header + "  eth0: 77073929    1603    0    0    0     0          0"
                                           "         0    66751     784    0    0    0     0       0"
                                           "          0\n"
                               << 1 << "eth0" << quint64(77073929) << quint64(66751);
        QTest::newRow("number glued to the colon")
            << Header + "eth0:1234 5 0 0 0 0 0 0 678 9 0 0 0 0 0 0\n"
            << 1 << "eth0" << quint64(1234) << quint64(678);
        QTest::newRow("beyond 32 bits")
            << Header + "  eth0: 18446744073709551615 1 0 0 0 0 0 0 4294967296 1 0 0 0 0 0 0\n"
            << 1 << "eth0" << quint64(18446744073709551615ULL) << quint64(4294967296ULL);
        QTest::newRow("short row skipped")
            << Header + "  bad0: 1 2 3\n  eth1: 10 1 0 0 0 0 0 0 20 1 0 0 0 0 0 0\n"
            << 1 << "eth1" << quint64(10) << quint64(20);
        QTest::newRow("bad number skipped")
            << Header + "  bad0: 1 2 x 0 0 0 0 0 1 1 0 0 0 0 0 0\n  eth1: 10 1 0 0 0 0 0 0 20 1 0 0 "
                        "0 0 0 0\n"
            << 1 << "eth1" << quint64(10) << quint64(20);
        QTest::newRow("no trailing newline")
            << Header + "  eth0: 5 1 0 0 0 0 0 0 6 1 0 0 0 0 0 0" << 1 << "eth0" << quint64(5)
            << quint64(6);
        QTest::newRow("header only") << Header << 0 << "" << quint64(0) << quint64(0);
        QTest::newRow("empty") << QByteArray() << -1 << "" << quint64(0) << quint64(0);
        QTest::newRow("not the table")
            << QByteArray("MemTotal: 1 kB\nMemFree: 1 kB\n  eth0: 5 1 0 0 0 0 0 0 6 1 0 0 0 0 0 0\n")
            << -1 << "" << quint64(0) << quint64(0);
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, rows);
        QFETCH(QString, firstName);
        QFETCH(quint64, firstRx);
        QFETCH(quint64, firstTx);
        const auto parsed = NetDevParser::parse(text);
        QCOMPARE(parsed.has_value(), rows >= 0);
        if (rows < 0)
            return;
        QCOMPARE(parsed->size(), rows);
        if (rows == 0)
            return;
        QCOMPARE(parsed->first().name, firstName);
        QCOMPARE(parsed->first().rxBytes, firstRx);
        QCOMPARE(parsed->first().txBytes, firstTx);
    }

    void adapterAddress_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ethernet") << QByteArray("00:0a:95:9d:68:16\n") << 6
                                  << "00-0A-95-9D-68-16";
        QTest::newRow("length 0") << QByteArray("\n") << 0 << "";
        QTest::newRow("length 0, bytes present") << QByteArray("00:0a:95:9d:68:16\n") << 0 << "";
        QTest::newRow("cut to length") << QByteArray("00:0a:95:9d:68:16\n") << 4 << "00-0A-95-9D";
        QTest::newRow("shorter than length") << QByteArray("00:0a\n") << 6 << "";
        QTest::newRow("not hex") << QByteArray("00:zz:95:9d:68:16\n") << 6 << "";
        QTest::newRow("infiniband 20 bytes")
            << QByteArray("80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0b:cb:01\n") << 20
            << "80-00-02-08-FE-80-00-00-00-00-00-00-00-02-C9-03-00-0B-CB-01";
    }
    void adapterAddress()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QCOMPARE(SysNetParser::adapterAddress(file, length), expected);
    }

    void statusAndType_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("oper up") << "oper" << QByteArray("up\n") << qint64(1);
        QTest::newRow("oper down") << "oper" << QByteArray("down\n") << qint64(2);
        QTest::newRow("oper testing") << "oper" << QByteArray("testing\n") << qint64(3);
        QTest::newRow("oper unknown") << "oper" << QByteArray("unknown\n") << qint64(4);
        QTest::newRow("oper dormant") << "oper" << QByteArray("dormant\n") << qint64(5);
        QTest::newRow("oper notpresent") << "oper" << QByteArray("notpresent\n") << qint64(6);
        QTest::newRow("oper lowerlayerdown") << "oper" << QByteArray("lowerlayerdown\n") << qint64(7);
        QTest::newRow("oper garbage") << "oper" << QByteArray("sideways\n") << qint64(4);
        QTest::newRow("admin up") << "admin" << QByteArray("0x1003\n") << qint64(1);
        QTest::newRow("admin down") << "admin" << QByteArray("0x1002\n") << qint64(2);
        QTest::newRow("admin garbage") << "admin" << QByteArray("up\n") << qint64(0);
        QTest::newRow("speed gigabit") << "speed" << QByteArray("1000\n") << qint64(1000000000);
        QTest::newRow("speed 10G") << "speed" << QByteArray("10000\n") << qint64(10000000000);
        QTest::newRow("speed unknown") << "speed" << QByteArray("-1\n") << qint64(0);
        QTest::newRow("speed empty") << "speed" << QByteArray() << qint64(0);
        QTest::newRow("speed absurd") << "speed" << QByteArray("99999999999999999\n") << qint64(0);
    }
    void statusAndType()
    {
        QFETCH(QString, what);
        QFETCH(QByteArray, file);
        QFETCH(qint64, expected);
        if (what == "oper")
            QCOMPARE(qint64(SysNetParser::operationalStatus(file)), expected);
        else if (what == "admin")
            QCOMPARE(qint64(SysNetParser::adminStatus(file)), expected);
        else
            QCOMPARE(SysNetParser::speedBitsPerSecond(file), expected);
    }

    void interfaceType_data()
    {
        QTest::addColumn<int>("arphrd");
        QTest::addColumn<bool>("wireless");
        QTest::addColumn<int>("expected");
        QTest::newRow("ethernet") << 1 << false << 6;
        QTest::newRow("wireless") << 1 << true << 71;
        QTest::newRow("loopback") << 772 << false << 24;
        QTest::newRow("ppp") << 512 << false << 23;
        QTest::newRow("tun/wireguard") << 65534 << false << 131;
        QTest::newRow("gre") << 778 << false << 131;
        QTest::newRow("can bus, unmapped") << 280 << false << 1;
    }
    void interfaceType()
    {
        QFETCH(int, arphrd);
        QFETCH(bool, wireless);
        QFETCH(int, expected);
        QCOMPARE(SysNetParser::interfaceType(arphrd, wireless), expected);
    }

    void collection()
    {
        CInterfaces list;
        for (const char* name : {"a", "b", "c"}) {
            auto item = std::make_unique<CInterface>();
            item->setInterfaceName(QString::fromLatin1(name));
            CInterface& added = list.Add(std::move(item));
            QVERIFY(!item); // taken over
            QCOMPARE(added.InterfaceName(), QString::fromLatin1(name));
        }
        QCOMPARE(list.Count(), 3);
        QVERIFY(!list.Item(0));
        QVERIFY(!list.Item(4));
        list.Remove(2);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.Item(1)->InterfaceName(), QStringLiteral("a"));
        QCOMPARE(list.Item(2)->InterfaceName(), QStringLiteral("c"));
        list.Remove(3);
        QCOMPARE(list.Count(), 2);
        QStringList order;
        for (const auto& item : list)
            order.append(item->InterfaceName());
        QCOMPARE(order, QStringList({"a", "c"}));
    }

    void newInterfaceIsEmpty()
    {
        const CInterface fresh;
        for (const QString& p : propertyList(fresh)) {
            const QString value = p.section(QLatin1Char('='), 1);
            QVERIFY2(value.isEmpty() || value == "0" || value == "zero", qPrintable(p));
        }
    }

    void twoRows()
    {
        RecordingMessages messages;
        CIpHelper helper(messages, netFixture("two_rows/proc_net_dev"),
                         netFixture("two_rows/sys_class_net"));
        QCOMPARE(helper.BytesReceived(), 0);
        const auto interfaces = helper.Interfaces();
        QCOMPARE(interfaces->Count(), 2);
        QCOMPARE(interfaces->Item(1)->InterfaceName(), QStringLiteral("eth0"));
        QCOMPARE(helper.BytesReceived(), 3500);
        QCOMPARE(helper.BytesSent(), 1000);
        QVERIFY(messages.texts.isEmpty());
    }

    void properties_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ethernet")
            << "two_rows" << 1
            << QStringList{"InterfaceDescription=eth0", "OutputQueueLength=1000",
                           "OutgoingErrors=3", "DiscardedOutgoingPackets=4",
                           "NonunicastPacketsSent=0", "UnicastPacketsSent=10", "OctetsSent=400",
                           "UnknownProtocolPackets=7", "IncomingErrors=1",
                           "DiscardedIncomingPackets=2", "NonunicastPacketsReceived=5",
                           "MaximumTransmissionUnit=1500", "UnicastPacketsReceived=15",
                           "OctetsReceived=1000", "LastChange=zero", "OperationalStatus=1",
                           "AdminStatus=1", "AdapterAddress=00-0A-95-9D-68-16",
                           "Speed=1000000000", "InterfaceType=6", "InterfaceIndex=2",
                           "InterfaceName=eth0"};
        QTest::newRow("wireless, alias, 64-bit counters")
            << "mixed" << 1
            << QStringList{"InterfaceDescription=Kitchen Wi-Fi", "OutputQueueLength=1000",
                           "OutgoingErrors=1", "DiscardedOutgoingPackets=0",
                           "NonunicastPacketsSent=0", "UnicastPacketsSent=2500000",
                           "OctetsSent=3000000000", "UnknownProtocolPackets=0",
                           "IncomingErrors=0", "DiscardedIncomingPackets=12",
                           "NonunicastPacketsReceived=2000", "MaximumTransmissionUnit=1500",
                           "UnicastPacketsReceived=2998000", "OctetsReceived=4294967296",
                           "LastChange=zero", "OperationalStatus=5", "AdminStatus=1",
                           "AdapterAddress=3C-A9-F4-0B-C1-7E", "Speed=0", "InterfaceType=71",
                           "InterfaceIndex=3", "InterfaceName=wlp2s0"};
        QTest::newRow("tunnel without address, down")
            << "mixed" << 2
            << QStringList{"InterfaceDescription=wg0", "OutputQueueLength=500",
                           "OutgoingErrors=0", "DiscardedOutgoingPackets=7",
                           "NonunicastPacketsSent=0", "UnicastPacketsSent=1000000",
                           "OctetsSent=2000000000", "UnknownProtocolPackets=0",
                           "IncomingErrors=2", "DiscardedIncomingPackets=0",
                           "NonunicastPacketsReceived=0", "MaximumTransmissionUnit=1420",
                           "UnicastPacketsReceived=4000000", "OctetsReceived=5000000000",
                           "LastChange=zero", "OperationalStatus=4", "AdminStatus=2",
                           "AdapterAddress=", "Speed=0", "InterfaceType=131",
                           "InterfaceIndex=5", "InterfaceName=wg0"};
        QTest::newRow("most sys files missing")
            << "mixed" << 3
            << QStringList{"InterfaceDescription=ppp0", "OutputQueueLength=0",
                           "OutgoingErrors=0", "DiscardedOutgoingPackets=0",
                           "NonunicastPacketsSent=0", "UnicastPacketsSent=1", "OctetsSent=100",
                           "UnknownProtocolPackets=0", "IncomingErrors=0",
                           "DiscardedIncomingPackets=0", "NonunicastPacketsReceived=0",
                           "MaximumTransmissionUnit=0", "UnicastPacketsReceived=9",
                           "OctetsReceived=900", "LastChange=zero", "OperationalStatus=7",
                           "AdminStatus=0", "AdapterAddress=", "Speed=0", "InterfaceType=23",
                           "InterfaceIndex=9", "InterfaceName=ppp0"};
    }
    void properties()
    {
        QFETCH(QString, fixture);
        QFETCH(int, position);
        QFETCH(QStringList, expected);
        RecordingMessages messages;
        CIpHelper helper(messages, netFixture(fixture + "/proc_net_dev"),
                         netFixture(fixture + "/sys_class_net"));
        const auto interfaces = helper.Interfaces();
        QVERIFY(interfaces->Item(position));
        QCOMPARE(propertyList(*interfaces->Item(position)), expected);
    }

    void totals_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("rows");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("sent");
        // 4294967296 + 5000000000 + 900 and 3000000000 + 2000000000 + 100
        QTest::newRow("64-bit sums") << "mixed/proc_net_dev" << 3 << qint64(9294968196)
                                     << qint64(5000000100);
        // 1000 * (1 + ... + 45) and 10 * (1 + ... + 45)
        QTest::newRow("45 rows") << "many/proc_net_dev" << 45 << qint64(1035000) << qint64(10350);
        QTest::newRow("no rows") << "empty_table_proc_net_dev" << 0 << qint64(0) << qint64(0);
    }
    void totals()
    {
        QFETCH(QString, table);
        QFETCH(int, rows);
        QFETCH(qint64, received);
        QFETCH(qint64, sent);
        RecordingMessages messages;
        CIpHelper helper(messages, netFixture(table), netFixture("nowhere"));
        QCOMPARE(helper.Interfaces()->Count(), rows);
        QCOMPARE(helper.BytesReceived(), received);
        QCOMPARE(helper.BytesSent(), sent);

        CIpHelper cheap(messages, netFixture(table), netFixture("nowhere"));
        QCOMPARE(cheap.ReadTotals(), rows);
        QCOMPARE(cheap.BytesReceived(), received);
        QCOMPARE(cheap.BytesSent(), sent);
        QVERIFY(messages.texts.isEmpty());
    }

    void everyGetRereads()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString dev = dir.filePath("dev");
        writeFile(dev, Header + "  eth0: 100 1 0 0 0 0 0 0 10 1 0 0 0 0 0 0\n");
        RecordingMessages messages;
        CIpHelper helper(messages, dev, dir.filePath("sys"));
        const auto first = helper.Interfaces();
        QCOMPARE(helper.BytesReceived(), 100);

        writeFile(dev, Header + "  eth0: 300 1 0 0 0 0 0 0 30 1 0 0 0 0 0 0\n"
                                "  eth1: 5 1 0 0 0 0 0 0 7 1 0 0 0 0 0 0\n");
        // Totals come from the last read only.
        QCOMPARE(helper.BytesReceived(), 100);
        const auto second = helper.Interfaces();
        QCOMPARE(helper.BytesReceived(), 305);
        QCOMPARE(helper.BytesSent(), 37);
        QCOMPARE(second->Count(), 2);
        // What a caller kept is the old read.
        QCOMPARE(first->Count(), 1);
        QCOMPARE(first->Item(1)->OctetsReceived(), 100);
    }

    void unreadableTableToldOnce()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString dev = dir.filePath("dev");
        RecordingMessages messages;
        CIpHelper helper(messages, dev, dir.filePath("sys"));
        const QStringList once{"IP Helper is not supported by this system."};

        QCOMPARE(helper.Interfaces()->Count(), 0);
        QCOMPARE(helper.ReadTotals(), -1);
        QCOMPARE(helper.Interfaces()->Count(), 0);
        QCOMPARE(helper.BytesReceived(), 0);
        QCOMPARE(messages.texts, once);

        writeFile(dev, Header + "  eth0: 100 1 0 0 0 0 0 0 10 1 0 0 0 0 0 0\n");
        QCOMPARE(helper.ReadTotals(), 1);
        QCOMPARE(helper.BytesReceived(), 100);
        QCOMPARE(messages.texts, once);

        // A table that turns to garbage after a good read: told again, totals 0.
        writeFile(dev, "garbage\n");
        QCOMPARE(helper.ReadTotals(), -1);
        QCOMPARE(helper.BytesReceived(), 0);
        QCOMPARE(helper.ReadTotals(), -1);
        QCOMPARE(messages.texts, once + once);
    }

    void realSystem()
    {
        // Whatever this machine has: loopback at least, and totals that match the rows.
        RecordingMessages messages;
        CIpHelper helper(messages);
        const auto interfaces = helper.Interfaces();
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(interfaces->Count() >= 1);
        qint64 received = 0;
        bool sawLoopback = false;
        for (const auto& item : *interfaces) {
            received += item->OctetsReceived();
            QVERIFY2(item->InterfaceIndex() > 0, qPrintable(item->InterfaceName()));
            QVERIFY(item->MaximumTransmissionUnit() > 0);
            if (item->InterfaceName() == "lo") {
                sawLoopback = true;
                QCOMPARE(item->InterfaceType(), 24);
            }
        }
        QVERIFY(sawLoopback);
        QCOMPARE(helper.BytesReceived(), received);
        QVERIFY(helper.ReadTotals() >= 1);
        QVERIFY(helper.BytesReceived() >= received); // counters only grow
    }
};

QTEST_GUILESS_MAIN(TestInterfaces)
#include "tst_interfaces.moc"
