#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/SensorSource.h"
#include "screens/time/ScreenLines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Data = QStringLiteral(BRELLIX_TEST_DATA "/system/cpu/");
const QDateTime LogDay(QDate(2007, 3, 3), QTime(14, 30));

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

struct RecordingSink final : MessageSink
{
    QList<std::pair<QString, MessageIcon>> shown;
    int quits = 0;
    void showMessage(const QString& text, MessageIcon icon) override { shown.append({text, icon}); }
    void requestQuit() override { ++quits; }
};

// Puts a fixed set of readings in the table, as a source would.
struct FixedSensors final : SensorSource
{
    SensorTable readings;
    int refreshes = 0;
    void refresh(SensorTable& table) override
    {
        ++refreshes;
        table = readings;
    }
};

using Slots = QStringList; // names or values of slots 1..5

SensorTable tableOf(const Slots& names, const Slots& values)
{
    SensorTable t;
    for (int k = 1; k <= 5; ++k) {
        t.SensorNames[std::size_t(k)] = names.value(k - 1);
        t.SensorValues[std::size_t(k)] = values.value(k - 1);
    }
    return t;
}

bool copyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace

class tst_CpuInfoScreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sensorLines_data();
    void sensorLines();
    void composesFourLines();
    void openQueryFailed();
    void speedFanFolderFromSettings();
    void realProc();
};

void tst_CpuInfoScreen::sensorLines_data()
{
    QTest::addColumn<Slots>("names");
    QTest::addColumn<Slots>("values");
    QTest::addColumn<QByteArray>("line2");
    QTest::addColumn<QByteArray>("line3");
    QTest::addColumn<QByteArray>("line4");

    // 3a ":", 2e ".", df degree sign, 43 20 "C ", 20 72 70 6d " rpm"
    QTest::newRow("two temperatures on line 2") << Slots{"Temp1", "Temp2"} << Slots{"45.5", "38.0"}
                                                << hex("54656d70313a3435df4320"
                                                       "54656d70323a3338df4320")
                                                << QByteArray() << QByteArray();
    QTest::newRow("four temperatures and a fan")
        << Slots{"T1", "T2", "T3", "T4", "Fan1"} << Slots{"41.0", "42.0", "43.0", "44.0", "2410"}
        << hex("54313a3431df4320"
               "54323a3432df4320")
        << hex("54333a3433df4320"
               "54343a3434df4320")
        << hex("46616e313a323431302072706d");
    QTest::newRow("fan in slot 4, slot 5 unused")
        << Slots{"Temp1", "Temp2", "Temp3", "Fan1", ""}
        << Slots{"40.0", "41.0", "42.0", "2410", "9.0"}
        << hex("54656d70313a3430df4320"
               "54656d70323a3431df4320")
        << hex("54656d70333a3432df4320") << hex("46616e313a323431302072706d");
    QTest::newRow("slot 5 temperature wins over a fan")
        << Slots{"Fan1", "", "", "", "Temp5"} << Slots{"2410", "", "", "", "40.0"} << QByteArray()
        << QByteArray() << hex("54656d70353a3430df4320");
    QTest::newRow("the highest fan of slots 1-4")
        << Slots{"", "Fan1", "", "Fan2"} << Slots{"", "1000", "", "2000"} << QByteArray()
        << QByteArray() << hex("46616e323a323030302072706d");
    QTest::newRow("empty value counts as a fan")
        << Slots{"", "", "", "", "Fan1"} << Slots{} << QByteArray() << QByteArray()
        << hex("46616e313a2072706d");
    QTest::newRow("a voltage shows as a temperature")
        << Slots{"Vcore"} << Slots{"1.52"} << hex("56636f72653a312edf4320") << QByteArray()
        << QByteArray();
    QTest::newRow("values are cut, not rounded")
        << Slots{"A", "B", "C", "", "F"} << Slots{"8.5", "105.0", "45.9", "", "12000"}
        << hex("413a382edf4320"
               "423a3130df4320")
        << hex("433a3435df4320") << hex("463a313230302072706d");
    QTest::newRow("a value without name is not shown")
        << Slots{"", "Temp2"} << Slots{"45.5", "38.0"} << hex("54656d70323a3338df4320")
        << QByteArray() << QByteArray();
    QTest::newRow("no readings") << Slots{} << Slots{} << QByteArray() << QByteArray()
                                 << QByteArray();
    // What a log's 256-byte block pads with never reaches the module.
    QTest::newRow("NULs of a log value dropped")
        << Slots{"Fan1"} << Slots{QStringLiteral("2410") + QString(236, QChar(0))} << QByteArray()
        << QByteArray() << hex("46616e313a323431302072706d");
    QTest::newRow("value of NULs only")
        << Slots{"", "", "", "", "Fan1"} << Slots{"", "", "", "", QString(250, QChar(0))}
        << QByteArray() << QByteArray() << hex("46616e313a2072706d");
    QTest::newRow("control characters in names and values")
        << Slots{QStringLiteral("\x01T\rx\x1b"), QStringLiteral("\x7f")}
        << Slots{QStringLiteral("\t4\n5.5"), QStringLiteral("3.0")}
        << hex("54783a3435df4320"
               "3a332edf4320")
        << QByteArray() << QByteArray();
    // Latin-1 of a log: the degree sign becomes the module's, accents go.
    QTest::newRow("non-ASCII names")
        << Slots{QStringLiteral(u"Temp\u00e9rature"), QStringLiteral(u"\u00b0")}
        << Slots{"45.5", "38.0"}
        << hex("54656d70657261747572653a3435df4320"
               "df3a3338df4320")
        << QByteArray() << QByteArray();
}

