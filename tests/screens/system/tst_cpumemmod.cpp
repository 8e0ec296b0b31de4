#include "screens/system/MemMod.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {
const QString Data = QStringLiteral(BRELLIX_TEST_DATA "/system/cpu/");
constexpr quint64 Max64 = std::numeric_limits<quint64>::max();

QByteArray fixture(const char* name)
{
    QFile f(Data + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return f.readAll();
}
} // namespace

class tst_CpuMemMod : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void divideHalfEven_data();
    void divideHalfEven();
    void memoryText_data();
    void memoryText();
    void fromFile();
    void unreadable();
};

void tst_CpuMemMod::parse_data()
{
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<bool>("found");
    QTest::addColumn<quint64>("total");
    QTest::addColumn<quint64>("available");

    QTest::newRow("fixture") << fixture("meminfo") << true << quint64(25276194816)
                             << quint64(24152825856);
    QTest::newRow("no MemAvailable: free + buffers + cached")
        << fixture("meminfo-old") << true << quint64(2101698560) << quint64(1059536896);
    QTest::newRow("first of a doubled key")
        << QByteArray("MemTotal: 4 kB\nMemTotal: 8 kB\nMemAvailable: 1 kB\n") << true
        << quint64(4096) << quint64(1024);
    QTest::newRow("no MemTotal") << QByteArray("MemFree: 4 kB\nMemAvailable: 1 kB\n") << false
                                 << quint64(0) << quint64(0);
    QTest::newRow("no available figure")
        << QByteArray("MemTotal: 4 kB\n") << false << quint64(0) << quint64(0);
    QTest::newRow("unit not kB") << QByteArray("MemTotal: 4 MB\nMemAvailable: 1 kB\n") << false
                                 << quint64(0) << quint64(0);
    QTest::newRow("not a number") << QByteArray("MemTotal: x kB\nMemAvailable: 1 kB\n") << false
                                  << quint64(0) << quint64(0);
    QTest::newRow("bytes beyond 64 bits")
        << QByteArray("MemTotal: 18014398509481984 kB\nMemAvailable: 1 kB\n") << false << quint64(0)
        << quint64(0);
    // 18014398509481983 kB is 0xFFFFFFFFFFFFFC00 bytes; another kB on top
    // must not wrap the sum round to 0.
    QTest::newRow("old kernel sum beyond 64 bits")
        << QByteArray("MemTotal: 8388608 kB\nMemFree: 18014398509481983 kB\nBuffers: 1 kB\n")
        << true << quint64(8589934592) << quint64(0xFFFFFFFFFFFFFFFF);
    QTest::newRow("empty") << QByteArray() << false << quint64(0) << quint64(0);
}

void tst_CpuMemMod::parse()
{
    QFETCH(QByteArray, meminfo);
    QFETCH(bool, found);
    QFETCH(quint64, total);
    QFETCH(quint64, available);

    const std::optional<MemFigures> m = ProcMemInfoReader::parse(meminfo);
    QCOMPARE(m.has_value(), found);
    if (found) {
        QCOMPARE(m->totalBytes, total);
        QCOMPARE(m->availableBytes, available);
    }
}

void tst_CpuMemMod::divideHalfEven_data()
{
    QTest::addColumn<quint64>("n");
    QTest::addColumn<quint64>("d");
    QTest::addColumn<quint64>("q");

    QTest::newRow("0.5 to 0") << quint64(1) << quint64(2) << quint64(0);
    QTest::newRow("1.5 to 2") << quint64(3) << quint64(2) << quint64(2);
    QTest::newRow("2.5 to 2") << quint64(5) << quint64(2) << quint64(2);
    QTest::newRow("3.5 to 4") << quint64(7) << quint64(2) << quint64(4);
    QTest::newRow("0.67 to 1") << quint64(2) << quint64(3) << quint64(1);
    QTest::newRow("1.33 to 1") << quint64(4) << quint64(3) << quint64(1);
    QTest::newRow("just under half a unit") << quint64(521660) << quint64(1043321) << quint64(0);
    QTest::newRow("just over half a unit") << quint64(521661) << quint64(1043321) << quint64(1);
    QTest::newRow("largest, odd quotient") << Max64 << quint64(2) << (quint64(1) << 63);
    QTest::newRow("largest by itself") << Max64 << Max64 << quint64(1);
    QTest::newRow("no wrap near the top") << Max64 - 1 << Max64 << quint64(1);
}

