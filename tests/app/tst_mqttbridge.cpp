#include "app/MqttBridge.h"
#include "platform/MqttTransport.h"
#include "platform/modINI.h"
#include "screens/own/TopicValues.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Records what the bridge sends (in the test's list: the bridge owns the
// transport); the test plays the broker's part.
struct FakeTransport : MqttTransport
{
    explicit FakeTransport(QByteArrayList& log) : published(log) {}
    void setEvents(Events e) override { events = std::move(e); }
    void open(const MqttEndpoint&) override { ++opened; }
    void publish(const QByteArray& topic, const QByteArray& payload, bool retain) override
    {
        published << topic + (retain ? " (retained) " : " ") + payload;
    }
    void subscribe(const QByteArray& filter) override { subscribed << filter; }
    void unsubscribe(const QByteArray& filter) override { subscribed << "-" + filter; }
    Events events;
    int opened = 0;
    QByteArrayList& published;
    QByteArrayList subscribed;
};

// Records each request as a line; refuses all with refusal when set.
struct FakeControl : RemoteControl
{
    Outcome answer(const QString& call)
    {
        calls << call;
        return {refusal, u"refused"_s, 1};
    }
    Outcome showBulletin(const QString& caller, const Bulletin& b) override
    {
        return answer(
            u"%1 showBulletin %2 %3s%4%5%6"_s.arg(caller, b.lines.join(u'|'))
                .arg(b.seconds)
                .arg(b.flash ? " flash" : "", b.alert ? " alert" : "", b.center ? " center" : ""));
    }
    Outcome dismiss(const QString&, quint32) override { return answer(u"dismiss"_s); }
    Outcome setMode(const QString& c, quint32 m) override
    {
        return answer(u"%1 setMode %2"_s.arg(c).arg(m));
    }
    Outcome selectMode(const QString& c, const QString& n) override
    {
        return answer(u"%1 selectMode %2"_s.arg(c, n));
    }
    Outcome setBacklight(const QString& c, bool on) override
    {
        return answer(u"%1 setBacklight %2"_s.arg(c).arg(on));
    }
    Outcome setBrightness(const QString& c, quint8 level) override
    {
        return answer(u"%1 setBrightness %2"_s.arg(c).arg(level));
    }
    Outcome setRotation(const QString& c, bool on) override
    {
        return answer(u"%1 setRotation %2"_s.arg(c).arg(on));
    }
    State state() const override { return now; }
    void addObserver(const void*, Observer o) override { observer = std::move(o); }
    void removeObserver(const void*) override { observer = {}; }
    void change(const std::function<void(State&)>& edit)
    {
        edit(now);
        observer.changed();
    }

    Refusal refusal = Refusal::None;
    QStringList calls;
    State now{{u"clock"_s, u"time"_s}, 1, true, {}, {u"12:00"_s, {}, {}, {}}, false, true, 200};
    Observer observer;
};

MqttSettings settings(const QString& discovery = u"ha"_s)
{
    MqttSettings s;
    s.endpoint.host = u"broker"_s;
    s.endpoint.clientId = u"brellix-nas.lan"_s;
    s.topic = u"lcd/nas"_s;
    s.discovery = discovery;
    s.hostName = u"nas"_s;
    return s;
}

} // namespace

class TestMqttBridge : public QObject
{
    Q_OBJECT

    FakeControl m_control;
    FakeTransport* m_transport = nullptr;
    QByteArrayList m_published;
    TopicValues m_values;
    std::unique_ptr<MqttBridge> m_bridge;

