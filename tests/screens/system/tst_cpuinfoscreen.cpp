#include "SystemTestDoubles.h"

#include "platform/modINI.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/time/ScreenLines.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Slots = QStringList; // names or values of slots 1..5

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
        QFETCH(QByteArray, lines);
        SensorTable table;
        for (int k = 1; k <= 5; ++k) {
            table.SensorNames[k] = names.value(k - 1);
            table.SensorValues[k] = values.value(k - 1);
        }
        const std::array<QByteArray, 3> got = CpuInfoScreen::sensorLines(table);
        QCOMPARE((got[0] + '|' + got[1] + '|' + got[2]).toHex(' '), lines.toHex(' '));
    }

    void firstLine()
    {
        QTemporaryDir dir;
        const QString stat = dir.filePath(QStringLiteral("stat"));
        QVERIFY(writeFile(stat, readData("cpu/stat-before")));
        modINI ini(dir.filePath(QStringLiteral("brellix.ini")));
        RecordingMessages sink;
        ScreenLines lines;
        CpuInfoScreen::Sources sources;
        sources.procStat = stat;
        sources.procMeminfo = dataPath("cpu/meminfo");
        CpuInfoScreen screen(lines, sink, ini, sources);
        screen.enter();
        screen.show();
        QCOMPARE(lines.line(0), QByteArray(" MEM:4%")); // no processor value yet
        QVERIFY(writeFile(stat, readData("cpu/stat-after")));
        screen.show();
        QCOMPARE(lines.line(0), QByteArray("CPU:48% MEM:4%"));
        screen.enter(); // a new sampling
        screen.show();
        QCOMPARE(lines.line(0), QByteArray(" MEM:4%"));
        QVERIFY(sink.texts.isEmpty());

        // Processor figures gone at the next selection: told, and the program ends.
        QVERIFY(QFile::remove(stat));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^processor load")));
        screen.enter();
        QCOMPARE(sink.texts, QStringList{QStringLiteral("OpenQuery failed")});
        QCOMPARE(sink.quits, 1);
    }
};

QTEST_GUILESS_MAIN(tst_CpuInfoScreen)
#include "tst_cpuinfoscreen.moc"
