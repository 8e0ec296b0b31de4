#include "platform/linux/mpris/MprisPlayerLink.h"

#include "platform/Logging.h"
#include "platform/PrintableText.h"

#include <QUrl>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <cmath>
#include <limits>

namespace {
const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString BusService = QStringLiteral("org.freedesktop.DBus");
const QString BusPath = QStringLiteral("/org/freedesktop/DBus");

bool isPlayerName(const QString& name)
{
    return name.startsWith(MprisPlayerLink::BusPrefix) &&
           name.size() > MprisPlayerLink::BusPrefix.size();
}

// A value of a property or a metadata entry: marshalled containers come
// as QDBusArgument, everything else as plain values.
QVariantMap toMap(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = value.value<QDBusArgument>();
        if (arg.currentType() != QDBusArgument::MapType)
            return {};
        QVariantMap map;
        arg >> map;
        return map;
    }
    return value.toMap();
}

QVariant unwrap(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusVariant>())
        return value.value<QDBusVariant>().variant();
    return value;
}

QStringList toStringList(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = value.value<QDBusArgument>();
        if (arg.currentType() != QDBusArgument::ArrayType)
            return {};
        QStringList list;
        arg >> list;
        return list;
    }
    if (value.userType() == QMetaType::QString) // some players send one artist as a string
        return {value.toString()};
    return value.toStringList();
}

std::optional<qint64> toInteger(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        return v > qulonglong(std::numeric_limits<qint64>::max())
                   ? std::numeric_limits<qint64>::max()
                   : qint64(v);
    }
    case QMetaType::Double: {
        const double v = value.toDouble();
        if (!std::isfinite(v) || std::abs(v) >= 9.2e18)
            return std::nullopt;
        return qint64(v);
    }
    default:
        return std::nullopt;
    }
}

bool isNoAnswer(const QDBusError& error)
{
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout;
}
} // namespace

MprisPlayerLink::MprisPlayerLink(std::function<QDBusConnection()> bus, QObject* parent)
    : QObject(parent), m_busFactory(std::move(bus))
{
}

MprisPlayerLink::~MprisPlayerLink() = default;

void MprisPlayerLink::start(std::function<void()> listed)
{
    if (listed)
        m_listedCallbacks.push_back(std::move(listed));
    if (!m_started) {
        m_started = true;
        m_bus = m_busFactory ? m_busFactory() : QDBusConnection::sessionBus();
        if (!m_bus->isConnected()) {
            if (m_busReport.failed())
                qCWarning(lcPlayer).noquote()
                    << "No D-Bus session bus, so no media player can be reached:"
                    << m_bus->lastError().message();
            m_listed = true;
        } else {
            // Subscribe first, then list: a player that comes in between is
            // seen twice, which is harmless, rather than not at all.
            // NameOwnerChanged straight from the bus (a wildcard
            // QDBusServiceWatcher saw no player come with Qt 6.4); the
            // players' names are picked out in onOwnerChanged.
            const bool subscribed =
                m_bus->connect(BusService, BusPath, BusService, QStringLiteral("NameOwnerChanged"),
                               this, SLOT(onOwnerChanged(QString, QString, QString))) &&
                m_bus->connect(QString(), ObjectPath, PropertiesInterface,
                               QStringLiteral("PropertiesChanged"), this,
                               SLOT(onPropertiesChanged(QDBusMessage))) &&
                m_bus->connect(QString(), ObjectPath, PlayerInterface, QStringLiteral("Seeked"),
                               this, SLOT(onSeeked(QDBusMessage)));
            if (!subscribed)
                qCWarning(lcPlayer).noquote()
                    << "Cannot follow the media players' changes:" << m_bus->lastError().message();

            const QDBusMessage list = QDBusMessage::createMethodCall(
                BusService, BusPath, BusService, QStringLiteral("ListNames"));
            auto* watcher =
                new QDBusPendingCallWatcher(m_bus->asyncCall(list, ReplyTimeoutMs), this);
            connect(watcher, &QDBusPendingCallWatcher::finished, this,
                    [this](QDBusPendingCallWatcher* w) {
                        w->deleteLater();
                        const QDBusMessage reply = w->reply();
                        if (reply.type() == QDBusMessage::ReplyMessage &&
                            !reply.arguments().isEmpty()) {
                            for (const QString& name : reply.arguments().at(0).toStringList()) {
                                if (isPlayerName(name) && !m_players.count(name)) {
                                    m_players[name];
                                    readOwner(name);
                                }
                            }
                        } else {
                            qCWarning(lcPlayer).noquote()
                                << "Cannot list the session bus:" << w->error().message();
                        }
                        finishListing();
                    });
        }
    }
    if (m_listed)
        finishListing();
}

void MprisPlayerLink::finishListing()
{
    m_listed = true;
    choiceMayHaveChanged();
    // A callback may start another listing wait; take the list first.
    auto callbacks = std::exchange(m_listedCallbacks, {});
    for (auto& callback : callbacks)
        callback();
}

