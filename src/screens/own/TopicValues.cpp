#include "screens/own/TopicValues.h"

#include "codec/TextDecoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

QString TopicValues::topicOf(const QString& arg)
{
    return arg.section(u'|', 0, 0);
}

std::optional<QString> TopicValues::text(const QByteArray& payload, const QString& arg)
{
    const qsizetype bar = arg.indexOf(u'|');
    if (bar < 0) {
        QByteArray line = payload.left(payload.indexOf('\n'));
        if (line.endsWith('\r'))
            line.chop(1);
        return TextDecoding::utf8OrWindows1252(line);
    }
    const QJsonObject object = QJsonDocument::fromJson(payload).object();
    const QJsonValue member = object.value(arg.mid(bar + 1));
    switch (member.type()) {
    case QJsonValue::String:
        return member.toString();
    case QJsonValue::Double:
        // The shortest text that reads back as the same number: 21.5, 3, 1e+21.
        return QString::number(member.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QJsonValue::Bool:
        return member.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(member.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(member.toObject()).toJson(QJsonDocument::Compact));
    default:
        return std::nullopt;
    }
}

void TopicValues::setTopics(QStringList topics)
{
    topics.removeDuplicates();
    topics.sort();
    if (topics == m_topics)
        return;
    m_topics = std::move(topics);
    for (auto it = m_payloads.begin(); it != m_payloads.end();)
        it = m_topics.contains(it.key()) ? std::next(it) : m_payloads.erase(it);
    Q_EMIT topicsChanged();
}

void TopicValues::take(const QString& topic, const QByteArray& payload)
{
    if (payload.size() > MaxPayload || !m_topics.contains(topic))
        return;
    m_payloads.insert(topic, payload);
    Q_EMIT arrived(topic);
}

std::optional<QString> TopicValues::value(const QString& arg) const
{
    const auto it = m_payloads.constFind(topicOf(arg));
    return it == m_payloads.cend() ? std::nullopt : text(*it, arg);
}
