#include "platform/Clock.h"
#include "screens/system/modSpeedFan.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Data = QStringLiteral(BRELLIX_TEST_DATA "/system/cpu/speedfan/");
// The fixture logs are named for this day.
const QDateTime LogDay(QDate(2007, 3, 3), QTime(14, 30));

QByteArray nuls(int n)
{
    return QByteArray(n, '\0');
}

// Slots 1..5 of one table column, as the bytes they hold.
using Column = QList<QByteArray>;

Column column(const std::array<QString, 6>& a)
{
    Column c;
    for (int k = 1; k <= 5; ++k)
        c << a[std::size_t(k)].toLatin1();
    return c;
}

SensorTable tableOf(const Column& names, const Column& values)
{
    SensorTable t;
    for (int k = 1; k <= 5; ++k) {
        t.SensorNames[std::size_t(k)] = QString::fromLatin1(names.value(k - 1));
        t.SensorValues[std::size_t(k)] = QString::fromLatin1(values.value(k - 1));
    }
    return t;
}

const Column OldNames = {"n1", "n2", "n3", "n4", "n5"};
const Column OldValues = {"v1", "v2", "v3", "v4", "v5"};

} // namespace

class tst_SpeedFan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logFileName_data();
    void logFileName();
    void readLog_data();
    void readLog();
    void titleLimit_data();
    void titleLimit();
    void longTitle();
    void followsTheDate();
    void splitFields_data();
    void splitFields();
    void hasLogs();
};

void tst_SpeedFan::logFileName_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("leading zeros") << QDate(2007, 3, 3) << "SFLog20070303.csv";
    QTest::newRow("two digits") << QDate(2024, 12, 31) << "SFLog20241231.csv";
}

void tst_SpeedFan::logFileName()
{
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QCOMPARE(modSpeedFan::logFileName(date), name);
}

void tst_SpeedFan::readLog_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<Column>("names");
    QTest::addColumn<Column>("values");

    // The CR LF of the last line is removed, the NULs of the 256-byte block
    // after it are not; slots a line does not reach keep what they held.
    QTest::newRow("first title of 7 characters")
        << "basic" << true << Column{"Temp1", "Temp2", "Fan1", "n4", "n5"}
        << Column{"45.5", "38.0", "2410" + nuls(236), "v4", "v5"};
    QTest::newRow("8 characters are dropped, whatever the first title")
        << "shifted" << true << Column{"p1", "Temp2", "n3", "n4", "n5"}
        << Column{"40.0", "41.0" + nuls(243), "v3", "v4", "v5"};
    QTest::newRow("only the first 256 bytes of the last line")
        << "longline" << true << Column{"Temp1", "Temp2", "n3", "n4", "n5"}
        << Column{QByteArray(252, 'A'), "v2", "v3", "v4", "v5"};
    QTest::newRow("at most five fields")
        << "sixfields" << true << Column{"T1", "T2", "T3", "T4", "T5"}
        << Column{"1.0", "2.0", "3.0", "4.0", "5.0"};
    QTest::newRow("inner fields untrimmed, the last one trimmed")
        << "spaces" << true << Column{" Temp1 ", "Fan1", "n3", "n4", "n5"}
        << Column{" 45.5 ", "2410 " + nuls(239), "v3", "v4", "v5"};
    QTest::newRow("last line without CR LF")
        << "noending" << true << Column{"Temp1", "Temp2", "n3", "n4", "n5"}
        << Column{"40.5", "41.5 " + nuls(242), "v3", "v4", "v5"};
    // A new day's log before its first row: the titles, no values.
    QTest::newRow("title line only")
        << "oneline" << false << Column{"Temp1", "Temp2", "n3", "n4", "n5"} << OldValues;
    QTest::newRow("empty log") << "empty" << false << Column{"", "n2", "n3", "n4", "n5"}
                               << OldValues;
    QTest::newRow("no log for today") << "otherday" << false << OldNames << OldValues;
    QTest::newRow("no folder") << "missing" << false << OldNames << OldValues;
}

void tst_SpeedFan::readLog()
{
    QFETCH(QString, folder);
    QFETCH(bool, ok);
    QFETCH(Column, names);
    QFETCH(Column, values);

    FixedClock clock(LogDay);
    modSpeedFan log(Data + folder, clock);
    SensorTable table = tableOf(OldNames, OldValues);
    if (!ok)
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^SpeedFan readings")));
    QCOMPARE(log.ReadSpeedFanLog(table), ok);
    QCOMPARE(column(table.SensorNames), names);
    QCOMPARE(column(table.SensorValues), values);
    QCOMPARE(table.SensorNames[0], QString());
    QCOMPARE(table.SensorValues[0], QString());

    // Nothing is carried between calls but the table.
    SensorTable again = tableOf(OldNames, OldValues);
    QCOMPARE(log.ReadSpeedFanLog(again), ok);
    QCOMPARE(column(again.SensorValues), values);
}