void MprisPlayerLink::setPreferredPlayer(const QString& suffix)
{
    m_preferred = suffix;
    choiceMayHaveChanged();
}

const MprisPlayerLink::Player* MprisPlayerLink::chosen() const
{
    if (!m_preferred.isEmpty()) {
        const QString exact = BusPrefix + m_preferred;
        for (const auto& [name, player] : m_players) {
            if (name == exact || name.startsWith(exact + u'.'))
                return &player;
        }
        return nullptr;
    }
    for (const PlaybackState wanted : {PlaybackState::Playing, PlaybackState::Paused}) {
        for (const auto& [name, player] : m_players) {
            if (player.shownState() == wanted)
                return &player;
        }
    }
    return m_players.empty() ? nullptr : &m_players.begin()->second;
}

QString MprisPlayerLink::chosenPlayer() const
{
    const Player* player = chosen();
    for (const auto& [name, p] : m_players) {
        if (&p == player)
            return name;
    }
    return {};
}

QStringList MprisPlayerLink::players() const
{
    QStringList names;
    for (const auto& [name, player] : m_players)
        names << name;
    return names;
}

void MprisPlayerLink::choiceMayHaveChanged()
{
    const QString now = chosenPlayer();
    if (now == m_lastChosen)
        return;
    m_lastChosen = now;
    logPlayerEvent(now.isEmpty() ? QStringLiteral("No media player")
                                 : QStringLiteral("Showing the media player ") + now);
}

void MprisPlayerLink::logPlayerEvent(const QString& text)
{
    // A run ends after ten quiet seconds; its first lines are logged, then
    // one line says that more follow.
    constexpr int LoggedInRun = 10;
    if (!m_sinceLastEvent.isValid() || m_sinceLastEvent.elapsed() > 10000)
        m_eventsInRun = 0;
    m_sinceLastEvent.start();
    ++m_eventsInRun;
    if (m_eventsInRun <= LoggedInRun)
        qCInfo(lcPlayer).noquote() << printableText(text, 200);
    else if (m_eventsInRun == LoggedInRun + 1)
        qCInfo(lcPlayer).noquote() << "Media players come and go quickly; not logging each";
}

MediaPlayerLink::PlaybackState MprisPlayerLink::state() const
{
    const Player* player = chosen();
    return player ? player->shownState() : PlaybackState::Stopped;
}

MediaPlayerLink::Track MprisPlayerLink::track() const
{
    const Player* player = chosen();
    return player && player->known ? player->track : Track{};
}

double MprisPlayerLink::volume() const
{
    const Player* player = chosen();
    return player && player->known ? player->volume : 0.0;
}

qint64 MprisPlayerLink::positionUs() const
{
    const Player* player = chosen();
    return player && player->known ? player->positionUs : 0;
}

void MprisPlayerLink::refresh()
{
    if (!m_bus || !m_bus->isConnected())
        return;
    // Players that have not answered yet are asked again, one call each at
    // a time, so one that was only slow comes back.
    for (auto& [name, player] : m_players) {
        if (!player.owner.isEmpty() && (!player.known || !player.answering) && !player.readingAll)
            readAll(name);
    }
    const QString name = chosenPlayer();
    if (name.isEmpty())
        return;
    Player& player = m_players[name];
    if (player.owner.isEmpty() || !player.known || player.readingPosition)
        return;
    player.readingPosition = true;
    callPlayer(
        name, PropertiesInterface, QStringLiteral("Get"),
        {PlayerInterface, QStringLiteral("Position")},
        [](Player& p, const QDBusMessage& reply) {
            p.readingPosition = false;
            const std::optional<qint64> position = reply.arguments().isEmpty()
                                                       ? std::nullopt
                                                       : toInteger(unwrap(reply.arguments().at(0)));
            p.positionUs = position.value_or(0);
        },
        // A player that cannot tell its position (a stream) shows 0.
        [](Player& p, const QDBusMessage&) {
            p.readingPosition = false;
            p.positionUs = 0;
        });
}

void MprisPlayerLink::readOwner(const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(BusService, BusPath, BusService,
                                                       QStringLiteral("GetNameOwner"));
    call.setArguments({name});
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, ReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, name](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusMessage reply = w->reply();
                auto it = m_players.find(name);
                if (it == m_players.end() || !it->second.owner.isEmpty())
                    return; // gone meanwhile, or NameOwnerChanged told us first
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                    m_players.erase(it); // left before we asked
                    choiceMayHaveChanged();
                    return;
                }
                it->second.owner = reply.arguments().at(0).toString();
                logPlayerEvent(QStringLiteral("Media player on the bus: ") + name);
                readAll(name);
            });
}

void MprisPlayerLink::readAll(const QString& name)
{
    m_players[name].readingAll = true;
    callPlayer(
        name, PropertiesInterface, QStringLiteral("GetAll"), {PlayerInterface},
        [this](Player& p, const QDBusMessage& reply) {
            p.readingAll = false;
            p.known = true;
            if (!reply.arguments().isEmpty())
                apply(p, toMap(reply.arguments().at(0)));
        },
        [](Player& p, const QDBusMessage&) {
            // No Player interface (or a broken one): a player that shows as stopped.
            p.readingAll = false;
            p.known = true;
            p.state = PlaybackState::Stopped;
        });
}

