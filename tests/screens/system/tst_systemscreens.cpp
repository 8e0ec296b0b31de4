#include "platform/UserMessage.h"
#include "platform/linux/LinuxHostLookup.h"
#include "platform/linux/LinuxInterfaceTable.h"
#include "platform/linux/LinuxInternetState.h"
#include "platform/linux/LinuxSensors.h"
#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/IPMod.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/system/modSpeedFan.h"
#include "support/FixedClock.h"

#include <QtTest>

#include <atomic>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using Figures = QList<quint64>;
using namespace Qt::StringLiterals;

namespace {
struct RecordingMessages : MessageSink
{
    void showMessage(const UserMessage& m) override
    {
        texts.append(m.severity == MessageSeverity::Critical ? "critical: " + m.text : m.text);
    }
    void requestFatalEnd() override { texts.append(u"the end"_s); }
    QStringList texts;
};

struct ScriptedHost : HostLookup
{
    explicit ScriptedHost(QByteArray hostName = "brellixbox") : name(std::move(hostName)) {}
    bool hostName(QByteArray& out, int& error) const override
    {
        out = name;
        error = hostNameError;
        return hostNameError == 0;
    }
    int resolveIPv4(const QByteArray&, QList<QByteArray>& out) const override
    {
        ++started;
        if (slow) // no answer until the test lets it, or after 5 s
            released.tryAcquire(1, 5000);
        out = addresses;
        return resolveError;
    }
    QByteArray interfaceIPv4(const QString& name) const override
    {
        return name == routeInterface ? routeAddress : QByteArray();
    }
    QString defaultRouteInterface() const override { return routeInterface; }

    QByteArray name;
    int hostNameError = 0;
    QList<QByteArray> addresses{QByteArray::fromHex("c0a8010a")};
    int resolveError = 0;
    QString routeInterface;
    QByteArray routeAddress;
    bool slow = false;
    mutable QSemaphore released;
    mutable std::atomic<int> started{0};
};

const QByteArray NetDevHeader =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n";

QByteArray readData(const QString& name)
{
    QFile f(QStringLiteral(BRELLIX_TEST_DATA "/system/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path); // unbuffered: /proc takes a text only whole, in one write(2)
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) &&
           f.write(content) == content.size();
}

// A private /sys/class for a hwmon tree of our own, without CAP_SYS_ADMIN in a user namespace
// (setgroups denied first, or gid_map is refused). Before any thread starts; returns why not.
QString privateSysClass()
{
#ifndef BRELLIX_HAVE_SENSORS
    return u"built without libsensors"_s;
#endif
    const QByteArray uid = QByteArray::number(geteuid()), gid = QByteArray::number(getegid());
    if (unshare(CLONE_NEWNS) != 0 && (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
                                      !writeFile("/proc/self/setgroups", "deny") ||
                                      !writeFile("/proc/self/uid_map", "0 " + uid + " 1") ||
                                      !writeFile("/proc/self/gid_map", "0 " + gid + " 1")))
        return u"no user and mount namespace: "_s + qt_error_string();
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/sys/class", "tmpfs", 0, "mode=0755,size=1m") != 0)
        return u"no private /sys/class: "_s + qt_error_string();
    return QString();
}

// The screen on copies of /proc/stat and /proc/meminfo, brellix.ini and a SpeedFan folder.
struct CpuRig
{
    explicit CpuRig(CpuInfoScreen::OpenSensors openSensors = nullptr)
        : screen(
              lines, sink, [this] { return SensorSettings::load(ini); }, clock, cpuTimes, memory,
              std::move(openSensors))
    {
        QDir().mkpath(folder);
        writeFile(dir.filePath("meminfo"), readData("cpu/meminfo"));
        writeFile(dir.filePath("stat"), readData("cpu/stat-before"));
    }
    // Line 1 after the screen read the stat fixture given (none: an empty file).
    QByteArray show(const QString& stat)
    {
        if (writeFile(dir.filePath("stat"), stat.isEmpty() ? "" : readData("cpu/" + stat)))
            screen.ShowCpuInfo();
        return lines.line(0);
    }
    QByteArray choose()
    {
        screen.enter();
        screen.ShowCpuInfo();
        return lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3);
    }

    QTemporaryDir dir;
    const QString folder = dir.filePath("speedfan");
    modINI ini{dir.filePath("brellix.ini")};
    RecordingMessages sink;
    ScreenLines lines;
    FixedClock clock{QDateTime(QDate(2007, 3, 3), QTime(14, 30))}; // the fixture logs' day
    const ProcStatReader cpuTimes{dir.filePath("stat")};
    const ProcMemInfoReader memory{dir.filePath("meminfo")};
    CpuInfoScreen screen;
};

const IPMod::Runner AtOnce = [](std::function<void()> job) { job(); };

// The screen on a table rewritten at each refresh, on a host named with a byte that is no
// character, longer than a line.
struct NetRig : InternetState
{
    bool connected = true;
    bool isConnected() const override { return connected; }
    QTemporaryDir dir;
    const QString dev = dir.filePath("dev");
    RecordingMessages messages;
    ScreenLines lines;
    LinuxInterfaceTable table{dev, dir.filePath("sys")};
    CIpHelper helper{messages, table};
    std::shared_ptr<const HostLookup> host =
        std::make_shared<ScriptedHost>("a\376bcdefghijklmnopqrstuvwx");
    NetworkInfoScreen screen{lines, messages, *this, helper, host, AtOnce};
    // Octets received and sent, split over two rows; -1: offline, no table.
    QByteArray show(qint64 received, qint64 sent)
    {
        connected = received >= 0;
        const QByteArray table = NetDevHeader + " eth0: " + QByteArray::number(received - 1) +
                                 " 1 0 0 0 0 0 0 " + QByteArray::number(sent - 1) +
                                 " 1 0 0 0 0 0 0\n eth1: 1 1 0 0 0 0 0 0 1 1 0 0 0 0 0 0\n";
        if (writeFile(dev, received < 0 ? "garbage\n" : table))
            screen.ShowNetworkInfo();
        return lines.line(0) + '|' + lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3);
    }
};
} // namespace