    // A bridge connected to the broker, what it said then forgotten.
    void connectBridge(const QString& discovery = u"ha"_s)
    {
        m_bridge.reset();
        auto transport = std::make_unique<FakeTransport>(m_published);
        m_transport = transport.get();
        m_bridge = std::make_unique<MqttBridge>(m_control, std::move(transport),
                                                settings(discovery), &m_values);
        m_bridge->start();
        m_transport->events.connected();
        m_transport->published.clear();
    }
    QByteArrayList publishedUnder(const QByteArray& prefix) const
    {
        QByteArrayList found;
        for (const QByteArray& p : m_transport->published)
            if (p.startsWith(prefix))
                found << p;
        return found;
    }

private Q_SLOTS:
    // [MQTT] as the bridge takes it; a bad value is refused with a warning.
    void settingsSection()
    {
        const struct
        {
            const char* name;
            QByteArray section;
            QString want; // host:port tls user topic discovery client
            const char* warning;
        } rows[] = {
            {"none", "User=ann", u":1883 0 ann brellix/nas homeassistant brellix-nas"_s, nullptr},
            {"defaults", "Url=mqtt://b", u"b:1883 0  brellix/nas homeassistant brellix-nas"_s,
             nullptr},
            {"tls, user in the address", "Url=mqtts://ann:pw@b:99/",
             u"b:99 1 ann brellix/nas homeassistant brellix-nas"_s, "Url's password is ignored"},
            {"own names, no discovery", "Url=mqtt://b\nTopic=home/lcd\nDiscovery=\nClientId=x",
             u"b:1883 0  home/lcd  x"_s, nullptr},
            {"not mqtt", "Url=http://b", u":1883 0  brellix/nas homeassistant brellix-nas"_s,
             "Url = \"http://b\" is not an mqtt"},
            {"wildcard", "Url=mqtt://b\nTopic=a/#",
             u"b:1883 0  brellix/nas homeassistant brellix-nas"_s,
             "Topic = \"a/#\" is not a topic"},
        };
        QTemporaryDir dir;
        const modINI ini(dir.filePath(u"b.ini"_s));
        for (const auto& row : rows) {
            QFile file(ini.path());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[MQTT]\n" + row.section) > 0);
            file.close();
            if (row.warning)
                QTest::ignoreMessage(QtWarningMsg,
                                     QRegularExpression(QRegularExpression::escape(row.warning)));
            const MqttSettings s = MqttSettings::load(ini, u"nas"_s);
            const MqttEndpoint& e = s.endpoint;
            const QString got = u"%1:%2 %3 %4 %5 %6 %7"_s.arg(e.host).arg(e.port).arg(e.tls).arg(
                e.user, s.topic, s.discovery, e.clientId);
            QVERIFY2(got == row.want, qPrintable(u"%1: got %2"_s.arg(row.name, got)));
        }
    }

