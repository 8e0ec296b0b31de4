#pragma once

#include "platform/MqttTransport.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QTimer>

#include <atomic>
#include <memory>

struct mosquitto;
struct mosquitto_message;
struct ssl_ctx_st;
class QSocketNotifier;
class QThread;

// An MQTT connection with libmosquitto on the Qt event loop of this thread:
// its socket in notifiers (read always, write only while it wants to
// write), its keep-alive from a timer. Each attempt's blocking part (the
// password command, the name lookup and the start of the connection) runs
// on a thread of its own while the loop runs on. TLS is libssl's with a
// context of Brellix's own, so a certificate that does not verify can be
// named; it is always verified, host name included.
class MosquittoTransport final : public QObject, public MqttTransport
{
    Q_OBJECT
public:
    MosquittoTransport();
    ~MosquittoTransport() override;

    void setEvents(Events events) override { m_events = std::move(events); }
    void open(const MqttEndpoint& endpoint) override;
    void publish(const QByteArray& topic, const QByteArray& payload, bool retain) override;
    void subscribe(const QByteArray& filter) override;
    void unsubscribe(const QByteArray& filter) override;

    struct Callbacks; // libmosquitto's and libssl's, in the .cpp only

private:
    enum class Phase { Closed, Starting, Connecting, Connected };

    QString prepareTls(const MqttEndpoint& endpoint);
    // The attempt's thread has ended: rc is mosquitto_connect_async's.
    void started(int rc, const QString& why);
    // After every call into libmosquitto: follows its socket, then passes
    // on what its callbacks noted, in order.
    void settle(int rc, int error);
    void serviceRead();
    void serviceWrite();
    void closeNotifiers();
    QString describe(int rc, int error) const;

    mosquitto* m_mosq = nullptr;
    ssl_ctx_st* m_tls = nullptr;
    Events m_events;
    Phase m_phase = Phase::Closed;
    std::unique_ptr<QThread> m_attempt;
    std::atomic<bool> m_leaving{false};
    QByteArray m_secret; // the password command's answer, kept for the next attempts
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QTimer m_housekeeping;
    // What the callbacks noted during the last call.
    bool m_accepted = false;
    int m_refusal = 0;     // the broker's CONNACK code, 0 for none
    QString m_certificate; // why the broker's certificate did not verify
    QList<QPair<QByteArray, QByteArray>> m_inbox;
};
