#include "platform/Clock.h"
#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/LmSensorsSource.h"
#include "screens/system/SensorSettings.h"
#include "screens/time/ScreenLines.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

const QString Hwmon = QStringLiteral("/sys/class/hwmon");
constexpr long SysfsMagic = 0x62656572;

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

// One hwmon device: its name and attribute files.
bool addChip(int index, const QByteArray& name, const QList<std::pair<QString, QByteArray>>& files)
{
    const QString dir = Hwmon + QStringLiteral("/hwmon%1").arg(index);
    if (!QDir().mkpath(dir) || !writeFile(dir + QStringLiteral("/name"), name + '\n'))
        return false;
    for (const auto& [file, content] : files) {
        if (!writeFile(dir + u'/' + file, content + '\n'))
            return false;
    }
    return true;
}

bool addFakeChip()
{
    return addChip(0, "fake",
                   {{"temp1_input", "45500"},
                    {"temp1_label", "CPU"},
                    {"temp2_input", "38000"},
                    {"temp3_input", "-3000"},
                    {"temp4_input", "51200"},
                    {"temp5_input", "60000"},
                    {"fan1_input", "2410"},
                    {"fan2_input", "1200"},
                    {"in0_input", "1520"}});
}

bool addOtherChip()
{
    return addChip(1, "other", {{"temp1_input", "30000"}, {"temp2_input", "31500"}});
}

using Column = QStringList;

Column column(const std::array<QString, 6>& a)
{
    Column c;
    for (int k = 1; k <= 5; ++k)
        c << a[std::size_t(k)];
    return c;
}

struct NoMessages final : MessageSink
{
    void showMessage(const QString& text, MessageIcon) override
    {
        QFAIL(qPrintable(QStringLiteral("unexpected message: ") + text));
    }
    void requestQuit() override { QFAIL("unexpected quit"); }
};

} // namespace

class tst_Sensors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void settings_data();
    void settings();
    void formatValue_data();
    void formatValue();

    // On a hwmon tree of our own in a private mount namespace.
    void defaults();
    void readsEveryRefresh();
    void chosenSlots();
    void labelFromConfiguration();
    void readFailure();
    void screenOnLmSensors();
    void switchToSpeedFanDropsOldReadings();

private:
    bool fakeTreeReady();
    QString writeConfig(const QByteArray& content);

    QString m_noTree; // why there is no fake tree, empty when there is one
    QTemporaryDir m_dir;
};

void tst_Sensors::initTestCase()
{
    QVERIFY(m_dir.isValid());
#ifndef BRELLIX_HAVE_SENSORS
    m_noTree = QStringLiteral("built without libsensors");
    return;
#endif
    // libsensors reads /sys/class/hwmon: cover /sys/class with a tmpfs,
    // seen by this process only.
    struct statfs fs;
    if (geteuid() != 0)
        m_noTree = QStringLiteral("needs root for a private mount namespace");
    else if (statfs("/sys", &fs) != 0 || fs.f_type != SysfsMagic)
        m_noTree = QStringLiteral("/sys is not sysfs");
    else if (unshare(CLONE_NEWNS) != 0)
        m_noTree = QStringLiteral("unshare(CLONE_NEWNS): %1").arg(qt_error_string(errno));
    else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
             mount("tmpfs", "/sys/class", "tmpfs", 0, "mode=0755,size=1m") != 0)
        m_noTree = QStringLiteral("mount: %1").arg(qt_error_string(errno));
}

void tst_Sensors::init()
{
    if (m_noTree.isEmpty())
        QVERIFY(QDir(Hwmon).removeRecursively());
}

bool tst_Sensors::fakeTreeReady()
{
    return m_noTree.isEmpty();
}

QString tst_Sensors::writeConfig(const QByteArray& content)
{
    const QString path = m_dir.filePath(QStringLiteral("sensors.conf"));
    return writeFile(path, content) ? path : QString();
}

