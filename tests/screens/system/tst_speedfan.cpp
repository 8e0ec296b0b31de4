#include "SystemTestDoubles.h"

#include "screens/system/modSpeedFan.h"
#include "support/FixedClock.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDateTime LogDay(QDate(2007, 3, 3), QTime(14, 30)); // the fixture logs' day
using Column = QList<QByteArray>;                         // slots 1..5 as bytes
const Column Old = {"o1", "o2", "o3", "o4", "o5"};

Column column(const std::array<QString, 6>& a)
{
    return {a[1].toLatin1(), a[2].toLatin1(), a[3].toLatin1(), a[4].toLatin1(), a[5].toLatin1()};
}

QByteArray fixtureLog(const char* name)
{
    return readData(QStringLiteral("cpu/speedfan/%1/SFLog20070303.csv").arg(name));
}
} // namespace

class tst_SpeedFan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readLog_data()
    {
        QTest::addColumn<QByteArray>("log"); // null: no log for today
        QTest::addColumn<Column>("names");
        QTest::addColumn<Column>("values"); // unchanged: the read failed
        // The CR LF of the last line goes, the NULs of the 256-byte block after it stay;
        // slots a line does not reach keep what they held.
        QTest::newRow("first title of 7 characters")
            << fixtureLog("basic") << Column{"Temp1", "Temp2", "Fan1", "o4", "o5"}
            << Column{"45.5", "38.0", "2410" + QByteArray(236, 0), "o4", "o5"};
        QTest::newRow("the first 256 bytes of a longer last line")
            << fixtureLog("longline") << Column{"Temp1", "Temp2", "o3", "o4", "o5"}
            << Column{QByteArray(252, 'A'), "o2", "o3", "o4", "o5"};
        QTest::newRow("only the last field trimmed")
            << QByteArray("Seconds\t Temp1 \t Fan1 \r\n7\t 45.5 \t 2410 \r\n")
            << Column{" Temp1 ", "Fan1", "o3", "o4", "o5"}
            << Column{" 45.5 ", "2410 " + QByteArray(239, 0), "o3", "o4", "o5"};
        QTest::newRow("log of one line")
            << fixtureLog("oneline") << Column{"Temp1", "Temp2", "o3", "o4", "o5"} << Old;
        QTest::newRow("empty log")
            << fixtureLog("empty") << Column{"", "o2", "o3", "o4", "o5"} << Old;
        QTest::newRow("no log for today") << QByteArray() << Old << Old;
        QTest::newRow("title of 32767 bytes: not a log")
            << "Seconds\tTemp1\t" + QByteArray(32753, 'x') << Old << Old;
    }
    void readLog()
    {
        QFETCH(QByteArray, log);
        QFETCH(Column, names);
        QFETCH(Column, values);
        QTemporaryDir dir;
        QVERIFY(log.isNull() || writeFile(dir.filePath(QStringLiteral("SFLog20070303.csv")), log));
        FixedClock clock(LogDay);
        modSpeedFan reader(dir.path(), clock);
        SensorTable table;
        for (int k = 1; k <= 5; ++k)
            table.SensorNames[k] = table.SensorValues[k] = QString::fromLatin1(Old[k - 1]);
        if (values == Old)
            QTest::ignoreMessage(QtInfoMsg,
                                 QRegularExpression(QStringLiteral("^SpeedFan readings")));
        QCOMPARE(reader.ReadSpeedFanLog(table), values != Old);
        QCOMPARE(column(table.SensorNames), names);
        QCOMPARE(column(table.SensorValues), values);
    }
};

QTEST_GUILESS_MAIN(tst_SpeedFan)
#include "tst_speedfan.moc"
