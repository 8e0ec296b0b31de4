#pragma once

#include "platform/MediaPlayerLink.h"
#include "platform/linux/PluginLoader.h"

#include <memory>

// The MPRIS link from libbrellix-player.so, loaded when the player mode is
// first entered (its first call that asks something of the players). Until
// then, and for good where the plugin cannot be loaded, there is no player
// (stopped, nothing playing), as with no session bus.
class LoadedPlayerLink final : public MediaPlayerLink
{
public:
    LoadedPlayerLink();
    ~LoadedPlayerLink() override;

    void start(std::function<void()> listed) override { loaded().start(std::move(listed)); }
    void setPreferredPlayer(const QString& suffix) override { loaded().setPreferredPlayer(suffix); }
    void refresh() override { loaded().refresh(); }
    bool hasPlayer() const override { return m_link->hasPlayer(); }
    PlaybackState state() const override { return m_link->state(); }
    Track track() const override { return m_link->track(); }
    double volume() const override { return m_link->volume(); }
    qint64 positionUs() const override { return m_link->positionUs(); }

private:
    MediaPlayerLink& loaded();

    PluginLoader m_plugin{QStringLiteral("player")};
    bool m_loaded = false;
    std::unique_ptr<MediaPlayerLink> m_link; // no player until loaded
};