void tst_Sensors::settings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QStringList>("slots"); // "chip|feature|name" for slots 1..5
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("warning");

    const QStringList none = {"||", "||", "||", "||", "||"};
    QTest::newRow("no file") << QByteArray() << false << none << ""
                             << ""
                             << "";
    QTest::newRow("names only keep the default choice")
        << QByteArray("[Sensors]\nName1=CPU\nName5=Pump\n") << false
        << QStringList{"||CPU", "||", "||", "||", "||Pump"} << ""
        << ""
        << "";
    QTest::newRow("chosen slots")
        << QByteArray("[sensors]\nSensor1 = coretemp-isa-0000/temp1\nsensor5=nct6775-*/fan2\n"
                      "Name5=Fan\n")
        << true << QStringList{"coretemp-isa-0000|temp1|", "||", "||", "||", "nct6775-*|fan2|Fan"}
        << ""
        << ""
        << "";
    QTest::newRow("last slash splits") << QByteArray("[Sensors]\nSensor2=a/b/temp3\n") << true
                                       << QStringList{"||", "a/b|temp3|", "||", "||", "||"} << ""
                                       << ""
                                       << "";
    QTest::newRow("no slash") << QByteArray("[Sensors]\nSensor2=coretemp\n") << true << none << ""
                              << ""
                              << "\\[Sensors\\] Sensor2 = \"coretemp\" is not CHIP/FEATURE";
    QTest::newRow("no feature") << QByteArray("[Sensors]\nSensor3=coretemp/\n") << true << none
                                << ""
                                << ""
                                << "\\[Sensors\\] Sensor3 = \"coretemp/\"";
    QTest::newRow("config and folder")
        << QByteArray("[Sensors]\nConfig=/etc/my.conf\n[SpeedFan]\nFolder=/mnt/pc/SpeedFan\n")
        << false << none << "/etc/my.conf"
        << "/mnt/pc/SpeedFan"
        << "";
}

void tst_Sensors::settings()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, chosen);
    QFETCH(QStringList, slots);
    QFETCH(QString, config);
    QFETCH(QString, folder);
    QFETCH(QString, warning);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("brellix.ini"));
    if (!ini.isNull())
        QVERIFY(writeFile(path, ini));
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    const SensorSettings s = SensorSettings::load(modINI(path));
    QCOMPARE(s.chosen, chosen);
    QStringList got;
    for (int k = 1; k <= 5; ++k) {
        const SensorSettings::Slot& slot = s.slots[std::size_t(k)];
        got << slot.chip + u'|' + slot.feature + u'|' + slot.name;
    }
    QCOMPARE(got, slots);
    QCOMPARE(s.configFile, config);
    QCOMPARE(s.speedFanFolder, folder);
}

void tst_Sensors::formatValue_data()
{
    QTest::addColumn<bool>("fan");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("temperature") << false << 45.5 << "45.5";
    QTest::newRow("whole degrees keep their decimal") << false << 38.0 << "38.0";
    QTest::newRow("hundredths round") << false << 45.06 << "45.1";
    QTest::newRow("below zero") << false << -3.0 << "-3.0";
    QTest::newRow("no minus zero") << false << -0.04 << "0.0";
    QTest::newRow("three digits") << false << 105.0 << "105.0";
    QTest::newRow("fan") << true << 2410.0 << "2410";
    QTest::newRow("fan rounds") << true << 2410.6 << "2411";
    QTest::newRow("stopped fan") << true << 0.0 << "0";
    QTest::newRow("fan never below 0") << true << -5.0 << "0";
}

void tst_Sensors::formatValue()
{
    QFETCH(bool, fan);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(LmSensorsSource::formatValue(
                 fan ? LinuxSensors::Kind::Fan : LinuxSensors::Kind::Temperature, value),
             text);
}

void tst_Sensors::defaults()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    LmSensorsSource source(writeConfig(""));
    source.select(SensorSettings());
    SensorTable table;
    source.refresh(table);
    // The first four temperatures and the first fan; the voltage is no
    // candidate. Names are labels: the chip's "CPU", else the feature.
    QCOMPARE(column(table.SensorNames), (Column{"CPU", "temp2", "temp3", "temp4", "fan1"}));
    QCOMPARE(column(table.SensorValues), (Column{"45.5", "38.0", "-3.0", "51.2", "2410"}));
    QCOMPARE(source.slot(1)->chip, QStringLiteral("fake-virtual-0"));
}

