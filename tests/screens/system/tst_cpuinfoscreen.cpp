#include "SystemTestDoubles.h"

#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/system/CpuInfoScreen.h"
#include "support/FixedClock.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Slots = QStringList; // names or values of slots 1..5

namespace {
const QDateTime LogDay(QDate(2007, 3, 3), QTime(14, 30)); // the fixture logs' day
}

class tst_CpuInfoScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sensorLines_data()
    {
        QTest::addColumn<Slots>("names");
        QTest::addColumn<Slots>("values");
        QTest::addColumn<QByteArray>("lines"); // lines 2, 3, 4 joined by '|'
        // 3a ":", 2e ".", df degree sign, 43 20 "C ", 20 72 70 6d " rpm", 7c '|'
        QTest::newRow("values cut, not rounded")
            << Slots{"A", "B", "C", "D", "Fan"} << Slots{"8.5", "105.0", "45.9", "44.0", "12000"}
            << QByteArray::fromHex("413a382edf4320 423a3130df4320 7c 433a3435df4320 443a3434df4320"
                                   "7c 46616e3a313230302072706d");
        QTest::newRow("fan in slot 4, nameless slot 3, slot 5 temperature wins")
            << Slots{"A", "B", "", "Fan", "E"} << Slots{"40.0", "41.0", "42.0", "2410", "9.0"}
            << QByteArray::fromHex("413a3430df4320 423a3431df4320 7c 7c 453a392edf4320");
        // A log's NULs and control characters never reach the module.
        QTest::newRow("control characters dropped")
            << Slots{QStringLiteral("\x01T\rx\x1b"), QStringLiteral("\x7f"), "", "", "Fan"}
            << Slots{QStringLiteral("\t4\n5.5"), QStringLiteral("3.0"), "", "",
                     QStringLiteral("2410") + QString(236, QChar(0))}
            << QByteArray::fromHex("54783a3435df4320 3a332edf4320 7c 7c 46616e3a323431302072706d");
    }
    void sensorLines()
    {
        QFETCH(Slots, names);
        QFETCH(Slots, values);
        SensorTable table;
        for (int k = 1; k <= 5; ++k) {
            table.SensorNames[k] = names.value(k - 1);
            table.SensorValues[k] = values.value(k - 1);
        }
        const std::array<QByteArray, 3> got = CpuInfoScreen::sensorLines(table);
        QTEST(got[0] + '|' + got[1] + '|' + got[2], "lines");
    }

    void firstLine()
    {
        QTemporaryDir dir;
        const QString stat = dir.filePath(QStringLiteral("stat"));
        QVERIFY(writeFile(stat, readData("cpu/stat-before")));
        modINI ini(dir.filePath(QStringLiteral("brellix.ini")));
        RecordingMessages sink;
        ScreenLines lines;
        FixedClock clock(LogDay);
        const ProcStatReader cpuTimes(stat);
        const ProcMemInfoReader memory(dataPath("cpu/meminfo"));
        CpuInfoScreen screen(
            lines, sink, [&ini] { return SensorSettings::load(ini); }, clock, cpuTimes, memory,
            nullptr);
        screen.enter();
        screen.ShowCpuInfo();
        QCOMPARE(lines.line(0), QByteArray(" MEM:4%")); // no processor value yet
        QVERIFY(writeFile(stat, readData("cpu/stat-after")));
        screen.ShowCpuInfo();
        QCOMPARE(lines.line(0), QByteArray("CPU:48% MEM:4%"));
        screen.enter(); // a new sampling
        screen.ShowCpuInfo();
        QCOMPARE(lines.line(0), QByteArray(" MEM:4%"));
        // No sensors: said once, on the module and to the user.
        QCOMPARE(lines.line(1), QByteArray("No Sensors Found"));
        QCOMPARE(sink.texts.size(), 1);
        sink.texts.clear();
        sink.messages.clear();

        // Processor figures gone at the next selection: told, and the program ends.
        QVERIFY(QFile::remove(stat));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^processor load")));
        screen.enter();
        QCOMPARE(sink.texts, QStringList{QStringLiteral("OpenQuery failed")});
        QCOMPARE(sink.quits, 1);
        QCOMPARE(sink.messages.first().severity, MessageSeverity::Critical);
    }

    // Where lines 2 to 4 come from, and how often the sensors are started
    // (libsensors holds process-wide state and scans every chip when it starts).
    void sensorSources_data()
    {
        QTest::addColumn<QByteArray>("settings"); // "%1" stands for the SpeedFan folder
        QTest::addColumn<bool>("logs");           // the folder holds today's SpeedFan log
        QTest::addColumn<bool>("noSensors");      // openSensors finds none
        QTest::addColumn<QStringList>("opened");  // configurations the sensors started with
        QTest::addColumn<QByteArray>("lines");    // lines 2 to 4 joined by '|'
        // 43 50 55 3a 34 35 df 43 20 "CPU:45°C ", 46 61 6e 3a ... "Fan:2410 rpm"
        const QByteArray lmLines = QByteArray::fromHex("4350553a3435df4320 7c 7c"
                                                       "46616e3a323431302072706d");
        QTest::newRow("lm-sensors, started once with the configured file")
            << QByteArray("[Sensors]\nConfig=/etc/brellix-sensors.conf\n") << false << false
            << QStringList{"/etc/brellix-sensors.conf"} << lmLines;
        QTest::newRow("SpeedFan logs: lm-sensors never started")
            << QByteArray("[SpeedFan]\nFolder=%1\n") << true << false << QStringList{}
            << QByteArray("Temp1:45\xdf"
                          "C Temp2:38\xdf||Fan1:2410 rpm");
        QTest::newRow("no sensors at all: said on the module")
            << QByteArray() << false << true << QStringList{""} << QByteArray("No Sensors Found||");
    }
    void sensorSources()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, logs);
        QFETCH(bool, noSensors);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("speedfan"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!logs || writeFile(folder + "/SFLog20070303.csv",
                                   readData("cpu/speedfan/basic/SFLog20070303.csv")));
        const QString iniPath = dir.filePath(QStringLiteral("brellix.ini"));
        QVERIFY(writeFile(iniPath, QString::fromLatin1(settings).arg(folder).toUtf8()));
        modINI ini(iniPath);
        RecordingMessages sink;
        ScreenLines screenLines;
        FixedClock clock(LogDay);
        const ProcStatReader cpuTimes(dataPath("cpu/stat-before"));
        const ProcMemInfoReader memory(dataPath("cpu/meminfo"));
        QStringList started;
        CpuInfoScreen screen(
            screenLines, sink, [&ini] { return SensorSettings::load(ini); }, clock, cpuTimes,
            memory,
            [&](const QString& configFile) -> std::unique_ptr<HardwareSensors> {
                started.append(configFile);
                if (noSensors)
                    return nullptr;
                auto sensors = std::make_unique<ScriptedSensors>();
                sensors->add("c", "temp1", "CPU", HardwareSensors::Kind::Temperature, 45.5);
                sensors->add("c", "fan1", "Fan", HardwareSensors::Kind::Fan, 2410);
                return sensors;
            });
        screen.enter();
        screen.ShowCpuInfo();
        screen.leave();
        screen.enter(); // chosen again: nothing starts a second time
        screen.ShowCpuInfo();
        QTEST(started, "opened");
        QTEST(screenLines.line(1) + '|' + screenLines.line(2) + '|' + screenLines.line(3), "lines");
        QCOMPARE(sink.texts.size(), noSensors ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_CpuInfoScreen)
#include "tst_cpuinfoscreen.moc"
