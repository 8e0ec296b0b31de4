#include "app/MqttBridge.h"

#include "platform/Logging.h"
#include "platform/MqttTransport.h"
#include "platform/PrintableText.h"
#include "screens/own/TopicValues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {
using Outcome = RemoteControl::Outcome;
using Refusal = RemoteControl::Refusal;

Outcome malformed(const QString& why)
{
    return {Refusal::InvalidArgs, why, 0};
}

// Brellix's entities in Home Assistant: component, object id, name and the
// config's own members ("%1": the topic).
struct Entity
{
    const char* component;
    const char* object;
    const char* name;
    const char* members;
};
const Entity Entities[] = {
    {"select", "mode", "Mode", R"("state_topic":"%1/mode","command_topic":"%1/mode/set")"},
    // Switched on before the level is sent: the level needs the light.
    {"light", "backlight", "Backlight",
     R"("state_topic":"%1/backlight","command_topic":"%1/backlight/set","payload_on":"ON",)"
     R"("payload_off":"OFF","brightness_state_topic":"%1/brightness",)"
     R"("brightness_command_topic":"%1/brightness/set","brightness_scale":254,)"
     R"("on_command_type":"first")"},
    {"switch", "rotation", "Rotation",
     R"("state_topic":"%1/rotation","command_topic":"%1/rotation/set","payload_on":"ON",)"
     R"("payload_off":"OFF")"},
    {"text", "message", "Message", R"("command_topic":"%1/message/set","max":80)"},
    {"binary_sensor", "connected", "Connected",
     R"("state_topic":"%1/connected","payload_on":"true","payload_off":"false",)"
     R"("device_class":"connectivity")"},
    {"sensor", "line1", "Line 1",
     R"("state_topic":"%1/lines","value_template":"{{ value_json[0] }}")"},
    {"sensor", "line2", "Line 2",
     R"("state_topic":"%1/lines","value_template":"{{ value_json[1] }}")"},
    {"sensor", "line3", "Line 3",
     R"("state_topic":"%1/lines","value_template":"{{ value_json[2] }}")"},
    {"sensor", "line4", "Line 4",
     R"("state_topic":"%1/lines","value_template":"{{ value_json[3] }}")"},
};

// Home Assistant takes only letters, digits, _ and - in the node's place of
// a discovery topic (no regular expression: PCRE2 costs half a megabyte).
QString nodeId(const QString& clientId)
{
    QString id = clientId;
    for (QChar& c : id) {
        if (c.unicode() > 127 || (!c.isLetterOrNumber() && c != u'_' && c != u'-'))
            c = u'_';
    }
    return id;
}
} // namespace

MqttBridge::MqttBridge(RemoteControl& control, std::unique_ptr<MqttTransport> transport,
                       MqttSettings settings, TopicValues* values, QObject* parent)
    : QObject(parent), m_control(control), m_transport(std::move(transport)),
      m_settings(std::move(settings)), m_values(values)
{
    if (m_values)
        connect(m_values, &TopicValues::topicsChanged, this, &MqttBridge::listenToValues);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttBridge::connectNow);
    m_flush.setSingleShot(true);
    connect(&m_flush, &QTimer::timeout, this, &MqttBridge::flush);
    MqttTransport::Events events;
    events.connected = [this] { onConnected(); };
    events.disconnected = [this](const QString& why) { onDisconnected(why); };
    events.message = [this](const QByteArray& t, const QByteArray& p) { onMessage(t, p); };
    m_transport->setEvents(std::move(events));
    RemoteControl::Observer observer;
    // A refresh changes up to four lines: one evaluation for them all.
    observer.changed = [this] {
        if (!std::exchange(m_offering, true))
            QTimer::singleShot(0, this, &MqttBridge::offerState);
    };
    m_control.addObserver(this, std::move(observer));
}

MqttBridge::~MqttBridge()
{
    m_control.removeObserver(this);
    if (m_connected)
        m_transport->publish(topic("status"), "offline", true);
    m_transport->setEvents({});
}

void MqttBridge::start()
{
    offerState();
    connectNow();
}

QByteArray MqttBridge::topic(const char* leaf) const
{
    return (m_settings.topic + u'/' + QLatin1String(leaf)).toUtf8();
}

void MqttBridge::connectNow()
{
    m_transport->open(m_settings.endpoint);
}

