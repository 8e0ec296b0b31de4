#include "screens/own/TopicValues.h"

#include "codec/TextDecoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {

// A number member as the payload writes it ("20.0" stays so): the token
// after the first "key": whose number is the one parsed; else the
// shortest text that reads back as the number.
QString numberText(const QByteArray& payload, const QString& key, double number)
{
    const QByteArray quoted = QJsonDocument(QJsonArray{key}).toJson(QJsonDocument::Compact);
    const QByteArray name = quoted.mid(1, quoted.size() - 2);
    if (qsizetype at = payload.indexOf(name); at >= 0) {
        at += name.size();
        while (at < payload.size() && (payload[at] == ' ' || payload[at] == ':' ||
                                       payload[at] == '\t' || payload[at] == '\n'))
            ++at;
        qsizetype end = at;
        while (end < payload.size() && QByteArrayView("+-.0123456789eE").contains(payload[end]))
            ++end;
        bool ok = false;
        const QByteArray token = payload.mid(at, end - at);
        if (token.toDouble(&ok) == number && ok)
            return QString::fromLatin1(token);
    }
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

} // namespace

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
    const QString key = arg.mid(bar + 1);
    const QJsonValue member = object.value(key);
    switch (member.type()) {
    case QJsonValue::String:
        return member.toString();
    case QJsonValue::Double:
        return numberText(payload, key, member.toDouble());
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
