#include "SystemTestDoubles.h"

#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "screens/system/CPUStat.h"
#include "screens/system/MemMod.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Figures = QList<quint64>;

// The processor and memory load texts of the CPU screen's first line.
class tst_CpuMemMod : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("cpu");          // -1: the text is /proc/meminfo
        QTest::addColumn<Figures>("expected"); // total and idle or available; empty: none
        // total = user+nice+system+idle+iowait+irq+softirq+steal, idle = idle+iowait
        QTest::newRow("cpu0, not the aggregate")
            << readData("cpu/stat-before") << 0 << Figures{9980, 8400};
        QTest::newRow("four counters, beyond 32 bits")
            << QByteArray("cpu0 4294967296 0 0 1\n") << 0 << Figures{4294967297, 1};
        QTest::newRow("meminfo") << readData("cpu/meminfo") << -1
                                 << Figures{25276194816, 24152825856};
        QTest::newRow("no MemAvailable: free + buffers + cached")
            << readData("cpu/meminfo-old") << -1 << Figures{2101698560, 1059536896};
        QTest::newRow("bytes beyond 64 bits")
            << QByteArray("MemTotal: 18014398509481984 kB\nMemAvailable: 1 kB\n") << -1
            << Figures{};
        // 18014398509481983 kB is 0xFFFFFFFFFFFFFC00 bytes: another kB stops at the top.
        QTest::newRow("old kernel sum beyond 64 bits")
            << QByteArray("MemTotal: 8388608 kB\nMemFree: 18014398509481983 kB\nBuffers: 1 kB\n")
            << -1 << Figures{8589934592, 0xFFFFFFFFFFFFFFFF};
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, cpu);
        Figures got;
        if (const auto m = cpu < 0 ? ProcMemInfoReader::parse(text) : std::nullopt)
            got = {m->totalBytes, m->availableBytes};
        if (const auto t = cpu >= 0 ? ProcStatReader::parse(text, cpu) : std::nullopt)
            got = {t->total, t->idle};
        QTEST(got, "expected");
    }

    // CPU: two samples (total, idle), halves away from zero. Memory: total and available
    // bytes in units of 1043321, halves to even.
    void text_data()
    {
        QTest::addColumn<Figures>("f");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("CPU 12.5 up") << Figures{1000, 500, 1200, 675} << QByteArray("CPU:13%");
        QTest::newRow("no time passed") << Figures{1000, 500, 1000, 500} << QByteArray();
        QTest::newRow("iowait stepped back")
            << Figures{1000, 500, 1100, 498} << QByteArray("CPU:100%");
        // 8 units, 7 and 5 available.
        QTest::newRow("MEM 12.5 to 12") << Figures{8346568, 7303247} << QByteArray("MEM:12%");
        QTest::newRow("MEM 37.5 to 38") << Figures{8346568, 5216605} << QByteArray("MEM:38%");
        // 32933 and 8233 units; cut to 32 bits both were 0.
        QTest::newRow("beyond 32 bits")
            << Figures{34359738368, 8589934592} << QByteArray("MEM:75%");
        QTest::newRow("more available than total")
            << Figures{8346568, 9389889} << QByteArray("MEM:0%");
    }
    void text()
    {
        QFETCH(Figures, f);
        QByteArray got;
        if (f.size() == 2)
            got = MemMod::memoryText(f[0], f[1]);
        else if (const auto p = CPUStat::busyPercent({f[0], f[1]}, {f[2], f[3]}))
            got = CPUStat::cpuText(*p);
        QTEST(got, "text");
    }

    // Failures are logged once, not every second; after one the processor starts afresh.
    void failures()
    {
        QTemporaryDir dir;
        const QString stat = dir.filePath(QStringLiteral("stat"));
        QVERIFY(writeFile(stat, readData("cpu/stat-before")));
        const ProcStatReader cpuTimes(stat);
        const ProcMemInfoReader memory(dir.filePath(QStringLiteral("meminfo")));
        CPUStat cpu(cpuTimes);
        MemMod mem(memory);
        QVERIFY(cpu.OpenCpuQuery());
        QCOMPARE(cpu.GetCpuText() + cpu.GetCpuText(), QByteArray()); // first, and no tick
        QVERIFY(QFile::remove(stat));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^memory load unavailable"));
        QCOMPARE(cpu.GetCpuText() + mem.GetMemoryText(), QByteArray());
        QTest::failOnWarning(QRegularExpression(".*"));
        QCOMPARE(cpu.GetCpuText() + mem.GetMemoryText(), QByteArray());
        QVERIFY(writeFile(stat, readData("cpu/stat-after")));
        QCOMPARE(cpu.GetCpuText(), QByteArray());
        // Working again in between: the next failure is news again.
        QVERIFY(QFile::remove(stat));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^processor load unavailable"));
        QCOMPARE(cpu.GetCpuText(), QByteArray());
    }

    // Chosen again, the mode samples afresh: no load against an old sample.
    void reopenStartsAfresh()
    {
        QTemporaryDir dir;
        const QString stat = dir.filePath(QStringLiteral("stat"));
        QVERIFY(writeFile(stat, readData("cpu/stat-before")));
        const ProcStatReader cpuTimes(stat);
        CPUStat cpu(cpuTimes);
        QVERIFY(cpu.OpenCpuQuery());
        QCOMPARE(cpu.GetCpuText(), QByteArray());
        QVERIFY(writeFile(stat, readData("cpu/stat-after")));
        QVERIFY(cpu.OpenCpuQuery());
        QCOMPARE(cpu.GetCpuText(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_CpuMemMod)
#include "tst_cpumemmod.moc"
