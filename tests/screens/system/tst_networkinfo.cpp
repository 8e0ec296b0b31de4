#include "NetTestDoubles.h"

#include "screens/system/CIpHelper.h"
#include "screens/system/IPMod.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/time/ScreenLines.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>

namespace {
const QByteArray Header =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n";

QByteArray table(qint64 received, qint64 sent)
{
    // Split over two rows: the screen must use the sum.
    return Header + QByteArrayLiteral("    lo: 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n") +
           "  eth0: " + QByteArray::number(received - 1) +
           " 1 0 0 0 0 0 0 " + QByteArray::number(sent - 1) + " 1 0 0 0 0 0 0\n" +
           "  eth1: 1 1 0 0 0 0 0 0 1 1 0 0 0 0 0 0\n";
}

// 06 / 07 glyph, a space, "192.168.1.10"
const QByteArray ConnectedLine = QByteArray::fromHex("06203139322e3136382e312e3130");
const QByteArray OfflineLine = QByteArray::fromHex("07203139322e3136382e312e3130");
} // namespace

class TestNetworkInfo : public QObject
{
    Q_OBJECT

    // A screen on a table file the test rewrites between refreshes.
    struct Rig
    {
        QTemporaryDir dir;
        RecordingMessages messages;
        SwitchedInternet internet;
        ScreenLines lines;
        ScriptedHost* host = nullptr;
        std::unique_ptr<CIpHelper> helper;
        std::unique_ptr<NetworkInfoScreen> screen;

        Rig()
        {
            helper = std::make_unique<CIpHelper>(messages, dev(), dir.filePath("sys"));
            auto scripted = std::make_unique<ScriptedHost>();
            host = scripted.get();
            // The address lookup answers within the refresh here.
            screen = std::make_unique<NetworkInfoScreen>(
                lines, messages, internet, *helper, std::move(scripted),
                [](std::function<void()> job) { job(); });
        }
        QString dev() const { return dir.filePath("dev"); }
    };

private Q_SLOTS:
    void rateText_data()
    {
        QTest::addColumn<qint64>("octets");
        QTest::addColumn<QString>("point");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << qint64(0) << "." << "0";
        QTest::newRow("123") << qint64(123) << "." << "0.123";
        QTest::newRow("12345") << qint64(12345) << "." << "12.345";
        QTest::newRow("1234567") << qint64(1234567) << "." << "1234.567";
        QTest::newRow("-1500") << qint64(-1500) << "." << "-1.5";
        QTest::newRow("1000 no separator") << qint64(1000) << "." << "1";
        QTest::newRow("1010 trailing zero") << qint64(1010) << "." << "1.01";
        QTest::newRow("1001") << qint64(1001) << "." << "1.001";
        QTest::newRow("-1") << qint64(-1) << "." << "-0.001";
        QTest::newRow("-999") << qint64(-999) << "." << "-0.999";
        QTest::newRow("beyond 32 bits") << qint64(5000000000) << "." << "5000000";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "."
                                 << "9223372036854775.807";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "."
                                       << "-9223372036854775.808";
        QTest::newRow("comma locale") << qint64(12345) << "," << "12,345";
        QTest::newRow("comma locale, whole") << qint64(12000) << "," << "12";
    }
    void rateText()
    {
        QFETCH(qint64, octets);
        QFETCH(QString, point);
        QFETCH(QString, expected);
        QCOMPARE(NetworkInfoScreen::RateText(octets, point), expected);
    }

