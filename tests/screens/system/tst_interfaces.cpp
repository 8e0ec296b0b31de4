#include "SystemTestDoubles.h"

#include "platform/linux/LinuxInterfaceTable.h"
#include "screens/system/CIpHelper.h"

#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
QString told(const QString& reason)
{
    return u"Cannot read the network interface statistics: "_s + reason + u"."_s;
}

// Name, address, then index type speed mtu oper admin queue, received octets unicast
// nonunicast discarded errors unknown, sent octets unicast nonunicast discarded errors, and
// the description. LastChange is always the zero date.
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

// A table that hands out the rows it is given, and counts what it was asked.
struct GivenTable : InterfaceTable
{
    std::optional<QList<InterfaceRow>> read(Detail detail, QString* error) const override
    {
        ++(detail == Detail::Counters ? counterReads : attributeReads);
        if (!rows && error)
            *error = QStringLiteral("no table here");
        return rows;
    }
    std::optional<QList<InterfaceRow>> rows;
    mutable int counterReads = 0;
    mutable int attributeReads = 0;
};

constexpr quint64 Top = std::numeric_limits<quint64>::max();
constexpr qint64 TopCount = std::numeric_limits<qint64>::max();
} // namespace

class TestInterfaces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fixtures_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("totals");    // rows, octets received, octets sent
        QTest::addColumn<QStringList>("items"); // from the first; "": not compared
        QTest::newRow("ethernet") << "two_rows" << u"2 1000 400"_s
                                  << QStringList{"eth0 00-0A-95-9D-68-16 2 6 1000000000 1500 1 1 "
                                                 "1000 1000 15 5 2 1 7 400 10 0 4 3 eth0"};
        // 4294967296 + 5000000000 + 900 and 3000000000 + 2000000000 + 100
        QTest::newRow("tunnel down, sys files missing, 64 bits")
            << "mixed" << u"3 9294968196 5000000100"_s
            << QStringList{"", "wg0  5 131 0 1420 4 2 500 5000000000 4000000 0 0 2 0 2000000000 "
                               "1000000 0 7 0 wg0"};
    }
    void fixtures()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, totals);
        QFETCH(QStringList, items);
        RecordingMessages messages;
        const LinuxInterfaceTable table(dataPath("net/" + fixture + "/proc_net_dev"),
                                        dataPath("net/" + fixture + "/sys_class_net"));
        CIpHelper helper(messages, table);
        const int rows = helper.readTotals();
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(rows)
                     .arg(helper.BytesReceived())
                     .arg(helper.BytesSent()),
                 totals);
        const auto interfaces = helper.Interfaces();
        QCOMPARE(interfaces->Count(), rows);
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(items[i].isEmpty() ? "" : properties(*interfaces->Item(i + 1)), items[i]);
        QVERIFY(messages.texts.isEmpty());
    }

    void everyGetRereads()
    {
        QTemporaryDir dir;
        const QString dev = dir.filePath("dev");
        RecordingMessages messages;
        const LinuxInterfaceTable table(dev, dir.filePath("sys"));
        CIpHelper helper(messages, table);
        // No table: told once, not once a second.
        QCOMPARE(helper.Interfaces()->Count(), 0);
        QCOMPARE(helper.readTotals(), -1);
        // The message names the file that failed.
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts[0].startsWith(told("cannot open " + dev).chopped(1)));

        QVERIFY(writeFile(dev, NetDevHeader + " eth0: 100 1 0 0 0 0 0 0 10 1 0 0 0 0 0 0\n"));
        const auto first = helper.Interfaces();
        // A short row and one with a bad number are skipped; a number may touch the colon.
        QVERIFY(writeFile(dev, NetDevHeader +
                                   " eth0: 300 1 0 0 0 0 0 0 30 1 0 0 0 0 0 0\n"
                                   " bad0: 1 2 3\n bad1: 1 2 x 0 0 0 0 0 1 1 0 0 0 0 0 0\n"
                                   "eth1:5 1 0 0 0 0 0 0 7 1 0 0 0 0 0 0\n"));
        QCOMPARE(helper.Interfaces()->Count(), 2);
        QCOMPARE(helper.BytesReceived(), 305);
        QCOMPARE(helper.BytesSent(), 37);
        QCOMPARE(first->Item(1)->OctetsReceived(), 100); // what a caller kept stays

        // Garbage after a good read: told again, totals 0.
        QVERIFY(writeFile(dev, "garbage\n"));
        QCOMPARE(helper.readTotals(), -1);
        QCOMPARE(helper.readTotals(), -1);
        QCOMPARE(helper.BytesReceived(), 0);
        QCOMPARE(messages.texts.mid(1),
                 QStringList{told(dev + " is not an interface statistics table")});
    }

    // Counters the kernel keeps as unsigned 64-bit values never turn negative, and
    // totals stick at the top instead of wrapping round.
    void counterLimits_data()
    {
        QTest::addColumn<quint64>("rxBytes");   // of both rows
        QTest::addColumn<quint64>("packets");   // received, of the first row
        QTest::addColumn<quint64>("multicast"); // received, of the first row
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("octets"); // received, of the first row
        QTest::addColumn<qint64>("unicast");
        QTest::newRow("more multicast than packets")
            << quint64(1) << quint64(3) << quint64(10) << qint64(2) << qint64(1) << qint64(0);
        QTest::newRow("above the signed range")
            << (Top / 2 + 1) << Top << quint64(0) << TopCount << TopCount << TopCount;
    }
    void counterLimits()
    {
        QFETCH(quint64, rxBytes);
        QFETCH(quint64, packets);
        QFETCH(quint64, multicast);
        QFETCH(qint64, total);
        QFETCH(qint64, octets);
        QFETCH(qint64, unicast);
        GivenTable table;
        QList<InterfaceRow> rows(2);
        rows[0].rxBytes = rows[1].rxBytes = rxBytes;
        rows[0].rxPackets = packets;
        rows[0].rxMulticast = multicast;
        rows[0].txBytes = 5;
        rows[1].txBytes = 7;
        table.rows = rows;
        RecordingMessages messages;
        CIpHelper helper(messages, table);
        const auto interfaces = helper.Interfaces();
        QCOMPARE(helper.BytesReceived(), total);
        QCOMPARE(helper.BytesSent(), 12);
        QCOMPARE(interfaces->Item(1)->OctetsReceived(), octets);
        QCOMPARE(interfaces->Item(1)->UnicastPacketsReceived(), unicast);
        QCOMPARE(interfaces->Item(1)->NonunicastPacketsReceived(), qint64(multicast));
    }

    // The every-second refresh reads only the counters; the collection asks for the
    // attributes, and a failure either way is one run of failures.
    void detailAsked()
    {
        GivenTable table;
        RecordingMessages messages;
        CIpHelper helper(messages, table);
        QCOMPARE(helper.readTotals(), -1);
        QCOMPARE(helper.Interfaces()->Count(), 0);
        QCOMPARE(messages.messages,
                 QList<UserMessage>({{told(u"no table here"_s), MessageSeverity::Warning,
                                      MessageCategory::Network}}));
        table.rows = QList<InterfaceRow>(1);
        QCOMPARE(helper.readTotals(), 1);
        QCOMPARE(helper.readTotals(), 1);
        QCOMPARE(table.counterReads, 3);
        QCOMPARE(table.attributeReads, 1);
    }
};

QTEST_GUILESS_MAIN(TestInterfaces)
#include "tst_interfaces.moc"
