#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <atomic>

// An MPRIS player for tests, on a connection of its own: the Player
// interface's properties that Brellix reads, set by the test, with
// PropertiesChanged sent as a real player does (never for Position).
class TestMprisPlayer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume)
    Q_PROPERTY(qlonglong Position READ position)

public:
    // Joins the bus at address as org.mpris.MediaPlayer2.<suffix>.
    TestMprisPlayer(const QString& address, const QString& suffix,
                    const QString& status = QStringLiteral("Stopped"))
        : m_status(status), m_connectionName(QStringLiteral("test-player-") + suffix),
          m_bus(QDBusConnection::connectToBus(address, m_connectionName))
    {
        m_registered = m_bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), this,
                                            QDBusConnection::ExportAllProperties) &&
                       m_bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + suffix);
    }
    ~TestMprisPlayer() override { leave(); }

    bool isRegistered() const { return m_registered; }

    // Drops off the bus, as a player that quits or crashes.
    void leave()
    {
        if (!m_connectionName.isEmpty()) {
            // The connection closes with its last reference.
            m_bus = QDBusConnection(QString());
            QDBusConnection::disconnectFromBus(m_connectionName);
            m_connectionName.clear();
        }
    }

    QString playbackStatus() const { return m_status; }
    QVariantMap metadata() const { return m_metadata; }
    double volume() const { return m_volume; }
    qlonglong position() const { return m_position; }

    void setStatus(const QString& status)
    {
        m_status = status;
        announce({{QStringLiteral("PlaybackStatus"), status}});
    }
    void setTrack(const QString& title, const QStringList& artists, qlonglong lengthUs = -1)
    {
        QVariantMap metadata{{QStringLiteral("mpris:trackid"),
                              QVariant::fromValue(QDBusObjectPath("/org/brellix/track/1"))},
                             {QStringLiteral("xesam:title"), title},
                             {QStringLiteral("xesam:artist"), artists}};
        if (lengthUs >= 0)
            metadata.insert(QStringLiteral("mpris:length"), lengthUs);
        m_metadata = metadata;
        announce({{QStringLiteral("Metadata"), metadata}});
    }
    void setVolume(double volume)
    {
        m_volume = volume;
        announce({{QStringLiteral("Volume"), volume}});
    }
    // Players do not announce the position.
    void setPosition(qlonglong us) { m_position = us; }

private:
    void announce(const QVariantMap& changed)
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/mpris/MediaPlayer2"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
        m_bus.send(signal);
    }

    QString m_status;
    QVariantMap m_metadata;
    double m_volume = 1.0;
    qlonglong m_position = 0;
    QString m_connectionName;
    QDBusConnection m_bus;
    bool m_registered = false;
};

// A player that takes its bus name and does not answer a call while it
// hangs; woken up, it plays and answers what Brellix asks.
class MuteMprisPlayer : public QDBusVirtualObject
{
public:
    MuteMprisPlayer(const QString& address, const QString& suffix)
        : m_connectionName(QStringLiteral("mute-player-") + suffix),
          m_bus(QDBusConnection::connectToBus(address, m_connectionName))
    {
        m_registered =
            m_bus.registerVirtualObject(QStringLiteral("/org/mpris/MediaPlayer2"), this) &&
            m_bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + suffix);
    }
    ~MuteMprisPlayer() override
    {
        m_bus.unregisterObject(QStringLiteral("/org/mpris/MediaPlayer2"));
        m_bus = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
    bool isRegistered() const { return m_registered; }
    void wakeUp() { m_awake = true; }

    QString introspect(const QString&) const override { return {}; }
    // Called on QtDBus's own thread.
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (!m_awake)
            return true; // swallowed: the caller waits in vain
        if (message.member() == QLatin1String("GetAll")) {
            const QVariantMap all{{QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")},
                                  {QStringLiteral("Volume"), 1.0},
                                  {QStringLiteral("Position"), qlonglong(0)}};
            return connection.send(message.createReply(QVariant(all)));
        }
        return connection.send(
            message.createReply(QVariant::fromValue(QDBusVariant(qlonglong(0)))));
    }

private:
    QString m_connectionName;
    QDBusConnection m_bus;
    bool m_registered = false;
    std::atomic<bool> m_awake{false};
};
