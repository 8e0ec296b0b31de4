#include "SystemTestDoubles.h"

#include "platform/linux/LinuxSensors.h"
#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/modSpeedFan.h"
#include "support/FixedClock.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using Figures = QList<quint64>;
using namespace Qt::StringLiterals;

namespace {
const QDateTime LogDay(QDate(2007, 3, 3), QTime(14, 30)); // the fixture logs' day
const QString Hwmon = QStringLiteral("/sys/class/hwmon/");

// One write(2) of text to a /proc file, which takes it only whole.
bool writeProcFile(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool ok =
        fd >= 0 && ::write(fd, text.constData(), std::size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Gives this process a private /sys/class, for a hwmon tree of our own. Without
// CAP_SYS_ADMIN (a normal user, or root in a container) it enters a user namespace of its own
// first, where it is root over its own mounts (an unprivileged gid_map is refused while
// setgroups is allowed). Must run before any thread starts. Returns why it failed, or nothing.
QString privateSysClass()
{
    const QByteArray uid = QByteArray::number(geteuid()), gid = QByteArray::number(getegid());
    if (unshare(CLONE_NEWNS) != 0 && (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
                                      !writeProcFile("/proc/self/setgroups", "deny") ||
                                      !writeProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
                                      !writeProcFile("/proc/self/gid_map", "0 " + gid + " 1")))
        return QStringLiteral("no user and mount namespace: ") +
               QString::fromLocal8Bit(std::strerror(errno));
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/sys/class", "tmpfs", 0, "mode=0755,size=1m") != 0)
        return QStringLiteral("no private /sys/class: ") +
               QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

// The screen on copies of /proc/stat and /proc/meminfo, with brellix.ini and a SpeedFan
// folder beside them.
struct Rig
{
    explicit Rig(CpuInfoScreen::OpenSensors openSensors = nullptr)
        : screen(
              lines, sink, [this] { return SensorSettings::load(ini); }, clock, cpuTimes, memory,
              std::move(openSensors))
    {
        QDir().mkpath(folder);
        writeFile(dir.filePath("meminfo"), readData("cpu/meminfo"));
        writeFile(dir.filePath("stat"), readData("cpu/stat-before"));
    }
    // Line 1 after the screen read the stat fixture given (none: an empty file).
    QByteArray show(const char* stat)
    {
        if (!writeFile(dir.filePath("stat"), stat ? readData("cpu/" + QString(stat)) : ""))
            return "cannot write stat";
        screen.ShowCpuInfo();
        return lines.line(0);
    }
    // Lines 2 to 4 when the mode is chosen.
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
    FixedClock clock{LogDay};
    const ProcStatReader cpuTimes{dir.filePath("stat")};
    const ProcMemInfoReader memory{dir.filePath("meminfo")};
    CpuInfoScreen screen;
};
} // namespace

class tst_CpuInfoScreen : public QObject
{
    Q_OBJECT

    const QString m_noTree; // why there is no hwmon tree of our own

public:
    explicit tst_CpuInfoScreen(QString noTree) : m_noTree(std::move(noTree)) {}

private Q_SLOTS:
    // Processor times: total = user+nice+system+idle+iowait+irq+softirq+steal, idle =
    // idle+iowait, of four counters at least. Memory: available = MemAvailable or, on old
    // kernels, free + buffers + cached.
    void figures()
    {
        const auto times = ProcStatReader::parse("cpu0 4294967296 0 0 1\n", 0);
        QCOMPARE((times ? Figures{times->total, times->idle} : Figures()),
                 Figures({4294967297, 1}));
        const struct
        {
            QByteArray text;
            Figures expected; // total and available; empty: none
        } memory[] = {
            {readData("cpu/meminfo-old"), {2101698560, 1059536896}},
            {"MemTotal: 18014398509481984 kB\nMemAvailable: 1 kB\n", {}}, // beyond 64 bits
            // 18014398509481983 kB is 0xFFFFFFFFFFFFFC00 bytes: another kB stops at the top.
            {"MemTotal: 8388608 kB\nMemFree: 18014398509481983 kB\nBuffers: 1 kB\n",
             {8589934592, 0xFFFFFFFFFFFFFFFF}},
        };
        for (const auto& r : memory) {
            const auto m = ProcMemInfoReader::parse(r.text);
            QCOMPARE((m ? Figures{m->totalBytes, m->availableBytes} : Figures()), r.expected);
        }

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
    }

    // Lines 2 to 4 of a table as SpeedFan's log or lm-sensors fill it.
    void sensorLines()
    {
        const struct
        {
            QStringList slots; // name and value of each
            QByteArray lines;
        } rows[] = {
            // Values cut, not rounded.
            {{"A", "8.5", "B", "105.0", "C", "45.9", "D", "44.0", "Fan", "12000"},
             "A:8.\337C B:10\337C |C:45\337C D:44\337C |Fan:1200 rpm"},
            // A fan in slot 4, a nameless slot 3: the temperature in slot 5 wins.
            {{"A", "40.0", "B", "41.0", "", "42.0", "Fan", "2410", "E", "9.0"},
             "A:40\337C B:41\337C ||E:9.\337C "},
            // A log's control characters never reach the module.
            {{"\x01T\rx\x1b", "\t4\n5.5", "\x7f", "3.0", "", "", "", "", "Fan", "2410"},
             "Tx:45\337C :3.\337C ||Fan:2410 rpm"},
        };
        for (const auto& r : rows) {
            SensorTable table;
            for (int k = 1; k <= 5; ++k) {
                table.SensorNames[k] = r.slots[2 * k - 2];
                table.SensorValues[k] = r.slots[2 * k - 1];
            }
            const std::array<QByteArray, 3> got = CpuInfoScreen::sensorLines(table);
            QCOMPARE(got[0] + '|' + got[1] + '|' + got[2], r.lines);
        }
    }

    // Processor load from two samples, afresh when the mode is chosen again or after a
    // failure; a failure is logged once, not every second.
    void firstLine()
    {
        Rig rig;
        rig.screen.enter();
        QCOMPARE(rig.show("stat-before"), QByteArray(" MEM:4%"));
        QCOMPARE(rig.show("stat-after"), QByteArray("CPU:48% MEM:4%"));
        QCOMPARE(rig.lines.line(1), QByteArray("No Sensors Found"));
        rig.show("stat-before");
        rig.screen.enter();
        QCOMPARE(rig.show("stat-after"), QByteArray(" MEM:4%"));

        rig.show("stat-before");
        QVERIFY(QFile::remove(rig.dir.filePath("meminfo")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^memory load unavailable"));
        QCOMPARE(rig.show(nullptr), QByteArray(" "));
        QTest::failOnWarning(QRegularExpression(".*"));
        QCOMPARE(rig.show(nullptr), QByteArray(" "));
        QCOMPARE(rig.show("stat-after"), QByteArray(" "));
        // Working again in between: the next failure is news again.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        rig.show(nullptr);

        // Processor figures gone at the next selection: told, and the program ends.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        rig.screen.enter();
        QCOMPARE(
            rig.sink.messages.last(),
            UserMessage({"OpenQuery failed", MessageSeverity::Critical, MessageCategory::System}));
        QCOMPARE(rig.sink.quits, 1);
        QCOMPARE(rig.sink.texts.size(), 2); // no sensors: said once
    }

    // libsensors on a hwmon tree of our own, or SpeedFan's log when its folder holds one;
    // libsensors starts once (it holds process-wide state and scans every chip when it starts).
    void sensorSources()
    {
        if (!m_noTree.isEmpty())
            QSKIP(qPrintable(m_noTree));
        for (const QString file :
             {"hwmon0/name=fake", "hwmon0/temp1_input=45500", "hwmon0/temp1_label=CPU",
              "hwmon0/temp2_input=38000", "hwmon0/temp3_input=-40", "hwmon0/temp4_input=51200",
              "hwmon0/temp5_input=60000", "hwmon0/fan1_input=2410", "hwmon0/fan2_input=1200",
              "hwmon0/in0_input=1520"})
            QVERIFY(
                QDir().mkpath(Hwmon + file.section('/', 0, 0)) &&
                writeFile(Hwmon + file.section('=', 0, 0), file.section('=', 1).toLatin1() + '\n'));
        QStringList opened;
        Rig rig([&opened](const QString& configFile) -> std::unique_ptr<HardwareSensors> {
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
        const QString temp1 = Hwmon + "hwmon0/temp1_input";
        QTest::failOnWarning(QRegularExpression(".*"));
        QVERIFY(QFile::remove(temp1));
        QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
        rig.screen.ShowCpuInfo();
        rig.screen.ShowCpuInfo();
        QVERIFY(rig.lines.line(1).startsWith("Chip:45"));
        QVERIFY(writeFile(temp1, "40000\n"));
        rig.screen.ShowCpuInfo();
        QVERIFY(QFile::remove(temp1));
        QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
        rig.screen.ShowCpuInfo();
        QVERIFY(rig.lines.line(1).startsWith("Chip:40"));

        // SpeedFan's log appears with three columns: slots 4 and 5 must not keep lm-sensors'
        // last readings as if they were live.
        QVERIFY(writeFile(log, threeColumns));
        QCOMPARE(rig.choose(), speedFan);

        // Chosen slots: by chip name or pattern, named; a voltage is refused.
        QVERIFY(QFile::remove(log) &&
                writeFile(rig.ini.path(),
                          ini + "Sensor1 = fake-virtual-0/temp2\nSensor2=coretemp\n"
                                "sensor3=fake-*/fan2\nName3=Pump\nSensor4=fake-*/in0\n"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Sensor2 = \"coretemp\" is not"));
        QTest::ignoreMessage(QtWarningMsg,
                             "[Sensors] Sensor4: no temperature or fan fake-*/in0 found");
        QCOMPARE(rig.choose(), "Chip:38\337C ||Pump:1200 rpm");
        QCOMPARE(opened, QStringList{conf});
        QVERIFY(rig.sink.texts.isEmpty());
    }

    // The CR LF of the last line goes, the NULs of the 256-byte block after it stay; slots a
    // line does not reach keep what they held.
    void speedFanLog()
    {
        const auto fixture = [](const char* name) {
            return readData(QStringLiteral("cpu/speedfan/%1/SFLog20070303.csv").arg(name));
        };
        const QString old = u"o1,o2,o3,o4,o5"_s; // slots 1 to 5 before the read
        const struct
        {
            QByteArray log;   // null: no log for today
            QString expected; // names|values; the values old: the read failed
        } rows[] = {
            {fixture("basic"),
             "Temp1,Temp2,Fan1,o4,o5|45.5,38.0,2410" + QString(236, QChar(0)) + ",o4,o5"},
            // The first 256 bytes of a longer last line.
            {fixture("longline"), "Temp1,Temp2,o3,o4,o5|" + QString(252, u'A') + ",o2,o3,o4,o5"},
            // Only the last field is trimmed.
            {"Seconds\t Temp1 \t Fan1 \r\n7\t 45.5 \t 2410 \r\n",
             " Temp1 ,Fan1,o3,o4,o5| 45.5 ,2410 " + QString(239, QChar(0)) + ",o3,o4,o5"},
            {fixture("oneline"), "Temp1,Temp2,o3,o4,o5|" + old},
            {fixture("empty"), ",o2,o3,o4,o5|" + old},
            {QByteArray(), old + '|' + old},
            // A title of 32767 bytes: not a log.
            {"Seconds\tTemp1\t" + QByteArray(32753, 'x'), old + '|' + old},
        };
        const auto column = [](const auto& a) {
            return QStringList(a.begin() + 1, a.end()).join(',');
        };
        for (const auto& r : rows) {
            Rig rig;
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
};

int main(int argc, char* argv[])
{
    // Before QCoreApplication, which may start threads.
#ifdef BRELLIX_HAVE_SENSORS
    const QString noTree = privateSysClass();
#else
    const QString noTree = QStringLiteral("built without libsensors");
#endif
    QCoreApplication app(argc, argv);
    tst_CpuInfoScreen test(noTree);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_cpuinfoscreen.moc"