    void refreshSequence()
    {
        Rig rig;
        QVERIFY(rig.dir.isValid());
        struct Step
        {
            const char* what;
            bool connected;
            qint64 received; // -1: the table is garbage (must not be read)
            qint64 sent;
            QByteArray line2;
            QByteArray line3;
            QByteArray line4;
        };
        const Step steps[] = {
            {"offline at first: lines 3, 4 stay empty", false, -1, 0, OfflineLine, "", ""},
            {"first connected: all so far", true, 5000000, 100000, ConnectedLine,
             "In :5000 kbps", "Out:100 kbps"},
            {"one second later", true, 5012345, 100400, ConnectedLine, "In :12.345 kbps",
             "Out:0.4 kbps"},
            {"nothing moved", true, 5012345, 100400, ConnectedLine, "In :0 kbps", "Out:0 kbps"},
            {"more traffic", true, 5013345, 100400, ConnectedLine, "In :1 kbps", "Out:0 kbps"},
            {"offline: last rates kept", false, -1, 0, OfflineLine, "In :1 kbps", "Out:0 kbps"},
            {"offline again", false, -1, 0, OfflineLine, "In :1 kbps", "Out:0 kbps"},
            {"back: traffic of the whole gap", true, 5020000, 101000, ConnectedLine,
             "In :6.655 kbps", "Out:0.6 kbps"},
            {"counter went down", true, 5018500, 101000, ConnectedLine, "In :-1.5 kbps",
             "Out:0 kbps"},
            {"a big second", true, 6253067, 101123, ConnectedLine, "In :1234.567 kbps",
             "Out:0.123 kbps"},
            {"exactly 20", true, 4294967000, 101123, ConnectedLine, "In :4288713.933 kbps",
             "Out:0 kbps"},
            {"cut at 20", true, 4294967000, 10000101124, ConnectedLine, "In :0 kbps",
             "Out:10000000.001 kbp"},
            {"across 2^32", true, 4294968296, 10000102124, ConnectedLine, "In :1.296 kbps",
             "Out:1 kbps"},
        };
        for (const Step& step : steps) {
            rig.internet.connected = step.connected;
            writeFile(rig.dev(), step.received < 0 ? QByteArray("garbage\n")
                                                   : table(step.received, step.sent));
            rig.screen->show();
            QCOMPARE(rig.lines.line(0), QByteArray("brellixbox"));
            QVERIFY2(rig.lines.line(1) == step.line2, step.what);
            QVERIFY2(rig.lines.line(2) == step.line3,
                     qPrintable(QString::fromLatin1(step.what) + ": " + rig.lines.line(2)));
            QVERIFY2(rig.lines.line(3) == step.line4,
                     qPrintable(QString::fromLatin1(step.what) + ": " + rig.lines.line(3)));
            QCOMPARE(rig.screen->InternetConnected(), step.connected);
        }
        // The garbage table was never read: offline refreshes leave it alone.
        QVERIFY(rig.messages.texts.isEmpty());
        QCOMPARE(rig.screen->PrevBytesReceived(), 4294968296);
        QCOMPARE(rig.screen->PrevBytesSent(), 10000102124);
    }