void tst_CpuMemMod::divideHalfEven()
{
    QFETCH(quint64, n);
    QFETCH(quint64, d);
    QFETCH(quint64, q);
    QCOMPARE(MemMod::divideHalfEven(n, d), q);
}

void tst_CpuMemMod::memoryText_data()
{
    QTest::addColumn<quint64>("total");
    QTest::addColumn<quint64>("available");
    QTest::addColumn<QByteArray>("text");

    // 514.06 and 201.01 units: 313 of 514 used, 60.89%.
    QTest::newRow("worked example")
        << quint64(536330240) << quint64(209715200) << QByteArray("MEM:61%");
    // 8 units, 7 available: 12.5% goes to even.
    QTest::newRow("12.5 to 12") << quint64(8346568) << quint64(7303247) << QByteArray("MEM:12%");
    // 8 units, 5 available: 37.5%.
    QTest::newRow("37.5 to 38") << quint64(8346568) << quint64(5216605) << QByteArray("MEM:38%");
    // 24227 and 23150 units.
    QTest::newRow("fixture figures")
        << quint64(25276194816) << quint64(24152825856) << QByteArray("MEM:4%");
    // 32 GiB and 8 GiB: 32933 and 8233 units; cut to 32 bits both were 0.
    QTest::newRow("beyond 32 bits")
        << quint64(34359738368) << quint64(8589934592) << QByteArray("MEM:75%");
    // 6175 and 4117 units.
    QTest::newRow("available of exactly 2^32")
        << quint64(6442450944) << quint64(4294967296) << QByteArray("MEM:33%");
    QTest::newRow("largest figures") << Max64 << quint64(0) << QByteArray("MEM:100%");
    QTest::newRow("total rounds to 0") << quint64(521660) << quint64(0) << QByteArray("MEM:0%");
    QTest::newRow("total rounds to 1") << quint64(521661) << quint64(0) << QByteArray("MEM:100%");
    QTest::newRow("nothing") << quint64(0) << quint64(0) << QByteArray("MEM:0%");
    QTest::newRow("more available than total")
        << quint64(8346568) << quint64(9389889) << QByteArray("MEM:0%");
    QTest::newRow("all available") << quint64(8346568) << quint64(8346568) << QByteArray("MEM:0%");
}

void tst_CpuMemMod::memoryText()
{
    QFETCH(quint64, total);
    QFETCH(quint64, available);
    QFETCH(QByteArray, text);
    QCOMPARE(MemMod::memoryText(total, available), text);
}

void tst_CpuMemMod::fromFile()
{
    MemMod mem(Data + QStringLiteral("meminfo-old"));
    // 2014 and 1016 units: 49.55%.
    QCOMPARE(mem.GetMemoryText(), QByteArray("MEM:50%"));
}

void tst_CpuMemMod::unreadable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("meminfo"));
    MemMod mem(path);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^memory load unavailable")));
    QCOMPARE(mem.GetMemoryText(), QByteArray());
    // Logged once, not every second.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QCOMPARE(mem.GetMemoryText(), QByteArray());

    QVERIFY(QFile::copy(Data + QStringLiteral("meminfo"), path));
    QCOMPARE(mem.GetMemoryText(), QByteArray("MEM:4%"));
}

QTEST_GUILESS_MAIN(tst_CpuMemMod)
#include "tst_cpumemmod.moc"