void MqttBridge::onConnected()
{
    m_connected = true;
    m_retry.stop();
    m_nextRetryMs = 1000;
    m_connectFailure.succeeded();
    const MqttEndpoint& e = m_settings.endpoint;
    qCInfo(lcMqtt).noquote() << QStringLiteral("connected to %1:%2 as %3, under %4")
                                    .arg(e.host)
                                    .arg(e.port)
                                    .arg(e.clientId, m_settings.topic);
    m_transport->publish(topic("status"), "online", true);
    m_transport->subscribe(topic("+/set"));
    // Configs of entities this Brellix no longer has come back to be removed.
    if (!m_settings.discovery.isEmpty())
        m_transport->subscribe((m_settings.discovery + QStringLiteral("/+/") + nodeId(e.clientId) +
                                QStringLiteral("/+/config"))
                                   .toUtf8());
    m_valueTopics.clear();
    listenToValues();
    // The broker may have lost what it retained: all of it again.
    for (Topic& slot : m_topics) {
        if (!slot.waiting)
            slot.waiting = std::exchange(slot.sent, std::nullopt);
        slot.sent.reset();
        slot.quiet = QDeadlineTimer();
    }
    flush();
    offerState();
}

void MqttBridge::listenToValues()
{
    if (!m_connected || !m_values)
        return;
    const QStringList& wanted = m_values->topics();
    for (const QString& t : std::as_const(m_valueTopics)) {
        if (!wanted.contains(t))
            m_transport->unsubscribe(t.toUtf8());
    }
    for (const QString& t : wanted) {
        if (!m_valueTopics.contains(t))
            m_transport->subscribe(t.toUtf8());
    }
    m_valueTopics = wanted;
}

void MqttBridge::onDisconnected(const QString& why)
{
    m_connected = false;
    const MqttEndpoint& e = m_settings.endpoint;
    if (m_connectFailure.failed())
        qCWarning(lcMqtt).noquote()
            << QStringLiteral("broker %1:%2: %3; trying again after 1 to %4 s until it answers")
                   .arg(e.host)
                   .arg(e.port)
                   .arg(printableText(why))
                   .arg(MaxRetryMs / 1000);
    m_retry.start(m_nextRetryMs);
    m_nextRetryMs = std::min(m_nextRetryMs * 2, MaxRetryMs);
}

void MqttBridge::onMessage(const QByteArray& name, const QByteArray& payload)
{
    if (m_values)
        m_values->take(QString::fromUtf8(name), payload);
    const QByteArray prefix = topic("");
    if (name.startsWith(prefix) && name.endsWith("/set")) {
        const QByteArray what = name.mid(prefix.size(), name.size() - prefix.size() - 4);
        if (!what.contains('/'))
            command(QString::fromUtf8(what), payload);
        return;
    }
    // A config retained from an earlier run: removed when no entity of this
    // run has it.
    if (!payload.isEmpty() && name.endsWith("/config") && !m_discoveryTopics.contains(name))
        offer(name, {});
}

void MqttBridge::command(const QString& what, const QByteArray& payload)
{
    Outcome outcome;
    if (payload.size() > MaxPayload) {
        outcome = malformed(QStringLiteral("%1 bytes are more than %2: dropped unread")
                                .arg(payload.size())
                                .arg(MaxPayload));
    } else if (what == u"message") {
        outcome = message(payload);
    } else {
        const QString text = QString::fromUtf8(payload).trimmed();
        bool number = false;
        const uint value = text.toUInt(&number);
        if (what == u"mode")
            outcome =
                number ? m_control.setMode(Caller, value) : m_control.selectMode(Caller, text);
        else if (what == u"backlight" || what == u"rotation") {
            const bool on = text.compare(u"ON", Qt::CaseInsensitive) == 0;
            if (!on && text.compare(u"OFF", Qt::CaseInsensitive) != 0)
                outcome = malformed(what + QStringLiteral(" takes ON or OFF"));
            else if (what == u"backlight")
                outcome = m_control.setBacklight(Caller, on);
            else
                outcome = m_control.setRotation(Caller, on);
        }
        // Anything past a level is refused by the control as 255 is.
        else if (what == u"brightness" && number)
            outcome = m_control.setBrightness(Caller, quint8(std::min(value, 255u)));
        else if (what == u"brightness")
            outcome = malformed(QStringLiteral("brightness takes a whole number, 0 to 254"));
        else
            outcome = malformed(QStringLiteral("there is no such command"));
    }
    // Said once per command and run of failures.
    if (outcome.done()) {
        m_failingCommands.removeAll(what);
    } else if (!m_failingCommands.contains(what)) {
        m_failingCommands << what;
        qCWarning(lcMqtt).noquote()
            << QStringLiteral("%1/%2/set refused: %3")
                   .arg(m_settings.topic, printableText(what, 40), printableText(outcome.reason));
    }
}