    void noTableShowsZero_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QStringList>("told");
        const QStringList once{"IP Helper is not supported by this system."};
        QTest::newRow("unreadable") << QByteArray("garbage\n") << once;
        QTest::newRow("no rows") << Header << QStringList();
    }
    void noTableShowsZero()
    {
        QFETCH(QByteArray, bad);
        QFETCH(QStringList, told);
        Rig rig;
        writeFile(rig.dev(), table(8000, 2000));
        rig.screen->show();
        QCOMPARE(rig.lines.line(2), QByteArray("In :8 kbps"));

        writeFile(rig.dev(), bad);
        for (int refresh = 0; refresh < 3; ++refresh) {
            rig.screen->show();
            QCOMPARE(rig.lines.line(2), QByteArray("In :0 kbps"));
            QCOMPARE(rig.lines.line(3), QByteArray("Out:0 kbps"));
        }
        QCOMPARE(rig.messages.texts, told);
        QCOMPARE(rig.screen->PrevBytesReceived(), 8000);

        // When the table is back, the rate covers the time it was missing.
        writeFile(rig.dev(), table(9500, 2000));
        rig.screen->show();
        QCOMPARE(rig.lines.line(2), QByteArray("In :1.5 kbps"));
        QCOMPARE(rig.messages.texts, told);
    }

    void zeroTotals()
    {
        Rig rig;
        writeFile(rig.dev(), Header + "    lo: 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
        rig.screen->show();
        QCOMPARE(rig.lines.line(2), QByteArray("In :0 kbps"));
        QCOMPARE(rig.lines.line(3), QByteArray("Out:0 kbps"));
        QVERIFY(rig.messages.texts.isEmpty());
    }

    void hostLines_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("nameError");
        QTest::addColumn<int>("resolveError");
        QTest::addColumn<QByteArray>("line1");
        QTest::addColumn<QByteArray>("line2");
        QTest::addColumn<int>("messages");
        QTest::newRow("24 characters cut at 20")
            << QByteArray("abcdefghijklmnopqrstuvwx") << 0 << 0
            << QByteArray("abcdefghijklmnopqrst") << ConnectedLine << 0;
        QTest::newRow("no host name") << QByteArray() << 36 << 0 << QByteArray()
                                      << QByteArray::fromHex("0620") << 1;
        QTest::newRow("name not resolved") << QByteArray("box") << 0 << -2 << QByteArray("box")
                                           << QByteArray::fromHex("0620") << 1;
        // Control bytes in outside text never reach the module as commands.
        QTest::newRow("control byte in name")
            << QByteArray("a\xfe" "b") << 0 << 0 << QByteArray("a?b") << ConnectedLine << 0;
    }
    void hostLines()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, nameError);
        QFETCH(int, resolveError);
        QFETCH(QByteArray, line1);
        QFETCH(QByteArray, line2);
        QFETCH(int, messages);
        Rig rig;
        writeFile(rig.dev(), table(1000, 1000));
        rig.host->name = name;
        rig.host->hostNameError = nameError;
        rig.host->resolveError = resolveError;
        for (int refresh = 0; refresh < 3; ++refresh) {
            rig.screen->show();
            QCOMPARE(rig.lines.line(0).toHex(' '), line1.toHex(' '));
            QCOMPARE(rig.lines.line(1).toHex(' '), line2.toHex(' '));
        }
        QCOMPARE(rig.messages.texts.size(), messages);
    }

    // Mode 3 as the program runs it: the real tables, routes and resolver.
    void realSystem()
    {
        RecordingMessages messages;
        LinuxInternetState internet;
        ScreenLines lines;
        CIpHelper helper(messages);
        NetworkInfoScreen screen(lines, messages, internet, helper);
        screen.show();
        // The address follows once the lookup's thread has answered.
        QTRY_VERIFY((screen.show(), lines.line(1).size() > 2 || !messages.texts.isEmpty()));

        QCOMPARE(lines.line(0), QSysInfo::machineHostName().toLatin1().left(20));
        const bool connected = internet.isConnected();
        QCOMPARE(screen.InternetConnected(), connected);
        QCOMPARE(quint8(lines.line(1).at(0)), connected ? quint8(6) : quint8(7));
        const QString address = QString::fromLatin1(lines.line(1).mid(2));
        if (messages.texts.isEmpty())
            QVERIFY2(QRegularExpression("^\\d{1,3}(\\.\\d{1,3}){3}$").match(address).hasMatch(),
                     qPrintable(address));

        const LinuxHostLookup system;
        const QByteArray routed = system.interfaceIPv4(system.defaultRouteInterface());
        if (!routed.isEmpty() && messages.texts.isEmpty())
            QVERIFY2(!address.startsWith("127."), qPrintable(address));

        if (!connected) {
            QVERIFY(lines.line(2).isEmpty());
            QSKIP("no default route here: the rate lines stay empty");
        }
        const QRegularExpression rate("^(In :|Out:)-?\\d+(\\.\\d{0,2}[1-9])? kbps$");
        QVERIFY2(rate.match(QString::fromLatin1(lines.line(2))).hasMatch(), lines.line(2));
        QVERIFY2(rate.match(QString::fromLatin1(lines.line(3))).hasMatch(), lines.line(3));
        QVERIFY(screen.PrevBytesReceived() > 0);
        QCOMPARE(helper.ReadTotals() > 0, true);
        QVERIFY(helper.BytesReceived() >= screen.PrevBytesReceived());
    }
};

QTEST_GUILESS_MAIN(TestNetworkInfo)
#include "tst_networkinfo.moc"