void tst_CpuInfoScreen::sensorLines()
{
    QFETCH(Slots, names);
    QFETCH(Slots, values);
    QFETCH(QByteArray, line2);
    QFETCH(QByteArray, line3);
    QFETCH(QByteArray, line4);

    const std::array<QByteArray, 3> lines = CpuInfoScreen::sensorLines(tableOf(names, values));
    QCOMPARE(lines[0], line2);
    QCOMPARE(lines[1], line3);
    QCOMPARE(lines[2], line4);
}

void tst_CpuInfoScreen::composesFourLines()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString stat = dir.filePath(QStringLiteral("stat"));
    QVERIFY(copyFile(Data + QStringLiteral("stat-before"), stat));
    modINI ini(dir.filePath(QStringLiteral("brellix.ini")));
    RecordingSink sink;
    ScreenLines lines;
    FixedSensors sensors;
    sensors.readings =
        tableOf({"Temp1", "Temp2", "", "", "Fan1"}, {"45.5", "38.0", "", "", "2410"});

    CpuInfoScreen::Sources sources;
    sources.procStat = stat;
    sources.procMeminfo = Data + QStringLiteral("meminfo");
    sources.sensors = &sensors;
    CpuInfoScreen screen(lines, sink, ini, sources);
    screen.enter();
    screen.show();
    // No processor value yet: the line begins with the separating space.
    QCOMPARE(lines.line(0), QByteArray(" MEM:4%"));
    // Cut at 20: ends just after the second degree sign.
    QCOMPARE(lines.line(1), hex("54656d70313a3435df4320"
                                "54656d70323a3338df"));
    QCOMPARE(lines.line(2), QByteArray());
    QCOMPARE(lines.line(3), QByteArray("Fan1:2410 rpm"));

    QVERIFY(copyFile(Data + QStringLiteral("stat-after"), stat));
    sensors.readings.SensorValues[1] = QStringLiteral("46.0");
    screen.show();
    QCOMPARE(lines.line(0), QByteArray("CPU:48% MEM:4%"));
    QCOMPARE(lines.line(1), hex("54656d70313a3436df4320"
                                "54656d70323a3338df"));
    QCOMPARE(sensors.refreshes, 2);
    QVERIFY(sink.shown.isEmpty());

    // Selecting the mode again starts a new sampling.
    screen.enter();
    screen.show();
    QCOMPARE(lines.line(0), QByteArray(" MEM:4%"));
}