void tst_SpeedFan::titleLimit_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("titleRead");
    // A title without CR is read up to the byte before the last, as long as
    // that stays within 32766 bytes; beyond, the file is not a log.
    QTest::newRow("32766 bytes") << 32766 << true;
    QTest::newRow("32767 bytes") << 32767 << false;
    QTest::newRow("100000 bytes") << 100000 << false;
}

void tst_SpeedFan::titleLimit()
{
    QFETCH(int, length);
    QFETCH(bool, titleRead);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("SFLog20070303.csv")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray content = "Seconds\tTemp1\t" + QByteArray(length - 14, 'x');
    QCOMPARE(f.write(content), qint64(length));
    f.close();

    FixedClock clock(LogDay);
    modSpeedFan log(dir.path(), clock);
    SensorTable table = tableOf(OldNames, OldValues);
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^SpeedFan readings")));
    QVERIFY(!log.ReadSpeedFanLog(table));
    if (titleRead) {
        // The last byte of the file is not part of the title.
        QCOMPARE(column(table.SensorNames),
                 (Column{"Temp1", QByteArray(length - 15, 'x'), "n3", "n4", "n5"}));
    } else {
        QCOMPARE(column(table.SensorNames), OldNames);
    }
    QCOMPARE(column(table.SensorValues), OldValues);
}

void tst_SpeedFan::longTitle()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("SFLog20070303.csv")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray content =
        "Seconds\tTemp1\t" + QByteArray(3000, 'x') + "\r\n1\t40.5\t" + QByteArray(3000, 'y');
    QCOMPARE(f.write(content), qint64(content.size()));
    f.close();

    FixedClock clock(LogDay);
    modSpeedFan log(dir.path(), clock);
    SensorTable table = tableOf(OldNames, OldValues);
    QVERIFY(log.ReadSpeedFanLog(table));
    QCOMPARE(column(table.SensorNames), (Column{"Temp1", QByteArray(3000, 'x'), "n3", "n4", "n5"}));
    QCOMPARE(column(table.SensorValues), (Column{"40.5", QByteArray(249, 'y'), "v3", "v4", "v5"}));
}

void tst_SpeedFan::followsTheDate()
{
    FixedClock clock(LogDay.addDays(-1));
    modSpeedFan log(Data + QStringLiteral("otherday"), clock);
    QCOMPARE(log.logPath(), Data + QStringLiteral("otherday/SFLog20070302.csv"));
    SensorTable table;
    QVERIFY(log.ReadSpeedFanLog(table));
    QCOMPARE(column(table.SensorValues), (Column{"40.0" + nuls(248), "", "", "", ""}));

    // At midnight the next day's log is due, and there is none yet.
    clock.set(LogDay);
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("SFLog20070303.csv")));
    QVERIFY(!log.ReadSpeedFanLog(table));
    QCOMPARE(column(table.SensorNames), (Column{"Temp1", "", "", "", ""}));
}

void tst_SpeedFan::splitFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("dropCrLf");
    QTest::addColumn<Column>("expected");

    QTest::newRow("empty text empties slot 1")
        << QByteArray() << false << Column{"", "o2", "o3", "o4", "o5"};
    QTest::newRow("trailing tab gives an empty last field")
        << QByteArray("a\t") << false << Column{"a", "", "o3", "o4", "o5"};
    QTest::newRow("CR LF kept without the flag")
        << QByteArray("a\r\nb\t c\r\n ") << false << Column{"a\r\nb", "c\r\n", "o3", "o4", "o5"};
    QTest::newRow("every CR LF pair of the last field goes")
        << QByteArray("a\r\nb\t c\r\nd\r\n ") << true << Column{"a\r\nb", "cd", "o3", "o4", "o5"};
    QTest::newRow("lone CR and LF stay")
        << QByteArray("\n\r") << true << Column{"\n\r", "o2", "o3", "o4", "o5"};
    QTest::newRow("only the last field is trimmed")
        << QByteArray("  a \t b  ") << false << Column{"  a ", "b", "o3", "o4", "o5"};
}

void tst_SpeedFan::splitFields()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, dropCrLf);
    QFETCH(Column, expected);
    SensorTable t = tableOf({"o1", "o2", "o3", "o4", "o5"}, {});
    modSpeedFan::splitFields(text, t.SensorNames, dropCrLf);
    QCOMPARE(column(t.SensorNames), expected);
}

void tst_SpeedFan::hasLogs()
{
    QVERIFY(modSpeedFan::hasLogs(Data + QStringLiteral("basic")));
    QVERIFY(!modSpeedFan::hasLogs(Data));
    QVERIFY(!modSpeedFan::hasLogs(Data + QStringLiteral("missing")));
    QVERIFY(!modSpeedFan::hasLogs(QString()));
}

QTEST_GUILESS_MAIN(tst_SpeedFan)
#include "tst_speedfan.moc"
