#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// The media player the "WinAmp Plugin" mode shows (on Linux any MPRIS 2
// player on the session bus). Every request is answered at once from what
// the link last heard from the player, so a player that hangs never holds
// the caller; the link refreshes that picture in the background.
//
// Which player: the one named by setPreferredPlayer() when set; otherwise
// the one that is playing, else one that is paused, else the first by name.
// A player that does not answer counts as stopped until it answers again.
class MediaPlayerLink
{
public:
    enum class PlaybackState { Stopped, Paused, Playing };

    struct Track
    {
        QString title;        // empty when the player gives none
        QStringList artists;  // in the player's order
        QString url;          // where the track comes from, when known
        qint64 lengthUs = -1; // microseconds; -1 when unknown (a stream)
    };

    virtual ~MediaPlayerLink() = default;

    // Begins following the players (the first call connects; later calls
    // only add a callback). listed runs once the players already present
    // are known: at once when they are, later otherwise, and also when
    // there is no bus to ask.
    virtual void start(std::function<void()> listed) = 0;

    // The bus name suffix of the player to show ("vlc" for
    // org.mpris.MediaPlayer2.vlc, also matching its ".instanceN" names);
    // empty for the automatic choice.
    virtual void setPreferredPlayer(const QString& suffix) = 0;

    // The player the requests below are about is on the bus (it may still
    // be stopped or silent).
    virtual bool hasPlayer() const = 0;

    // Stopped when there is no player, no bus, or no answer from it.
    virtual PlaybackState state() const = 0;
    virtual Track track() const = 0;
    // 0.0 silent, 1.0 full (players may go above); 0.0 without a player.
    virtual double volume() const = 0;
    // The last playing position heard, in microseconds; 0 when none.
    virtual qint64 positionUs() const = 0;
    // Asks the player for its position (players do not announce it), and
    // again any player that has not answered yet; the answers replace what
    // the requests above give when they come. Called once a second.
    virtual void refresh() = 0;
};
