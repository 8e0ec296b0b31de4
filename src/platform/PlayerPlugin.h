#pragma once

#include "platform/MediaPlayerLink.h"

#include <QtPlugin>

#include <memory>

// The root of libbrellix-player.so: makes the media player link. The
// interface id carries its version; bump it whenever this class or
// MediaPlayerLink changes.
class PlayerPlugin
{
public:
    virtual ~PlayerPlugin() = default;
    virtual std::unique_ptr<MediaPlayerLink> createPlayerLink() = 0;
};

#define BRELLIX_PLAYER_PLUGIN_IID "io.github.brellix.PlayerPlugin/1"
Q_DECLARE_INTERFACE(PlayerPlugin, BRELLIX_PLAYER_PLUGIN_IID)
