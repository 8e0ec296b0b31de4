#pragma once

#include "platform/MediaPlayerLink.h"

#include <QString>
#include <QtGlobal>

// The requests the "WinAmp Plugin" screen makes of the player, answered
// from the media player link: the state text, the caption the title and
// artist are cut from, the length, the position and the volume.
class modWinAmp
{
public:
    // What the caption ends with, as the player's window caption did.
    static inline const QString CaptionEnd = QStringLiteral(" - Winamp");
    // Title and artist are each cut to this many characters, so a caption
    // holds at most 255 as the window caption's buffer did.
    static constexpr int MaxPartLength = 120;

    explicit modWinAmp(MediaPlayerLink& link) : m_link(link) {}

    // "PLAYING", "PAUSED" or "STOPPED" (also with no player); kept as the
    // last state read. Asks the player for what the next refresh shows.
    QString GetWinAmpState();
    QString state() const { return m_state; }

    // Composes WinAmpTitle from the playing track: "artist - title - Winamp".
    void ReadWinAmpTitle();
    const QString& WinAmpTitle() const { return m_title; }
    void setWinAmpTitle(const QString& caption) { m_title = caption; }

    // The text before the first " - ".
    QString GetWinAmpArtist() const { return artistOf(m_title); }
    // The text after the first " - " (from the third character on when there is none).
    QString GetWinAmpSong() const { return songOf(m_title); }
    // The song as the screen shows it: without the caption's end.
    QString SongTitle() const;

    // Whole seconds; -1 when the player gives no length (a stream).
    qint64 GetTrackLength() const;
    // The last position heard, in whole seconds (an exact half to the even
    // neighbour).
    qint64 GetTrackPosition();
    // 0 to 255 for silent to full, as the volume of the player's window
    // messages was; more for players that go above full.
    qint64 GetWinAmpVolume() const;

    // The caption of a track: "artist - title - Winamp". A track without a
    // title is named after its file; a " - " inside the artist is written
    // with a no-break space (shown as a space), as is the space of a " -" it
    // ends with, so the first " - " stays the one between artist and title.
    static QString Caption(const MediaPlayerLink::Track& track);
    static QString artistOf(const QString& caption);
    static QString songOf(const QString& caption);
    // Milliseconds to whole seconds, an exact half to the even neighbour.
    static qint64 SecondsHalfEven(qint64 ms);

private:
    MediaPlayerLink& m_link;
    QString m_title; // WinAmpTitle
    QString m_state = QStringLiteral("STOPPED");
    qint64 m_positionMs = 0;
};
