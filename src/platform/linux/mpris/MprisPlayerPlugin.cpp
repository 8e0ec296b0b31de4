// libbrellix-player.so: the MPRIS player link, loaded by brellix and brellixd
// only when the player mode is first chosen, so that Qt D-Bus and libdbus
// are not mapped by a program that never shows it.
#include "platform/PlayerPlugin.h"
#include "platform/linux/mpris/MprisPlayerLink.h"

#include <QObject>

class MprisPlayerPlugin final : public QObject, public PlayerPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID BRELLIX_PLAYER_PLUGIN_IID)
    Q_INTERFACES(PlayerPlugin)
public:
    std::unique_ptr<MediaPlayerLink> createPlayerLink() override
    {
        return std::make_unique<MprisPlayerLink>();
    }
};

#include "MprisPlayerPlugin.moc"