class tst_SystemScreens : public QObject
{
    Q_OBJECT

    const QString m_noTree; // why there is no hwmon tree of our own

public:
    explicit tst_SystemScreens(QString noTree) : m_noTree(std::move(noTree)) {}

private Q_SLOTS:
    // Processor total = user+nice+system+idle+iowait+irq+softirq+steal, idle = idle+iowait, of
    // four counters or more. Available memory: MemAvailable, or free + buffers + cached.
    void texts()
    {
        const auto t = ProcStatReader::parse("cpu0 4294967296 0 0 1\n", 0);
        QCOMPARE((t ? Figures{t->total, t->idle} : Figures()), Figures({4294967297, 1}));
        const auto memory = [](const QByteArray& text) { // total and available; none past 64 bits
            const auto m = ProcMemInfoReader::parse(text);
            return m ? Figures{m->totalBytes, m->availableBytes} : Figures();
        };
        QCOMPARE(memory(readData("cpu/meminfo-old")), Figures({2101698560, 1059536896}));
        QCOMPARE(memory("MemTotal: 18014398509481984 kB\nMemAvailable: 1 kB\n"), Figures());
        // 18014398509481983 kB is 0xFFFFFFFFFFFFFC00 bytes: another kB stops at the top.
        QCOMPARE(memory("MemTotal: 8388608 kB\nMemFree: 18014398509481983 kB\nBuffers: 1 kB\n"),
                 Figures({8589934592, 0xFFFFFFFFFFFFFFFF}));

        // CPU: two samples (total, idle), halves away from zero. Memory: total and available
        // bytes in units of 1043321, halves to even.
        const struct
        {
            Figures f;
            QByteArray text;
        } texts[] = {
            {{1000, 500, 1200, 675}, "CPU:13%"},
            {{1000, 500, 1000, 500}, ""},         // no time passed
            {{1000, 500, 1100, 498}, "CPU:100%"}, // iowait stepped back
            {{8346568, 7303247}, "MEM:12%"},      // 8 units, 7 and 5 available
            {{8346568, 5216605}, "MEM:38%"},
            {{34359738368, 8589934592}, "MEM:75%"}, // 32933 and 8233 units; 0 cut to 32 bits
            {{8346568, 9389889}, "MEM:0%"},         // more available than total
        };
        for (const auto& r : texts) {
            QByteArray got;
            if (r.f.size() == 2)
                got = MemMod::memoryText(r.f[0], r.f[1]);
            else if (const auto p = CPUStat::busyPercent({r.f[0], r.f[1]}, {r.f[2], r.f[3]}))
                got = CPUStat::cpuText(*p);
            QCOMPARE(got, r.text);
        }

        // Lines 2 to 4 of a sensor table, from the name and value of each slot.
        const auto sensorLines = [](const QStringList& slots) {
            SensorTable table;
            for (int k = 1; k <= 5; ++k) {
                table.SensorNames[k] = slots[2 * k - 2];
                table.SensorValues[k] = slots[2 * k - 1];
            }
            const std::array<QByteArray, 3> got = CpuInfoScreen::sensorLines(table);
            return got[0] + '|' + got[1] + '|' + got[2];
        };
        // Values cut, not rounded.
        QCOMPARE(sensorLines({"A", "8.5", "B", "105.0", "C", "45.9", "D", "44.0", "Fan", "12000"}),
                 "A:8.\337C B:10\337C |C:45\337C D:44\337C |Fan:1200 rpm");
        // A fan in slot 4, a nameless slot 3: the temperature in slot 5 wins.
        QCOMPARE(sensorLines({"A", "40.0", "B", "41.0", "", "42.0", "Fan", "2410", "E", "9.0"}),
                 "A:40\337C B:41\337C ||E:9.\337C ");
    }

