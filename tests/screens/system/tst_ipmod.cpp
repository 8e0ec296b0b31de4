#include "NetTestDoubles.h"

#include "screens/system/IPMod.h"

#include <QSemaphore>
#include <QSysInfo>
#include <QtTest>

#include <atomic>

namespace {
const QString ResolveFailure =
    QStringLiteral("Windows Sockets are not responding. Unable to successfully get Host Name.");

// Lookups answered within the call, so the rules can be followed step by step.
const IPMod::Runner Inline = [](std::function<void()> job) { job(); };

// A resolver that does not answer until the test lets it.
class StuckHost : public ScriptedHost
{
public:
    int resolveIPv4(const QByteArray& query, QList<QByteArray>& out) const override
    {
        ++started;
        // Answers in the end even unreleased, as a slow DNS server does.
        released.tryAcquire(1, 5000);
        return ScriptedHost::resolveIPv4(query, out);
    }
    mutable QSemaphore released;
    mutable std::atomic<int> started{0};
};
} // namespace

class TestIPMod : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostName()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        host->name = "fifteen-chars-x";
        IPMod ip(messages, host, 0, Inline);
        QCOMPARE(ip.GetHostName(), QStringLiteral("fifteen-chars-x"));
        QCOMPARE(ip.GetHostName().size(), 15);
        QVERIFY(messages.texts.isEmpty());
    }

    void address_data()
    {
        QTest::addColumn<QByteArray>("resolved"); // addresses, 4 bytes each
        QTest::addColumn<QString>("routeInterface");
        QTest::addColumn<QByteArray>("routeAddress");
        QTest::addColumn<QString>("expected");
        QTest::newRow("10.0.0.1") << QByteArray::fromHex("0a000001") << "" << QByteArray()
                                  << "10.0.0.1";
        QTest::newRow("first of two") << QByteArray::fromHex("c0a8010a0a000001") << "eth0"
                                      << QByteArray::fromHex("0a000002") << "192.168.1.10";
        QTest::newRow("bytes unsigned") << QByteArray::fromHex("ffff00fe") << "" << QByteArray()
                                        << "255.255.0.254";
        QTest::newRow("loopback, default route on eth0")
            << QByteArray::fromHex("7f000101") << "eth0" << QByteArray::fromHex("c0a8010a")
            << "192.168.1.10";
        QTest::newRow("loopback, no default route")
            << QByteArray::fromHex("7f000101") << "" << QByteArray() << "127.0.1.1";
        QTest::newRow("loopback, route interface without IPv4")
            << QByteArray::fromHex("7f000101") << "wg0" << QByteArray() << "127.0.1.1";
    }
    void address()
    {
        QFETCH(QByteArray, resolved);
        QFETCH(QString, routeInterface);
        QFETCH(QByteArray, routeAddress);
        QFETCH(QString, expected);
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        host->addresses.clear();
        for (qsizetype i = 0; i < resolved.size(); i += 4)
            host->addresses.append(resolved.mid(i, 4));
        host->routeInterface = routeInterface;
        host->routeAddress = routeAddress;
        IPMod ip(messages, host, 0, Inline);
        QCOMPARE(ip.GetIPAddress(), expected);
        QCOMPARE(host->lastQuery, QByteArray("brellixbox"));
        QVERIFY(messages.texts.isEmpty());
    }

    void blanksTrimmedBeforeLookup()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        host->name = "  box ";
        IPMod ip(messages, host, 0, Inline);
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QCOMPARE(host->lastQuery, QByteArray("box"));
    }

    void resolveFailureToldOnce()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        host->resolveError = -2; // EAI_NONAME
        host->addresses.clear();
        IPMod ip(messages, host, 0, Inline);
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(messages.texts, QStringList{ResolveFailure});
        QCOMPARE(host->resolveCalls, 3);

        // Works again, then fails again: told again.
        host->resolveError = 0;
        host->addresses = {QByteArray::fromHex("0a000001")};
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("10.0.0.1"));
        host->resolveError = -3; // EAI_AGAIN
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(messages.texts, QStringList({ResolveFailure, ResolveFailure}));
        // The host name itself is fine all along.
        QCOMPARE(ip.GetHostName(), QStringLiteral("brellixbox"));
    }

    void hostNameFailureToldOnce()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        host->hostNameError = 36;
        IPMod ip(messages, host, 0, Inline);
        const QString told = QStringLiteral(
            "Windows Sockets error 36 has occurred. Unable to successfully get Host Name.");
        // One refresh asks for both; later refreshes tell nothing new.
        for (int refresh = 0; refresh < 3; ++refresh) {
            QCOMPARE(ip.GetHostName(), QString());
            QCOMPARE(ip.GetIPAddress(), QString());
        }
        QCOMPARE(messages.texts, QStringList{told});
        QCOMPARE(host->resolveCalls, 0);

        host->hostNameError = 0;
        QCOMPARE(ip.GetHostName(), QStringLiteral("brellixbox"));
        host->hostNameError = 36;
        QCOMPARE(ip.GetHostName(), QString());
        QCOMPARE(messages.texts, QStringList({told, told}));
    }

    void resolvedAddressReused()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        IPMod ip(messages, host, IPMod::DefaultResolveMaxAgeMs, Inline);
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        host->addresses = {QByteArray::fromHex("0a000001")};
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QCOMPARE(host->resolveCalls, 1);
        QCOMPARE(host->hostNameCalls, 2); // the name is still asked each time
        // A new host name is looked up at once.
        host->name = "renamed";
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("10.0.0.1"));
        QCOMPARE(host->resolveCalls, 2);
    }

    // The lookup runs apart from the refresh: one at a time, the last answer
    // standing until the next is in, a failure told when its answer comes.
    void lookupApartFromRefresh()
    {
        RecordingMessages messages;
        auto host = std::make_shared<ScriptedHost>();
        QList<std::function<void()>> jobs;
        IPMod ip(messages, host, 0, [&jobs](std::function<void()> job) { jobs.append(job); });

        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(host->resolveCalls, 0);

        jobs.takeFirst()();
        // Taken in; with no reuse allowed, the next lookup starts at once.
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QCOMPARE(jobs.size(), 1);

        host->resolveError = -2; // EAI_NONAME
        host->addresses.clear();
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QVERIFY(messages.texts.isEmpty());
        jobs.takeFirst()();
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(messages.texts, QStringList{ResolveFailure});
    }

    // A resolver that hangs (a DNS server that does not answer) must not
    // hold the screen's refresh.
    void stuckResolverDoesNotHoldTheRefresh()
    {
        RecordingMessages messages;
        auto host = std::make_shared<StuckHost>();
        IPMod ip(messages, host); // its own thread
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(ip.GetIPAddress(), QString());
        QTRY_COMPARE(host->started.load(), 1);

        host->released.release(10);
        QTRY_COMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QCOMPARE(host->started.load(), 1); // the answer is reused
        QVERIFY(messages.texts.isEmpty());
    }

    // The screen may go away while its lookup still runs.
    void destroyedWhileLookingUp()
    {
        RecordingMessages messages;
        auto host = std::make_shared<StuckHost>();
        {
            IPMod ip(messages, host);
            QCOMPARE(ip.GetIPAddress(), QString());
            QTRY_COMPARE(host->started.load(), 1);
        }
        QCOMPARE(host.use_count(), long(2)); // the worker's share
        host->released.release();
        QTRY_COMPARE(host.use_count(), long(1));
        QVERIFY(messages.texts.isEmpty());
    }

    void dotted_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("four") << QByteArray::fromHex("c0a8010a") << "192.168.1.10";
        QTest::newRow("zeros") << QByteArray::fromHex("00000000") << "0.0.0.0";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void dotted()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(IPMod::dotted(bytes), expected);
    }

    void realSystemCalls()
    {
        const LinuxHostLookup real(netFixture("route_default_eth0"));
        QByteArray name;
        int error = 0;
        QVERIFY(real.hostName(name, error));
        QCOMPARE(QString::fromLocal8Bit(name), QSysInfo::machineHostName());

        QList<QByteArray> addresses;
        QCOMPARE(real.resolveIPv4("localhost", addresses), 0);
        QVERIFY(!addresses.isEmpty());
        QCOMPARE(addresses.first().toHex(), QByteArray("7f000001"));
        QCOMPARE(real.interfaceIPv4("lo").toHex(), QByteArray("7f000001"));
        QCOMPARE(real.interfaceIPv4("no-such-if0"), QByteArray());

        QCOMPARE(real.defaultRouteInterface(), QStringLiteral("eth0"));
        QCOMPARE(LinuxHostLookup(netFixture("route_no_default")).defaultRouteInterface(), QString());
        QCOMPARE(LinuxHostLookup(netFixture("missing")).defaultRouteInterface(), QString());
    }
};

QTEST_GUILESS_MAIN(TestIPMod)
#include "tst_ipmod.moc"
