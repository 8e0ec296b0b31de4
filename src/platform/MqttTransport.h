#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// Where and how to reach an MQTT broker, from [MQTT].
struct MqttEndpoint
{
    QString host;
    quint16 port = 1883;
    bool tls = false;            // always verified: against caFile, else the system's CAs
    QString caFile;              // the CA certificates to trust instead of the system's
    QString user;                // empty: no login
    QStringList passwordCommand; // run for the password before a login; empty: none
    QString clientId;
    QByteArray willTopic; // said (retained) by the broker when the connection dies
    QByteArray willPayload;
};

// One connection to a broker, driven by the event loop of its thread; the
// bridge in the core decides what it says and when it tries again. Each
// open() is one attempt: connected() or disconnected(why) follows, later;
// after connected(), disconnected(why) when the connection is lost.
// Nothing blocks the caller: name lookups and a password command run
// elsewhere.
class MqttTransport
{
public:
    struct Events
    {
        std::function<void()> connected;
        // why in words: "connection refused", "not authorised", a
        // certificate that does not verify named with the reason.
        std::function<void(const QString& why)> disconnected;
        std::function<void(const QByteArray& topic, const QByteArray& payload)> message;
    };

    virtual ~MqttTransport() = default;
    virtual void setEvents(Events events) = 0;
    virtual void open(const MqttEndpoint& endpoint) = 0;
    // Dropped when not connected: the bridge says everything again on the
    // next connected().
    virtual void publish(const QByteArray& topic, const QByteArray& payload, bool retain) = 0;
    virtual void subscribe(const QByteArray& filter) = 0;
    virtual void unsubscribe(const QByteArray& filter) = 0;
};
