#include "screens/system/CPUStat.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Data = QStringLiteral(BRELLIX_TEST_DATA "/system/cpu/");

QByteArray fixture(const char* name)
{
    QFile f(Data + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return f.readAll();
}

// A stand-in for /proc/stat whose content a test changes between samples.
class StatFile
{
public:
    StatFile() : m_path(m_dir.filePath(QStringLiteral("stat"))) {}
    QString path() const { return m_path; }
    bool write(const QByteArray& content)
    {
        QFile f(m_path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(content) == content.size();
    }
    bool remove() { return QFile::remove(m_path); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

class tst_CpuStat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void busyPercent_data();
    void busyPercent();
    void cpuText_data();
    void cpuText();
    void sampling();
    void unreadable_data();
    void unreadable();
    void fileLostWhileRunning();
};

void tst_CpuStat::parse_data()
{
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<int>("cpu");
    QTest::addColumn<bool>("found");
    QTest::addColumn<quint64>("total");
    QTest::addColumn<quint64>("idle");

    // total = user+nice+system+idle+iowait+irq+softirq+steal, idle = idle+iowait
    QTest::newRow("fixture cpu0, not the aggregate line")
        << fixture("stat-before") << 0 << true << quint64(9980) << quint64(8400);
    QTest::newRow("fixture after: guest is inside user")
        << fixture("stat-after") << 0 << true << quint64(10095) << quint64(8460);
    QTest::newRow("cpu1 is not cpu10")
        << QByteArray("cpu10 1 1 1 1\ncpu1 2 2 2 2\n") << 1 << true << quint64(8) << quint64(2);
    QTest::newRow("four counters of old kernels")
        << QByteArray("cpu0 10 20 30 40\n") << 0 << true << quint64(100) << quint64(40);
    QTest::newRow("tabs and extra spaces")
        << QByteArray("cpu0\t10  20 30\t40 5\n") << 0 << true << quint64(105) << quint64(45);
    QTest::newRow("beyond 32 bits") << QByteArray("cpu0 4294967296 0 0 8589934592\n") << 0 << true
                                    << quint64(12884901888) << quint64(8589934592);
    QTest::newRow("three counters")
        << QByteArray("cpu0 1 2 3\n") << 0 << false << quint64(0) << quint64(0);
    QTest::newRow("not a number") << QByteArray("cpu0 1 2 x 4\n") << 0 << false << quint64(0)
                                  << quint64(0);
    QTest::newRow("negative") << QByteArray("cpu0 1 2 -3 4\n") << 0 << false << quint64(0)
                              << quint64(0);
    QTest::newRow("no such processor")
        << fixture("stat-before") << 7 << false << quint64(0) << quint64(0);
    QTest::newRow("only the aggregate")
        << QByteArray("cpu  1 2 3 4\n") << 0 << false << quint64(0) << quint64(0);
    QTest::newRow("empty") << QByteArray() << 0 << false << quint64(0) << quint64(0);
}

void tst_CpuStat::parse()
{
    QFETCH(QByteArray, stat);
    QFETCH(int, cpu);
    QFETCH(bool, found);
    QFETCH(quint64, total);
    QFETCH(quint64, idle);

    const std::optional<CpuTimes> t = ProcStatReader::parse(stat, cpu);
    QCOMPARE(t.has_value(), found);
    if (found) {
        QCOMPARE(t->total, total);
        QCOMPARE(t->idle, idle);
    }
}

void tst_CpuStat::busyPercent_data()
{
    QTest::addColumn<quint64>("total0");
    QTest::addColumn<quint64>("idle0");
    QTest::addColumn<quint64>("total1");
    QTest::addColumn<quint64>("idle1");
    QTest::addColumn<double>("percent"); // negative: no value

    QTest::newRow("half busy") << quint64(1000) << quint64(500) << quint64(1200) << quint64(600)
                               << 50.0;
    QTest::newRow("12.5") << quint64(1000) << quint64(500) << quint64(1200) << quint64(675) << 12.5;
    QTest::newRow("all idle") << quint64(1000) << quint64(500) << quint64(1100) << quint64(600)
                              << 0.0;
    QTest::newRow("all busy") << quint64(1000) << quint64(500) << quint64(1100) << quint64(500)
                              << 100.0;
    QTest::newRow("no time passed")
        << quint64(1000) << quint64(500) << quint64(1000) << quint64(500) << -1.0;
    QTest::newRow("total went back")
        << quint64(1000) << quint64(500) << quint64(900) << quint64(500) << -1.0;
    QTest::newRow("iowait stepped back")
        << quint64(1000) << quint64(500) << quint64(1100) << quint64(498) << 100.0;
    QTest::newRow("more idle than time")
        << quint64(1000) << quint64(500) << quint64(1100) << quint64(700) << 0.0;
}

void tst_CpuStat::busyPercent()
{
    QFETCH(quint64, total0);
    QFETCH(quint64, idle0);
    QFETCH(quint64, total1);
    QFETCH(quint64, idle1);
    QFETCH(double, percent);

    const std::optional<double> p = CPUStat::busyPercent({total0, idle0}, {total1, idle1});
    QCOMPARE(p.has_value(), percent >= 0);
    if (p)
        QCOMPARE(*p, percent);
}

void tst_CpuStat::cpuText_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<QByteArray>("text");

    // Halves away from zero.
    QTest::newRow("7.49") << 7.49 << QByteArray("CPU:7%");
    QTest::newRow("7.5") << 7.5 << QByteArray("CPU:8%");
    QTest::newRow("12.5") << 12.5 << QByteArray("CPU:13%");
    QTest::newRow("0.5") << 0.5 << QByteArray("CPU:1%");
    QTest::newRow("0.49") << 0.49 << QByteArray("CPU:0%");
    QTest::newRow("0") << 0.0 << QByteArray("CPU:0%");
    QTest::newRow("99.5") << 99.5 << QByteArray("CPU:100%");
    QTest::newRow("100") << 100.0 << QByteArray("CPU:100%");
}

void tst_CpuStat::cpuText()
{
    QFETCH(double, percent);
    QFETCH(QByteArray, text);
    QCOMPARE(CPUStat::cpuText(percent), text);
}

void tst_CpuStat::sampling()
{
    StatFile stat;
    QVERIFY(stat.write(fixture("stat-before")));
    CPUStat cpu(stat.path());
    QVERIFY(cpu.OpenCpuQuery());
    // The first sample has nothing to compare with.
    QCOMPARE(cpu.GetCpuText(), QByteArray());

    // cpu0: 115 ticks passed, 60 of them idle or waiting for I/O.
    QVERIFY(stat.write(fixture("stat-after")));
    QCOMPARE(cpu.GetCpuText(), QByteArray("CPU:48%"));

    // No tick between two samples: no value, then values again.
    QCOMPARE(cpu.GetCpuText(), QByteArray());
    QVERIFY(stat.write("cpu0 1080 20 520 8105 405 30 22 13 20 0\n"));
    QCOMPARE(cpu.GetCpuText(), QByteArray("CPU:50%"));
}

void tst_CpuStat::unreadable_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("no processor 0") << QByteArray("cpu  1 2 3 4\ncpu1 1 2 3 4\n");
}

void tst_CpuStat::unreadable()
{
    QFETCH(QByteArray, content);
    StatFile stat;
    if (!content.isNull())
        QVERIFY(stat.write(content));
    CPUStat cpu(stat.path());
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^processor load unavailable")));
    QVERIFY(!cpu.OpenCpuQuery());
    QCOMPARE(cpu.GetCpuText(), QByteArray());
}

void tst_CpuStat::fileLostWhileRunning()
{
    StatFile stat;
    QVERIFY(stat.write(fixture("stat-before")));
    CPUStat cpu(stat.path());
    QVERIFY(cpu.OpenCpuQuery());
    QCOMPARE(cpu.GetCpuText(), QByteArray());

    QVERIFY(stat.remove());
    // Logged once, not every second.
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^processor load unavailable")));
    QCOMPARE(cpu.GetCpuText(), QByteArray());
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QCOMPARE(cpu.GetCpuText(), QByteArray());

    // Back: a fresh first sample, then values; the sample before the loss
    // is not compared with.
    QVERIFY(stat.write(fixture("stat-after")));
    QCOMPARE(cpu.GetCpuText(), QByteArray());
    QVERIFY(stat.write("cpu0 1080 20 520 8105 405 30 22 13 20 0\n"));
    QCOMPARE(cpu.GetCpuText(), QByteArray("CPU:50%"));
}

QTEST_GUILESS_MAIN(tst_CpuStat)
#include "tst_cpustat.moc"
