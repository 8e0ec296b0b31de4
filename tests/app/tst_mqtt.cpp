#include "app/MqttBridge.h"
#include "platform/linux/mqtt/MosquittoTransport.h"
#include "screens/own/TopicValues.h"
#include "support/MosquittoBroker.h"
#include "support/MqttProbe.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Brellix on a real Mosquitto, end to end: a program on a simulated module,
// its bridge with libmosquitto's connection, and mosquitto_sub and
// mosquitto_pub as the other clients.
class TestMqtt : public QObject
{
    Q_OBJECT
    MosquittoBroker m_broker;
    TestPlatform m_platform;
    std::unique_ptr<ModuleApp> m_app;
    std::unique_ptr<MqttBridge> m_bridge;

    TestApp& c() { return *m_app->c; }
    MqttProbe probe() { return MqttProbe(m_broker.port(), u"probe"_s, u"probe"_s); }

    // A bridge for app with [MQTT] as section ("%1": the plain port, "%2"
    // the TLS one, "%3" the CA's file), then the login (a key's first
    // value counts).
    std::unique_ptr<MqttBridge> bridge(ModuleApp& app, const QString& section)
    {
        const QString path = app.h.dirPath(u"mqtt.ini"_s);
        QFile file(path);
        [&] { QVERIFY(file.open(QIODevice::WriteOnly)); }();
        QString keys = section;
        keys.replace(u"%1"_s, QString::number(m_broker.port()))
            .replace(u"%2"_s, QString::number(m_broker.tlsPort()))
            .replace(u"%3"_s, m_broker.caFile());
        file.write("[MQTT]\n" + keys.toUtf8() + "\nUser=brellix\nPasswordCommand=echo secret\n");
        file.close();
        auto b = std::make_unique<MqttBridge>(
            app.c->remote(), std::make_unique<MosquittoTransport>(),
            MqttSettings::load(modINI(path), u"test"_s), &app.c->topicValues());
        b->start();
        return b;
    }
    static QByteArray wire(const QSignalSpy& sent)
    {
        QByteArray all;
        for (const QList<QVariant>& write : sent)
            all += write.at(0).toByteArray();
        return all;
    }
    static QByteArray lines(const ModuleApp& app)
    {
        QByteArray all;
        for (int row = 0; row < 4; ++row)
            all += app.module->module().line(row);
        return all;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString why =
                m_broker.start({{u"brellix"_s, u"secret"_s}, {u"probe"_s, u"probe"_s}});
            !why.isEmpty())
            QSKIP(qPrintable(why));
        m_app = std::make_unique<ModuleApp>(m_platform);
        m_app->start("[Mode]\nmode=1\n[Rotation]\nScreens=time\nSeconds=3600\n"
                     "[Screen Mq]\nLine1={mqtt:home/t}\nLine2=[{bar:mqtt:home/j|v:4}]\n"
                     "Update=60\n");
        m_bridge = bridge(*m_app, u"Url=mqtt://127.0.0.1:%1\nTopic=brellix/one"_s);
        QTRY_VERIFY_WITH_TIMEOUT(m_bridge->connected(), 5000);
    }

    // No message shown or waiting; the time mode drawn.
    void init()
    {
        RemoteControl& remote = c().remote();
        for (uint id = remote.showBulletin(u"init"_s, {{u"x"_s}, 1, false, true}).id; id > 0; --id)
            remote.dismiss(u"init%1"_s.arg(id), id);
        m_app->ticks(1);
        QTRY_COMPARE(m_app->module->module().line(0),
                     c().lines().line(0).leftJustified(ScreenLines::Width));
    }

    // What a client that comes later finds retained.
    void retainedState()
    {
        MqttProbe p = probe();
        QVERIFY(p.listen({u"brellix/one/#"_s, u"homeassistant/#"_s}));
        QByteArrayList shown;
        for (int row = 0; row < 4; ++row)
            shown << c().lines().line(row);
        const std::pair<QByteArray, QByteArray> rows[] = {
            {"brellix/one/status", "online"},
            {"brellix/one/mode", "time"},
            {"brellix/one/connected", "true"},
            {"brellix/one/backlight", "ON"},
            {"brellix/one/brightness", "254"},
            {"brellix/one/lines", "[\"" + shown.join("\",\"") + "\"]"},
            {"homeassistant/select/brellix-test/mode/config", {}},
            {"homeassistant/sensor/brellix-test/line4/config", {}},
        };
        for (const auto& [topic, want] : rows)
            QTRY_VERIFY2(want.isNull() ? !p.last(topic).isNull() : p.last(topic) == want,
                         (topic + ": got " + p.last(topic) + " want " + want).constData());
    }

    // Each command as the module and the other clients see it; a refused
    // or malformed one reaches the module as text or not at all.
    void commands()
    {
        const struct
        {
            const char* name;
            QByteArray command;
            QByteArray payload;
            QByteArray topic; // and what it says after
            QByteArray state;
            QByteArray wire; // null: not checked
        } rows[] = {
            {"mode by name", "mode", "cpu", "mode", "cpu", {}},
            {"mode by caption", "mode", "Time And Date", "mode", "time", {}},
            {"rotation on", "rotation", "ON", "rotation", "ON", {}},
            {"rotation off", "rotation", "off", "rotation", "OFF", {}},
            {"backlight off", "backlight", "OFF", "backlight", "OFF", "\xfe\x07"},
            {"brightness while dark", "brightness", "100", "brightness", "254", ""},
            {"backlight on", "backlight", "ON", "backlight", "ON", "\xfe\x06"},
            {"brightness", "brightness", "100", "brightness", "100", "\xfe\x28\x64"},
            {"brightness 999", "brightness", "999", "brightness", "100", ""},
            {"invalid json", "message", "{\"lines\":[", "mode", "time", ""},
            {"1 MB", "message", QByteArray(1 << 20, 'x'), "mode", "time", ""},
            {"control bytes", "message", "\x01\x1b[2J\xfe\x06\nb", "mode", "time",
             "\x0b??[2J??" + QByteArray(13, ' ') + "b" + QByteArray(59, ' ')},
        };
        MqttProbe p = probe();
        QVERIFY(p.listen({u"brellix/one/#"_s}));
        for (const auto& row : rows) {
            QSignalSpy sent(&c().link(), &LcdLink::sent);
            QVERIFY(p.publish(u"brellix/one/%1/set"_s.arg(row.command), row.payload));
            QTest::qWait(300);
            const QByteArray topic = "brellix/one/" + row.topic;
            QTRY_VERIFY2(p.last(topic) == row.state,
                         qPrintable(u"%1: %2 is %3"_s.arg(row.name, topic, p.last(topic))));
            QVERIFY2(row.wire.isNull() || wire(sent) == row.wire,
                     qPrintable(u"%1: sent %2"_s.arg(row.name, wire(sent).toHex(' '))));
        }
    }

    // A message on the module, then the mode's screen back as it was.
    void messageAndScreenBack()
    {
        const QByteArray before = lines(*m_app);
        QSignalSpy sent(&c().link(), &LcdLink::sent);
        QVERIFY(probe().publish(u"brellix/one/message/set"_s,
                                R"({"lines":["Doorbell"],"seconds":1,"flash":true})"));
        QTRY_COMPARE(m_app->module->module().line(0), "Doorbell" + QByteArray(12, ' '));
        QCOMPARE(wire(sent).left(81), "\x0b"
                                      "Doorbell" +
                                          QByteArray(72, ' '));
        QTRY_VERIFY_WITH_TIMEOUT(!c().scheduler().held(), 3000);
        m_app->ticks(1);
        QTRY_COMPARE(lines(*m_app), before);
    }

    // An own screen's values from topics, shown at the next tick after
    // the payload came (its Update far off).
    void ownScreenValues()
    {
        c().scheduler().selectMode(c().scheduler().modeNamed(u"Mq"_s));
        m_app->ticks(1);
        MqttProbe p = probe();
        QVERIFY(p.publish(u"home/t"_s, "21.5 C\nmore"));
        QVERIFY(p.publish(u"home/j"_s, R"({"v":50})"));
        QElapsedTimer shown;
        shown.start();
        QTRY_COMPARE_WITH_TIMEOUT((QTest::qWait(50), m_app->ticks(1), lines(*m_app).left(26)),
                                  "21.5 C" + QByteArray(14, ' ') + "[\x05\x05  ]", 1000);
        c().scheduler().selectMode(1);
    }

    // The broker gone and back: everything said again within 5 s, commands
    // taken again.
    void brokerRestart()
    {
        m_broker.stop();
        QTRY_VERIFY(!m_bridge->connected());
        QCOMPARE(m_broker.resume(), QString());
        QElapsedTimer back;
        back.start();
        MqttProbe p = probe();
        QVERIFY(p.listen({u"brellix/one/#"_s}));
        QTRY_VERIFY_WITH_TIMEOUT(
            p.last("brellix/one/status") == "online" && p.last("brellix/one/mode") == "time", 5000);
        QVERIFY2(back.elapsed() < 5000, qPrintable(QString::number(back.elapsed())));
        QVERIFY(p.publish(u"brellix/one/mode/set"_s, "0"));
        QTRY_COMPARE(p.last("brellix/one/mode"), QByteArray("clock"));
        c().scheduler().selectMode(1);
    }

    // Connections that fail say why, in words; TLS is always verified.
    void failures()
    {
        const struct
        {
            const char* name;
            QString section;
            QString warning; // empty: it connects
        } rows[] = {
            {"wrong password", u"Url=mqtt://127.0.0.1:%1\nPasswordCommand=echo wrong"_s,
             u"not authorised"_s},
            {"no broker", u"Url=mqtt://127.0.0.1:1"_s, u"Connection refused"_s},
            {"TLS, the broker's CA", u"Url=mqtts://localhost:%2\nCaFile=%3"_s, {}},
            {"TLS, another name", u"Url=mqtts://127.0.0.1:%2\nCaFile=%3"_s,
             u"the broker's certificate /CN=localhost does not verify: IP address mismatch"_s},
            {"TLS, the system's CAs", u"Url=mqtts://localhost:%2"_s,
             u"the broker's certificate /CN=localhost does not verify: self-signed certificate "
             "in certificate chain (/CN=Brellix-test-CA)"_s},
        };
        for (const auto& row : rows) {
            if (!row.warning.isEmpty())
                QTest::ignoreMessage(QtWarningMsg,
                                     QRegularExpression(QRegularExpression::escape(row.warning)));
            auto b = bridge(*m_app, row.section +
                                        u"\nTopic=brellix/failing\nClientId=failing\nDiscovery="_s);
            QTRY_VERIFY2_WITH_TIMEOUT(row.warning.isEmpty() ? b->connected() : b->retryMs() > 0,
                                      row.name, 5000);
        }
    }

    // Two programs under their own topics on one broker; each says
    // "offline" when it ends.
    void twoInstances()
    {
        ModuleApp second(m_platform);
        second.start("[Mode]\nmode=1\n");
        auto b =
            bridge(second, u"Url=mqtt://127.0.0.1:%1\nTopic=brellix/two\nClientId=brellix-two"_s);
        QTRY_VERIFY(b->connected());
        MqttProbe p = probe();
        QVERIFY(p.listen({u"brellix/+/status"_s, u"homeassistant/text/+/message/config"_s}));
        QTRY_VERIFY(p.last("brellix/one/status") == "online" &&
                    p.last("brellix/two/status") == "online" &&
                    !p.last("homeassistant/text/brellix-two/message/config").isNull());
        const QByteArray first = lines(*m_app);
        QVERIFY(p.publish(u"brellix/two/message/set"_s, "second"));
        QTRY_COMPARE(second.module->module().line(0), "second" + QByteArray(14, ' '));
        QCOMPARE(lines(*m_app), first);
        b.reset();
        QTRY_COMPARE(p.last("brellix/two/status"), QByteArray("offline"));
    }
};

QTEST_GUILESS_MAIN(TestMqtt)
#include "tst_mqtt.moc"
