#pragma once

#include "platform/MediaPlayerLink.h"

#include <memory>

// The MPRIS link from libbrellix-player.so, loaded at the first start():
// until then, and for good where the module cannot be loaded, there is no
// player (stopped, nothing playing), as with no session bus.
class LoadedPlayerLink final : public MediaPlayerLink
{
public:
    LoadedPlayerLink();
    ~LoadedPlayerLink() override;

    void start(std::function<void()> listed) override;
    void setPreferredPlayer(const QString& suffix) override;
    bool hasPlayer() const override { return m_real && m_real->hasPlayer(); }
    PlaybackState state() const override;
    Track track() const override;
    double volume() const override { return m_real ? m_real->volume() : 0.0; }
    qint64 positionUs() const override { return m_real ? m_real->positionUs() : 0; }
    void refresh() override;

private:
    bool m_loaded = false;
    QString m_preferred;
    std::unique_ptr<MediaPlayerLink> m_real;
};
