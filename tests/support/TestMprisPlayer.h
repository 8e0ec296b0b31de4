#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QVariantMap>

#include <atomic>

// An MPRIS player on a connection of its own: the properties Brellix reads,
// announced as a real player does (never Position). A hung player holds its
// bus name but answers no call until it wakes up.
class TestMprisPlayer : public QDBusVirtualObject
{
public:
    // Joins the bus at address as org.mpris.MediaPlayer2.<suffix>.
    TestMprisPlayer(const QString& address, const QString& suffix,
                    const QString& status = QStringLiteral("Stopped"), bool hung = false)
        : m_properties{{QStringLiteral("PlaybackStatus"), status},
                       {QStringLiteral("Volume"), 1.0},
                       {QStringLiteral("Position"), qlonglong(0)}},
          m_connectionName(QStringLiteral("test-player-") + suffix),
          m_bus(QDBusConnection::connectToBus(address, m_connectionName)), m_hung(hung)
    {
        m_bus.registerVirtualObject(Path, this);
        m_bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + suffix);
    }
    // Drops off the bus, as a player that quits or crashes.
    ~TestMprisPlayer() override
    {
        m_bus.unregisterObject(Path);
        m_bus = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
    void wakeUp() { m_hung = false; }

    void setTrack(const QString& title, const QStringList& artists, qlonglong lengthUs = -1)
    {
        QVariantMap metadata{{QStringLiteral("xesam:title"), title},
                             {QStringLiteral("xesam:artist"), artists}};
        if (lengthUs >= 0)
            metadata.insert(QStringLiteral("mpris:length"), lengthUs);
        set(QStringLiteral("Metadata"), metadata);
    }
    // A property of the Player interface; players never announce Position.
    void set(const QString& name, const QVariant& value, bool announced = true)
    {
        m_mutex.lock();
        m_properties.insert(name, value);
        m_mutex.unlock();
        if (announced)
            m_bus.send(QDBusMessage::createSignal(Path,
                                                  QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("PropertiesChanged"))
                       << QStringLiteral("org.mpris.MediaPlayer2.Player")
                       << QVariantMap{{name, value}} << QStringList());
    }

    QString introspect(const QString&) const override { return {}; }
    // Called on QtDBus's own thread: Get and GetAll of the Properties interface.
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (m_hung)
            return true; // swallowed: the caller waits in vain
        const QMutexLocker lock(&m_mutex);
        if (message.member() == QLatin1String("GetAll"))
            return connection.send(message.createReply(QVariant(m_properties)));
        const QVariant value = m_properties.value(message.arguments().value(1).toString());
        return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
    }

private:
    static inline const QString Path = QStringLiteral("/org/mpris/MediaPlayer2");

    QMutex m_mutex;
    QVariantMap m_properties;
    QString m_connectionName;
    QDBusConnection m_bus;
    std::atomic<bool> m_hung;
};