    // Processor load from two samples, afresh when the mode is chosen again or after a
    // failure; a failure is logged once, not every second.
    void firstLine()
    {
        CpuRig rig;
        rig.screen.enter();
        QCOMPARE(rig.show("stat-before"), QByteArray(" MEM:4%"));
        QCOMPARE(rig.show("stat-after") + '|' + rig.lines.line(1),
                 "CPU:48% MEM:4%|No Sensors Found");
        rig.show("stat-before");
        rig.screen.enter();
        QCOMPARE(rig.show("stat-after"), QByteArray(" MEM:4%"));

        rig.show("stat-before");
        QVERIFY(QFile::remove(rig.dir.filePath("meminfo")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^memory load unavailable"));
        QTest::failOnWarning(QRegularExpression(".*"));
        for (const char* stat : {"", "", "stat-after"})
            QCOMPARE(rig.show(stat), QByteArray(" "));
        // Working again in between: the next failure is news again.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        rig.show({});

        // Processor figures gone at the next selection: told, and the program ends.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        rig.screen.enter();
        // No sensors: said once.
        QCOMPARE(rig.sink.texts.mid(1), QStringList({"critical: OpenQuery failed", "the end"}));
    }

    // libsensors on a hwmon tree of our own, or SpeedFan's log when its folder holds one;
    // libsensors starts once (it holds process-wide state and scans every chip when it starts).
    void sensorSources()
    {
        if (!m_noTree.isEmpty())
            QSKIP(qPrintable(m_noTree));
        const QString hwmon0 = u"/sys/class/hwmon/hwmon0/"_s;
        QVERIFY(QDir().mkpath(hwmon0));
        for (const QString file :
             {"name=fake", "temp1_input=45500", "temp1_label=CPU", "temp2_input=38000",
              "temp3_input=-40", "temp4_input=51200", "temp5_input=60000", "fan1_input=2410",
              "fan2_input=1200", "in0_input=1520"})
            QVERIFY(writeFile(hwmon0 + file.section('=', 0, 0),
                              file.section('=', 1).toLatin1() + '\n'));
        QStringList opened;
        CpuRig rig([&opened](const QString& configFile) -> std::unique_ptr<HardwareSensors> {
            opened.append(configFile);
            return std::make_unique<LinuxSensors>(configFile);
        });
        const QString conf = rig.dir.filePath("sensors.conf");
        const QString log = rig.folder + "/SFLog20070303.csv";
        const QByteArray ini = "[SpeedFan]\nFolder=" + QFile::encodeName(rig.folder) +
                               "\n[Sensors]\nConfig=" + QFile::encodeName(conf) + "\nName1=Chip\n";
        const QByteArray threeColumns = "Seconds\tTemp1\tTemp2\tFan1\r\n123\t45.5\t38.0\t2410\r\n";
        const QByteArray speedFan = "Temp1:45\337C Temp2:38\337||Fan1:2410 rpm";
        QVERIFY(writeFile(conf,
                          "chip \"fake-*\"\n label temp2 \"Board\"\n compute temp3 @+10, @-10\n"));
        QVERIFY(writeFile(rig.ini.path(), ini) && writeFile(log, threeColumns));
        QCOMPARE(rig.choose(), speedFan);
        QVERIFY(opened.isEmpty());

        // The first four temperatures and the first fan; the voltage is no candidate.
        QVERIFY(QFile::remove(log));
        QCOMPARE(rig.choose(),
                 "Chip:45\337C Board:38\337C|temp3:10\337C temp4:51\337|fan1:2410 rpm");
        // A sensor that stops answering keeps its last value, logged once until read again.
        const QString temp1 = hwmon0 + "temp1_input";
        QTest::failOnWarning(QRegularExpression(".*"));
        QVERIFY(QFile::remove(temp1));
        QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
        rig.screen.ShowCpuInfo();
        rig.screen.ShowCpuInfo();
        QVERIFY(writeFile(temp1, "40000\n"));
        rig.screen.ShowCpuInfo();
        QVERIFY(QFile::remove(temp1));
        QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
        rig.screen.ShowCpuInfo();
        QVERIFY(rig.lines.line(1).startsWith("Chip:40"));

        // SpeedFan's log of three columns: slots 4 and 5 lose lm-sensors' last readings.
        QVERIFY(writeFile(log, threeColumns));
        QCOMPARE(rig.choose(), speedFan);

        // Chosen slots: by chip name or pattern, named; a voltage is refused.
        QVERIFY(QFile::remove(log) &&
                writeFile(rig.ini.path(),
                          ini + "Sensor1 = fake-virtual-0/temp2\nSensor2=coretemp\n"
                                "sensor3=fake-*/fan2\nName3=Pump\nSensor4=fake-*/in0\n"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Sensor2 = \"coretemp\" is not"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Sensor4: no temperature or fan"));
        QCOMPARE(rig.choose(), "Chip:38\337C ||Pump:1200 rpm");
        QCOMPARE(opened, QStringList{conf});
        QVERIFY(rig.sink.texts.isEmpty());
    }

    // The CR LF of the last line goes, the NULs of the 256-byte block after it stay; slots a
    // line does not reach keep what they held.
    void speedFanLog()
    {
        const QString old = u"o1,o2,o3,o4,o5"_s; // slots 1 to 5 before the read
        const struct
        {
            QByteArray log;   // null: no log for today
            QString expected; // names|values; the values old: the read failed
        } rows[] = {
            // The first 256 bytes of a longer last line.
            {"Seconds\tTemp1\tTemp2\r\n100\t" + QByteArray(300, 'A') + "\t2.0\r\n",
             "Temp1,Temp2,o3,o4,o5|" + QString(252, u'A') + ",o2,o3,o4,o5"},
            // Only the last field is trimmed.
            {"Seconds\t Temp1 \t Fan1 \r\n6\t 45.0 \t 2380 \r\n7\t 45.5 \t 2410 \r\n",
             " Temp1 ,Fan1,o3,o4,o5| 45.5 ,2410 " + QString(239, QChar(0)) + ",o3,o4,o5"},
            {"Seconds\tTemp1\tTemp2\r\n", "Temp1,Temp2,o3,o4,o5|" + old},
            {"", ",o2,o3,o4,o5|" + old},
            {QByteArray(), old + '|' + old},
            // A title of 32767 bytes: not a log.
            {"Seconds\tTemp1\t" + QByteArray(32753, 'x'), old + '|' + old},
        };
        const auto column = [](const auto& a) {
            return QStringList(a.begin() + 1, a.end()).join(',');
        };
        for (const auto& r : rows) {
            CpuRig rig;
            QVERIFY(r.log.isNull() || writeFile(rig.folder + "/SFLog20070303.csv", r.log));
            modSpeedFan reader(rig.folder, rig.clock);
            SensorTable table;
            for (int k = 1; k <= 5; ++k)
                table.SensorNames[k] = table.SensorValues[k] = u"o%1"_s.arg(k);
            const bool read = !r.expected.endsWith('|' + old);
            if (!read)
                QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^SpeedFan readings"));
            QCOMPARE(reader.ReadSpeedFanLog(table), read);
            QCOMPARE(column(table.SensorNames) + '|' + column(table.SensorValues), r.expected);
        }
    }

    void interfaceTable()
    {
        const struct
        {
            QString fixture;
            int item;
            // Rows, octets received and sent, items; the item's name, address, index type speed
            // mtu oper admin queue, received octets unicast nonunicast discarded errors unknown,
            // sent octets unicast nonunicast discarded errors, description.
            QString expected;
        } rows[] = {
            {"two_rows", 1,
             "2 1000 400 2 eth0 00-0A-95-9D-68-16 2 6 1000000000 1500 1 1 1000 1000 15 5 2 1 7 400 "
             "10 0 4 3 eth0"},
            // A tunnel that is down, sys files missing, totals beyond 32 bits.
            {"mixed", 2,
             "3 9294968196 5000000100 3 wg0  5 131 0 1420 4 2 500 5000000000 4000000 0 0 2 0 "
             "2000000000 1000000 0 7 0 wg0"},
            // Unsigned 64-bit counters never turn negative, totals stick at the top; a short row
            // and a bad number are skipped; a number touching the colon; more multicast.
            {"overflow", 2,
             "2 9223372036854775807 37 2 eth1  0 0 0 0 0 0 0 9223372036854775807 0 10 0 0 0 7 1 0 "
             "0 0 eth1"},
        };
        for (const auto& r : rows) {
            RecordingMessages messages;
            const QString net = QStringLiteral(BRELLIX_TEST_DATA "/system/net/") + r.fixture;
            const LinuxInterfaceTable table(net + "/proc_net_dev", net + "/sys_class_net");
            CIpHelper helper(messages, table);
            const auto interfaces = helper.Interfaces();
            const CInterface& i = *interfaces->Item(r.item);
            QString got;
            QDebug(&got).noquote()
                << helper.readTotals() << helper.BytesReceived() << helper.BytesSent()
                << interfaces->Count() << i.InterfaceName() << i.AdapterAddress()
                << i.InterfaceIndex() << i.InterfaceType() << i.Speed()
                << i.MaximumTransmissionUnit() << i.OperationalStatus() << i.AdminStatus()
                << i.OutputQueueLength() << i.OctetsReceived() << i.UnicastPacketsReceived()
                << i.NonunicastPacketsReceived() << i.DiscardedIncomingPackets()
                << i.IncomingErrors() << i.UnknownProtocolPackets() << i.OctetsSent()
                << i.UnicastPacketsSent() << i.NonunicastPacketsSent()
                << i.DiscardedOutgoingPackets() << i.OutgoingErrors() << i.InterfaceDescription();
            QCOMPARE(got.chopped(1), r.expected); // QDebug ends with a space
        }
    }

    // Rates from the octets since the last connected refresh; offline, the last rates stay
    // and no table is read. Control bytes of the host name never reach the module.
    void screen()
    {
        NetRig rig;
        // 06 / 07: connected or not, a space, the address.
        const QByteArray on = "a?bcdefghijklmnopqrs|\x06 192.168.1.10|";
        const QByteArray off = "a?bcdefghijklmnopqrs|\x07 192.168.1.10|";
        QCOMPARE(rig.show(-1, -1), off + "|");
        QCOMPARE(rig.show(5000000, 100000), on + "In :5000 kbps|Out:100 kbps");
        QCOMPARE(rig.show(5012345, 100400), on + "In :12.345 kbps|Out:0.4 kbps");
        QCOMPARE(rig.show(-1, -1), off + "In :12.345 kbps|Out:0.4 kbps");
        QCOMPARE(rig.show(5020000, 100400), on + "In :7.655 kbps|Out:0 kbps");
        QCOMPARE(rig.show(5018500, 101000), on + "In :-1.5 kbps|Out:0.6 kbps");
        // A table not the kernel's, one without rows or none shows 0, a failure told once and
        // again after a good read, naming the file; the next good read covers the gap.
        const QByteArray tx = QByteArray(NetDevHeader).replace("Transmit", "Tx") + " eth0: 9 1\n";
        for (const QByteArray& bad : {tx, NetDevHeader, QByteArray()}) {
            QVERIFY(bad.isNull() ? QFile::remove(rig.dev) : writeFile(rig.dev, bad));
            rig.screen.ShowNetworkInfo();
            rig.screen.ShowNetworkInfo();
            QCOMPARE(rig.lines.line(2) + '|' + rig.lines.line(3), "In :0 kbps|Out:0 kbps");
        }
        // Beyond 32 bits; rate lines of exactly 20 and cut at 20.
        QCOMPARE(rig.show(4294968296, 10000102124),
                 on + "In :4289949.796 kbps|Out:10000001.124 kbp");

        // The user's locale; a separator the module cannot show gives way to ".", not "?".
        const auto restore = qScopeGuard([previous = QLocale()] { QLocale::setDefault(previous); });
        QLocale::setDefault(QLocale(QLocale::German));
        QVERIFY(rig.show(4294980641, 10000102524).endsWith("In :12,345 kbps|Out:0,4 kbps"));
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        QVERIFY(rig.show(4294992986, 10000102924).endsWith("In :12.345 kbps|Out:0.4 kbps"));
        const QString told = u"Cannot read the network interface statistics: "_s;
        QCOMPARE(rig.messages.texts,
                 QStringList({told + rig.dev + " is not an interface statistics table.",
                              told + "cannot open " + rig.dev + ": No such file or directory."}));
    }

    // The IPv4 and IPv6 route tables as the kernel writes them: only an up, not rejected
    // default route counts, never one on loopback; of several, the lowest metric wins.
    void defaultRoute()
    {
        const QByteArray zero(32, '0');
        const auto v4 = [](QByteArray iface, QByteArray metric, QByteArray flags = "0003",
                           QByteArray dest = "00000000") {
            return iface + '\t' + dest + "\t0101A8C0\t" + flags + "\t0\t0\t" + metric +
                   "\t00000000\t0\t0\t0\n";
        };
        const auto v6 = [&zero](QByteArray dest, QByteArray prefix, QByteArray flags = "00000001",
                                QByteArray iface = "eth0") {
            return dest + ' ' + prefix + ' ' + zero + " 00 " + zero +
                   " 00000100 00000001 00000000 " + flags + ' ' + iface + '\n';
        };
        const QByteArray head4 = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask"
                                 "\t\tMTU\tWindow\tIRTT\n";
        QTemporaryDir dir;
        const QString v4File = dir.filePath("route"), v6File = dir.filePath("ipv6_route");
        // Connected or not, and the interface of the IPv4 default route.
        const auto read = [&](const QByteArray& ipv4, const QByteArray& ipv6) {
            writeFile(v4File, ipv4);
            writeFile(v6File, ipv6);
            return QString::number(LinuxInternetState(v4File, v6File).isConnected()) + ' ' +
                   LinuxHostLookup(v4File).defaultRouteInterface();
        };
        // Not a default route; down, rejected, on loopback.
        QCOMPARE(read(head4 + v4("eth0", "100", "0001", "0001A8C0") + v4("eth0", "100", "0002") +
                          v4("eth1", "100", "0201") + v4("lo", "0", "0001"),
                      v6(zero, "00", "00200200", "lo")),
                 "0 ");
        // 4294967295, the worst metric, as the kernel prints it.
        QCOMPARE(read(head4 + v4("wlan0", "-1") + v4("eth0", "100") + v4("eth1", "600"), ""),
                 "1 eth0");
        QCOMPARE(read(head4, v6(zero, "00", "00450003")), "1 ");
        // The prefix length not zero, not a number.
        QCOMPARE(read("", v6("20010db8000000000000000000000000", "20") + v6(zero, "zz")), "0 ");

        const LinuxHostLookup real(v4File);
        QList<QByteArray> addresses{"stale"};
        QCOMPARE(real.resolveIPv4("localhost", addresses), 0);
        QCOMPARE(addresses.value(0).toHex() + real.interfaceIPv4("lo").toHex(), "7f0000017f000001");
    }

    void address()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>("  box ");
        IPMod ip(messages, host, 0, AtOnce);
        // The first address the name resolves to; the default route's interface and address.
        const auto ask = [&](QByteArray resolved, const char* route, QByteArray routeAddress) {
            host->addresses = {resolved.first(4), resolved.mid(4)};
            host->routeInterface = route;
            host->routeAddress = QByteArray::fromHex(routeAddress);
            return ip.GetIPAddress();
        };
        QCOMPARE(ask(QByteArray::fromHex("ffff00fe0a000001"), "eth0", "0a000002"), "255.255.0.254");
        // Loopback: the default route's address, if it has one.
        QCOMPARE(ask(QByteArray::fromHex("7f000101"), "eth0", "c0a8010a"), "192.168.1.10");
        QCOMPARE(ask(QByteArray::fromHex("7f000101"), "wg0", ""), "127.0.1.1");

        // Each failure is told once until the call succeeds again, not once a second.
        host->resolveError = -2; // EAI_NONAME
        QCOMPARE(ip.GetIPAddress() + ip.GetIPAddress(), QString());
        host->resolveError = 0;
        QCOMPARE(ip.GetIPAddress(), u"127.0.1.1"_s);
        host->resolveError = -3; // EAI_AGAIN
        QCOMPARE(ip.GetIPAddress(), QString());
        host->hostNameError = 36;
        for (int refresh = 0; refresh < 3; ++refresh) // one refresh asks for both
            QCOMPARE(ip.GetHostName() + ip.GetIPAddress(), QString());
        const QString resolve = u"Cannot look up the address of this computer's name box."_s;
        QCOMPARE(
            messages.texts,
            QStringList({resolve, resolve, "Cannot read this computer's name (system error 36)."}));

        // A resolver that hangs holds neither the refresh nor the end of the screen; one
        // lookup at a time, the last answer standing until the next is in.
        host = std::make_shared<ScriptedHost>();
        host->slow = true;
        {
            // Lookups on a thread of their own. Over stale bytes: no answer is read before one
            // came in.
            alignas(IPMod) std::array<unsigned char, sizeof(IPMod)> stale;
            stale.fill(0xA5);
            IPMod& threaded = *new (stale.data()) IPMod(messages, host);
            const auto end = qScopeGuard([&threaded] { threaded.~IPMod(); });
            QCOMPARE(threaded.GetIPAddress() + threaded.GetIPAddress(), QString());
            QTRY_COMPARE(host->started.load(), 1);
            host->released.release();
            QTRY_COMPARE(threaded.GetIPAddress(), u"192.168.1.10"_s);
            host->name = "renamed"; // looked up at once, not when the answer is old
            QCOMPARE(threaded.GetIPAddress(), u"192.168.1.10"_s);
            QTRY_COMPARE(host->started.load(), 2);
        }
        QCOMPARE(host.use_count(), long(2)); // the worker's share
        host->released.release();
        QTRY_COMPARE(host.use_count(), long(1));
        QCOMPARE(messages.texts.size(), 3);
    }
};

int main(int argc, char* argv[])
{
    const QString noTree = privateSysClass(); // before QCoreApplication, which may start threads
    QCoreApplication app(argc, argv);
    tst_SystemScreens test(noTree);
    return QTest::qExec(&test, argc, argv);
}
#include "tst_systemscreens.moc"
