#pragma once

#include "platform/MediaPlayerLink.h"
#include "platform/ReportOnce.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QDBusError;
class QDBusMessage;

// MPRIS 2 players (org.mpris.MediaPlayer2.*) on the D-Bus session bus.
//
// Nothing here waits for the bus: every call is asynchronous, and an answer
// that takes longer than ReplyTimeoutMs counts as none (the player is then
// taken as stopped until it answers again). Players coming and going are
// followed through the bus's NameOwnerChanged; their properties are read
// once when they appear and then kept from PropertiesChanged. Position,
// which players do not announce, is read when asked.
//
// Signals are matched by path and interface without naming a sender, and
// mapped to players by their unique names: naming a player's well-known
// name would make QtDBus look its owner up with a blocking call.
class MprisPlayerLink final : public QObject, public MediaPlayerLink
{
    Q_OBJECT
public:
    static constexpr int ReplyTimeoutMs = 500;
    static inline const QString BusPrefix = QStringLiteral("org.mpris.MediaPlayer2.");

    // bus: the connection to use, made on start(); empty for the session bus.
    explicit MprisPlayerLink(std::function<QDBusConnection()> bus = {}, QObject* parent = nullptr);
    ~MprisPlayerLink() override;

    void start(std::function<void()> listed) override;
    void setPreferredPlayer(const QString& suffix) override;
    bool hasPlayer() const override { return chosen() != nullptr; }
    PlaybackState state() const override;
    Track track() const override;
    double volume() const override;
    qint64 positionUs() const override;
    void refresh() override;

    // The bus name of the player shown; empty when none.
    QString chosenPlayer() const;
    // Every player on the bus, by bus name.
    QStringList players() const;

    // Metadata as a player sends it (a{sv}, possibly still marshalled).
    static Track readMetadata(const QVariant& metadata);

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage& message);
    void onSeeked(const QDBusMessage& message);
    void onOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    struct Player
    {
        QString owner;         // unique bus name; empty until known
        bool known = false;    // its properties have been read
        bool answering = true; // false once a call ran out of time
        bool readingAll = false;
        bool readingPosition = false;
        PlaybackState state = PlaybackState::Stopped;
        Track track;
        double volume = 0.0;
        qint64 positionUs = 0;

        // What the choice and the requests see.
        PlaybackState shownState() const
        {
            return known && answering ? state : PlaybackState::Stopped;
        }
    };

    using Reply = std::function<void(Player&, const QDBusMessage&)>;

    const Player* chosen() const;
    void finishListing();
    void readOwner(const QString& name);
    void readAll(const QString& name);
    // Calls the player behind name; ok runs with the reply when the player
    // still has the same owner; an error runs failed, a timeout also marks
    // the player as not answering.
    void callPlayer(const QString& name, const QString& interface, const QString& method,
                    const QVariantList& arguments, Reply ok, Reply failed = {});
    void apply(Player& player, const QVariantMap& properties);
    void choiceMayHaveChanged();
    // Logs a player coming, going or being chosen; a run of them faster
    // than anyone reads (players started in a loop) is said once.
    void logPlayerEvent(const QString& text);

    std::function<QDBusConnection()> m_busFactory;
    std::optional<QDBusConnection> m_bus;
    bool m_started = false;
    bool m_listed = false;
    std::vector<std::function<void()>> m_listedCallbacks;
    QString m_preferred;
    std::map<QString, Player> m_players; // by bus name, so in name order
    QString m_lastChosen;
    ReportOnce m_busReport;
    QElapsedTimer m_sinceLastEvent;
    int m_eventsInRun = 0;
};
