#include "app/MqttSettings.h"

#include "platform/Logging.h"
#include "platform/PrintableText.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"
#include "screens/mail/MailSettings.h"

#include <QDir>
#include <QUrl>

namespace {
// A topic Brellix publishes under: no wildcards, no empty level at either
// end, nothing MQTT forbids.
bool usableTopic(const QString& topic)
{
    return !topic.isEmpty() && !topic.contains(u'+') && !topic.contains(u'#') &&
           !topic.contains(QChar(0)) && !topic.startsWith(u'/') && !topic.endsWith(u'/') &&
           topic.toUtf8().size() < 1024;
}

QString topicKey(const SettingsReader& r, const char* key, const QString& fallback)
{
    const QString value = r.raw(key);
    if (value.isEmpty() || usableTopic(value))
        return value;
    r.reject(QLatin1String(key), printableText(value),
             QStringLiteral("is not a topic to publish under (no + or #, no / at either end)"),
             fallback);
    return fallback;
}
} // namespace

MqttSettings MqttSettings::load(const modINI& ini, const QString& hostName)
{
    const SettingsReader r(ini, Section);
    MqttSettings s;
    s.hostName = hostName;
    MqttEndpoint& e = s.endpoint;
    e.user = r.raw("User");

    const QString url = r.raw("Url");
    QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!url.isEmpty() && (!parsed.isValid() || parsed.host().isEmpty() ||
                           (scheme != u"mqtt" && scheme != u"mqtts") ||
                           !QStringList{QString(), QStringLiteral("/")}.contains(parsed.path()))) {
        r.reject(QStringLiteral("Url"), addressForLog(url),
                 QStringLiteral("is not an mqtt://host[:port] or mqtts://host[:port] address"),
                 QStringLiteral("(no MQTT)"));
    } else if (!url.isEmpty()) {
        if (!parsed.password().isEmpty())
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: [MQTT] Url's password is ignored: Brellix never takes a "
                                  "password from its settings file. Give [MQTT] PasswordCommand "
                                  "a program that prints it, e.g. secret-tool lookup service mqtt")
                       .arg(ini.path());
        if (e.user.isEmpty())
            e.user = parsed.userName();
        e.tls = scheme == u"mqtts";
        e.host = parsed.host();
        e.port = quint16(parsed.port(e.tls ? 8883 : 1883));
    }

    const QString command = r.raw("PasswordCommand");
    if (!command.isEmpty() && !MailSettings::splitCommand(command, e.passwordCommand)) {
        e.passwordCommand.clear();
        r.reject(QStringLiteral("PasswordCommand"), command,
                 QStringLiteral("has an unclosed quote"), QStringLiteral("(no password)"));
    }
    e.caFile = r.raw("CaFile");
    if (e.caFile.startsWith(QLatin1String("~/")))
        e.caFile = QDir::homePath() + e.caFile.mid(1);

    const QString topic = QStringLiteral("brellix/") + hostName;
    s.topic = topicKey(r, "Topic", topic);
    if (s.topic.isEmpty())
        s.topic = topic;
    // Written empty, it means no discovery at all.
    const QString discovery = QStringLiteral("homeassistant");
    s.discovery = ini.HasIniKey(QLatin1String(Section), QStringLiteral("Discovery"))
                      ? topicKey(r, "Discovery", discovery)
                      : discovery;
    e.clientId = r.text("ClientId", QStringLiteral("brellix-") + hostName);
    e.willTopic = (s.topic + QStringLiteral("/status")).toUtf8();
    e.willPayload = "offline";
    return s;
}