void tst_Sensors::readsEveryRefresh()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    LmSensorsSource source(writeConfig(""));
    source.select(SensorSettings());
    SensorTable table;
    source.refresh(table);
    QCOMPARE(table.SensorValues[2], QStringLiteral("38.0"));
    QVERIFY(writeFile(Hwmon + QStringLiteral("/hwmon0/temp2_input"), "39400\n"));
    QVERIFY(writeFile(Hwmon + QStringLiteral("/hwmon0/fan1_input"), "2395\n"));
    source.refresh(table);
    QCOMPARE(column(table.SensorValues), (Column{"45.5", "39.4", "-3.0", "51.2", "2395"}));
}

void tst_Sensors::chosenSlots()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    QVERIFY(addOtherChip());
    LmSensorsSource source(writeConfig(""));
    SensorSettings s;
    s.chosen = true;
    s.slots[1] = {QStringLiteral("other-virtual-0"), QStringLiteral("temp2"), QString()};
    s.slots[3] = {QStringLiteral("fake-*"), QStringLiteral("fan2"), QStringLiteral("Pump")};
    s.slots[4] = {QStringLiteral("fake-*"), QStringLiteral("in0"), QString()};
    s.slots[5] = {QStringLiteral("nosuch-*"), QStringLiteral("temp1"), QString()};
    QTest::ignoreMessage(QtWarningMsg, "[Sensors] Sensor4: no temperature or fan fake-*/in0 found");
    QTest::ignoreMessage(QtWarningMsg,
                         "[Sensors] Sensor5: no temperature or fan nosuch-*/temp1 found");
    source.select(s);

    SensorTable table;
    table.SensorValues[2] = QStringLiteral("old");
    source.refresh(table);
    QCOMPARE(column(table.SensorNames), (Column{"temp2", "", "Pump", "", ""}));
    QCOMPARE(column(table.SensorValues), (Column{"31.5", "old", "1200", "", ""}));
}

void tst_Sensors::labelFromConfiguration()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    LmSensorsSource source(writeConfig("chip \"fake-*\"\n  label temp2 \"Board\"\n"
                                       "  compute temp3 @+10, @-10\n"));
    SensorSettings s;
    s.slots[1].name = QStringLiteral("Chip");
    source.select(s);
    SensorTable table;
    source.refresh(table);
    QCOMPARE(column(table.SensorNames), (Column{"Chip", "Board", "temp3", "temp4", "fan1"}));
    QCOMPARE(table.SensorValues[3], QStringLiteral("7.0"));
}

void tst_Sensors::readFailure()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    LmSensorsSource source(writeConfig(""));
    source.select(SensorSettings());
    SensorTable table;
    source.refresh(table);

    // A sensor that stops answering keeps its last value, logged once.
    QVERIFY(QFile::remove(Hwmon + QStringLiteral("/hwmon0/temp1_input")));
    QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
    source.refresh(table);
    source.refresh(table);
    QCOMPARE(table.SensorNames[1], QStringLiteral("CPU"));
    QCOMPARE(table.SensorValues[1], QStringLiteral("45.5"));

    // Chosen again and never read since: hidden, whatever the slot held.
    source.select(SensorSettings());
    QTest::ignoreMessage(QtWarningMsg, "cannot read fake-virtual-0/temp1");
    source.refresh(table);
    QCOMPARE(column(table.SensorNames), (Column{"", "temp2", "temp3", "temp4", "fan1"}));

    QVERIFY(writeFile(Hwmon + QStringLiteral("/hwmon0/temp1_input"), "47000\n"));
    source.refresh(table);
    QCOMPARE(table.SensorNames[1], QStringLiteral("CPU"));
    QCOMPARE(table.SensorValues[1], QStringLiteral("47.0"));
}