    // Each command topic's payload as the request it makes of the control
    // (empty: none, and refused in the log); MQTT is one caller.
    void commands()
    {
        const struct
        {
            const char* name;
            QByteArray topic;
            QByteArray payload;
            QString call;
        } rows[] = {
            {"mode by name", "mode", "CPU Info", u"selectMode CPU Info"_s},
            {"mode by number", "mode", " 3\n", u"setMode 3"_s},
            {"backlight on", "backlight", "on", u"setBacklight 1"_s},
            {"backlight off", "backlight", "OFF", u"setBacklight 0"_s},
            {"backlight other", "backlight", "dim", {}},
            {"rotation on", "rotation", "ON", u"setRotation 1"_s},
            {"rotation off", "rotation", "off", u"setRotation 0"_s},
            {"rotation other", "rotation", "1", {}},
            {"brightness", "brightness", "254", u"setBrightness 254"_s},
            // Refused by the control, as the bus's 255.
            {"brightness 999", "brightness", "999", u"setBrightness 255"_s},
            {"brightness text", "brightness", "bright", {}},
            {"plain text", "message", "Door\r\nbell", u"showBulletin Door|bell 10s"_s},
            {"json", "message",
             R"({"lines":["a","b"],"seconds":5,"flash":true,"priority":"alert","center":true,"x":1})",
             u"showBulletin a|b 5s flash alert center"_s},
            {"json no seconds", "message", R"({"lines":["a"]})", u"showBulletin a 10s"_s},
            {"seconds too many", "message", R"({"lines":["a"],"seconds":1e12})",
             u"showBulletin a 0s"_s},
            {"lines not texts", "message", R"({"lines":[1]})", {}},
            {"lines a text", "message", R"({"lines":"a"})", {}},
            {"seconds fraction", "message", R"({"lines":["a"],"seconds":1.5})", {}},
            {"flash a text", "message", R"({"lines":["a"],"flash":"yes"})", {}},
            {"priority other", "message", R"({"lines":["a"],"priority":"urgent"})", {}},
            {"invalid json", "message", "{\"lines\":[\"a\"", {}},
            {"over 64 KB", "message", QByteArray(MqttBridge::MaxPayload + 1, 'x'), {}},
            {"unknown command", "volume", "5", {}},
        };
        connectBridge();
        for (const auto& row : rows) {
            m_control.calls.clear();
            m_transport->events.message("lcd/nas/" + row.topic + "/set", row.payload);
            const QString want = row.call.isEmpty() ? QString() : u"MQTT "_s + row.call;
            QVERIFY2(m_control.calls.value(0) == want,
                     qPrintable(u"%1: got \"%2\" want \"%3\""_s.arg(
                         row.name, m_control.calls.value(0), want)));
        }
        // Other topics are not commands.
        m_control.calls.clear();
        for (const QByteArray t : {"lcd/nas/mode", "lcd/other/mode/set", "lcd/nas/a/b/set"})
            m_transport->events.message(t, "0");
        QCOMPARE(m_control.calls, QStringList());
    }

    // A refused or malformed command is said once per command topic and run
    // of failures.
    void refusalsSaidOnce()
    {
        connectBridge();
        const auto send = [this](const QByteArray& what, const QByteArray& payload,
                                 RemoteControl::Refusal refusal) {
            m_control.refusal = refusal;
            m_transport->events.message("lcd/nas/" + what + "/set", payload);
        };
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        using R = RemoteControl::Refusal;
        QTest::ignoreMessage(QtWarningMsg, "lcd/nas/mode/set refused: refused");
        send("mode", "x", R::InvalidArgs);
        send("mode", "y", R::LimitsExceeded);
        QTest::ignoreMessage(QtWarningMsg, "lcd/nas/message/set refused: not a JSON object "
                                           "(unterminated object at 1)");
        send("message", "{", R::None);
        send("mode", "clock", R::None);
        QTest::ignoreMessage(QtWarningMsg, "lcd/nas/mode/set refused: refused");
        send("mode", "x", R::InvalidArgs);
    }