RemoteControl::Outcome MqttBridge::message(const QByteArray& payload)
{
    Bulletin bulletin;
    bulletin.seconds = 10;
    if (!payload.startsWith('{')) {
        // Plain text, a line to each line of the module.
        for (QString line : QString::fromUtf8(payload).split(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            bulletin.lines << line;
        }
        return m_control.showBulletin(Caller, bulletin);
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (!document.isObject())
        return malformed(QStringLiteral("not a JSON object (%1 at %2)")
                             .arg(error.errorString())
                             .arg(error.offset));
    const QJsonObject request = document.object();
    for (auto it = request.begin(); it != request.end(); ++it) {
        const QJsonValue value = it.value();
        if (it.key() == u"lines") {
            if (!value.isArray())
                return malformed(QStringLiteral("lines must be an array of texts"));
            for (const QJsonValue line : value.toArray()) {
                if (!line.isString())
                    return malformed(QStringLiteral("lines must be an array of texts"));
                bulletin.lines << line.toString();
            }
        } else if (it.key() == u"seconds") {
            const double seconds = value.toDouble(-1);
            if (!value.isDouble() || seconds != std::floor(seconds))
                return malformed(QStringLiteral("seconds must be a whole number"));
            // Out of range is refused as the control refuses 0.
            bulletin.seconds = seconds < 1 || seconds > 1e9 ? 0 : quint32(seconds);
        } else if (const QString why = bulletin.setOption(it.key(), value.toVariant());
                   !why.isEmpty()) {
            return malformed(why);
        }
    }
    return m_control.showBulletin(Caller, bulletin);
}

void MqttBridge::offerState()
{
    m_offering = false;
    const RemoteControl::State state = m_control.state();
    offer(topic("mode"), state.modes.value(int(state.mode)).toUtf8());
    offer(topic("lines"),
          QJsonDocument(QJsonArray::fromStringList(state.lines)).toJson(QJsonDocument::Compact));
    offer(topic("connected"), state.connected ? "true" : "false");
    offer(topic("backlight"), state.backlight ? "ON" : "OFF");
    offer(topic("brightness"), QByteArray::number(state.brightness));
    offer(topic("rotation"), state.rotation ? "ON" : "OFF");
    QByteArrayList topics;
    for (const auto& [name, config] : discoveryConfigs(state)) {
        offer(name, config);
        topics << name;
    }
    // An entity of an earlier state that is gone is removed.
    for (const QByteArray& old : std::exchange(m_discoveryTopics, topics)) {
        if (!topics.contains(old))
            offer(old, {});
    }
}

QList<std::pair<QByteArray, QByteArray>>
MqttBridge::discoveryConfigs(const RemoteControl::State& state) const
{
    QList<std::pair<QByteArray, QByteArray>> configs;
    if (m_settings.discovery.isEmpty())
        return configs;
    const QString& clientId = m_settings.endpoint.clientId;
    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{clientId}},
        {QStringLiteral("name"), QStringLiteral("Brellix ") + m_settings.hostName},
        {QStringLiteral("model"), QStringLiteral("20x4 character LCD")},
        {QStringLiteral("sw_version"), QStringLiteral(BRELLIX_VERSION)},
    };
    for (const Entity& entity : Entities) {
        QJsonObject config =
            QJsonDocument::fromJson(QByteArray("{") + entity.members + '}').object();
        // The topic goes in as a value, whatever it holds.
        for (auto it = config.begin(); it != config.end(); ++it) {
            if (it->isString())
                *it = it->toString().replace(QStringLiteral("%1"), m_settings.topic);
        }
        const QString object = QLatin1String(entity.object);
        if (object == u"mode")
            config[QStringLiteral("options")] = QJsonArray::fromStringList(state.modes);
        config[QStringLiteral("name")] = QLatin1String(entity.name);
        config[QStringLiteral("unique_id")] = clientId + u'_' + object;
        config[QStringLiteral("availability_topic")] = m_settings.topic + QStringLiteral("/status");
        config[QStringLiteral("device")] = device;
        configs.append({(m_settings.discovery + u'/' + QLatin1String(entity.component) + u'/' +
                         nodeId(clientId) + u'/' + object + QStringLiteral("/config"))
                            .toUtf8(),
                        QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    return configs;
}

void MqttBridge::offer(const QByteArray& name, const QByteArray& payload)
{
    Topic& slot = m_topics[name];
    if (slot.sent == payload) {
        slot.waiting.reset();
        return;
    }
    if (m_connected && slot.quiet.hasExpired())
        send(name, slot, payload);
    else
        slot.waiting = payload;
    flush();
}

void MqttBridge::send(const QByteArray& name, Topic& slot, const QByteArray& payload)
{
    m_transport->publish(name, payload, true);
    slot.sent = payload;
    slot.waiting.reset();
    slot.quiet.setRemainingTime(MinGapMs);
}

void MqttBridge::flush()
{
    if (!m_connected)
        return;
    qint64 next = -1;
    for (auto it = m_topics.begin(); it != m_topics.end(); ++it) {
        Topic& slot = it.value();
        if (!slot.waiting)
            continue;
        if (slot.quiet.hasExpired())
            send(it.key(), slot, *slot.waiting);
        else if (const qint64 left = slot.quiet.remainingTime(); next < 0 || left < next)
            next = left;
    }
    if (next >= 0 && (!m_flush.isActive() || m_flush.remainingTime() > next))
        m_flush.start(int(next));
}