void tst_Sensors::screenOnLmSensors()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    const QString config = writeConfig("");
    const QString iniPath = m_dir.filePath(QStringLiteral("brellix.ini"));
    QVERIFY(writeFile(iniPath, "[Sensors]\nConfig=" + QFile::encodeName(config) +
                                   "\nName2=Board\n[SpeedFan]\nFolder=" +
                                   QFile::encodeName(m_dir.path()) + "\n"));
    modINI ini(iniPath);
    NoMessages sink;
    ScreenLines lines;
    CpuInfoScreen screen(lines, sink, ini);
    // The folder holds no SpeedFan logs, so lm-sensors is read.
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("holds no SFLog")));
    screen.enter();
    screen.show();
    // CPU:45 DF "C " Board:38 DF "C " / temp3:-3 DF "C " temp4:51 DF (cut) / fan1:2410 rpm
    QCOMPARE(lines.line(1), hex("4350553a3435df4320"
                                "426f6172643a3338df4320"));
    QCOMPARE(lines.line(2), hex("74656d70333a2d33df4320"
                                "74656d70343a3531df"));
    QCOMPARE(lines.line(3), QByteArray("fan1:2410 rpm"));

    // Selecting the mode again does not start libsensors again: a chip
    // that appears later is not seen, the known ones are read afresh.
    QVERIFY(addOtherChip());
    QVERIFY(writeFile(Hwmon + QStringLiteral("/hwmon0/fan1_input"), "2380\n"));
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("holds no SFLog")));
    screen.enter();
    screen.show();
    QCOMPARE(lines.line(3), QByteArray("fan1:2380 rpm"));
    QCOMPARE(screen.sensorTable().SensorNames[1], QStringLiteral("CPU"));
}

void tst_Sensors::switchToSpeedFanDropsOldReadings()
{
    if (!fakeTreeReady())
        QSKIP(qPrintable(m_noTree));
    QVERIFY(addFakeChip());
    const QString config = writeConfig("");
    const QString folder = m_dir.filePath(QStringLiteral("speedfan"));
    QVERIFY(QDir().mkpath(folder));
    const QString iniPath = m_dir.filePath(QStringLiteral("brellix.ini"));
    const QByteArray settings = "[Sensors]\nConfig=" + QFile::encodeName(config) +
                                "\n[SpeedFan]\nFolder=" + QFile::encodeName(folder) + "\n";
    QVERIFY(writeFile(iniPath, settings));
    modINI ini(iniPath);
    NoMessages sink;
    ScreenLines lines;
    FixedClock clock(QDateTime(QDate(2007, 3, 3), QTime(14, 30)));
    CpuInfoScreen::Sources sources;
    sources.clock = &clock;
    CpuInfoScreen screen(lines, sink, ini, sources);
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("holds no SFLog")));
    screen.enter();
    screen.show();
    QCOMPARE(lines.line(3), QByteArray("fan1:2410 rpm"));

    // SpeedFan's log appears: three columns. Slots 4 and 5 must not keep
    // showing lm-sensors' last readings as if they were live.
    QVERIFY(writeFile(folder + QStringLiteral("/SFLog20070303.csv"),
                      "Seconds\tTemp1\tTemp2\tFan1\r\n123\t45.5\t38.0\t2410\r\n"));
    screen.enter();
    screen.show();
    // Temp1:45 DF "C " Temp2:38 DF (cut) / nothing / Fan1:2410 rpm
    QCOMPARE(lines.line(1), hex("54656d70313a3435df4320"
                                "54656d70323a3338df"));
    QCOMPARE(lines.line(2), QByteArray());
    QCOMPARE(lines.line(3), QByteArray("Fan1:2410 rpm"));
    QCOMPARE(screen.sensorTable().SensorNames[4], QString());
    QCOMPARE(screen.sensorTable().SensorNames[5], QString());
}

QTEST_GUILESS_MAIN(tst_Sensors)
#include "tst_sensors.moc"