void MprisPlayerLink::callPlayer(const QString& name, const QString& interface,
                                 const QString& method, const QVariantList& arguments, Reply ok,
                                 Reply failed)
{
    const QString owner = m_players[name].owner;
    // To the unique name, so the answer comes from the player we mean even
    // if the well-known name changes hands meanwhile.
    QDBusMessage call = QDBusMessage::createMethodCall(owner, ObjectPath, interface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, ReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, name, owner, ok = std::move(ok),
             failed = std::move(failed)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                auto it = m_players.find(name);
                if (it == m_players.end() || it->second.owner != owner)
                    return; // the player left or was replaced meanwhile
                Player& player = it->second;
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ReplyMessage) {
                    player.answering = true;
                    ok(player, reply);
                } else {
                    const QDBusError error = w->error();
                    if (isNoAnswer(error)) {
                        if (player.answering)
                            qCWarning(lcPlayer).noquote()
                                << name << "does not answer; shown as stopped until it does";
                        player.answering = false;
                        player.readingAll = false;
                        player.readingPosition = false;
                    } else {
                        qCDebug(lcPlayer).noquote() << name << error.name() << error.message();
                        if (failed)
                            failed(player, reply);
                    }
                }
                choiceMayHaveChanged();
            });
}

void MprisPlayerLink::apply(Player& player, const QVariantMap& properties)
{
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const QVariant value = unwrap(it.value());
        if (it.key() == u"PlaybackStatus") {
            const QString status = value.toString();
            player.state = status == u"Playing"  ? PlaybackState::Playing
                           : status == u"Paused" ? PlaybackState::Paused
                                                 : PlaybackState::Stopped;
        } else if (it.key() == u"Metadata") {
            player.track = readMetadata(value);
        } else if (it.key() == u"Volume") {
            bool ok = false;
            const double volume = value.toDouble(&ok);
            player.volume = ok && std::isfinite(volume) ? volume : 0.0;
        } else if (it.key() == u"Position") {
            player.positionUs = toInteger(value).value_or(0);
        }
    }
}

MediaPlayerLink::Track MprisPlayerLink::readMetadata(const QVariant& metadata)
{
    const QVariantMap map = toMap(unwrap(metadata));
    // Only a short caption is ever shown: texts are cut where they come in,
    // so a player's megabytes are not kept, nor parsed again every second.
    constexpr qsizetype Shown = 120;
    Track track;
    track.title = unwrap(map.value(QStringLiteral("xesam:title"))).toString().left(Shown);
    qsizetype artistsLength = 0;
    for (const QString& artist :
         toStringList(unwrap(map.value(QStringLiteral("xesam:artist"))))) {
        if (artist.isEmpty())
            continue;
        if (artistsLength > Shown)
            break;
        track.artists.append(artist.left(Shown));
        artistsLength += track.artists.last().size() + 2;
    }
    track.url = unwrap(map.value(QStringLiteral("xesam:url"))).toString();
    if (track.url.size() > 4 * Shown) // only its file name can be shown
        track.url = QUrl(track.url).fileName().right(Shown);
    const std::optional<qint64> length =
        toInteger(unwrap(map.value(QStringLiteral("mpris:length"))));
    track.lengthUs = length && *length >= 0 ? *length : -1;
    return track;
}

void MprisPlayerLink::onPropertiesChanged(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != PlayerInterface)
        return;
    const QVariantMap changed = toMap(args.at(1));
    const QStringList invalidated = args.size() > 2 ? toStringList(args.at(2)) : QStringList();
    for (auto& [name, player] : m_players) {
        if (player.owner.isEmpty() || player.owner != message.service())
            continue;
        player.answering = true;
        if (player.known)
            apply(player, changed);
        // Announced without values: read them again.
        if (!invalidated.isEmpty() && !player.readingAll)
            readAll(name);
    }
    choiceMayHaveChanged();
}

void MprisPlayerLink::onSeeked(const QDBusMessage& message)
{
    if (message.arguments().isEmpty())
        return;
    const std::optional<qint64> position = toInteger(message.arguments().at(0));
    for (auto& [name, player] : m_players) {
        if (!player.owner.isEmpty() && player.owner == message.service()) {
            player.answering = true;
            if (position)
                player.positionUs = *position;
        }
    }
}

void MprisPlayerLink::onOwnerChanged(const QString& name, const QString&, const QString& newOwner)
{
    if (!isPlayerName(name))
        return;
    if (newOwner.isEmpty()) {
        if (m_players.erase(name))
            logPlayerEvent(QStringLiteral("Media player left the bus: ") + name);
    } else {
        Player& player = m_players[name];
        if (player.owner != newOwner) {
            player = Player{};
            player.owner = newOwner;
            logPlayerEvent(QStringLiteral("Media player on the bus: ") + name);
            readAll(name);
        }
    }
    choiceMayHaveChanged();
}