    // Retained, only when changed, at most once a second per topic; all of
    // it again (and "online", and the subscriptions) on each connection.
    void publishing()
    {
        connectBridge(QString());
        QTest::qWait(MqttBridge::MinGapMs + 100); // the first publications' gap
        m_control.change([](auto& s) { s.lines[0] = u"12:01 \u00e9"_s; });
        QTest::qWait(10);
        m_control.change([](auto& s) { s.lines[0] = u"12:02"_s, s.mode = 0; });
        QTest::qWait(10);
        m_control.change([](auto&) {});
        QTest::qWait(10);
        QCOMPARE(m_transport->published,
                 QByteArrayList({"lcd/nas/lines (retained) [\"12:01 \xc3\xa9\",\"\",\"\",\"\"]",
                                 "lcd/nas/mode (retained) clock"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_transport->published.size(), 3, 1500);
        QCOMPARE(m_transport->published[2], "lcd/nas/lines (retained) [\"12:02\",\"\",\"\",\"\"]");

        m_transport->events.disconnected(u"gone"_s);
        m_control.change([](auto& s) { s.backlight = false, s.connected = false; });
        QTest::qWait(10);
        m_transport->published.clear();
        m_transport->subscribed.clear();
        m_transport->events.connected();
        std::sort(m_transport->published.begin(), m_transport->published.end());
        QCOMPARE(
            m_transport->published,
            QByteArrayList({"lcd/nas/backlight (retained) OFF", "lcd/nas/brightness (retained) 200",
                            "lcd/nas/connected (retained) false",
                            "lcd/nas/lines (retained) [\"12:02\",\"\",\"\",\"\"]",
                            "lcd/nas/mode (retained) clock", "lcd/nas/rotation (retained) OFF",
                            "lcd/nas/status (retained) online"}));
        QCOMPARE(m_transport->subscribed, QByteArrayList{"lcd/nas/+/set"});
        m_transport->published.clear();
        m_bridge.reset();
        QCOMPARE(m_published, QByteArrayList{"lcd/nas/status (retained) offline"});
    }

    // The own screens' topics: subscribed while named (again on each
    // connection), each message's payload as the values show it.
    void ownScreenValues()
    {
        m_values.setTopics({u"home/t"_s, u"home/j"_s});
        connectBridge(QString());
        QCOMPARE(m_transport->subscribed, QByteArrayList({"lcd/nas/+/set", "home/j", "home/t"}));
        const struct
        {
            const char* name;
            QByteArray topic, payload;
            QString arg;
            std::optional<QString> want;
        } rows[] = {
            {"first line", "home/t", "21.5 C\r\nmore", u"home/t"_s, u"21.5 C"_s},
            {"over 4 KB ignored", "home/t", QByteArray(TopicValues::MaxPayload + 1, 'x'),
             u"home/t"_s, u"21.5 C"_s},
            {"json number as written", "home/j", R"({"t" : 20.0,"s":"on","n":null})", u"home/j|t"_s,
             u"20.0"_s},
            {"json number, key nested first", "home/j", R"({"o":{"t":1},"t":2e1})", u"home/j|t"_s,
             u"20"_s},
            {"json text", "home/j", R"({"s":"on"})", u"home/j|s"_s, u"on"_s},
            {"json member missing", "home/j", R"({"s":"on","n":null})", u"home/j|n"_s, {}},
            {"not json", "home/t", "on", u"home/t|s"_s, {}},
            {"topic not named", "home/x", "on", u"home/x"_s, {}},
        };
        for (const auto& row : rows) {
            m_transport->events.message(row.topic, row.payload);
            const std::optional<QString> got = m_values.value(row.arg);
            QVERIFY2(got == row.want,
                     qPrintable(u"%1: got \"%2\" want \"%3\""_s.arg(
                         row.name, got.value_or(u"(none)"_s), row.want.value_or(u"(none)"_s))));
        }
        m_transport->subscribed.clear();
        m_values.setTopics({u"home/j"_s, u"home/k"_s});
        QCOMPARE(m_transport->subscribed, QByteArrayList({"-home/t", "home/k"}));
        m_transport->subscribed.clear();
        m_transport->events.disconnected(u"gone"_s);
        m_transport->events.connected();
        QCOMPARE(m_transport->subscribed, QByteArrayList({"lcd/nas/+/set", "home/j", "home/k"}));
        m_values.setTopics({});
    }

    // Tried again after 1, 2, 4 ... at most 30 s; the failure said once.
    void retries()
    {
        connectBridge();
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        for (int run = 0; run < 2; ++run) {
            QTest::ignoreMessage(QtWarningMsg, "broker broker:1883: refused; trying again after "
                                               "1 to 30 s until it answers");
            QList<int> waits;
            for (int i = 0; i < 7; ++i) {
                m_transport->events.disconnected(u"refused"_s);
                waits << m_bridge->retryMs();
            }
            QCOMPARE(waits, QList<int>({1000, 2000, 4000, 8000, 16000, 30000, 30000}));
            m_transport->events.connected();
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"refused"_s));
        m_transport->events.disconnected(u"refused"_s);
        QTRY_COMPARE_WITH_TIMEOUT(m_transport->opened, 2, 1500);
    }

    // The configs, exactly; those of earlier runs or states that are gone
    // are removed with an empty retained config.
    void discovery()
    {
        connectBridge();
        m_transport->events.connected(); // a reconnection says them all again
        const QByteArray device = R"("device":{"identifiers":["brellix-nas.lan"],)"
                                  R"("model":"20x4 character LCD","name":"Brellix nas",)"
                                  "\"sw_version\":\"" BRELLIX_VERSION "\"}";
        const QByteArray head = R"({"availability_topic":"lcd/nas/status",)";
        const QByteArrayList configs = publishedUnder("ha/");
        const QByteArrayList want = {
            "ha/select/brellix-nas_lan/mode/config (retained) " + head +
                R"("command_topic":"lcd/nas/mode/set",)" + device +
                R"(,"name":"Mode","options":["clock","time"],"state_topic":"lcd/nas/mode",)"
                R"("unique_id":"brellix-nas.lan_mode"})",
            "ha/light/brellix-nas_lan/backlight/config (retained) " + head +
                R"("brightness_command_topic":"lcd/nas/brightness/set","brightness_scale":254,)"
                R"("brightness_state_topic":"lcd/nas/brightness",)"
                R"("command_topic":"lcd/nas/backlight/set",)" +
                device +
                R"(,"name":"Backlight","on_command_type":"first","payload_off":"OFF",)"
                R"("payload_on":"ON","state_topic":"lcd/nas/backlight",)"
                R"("unique_id":"brellix-nas.lan_backlight"})",
            "ha/switch/brellix-nas_lan/rotation/config (retained) " + head +
                R"("command_topic":"lcd/nas/rotation/set",)" + device +
                R"(,"name":"Rotation","payload_off":"OFF","payload_on":"ON",)"
                R"("state_topic":"lcd/nas/rotation","unique_id":"brellix-nas.lan_rotation"})",
            "ha/text/brellix-nas_lan/message/config (retained) " + head +
                R"("command_topic":"lcd/nas/message/set",)" + device +
                R"(,"max":80,"name":"Message","unique_id":"brellix-nas.lan_message"})",
            "ha/binary_sensor/brellix-nas_lan/connected/config (retained) " + head + device +
                R"(,"device_class":"connectivity","name":"Connected","payload_off":"false",)"
                R"("payload_on":"true","state_topic":"lcd/nas/connected",)"
                R"("unique_id":"brellix-nas.lan_connected"})",
            "ha/sensor/brellix-nas_lan/line3/config (retained) " + head + device +
                R"(,"name":"Line 3","state_topic":"lcd/nas/lines","unique_id":)"
                R"("brellix-nas.lan_line3","value_template":"{{ value_json[2] }}"})",
        };
        for (const QByteArray& config : want)
            QVERIFY2(configs.contains(config), config.constData());
        QCOMPARE(configs.size(), 9);
        QCOMPARE(m_transport->subscribed.last(), "ha/+/brellix-nas_lan/+/config");

        m_transport->published.clear();
        m_transport->events.message("ha/select/brellix-nas_lan/mode/config", "{}");
        m_transport->events.message("ha/switch/brellix-nas_lan/old/config", "{}");
        m_transport->events.message("ha/switch/brellix-nas_lan/gone/config", "");
        QCOMPARE(m_transport->published,
                 QByteArrayList{"ha/switch/brellix-nas_lan/old/config (retained) "});

        connectBridge(QString());
        QCOMPARE(publishedUnder("ha/"), QByteArrayList());
        QCOMPARE(m_transport->subscribed, QByteArrayList{"lcd/nas/+/set"});
    }
};

QTEST_GUILESS_MAIN(TestMqttBridge)
#include "tst_mqttbridge.moc"
