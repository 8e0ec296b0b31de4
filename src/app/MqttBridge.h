#pragma once

#include "app/MqttSettings.h"
#include "platform/RemoteControl.h"
#include "platform/ReportOnce.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class MqttTransport;
class TopicValues;

// Brellix on an MQTT broker: what RemoteControl shows, published under
// [MQTT] Topic (retained, only when it changes, at most once a second per
// topic), its commands taken from <Topic>/<what>/set with the meaning,
// limits and refusals of the session bus's methods (MQTT is one caller
// for the limits), and Home Assistant's discovery configs. The connection
// is the transport's (libmosquitto in its plugin); when it fails or is
// lost, it is tried again after 1, 2, 4 ... at most 30 s, the failure said
// once per run, and on each connection everything is said again. It also
// listens to the topics the own screens name, for their values.
class MqttBridge final : public QObject
{
    Q_OBJECT
public:
    static inline const QString Caller = QStringLiteral("MQTT");
    // A command's payload beyond this is dropped unread.
    static constexpr qsizetype MaxPayload = 64 * 1024;
    static constexpr int MinGapMs = 1000; // between two publications of a topic
    static constexpr int MaxRetryMs = 30000;

    MqttBridge(RemoteControl& control, std::unique_ptr<MqttTransport> transport,
               MqttSettings settings, TopicValues* values = nullptr, QObject* parent = nullptr);
    // Says "offline" first when connected.
    ~MqttBridge() override;

    void start();
    bool connected() const { return m_connected; }
    // The wait before the next attempt, once one failed.
    int retryMs() const { return m_retry.interval(); }

private:
    struct Topic
    {
        std::optional<QByteArray> sent;    // retained on the broker as far as known
        std::optional<QByteArray> waiting; // newer, held back by the gap
        QDeadlineTimer quiet;              // until the next one may go
    };

    void connectNow();
    void onConnected();
    void onDisconnected(const QString& why);
    void onMessage(const QByteArray& topic, const QByteArray& payload);
    void command(const QString& what, const QByteArray& payload);
    RemoteControl::Outcome message(const QByteArray& payload);
    // Everything RemoteControl shows, and the discovery configs.
    void offerState();
    // Each entity's topic and config.
    QList<std::pair<QByteArray, QByteArray>>
    discoveryConfigs(const RemoteControl::State& state) const;
    void offer(const QByteArray& topic, const QByteArray& payload);
    void send(const QByteArray& topic, Topic& slot, const QByteArray& payload);
    void flush();
    QByteArray topic(const char* leaf) const;
    // Subscribed to what the own screens name now, and only that.
    void listenToValues();

    RemoteControl& m_control;
    std::unique_ptr<MqttTransport> m_transport;
    MqttSettings m_settings;
    bool m_connected = false;
    QTimer m_retry;
    int m_nextRetryMs = 1000;
    ReportOnce m_connectFailure;
    QHash<QByteArray, Topic> m_topics;
    QTimer m_flush;
    bool m_offering = false;             // an evaluation of the state is queued
    QStringList m_failingCommands;       // refused since their last success
    QList<QByteArray> m_discoveryTopics; // the configs of this run
    TopicValues* m_values = nullptr;
    QStringList m_valueTopics; // subscribed for the own screens
};
