#pragma once

#include "platform/HostLookup.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"

#include <QFile>
#include <QStringList>

class RecordingMessages : public MessageSink
{
public:
    void showMessage(const UserMessage& message) override
    {
        texts.append(message.text);
        messages.append(message);
    }
    void requestFatalEnd() override { ++quits; }
    QStringList texts;
    QList<UserMessage> messages;
    int quits = 0;
};

class ScriptedHost : public HostLookup
{
public:
    explicit ScriptedHost(QByteArray hostName = "brellixbox") : name(std::move(hostName)) {}
    bool hostName(QByteArray& out, int& error) const override
    {
        out = name;
        error = hostNameError;
        return hostNameError == 0;
    }
    int resolveIPv4(const QByteArray& query, QList<QByteArray>& out) const override
    {
        lastQuery = query;
        out = addresses;
        return resolveError;
    }
    QByteArray interfaceIPv4(const QString& name) const override
    {
        return name == routeInterface ? routeAddress : QByteArray();
    }
    QString defaultRouteInterface() const override { return routeInterface; }

    QByteArray name;
    int hostNameError = 0;
    QList<QByteArray> addresses{QByteArray::fromHex("c0a8010a")};
    int resolveError = 0;
    QString routeInterface;
    QByteArray routeAddress;
    mutable QByteArray lastQuery;
};

inline const QByteArray NetDevHeader =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
    "drop fifo colls carrier compressed\n";

inline QString dataPath(const QString& name)
{
    return QStringLiteral(BRELLIX_TEST_DATA "/system/") + name;
}

inline QByteArray readData(const QString& name)
{
    QFile f(dataPath(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    const QByteArray data = f.readAll();
    return data.isNull() ? QByteArray("", 0) : data; // an empty file is not "no file"
}

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}
