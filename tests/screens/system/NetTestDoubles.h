#pragma once

#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "screens/system/HostLookup.h"

#include <QFile>
#include <QStringList>
#include <QtTest>

// Records what would be shown to the user.
class RecordingMessages : public MessageSink
{
public:
    void showMessage(const QString& text, MessageIcon) override { texts.append(text); }
    void requestQuit() override { ++quits; }
    QStringList texts;
    int quits = 0;
};

class SwitchedInternet : public InternetState
{
public:
    bool isConnected() const override { return connected; }
    bool connected = true;
};

// Answers of the system calls behind the host name and address, and a count
// of the calls made.
class ScriptedHost : public HostLookup
{
public:
    bool hostName(QByteArray& out, int& error) const override
    {
        ++hostNameCalls;
        if (hostNameError) {
            error = hostNameError;
            return false;
        }
        out = name;
        return true;
    }
    int resolveIPv4(const QByteArray& query, QList<QByteArray>& out) const override
    {
        ++resolveCalls;
        lastQuery = query;
        out = addresses;
        return resolveError;
    }
    QByteArray interfaceIPv4(const QString& interfaceName) const override
    {
        return interfaceName == routeInterface ? routeAddress : QByteArray();
    }
    QString defaultRouteInterface() const override { return routeInterface; }

    QByteArray name = "brellixbox";
    int hostNameError = 0;
    QList<QByteArray> addresses{QByteArray::fromHex("c0a8010a")};
    int resolveError = 0;
    QString routeInterface;
    QByteArray routeAddress;
    mutable int hostNameCalls = 0;
    mutable int resolveCalls = 0;
    mutable QByteArray lastQuery;
};

inline QString netFixture(const QString& name)
{
    return QStringLiteral(BRELLIX_TEST_DATA "/system/net/") + name;
}

inline void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(content), content.size());
}