void tst_CpuInfoScreen::openQueryFailed()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    modINI ini(dir.filePath(QStringLiteral("brellix.ini")));
    RecordingSink sink;
    ScreenLines lines;
    FixedSensors sensors;
    CpuInfoScreen::Sources sources;
    sources.procStat = dir.filePath(QStringLiteral("no-stat"));
    sources.procMeminfo = Data + QStringLiteral("meminfo");
    sources.sensors = &sensors;
    CpuInfoScreen screen(lines, sink, ini, sources);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^processor load unavailable")));
    screen.enter();
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown.first().first, QStringLiteral("OpenQuery failed"));
    QCOMPARE(sink.shown.first().second, MessageIcon::Critical);
    QCOMPARE(sink.quits, 1);
}

void tst_CpuInfoScreen::speedFanFolderFromSettings()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString iniPath = dir.filePath(QStringLiteral("brellix.ini"));
    QFile f(iniPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray content = "[SpeedFan]\nFolder=" + QFile::encodeName(Data) + "speedfan/basic\n";
    QCOMPARE(f.write(content), qint64(content.size()));
    f.close();

    modINI ini(iniPath);
    RecordingSink sink;
    ScreenLines lines;
    FixedClock clock(LogDay);
    CpuInfoScreen::Sources sources;
    sources.procStat = Data + QStringLiteral("stat-before");
    sources.procMeminfo = Data + QStringLiteral("meminfo");
    sources.clock = &clock;
    CpuInfoScreen screen(lines, sink, ini, sources);
    screen.enter();
    screen.show();
    // Temp1 45.5, Temp2 38.0, Fan1 2410 followed by the block's NULs.
    QCOMPARE(lines.line(1), hex("54656d70313a3435df4320"
                                "54656d70323a3338df"));
    QCOMPARE(lines.line(2), QByteArray());
    QCOMPARE(lines.line(3), QByteArray("Fan1:2410 rpm"));
    QCOMPARE(screen.sensorTable().SensorValues[3].toLatin1(), "2410" + QByteArray(236, '\0'));
}

void tst_CpuInfoScreen::realProc()
{
    if (!QFile::exists(QStringLiteral("/proc/stat")))
        QSKIP("no /proc");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString iniPath = dir.filePath(QStringLiteral("brellix.ini"));
    QFile f(iniPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray content =
        "[SpeedFan]\nFolder=" + QFile::encodeName(Data) + "speedfan/sixfields\n";
    QCOMPARE(f.write(content), qint64(content.size()));
    f.close();

    modINI ini(iniPath);
    RecordingSink sink;
    ScreenLines lines;
    FixedClock clock(LogDay);
    CpuInfoScreen::Sources sources; // the real /proc files
    sources.clock = &clock;
    CpuInfoScreen screen(lines, sink, ini, sources);
    screen.enter();
    screen.show();
    QVERIFY2(QRegularExpression(QStringLiteral("^ MEM:\\d{1,3}%$"))
                 .match(QString::fromLatin1(lines.line(0)))
                 .hasMatch(),
             lines.line(0).constData());

    const QRegularExpression full(QStringLiteral("^CPU:\\d{1,3}% MEM:\\d{1,3}%$"));
    QElapsedTimer timer;
    timer.start();
    do {
        QTest::qSleep(50);
        screen.show();
    } while (!full.match(QString::fromLatin1(lines.line(0))).hasMatch() && timer.elapsed() < 5000);
    QVERIFY2(full.match(QString::fromLatin1(lines.line(0))).hasMatch(), lines.line(0).constData());
    // T1..T5 read 1.0 to 5.0: "T1:1.", degree sign, "C " and so on.
    QCOMPARE(lines.line(1), hex("54313a312edf4320"
                                "54323a322edf4320"));
    QCOMPARE(lines.line(2), hex("54333a332edf4320"
                                "54343a342edf4320"));
    QCOMPARE(lines.line(3), hex("54353a352edf4320"));
    QVERIFY(sink.shown.isEmpty());
}

QTEST_GUILESS_MAIN(tst_CpuInfoScreen)
#include "tst_cpuinfoscreen.moc"
