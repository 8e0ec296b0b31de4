#include "platform/linux/LoadedPlayerLink.h"

#include "platform/linux/ModuleLoader.h"

namespace {
// Stands in where the module cannot be loaded: no player, as without a bus.
class NoPlayerLink final : public MediaPlayerLink
{
public:
    void start(std::function<void()> listed) override
    {
        if (listed)
            listed();
    }
    void setPreferredPlayer(const QString&) override {}
    bool hasPlayer() const override { return false; }
    PlaybackState state() const override { return PlaybackState::Stopped; }
    Track track() const override { return {}; }
    double volume() const override { return 0.0; }
    qint64 positionUs() const override { return 0; }
    void refresh() override {}
};
} // namespace

LoadedPlayerLink::LoadedPlayerLink() : m_link(std::make_unique<NoPlayerLink>()) {}
LoadedPlayerLink::~LoadedPlayerLink() = default;

MediaPlayerLink& LoadedPlayerLink::loaded()
{
    if (!m_loaded) {
        m_loaded = true;
        QString why;
        if (auto link = createFromModule<MediaPlayerLink>(QStringLiteral("player"),
                                                          "brellix_create_player_link",
                                                          QStringLiteral("player link"), &why))
            m_link = std::move(link);
    }
    return *m_link;
}
