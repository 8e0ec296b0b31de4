#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The MQTT topics the own screens name ({mqtt:TOPIC}, {mqtt:TOPIC|KEY}) and
// the latest payload of each: the bridge subscribes to topics() and fills in
// what comes, the screens' values read it. Empty while no broker is set.
class TopicValues final : public QObject
{
    Q_OBJECT
public:
    // A payload beyond this is ignored: a screen shows a line, not a file.
    static constexpr qsizetype MaxPayload = 4096;

    // The topic of a value's argument, "TOPIC" or "TOPIC|KEY".
    static QString topicOf(const QString& arg);
    // A payload as the value arg shows it: its first line, or with a KEY
    // the top-level member of a JSON object (a number as written, a text
    // as its text); nothing when there is no such member.
    static std::optional<QString> text(const QByteArray& payload, const QString& arg);

    const QStringList& topics() const { return m_topics; }
    // The topics the own screens name now; the payloads of others are
    // forgotten.
    void setTopics(QStringList topics);
    // A message on topic (ignored when not one of topics() or too long).
    void take(const QString& topic, const QByteArray& payload);
    std::optional<QString> value(const QString& arg) const;

Q_SIGNALS:
    void topicsChanged();
    void arrived(const QString& topic);

private:
    QStringList m_topics;
    QHash<QString, QByteArray> m_payloads;
};
