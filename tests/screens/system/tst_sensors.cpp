#include "SystemTestDoubles.h"

#include "platform/linux/LinuxSensors.h"
#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/LmSensorsSource.h"
#include "screens/system/SensorSettings.h"
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

// lm-sensors on a hwmon tree of our own: a tmpfs over /sys/class, seen by this process only.
namespace {
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

// Gives this process a private /sys/class. Without CAP_SYS_ADMIN (a normal
// user, or root in a container) it enters a user namespace of its own first,
// where it is root over its own mounts (an unprivileged gid_map is refused
// while setgroups is allowed). Must run before any thread starts. Returns
// why it failed, or nothing.
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

bool addChip(const QString& dir, const QByteArray& name, const QStringList& files)
{
    bool ok = QDir().mkpath(Hwmon + dir) && writeFile(Hwmon + dir + "/name", name + '\n');
    for (const QString& file : files) // "file=content"
        ok = ok && writeFile(Hwmon + dir + '/' + file.section('=', 0, 0),
                             file.section('=', 1).toLatin1() + '\n');
    return ok;
}

QStringList col(const std::array<QString, 6>& a)
{
    return {a[1], a[2], a[3], a[4], a[5]};
}
} // namespace

class tst_Sensors : public QObject
{
    Q_OBJECT

    const QString m_noTree; // why there is no fake tree
    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, content) ? path : QString();
    }

public:
    explicit tst_Sensors(QString noTree) : m_noTree(std::move(noTree)) {}

private Q_SLOTS:
    void initTestCase()
    {
#ifndef BRELLIX_HAVE_SENSORS
        QSKIP("built without libsensors");
#endif
        if (!m_noTree.isEmpty())
            QSKIP(qPrintable(m_noTree));
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        QVERIFY(QDir(Hwmon).removeRecursively());
        QVERIFY(addChip("hwmon0", "fake",
                        {"temp1_input=45500", "temp1_label=CPU", "temp2_input=38000",
                         "temp3_input=-40", "temp4_input=51200", "temp5_input=60000",
                         "fan1_input=2410", "fan2_input=1200", "in0_input=1520"}));
    }

    void defaults()
    {
        LmSensorsSource source(std::make_unique<LinuxSensors>(file("sensors.conf", "")));
        source.select(SensorSettings());
        SensorTable table;
        source.refresh(table);
        // The first four temperatures and the first fan; the voltage is no candidate.
        QCOMPARE(col(table.SensorNames), QStringList({"CPU", "temp2", "temp3", "temp4", "fan1"}));
        QCOMPARE(col(table.SensorValues), QStringList({"45.5", "38.0", "0.0", "51.2", "2410"}));
        // A sensor that stops answering keeps its last value, logged once.
        QVERIFY(QFile::remove(Hwmon + "hwmon0/temp1_input"));
        QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
        source.refresh(table);
        source.refresh(table);
        QCOMPARE(table.SensorNames[1] + ' ' + table.SensorValues[1], QStringLiteral("CPU 45.5"));
        // Read again in between: the next failure is news again.
        QVERIFY(writeFile(Hwmon + "hwmon0/temp1_input", "40000\n"));
        source.refresh(table);
        QVERIFY(QFile::remove(Hwmon + "hwmon0/temp1_input"));
        QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
        source.refresh(table);
    }

    void chosenSlots()
    {
        QVERIFY(addChip("hwmon1", "other", {"temp1_input=30000", "temp2_input=31500"}));
        const QString ini = file("chosen.ini", "[sensors]\nSensor1 = other-virtual-0/temp2\n"
                                               "Sensor2=coretemp\nsensor3=fake-*/fan2\nName3=Pump\n"
                                               "Sensor4=fake-*/in0\n");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Sensor2 = \"coretemp\" is not"));
        const SensorSettings settings = SensorSettings::load(modINI(ini));
        LmSensorsSource source(std::make_unique<LinuxSensors>(file("sensors.conf", "")));
        QTest::ignoreMessage(QtWarningMsg,
                             "[Sensors] Sensor4: no temperature or fan fake-*/in0 found");
        source.select(settings);
        SensorTable table;
        table.SensorValues[2] = QStringLiteral("old");
        source.refresh(table);
        QCOMPARE(col(table.SensorNames), QStringList({"temp2", "", "Pump", "", ""}));
        QCOMPARE(col(table.SensorValues), QStringList({"31.5", "old", "1200", "", ""}));
    }

    void screen()
    {
        const QString folder = m_dir.filePath(QStringLiteral("speedfan"));
        QVERIFY(QDir().mkpath(folder));
        const QString conf = file("sensors.conf", "chip \"fake-*\"\n label temp2 \"Board\"\n"
                                                  " compute temp3 @+10, @-10\n");
        modINI ini(file("brellix.ini",
                        "[Sensors]\nConfig=" + QFile::encodeName(conf) +
                            "\nName1=Chip\n[SpeedFan]\nFolder=" + QFile::encodeName(folder)));
        RecordingMessages sink;
        ScreenLines lines;
        FixedClock clock(QDateTime(QDate(2007, 3, 3), QTime(14, 30)));
        const ProcStatReader cpuTimes;
        const ProcMemInfoReader memory;
        CpuInfoScreen screen(
            lines, sink, [&ini] { return SensorSettings::load(ini); }, clock, cpuTimes, memory,
            [](const QString& configFile) -> std::unique_ptr<HardwareSensors> {
                return std::make_unique<LinuxSensors>(configFile);
            });
        // The folder holds no SpeedFan logs, so lm-sensors is read.
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("holds no SFLog")));
        screen.enter();
        screen.ShowCpuInfo();
        // Chip:45 df "C " Board:38 df "C" | temp3:10 df "C " temp4:51 df | fan1:2410 rpm
        QCOMPARE(lines.line(1) + '|' + lines.line(2) + '|' + lines.line(3),
                 QByteArray::fromHex("436869703a3435df4320426f6172643a3338df437c74656d70333a3130df"
                                     "432074656d70343a3531df7c66616e313a323431302072706d"));
        // SpeedFan's log appears with three columns: slots 4 and 5 must not keep
        // lm-sensors' last readings as if they were live.
        QVERIFY(writeFile(folder + "/SFLog20070303.csv",
                          "Seconds\tTemp1\tTemp2\tFan1\r\n123\t45.5\t38.0\t2410\r\n"));
        screen.enter();
        screen.ShowCpuInfo();
        QCOMPARE(lines.line(2) + '|' + lines.line(3), QByteArray("|Fan1:2410 rpm"));
        QVERIFY(sink.texts.isEmpty());
    }
};

int main(int argc, char* argv[])
{
    // Before QCoreApplication, which may start threads.
    const QString noTree = privateSysClass();
    QCoreApplication app(argc, argv);
    tst_Sensors test(noTree);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_sensors.moc"
