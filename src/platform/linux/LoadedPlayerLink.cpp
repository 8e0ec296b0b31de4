#include "platform/linux/LoadedPlayerLink.h"

#include "platform/PlayerPlugin.h"

namespace {
// Stands in where the plugin cannot be loaded: no player, as without a bus.
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
    if (!std::exchange(m_loaded, true)) {
        if (auto* plugin = m_plugin.instance<PlayerPlugin>())
            m_link = plugin->createPlayerLink();
    }
    return *m_link;
}
