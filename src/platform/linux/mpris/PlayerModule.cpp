// libbrellix-player.so: the MPRIS player link, loaded by brellix and brellixd
// only when the player mode is first chosen, so that Qt D-Bus and libdbus
// are not mapped by a program that never shows it.
#include "platform/linux/mpris/MprisPlayerLink.h"

extern "C" __attribute__((visibility("default"))) MediaPlayerLink* brellix_create_player_link()
{
    return new MprisPlayerLink();
}
