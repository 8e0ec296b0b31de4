#include "NetTestDoubles.h"

#include "screens/system/IPMod.h"

#include <QSysInfo>
#include <QtTest>

namespace {
const QString ResolveFailure =
    QStringLiteral("Windows Sockets are not responding. Unable to successfully get Host Name.");
}

class TestIPMod : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostName()
    {
        RecordingMessages messages;
        ScriptedHost host;
        host.name = "fifteen-chars-x";
        IPMod ip(messages, host, 0);
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
        ScriptedHost host;
        host.addresses.clear();
        for (qsizetype i = 0; i < resolved.size(); i += 4)
            host.addresses.append(resolved.mid(i, 4));
        host.routeInterface = routeInterface;
        host.routeAddress = routeAddress;
        IPMod ip(messages, host, 0);
        QCOMPARE(ip.GetIPAddress(), expected);
        QCOMPARE(host.lastQuery, QByteArray("brellixbox"));
        QVERIFY(messages.texts.isEmpty());
    }

    void blanksTrimmedBeforeLookup()
    {
        RecordingMessages messages;
        ScriptedHost host;
        host.name = "  box ";
        IPMod ip(messages, host, 0);
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QCOMPARE(host.lastQuery, QByteArray("box"));
    }

    void resolveFailureToldOnce()
    {
        RecordingMessages messages;
        ScriptedHost host;
        host.resolveError = -2; // EAI_NONAME
        host.addresses.clear();
        IPMod ip(messages, host, 0);
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(messages.texts, QStringList{ResolveFailure});
        QCOMPARE(host.resolveCalls, 3);

        // Works again, then fails again: told again.
        host.resolveError = 0;
        host.addresses = {QByteArray::fromHex("0a000001")};
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("10.0.0.1"));
        host.resolveError = -3; // EAI_AGAIN
        QCOMPARE(ip.GetIPAddress(), QString());
        QCOMPARE(messages.texts, QStringList({ResolveFailure, ResolveFailure}));
        // The host name itself is fine all along.
        QCOMPARE(ip.GetHostName(), QStringLiteral("brellixbox"));
    }

    void hostNameFailureToldOnce()
    {
        RecordingMessages messages;
        ScriptedHost host;
        host.hostNameError = 36;
        IPMod ip(messages, host, 0);
        const QString told = QStringLiteral(
            "Windows Sockets error 36 has occurred. Unable to successfully get Host Name.");
        // One refresh asks for both; later refreshes tell nothing new.
        for (int refresh = 0; refresh < 3; ++refresh) {
            QCOMPARE(ip.GetHostName(), QString());
            QCOMPARE(ip.GetIPAddress(), QString());
        }
        QCOMPARE(messages.texts, QStringList{told});
        QCOMPARE(host.resolveCalls, 0);

        host.hostNameError = 0;
        QCOMPARE(ip.GetHostName(), QStringLiteral("brellixbox"));
        host.hostNameError = 36;
        QCOMPARE(ip.GetHostName(), QString());
        QCOMPARE(messages.texts, QStringList({told, told}));
    }

    void resolvedAddressReused()
    {
        RecordingMessages messages;
        ScriptedHost host;
        IPMod ip(messages, host); // default age
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        host.addresses = {QByteArray::fromHex("0a000001")};
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("192.168.1.10"));
        QCOMPARE(host.resolveCalls, 1);
        QCOMPARE(host.hostNameCalls, 2); // the name is still asked each time
        // A new host name is looked up at once.
        host.name = "renamed";
        QCOMPARE(ip.GetIPAddress(), QStringLiteral("10.0.0.1"));
        QCOMPARE(host.resolveCalls, 2);
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
