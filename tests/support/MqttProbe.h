#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

// Another client of a broker, through Mosquitto's own tools: mosquitto_sub
// collects what is published under the filters (retained messages first),
// mosquitto_pub sends.
class MqttProbe
{
public:
    struct Seen
    {
        QByteArray topic;
        QByteArray payload;
    };

    MqttProbe(int port, QString user, QString password)
        : m_login{"-h", "127.0.0.1", "-p", QString::number(port), "-u", user, "-P", password}
    {
    }
    ~MqttProbe() { m_sub.kill(), m_sub.waitForFinished(); }

    // Starts collecting; true once mosquitto_sub runs.
    bool listen(const QStringList& filters)
    {
        QStringList args = m_login;
        for (const QString& filter : filters)
            args << "-t" << filter;
        // One line a message: the topic, then the payload in hex.
        args << "-F"
             << "%t %x";
        QObject::connect(&m_sub, &QProcess::readyReadStandardOutput, [this] {
            while (m_sub.canReadLine()) {
                const QList<QByteArray> fields = m_sub.readLine().trimmed().split(' ');
                seen.append({fields.value(0), QByteArray::fromHex(fields.value(1))});
            }
        });
        m_sub.start(QStringLiteral("mosquitto_sub"), args);
        return m_sub.waitForStarted();
    }
    // The latest payload of topic; null when none came.
    QByteArray last(const QByteArray& topic) const
    {
        for (auto it = seen.crbegin(); it != seen.crend(); ++it)
            if (it->topic == topic)
                return it->payload.isNull() ? QByteArray("") : it->payload;
        return {};
    }
    bool publish(const QString& topic, const QByteArray& payload) const
    {
        QProcess pub;
        pub.start(QStringLiteral("mosquitto_pub"), m_login + QStringList{"-t", topic, "-s"});
        pub.write(payload);
        pub.closeWriteChannel();
        return pub.waitForFinished(10000) && pub.exitCode() == 0;
    }

    QList<Seen> seen;

private:
    QStringList m_login;
    QProcess m_sub;
};
