#include "screens/player/modWinAmp.h"

#include <QUrl>

#include <cmath>

namespace {
const QString Joint = QStringLiteral(" - ");

// What a window caption could hold: the characters before the first zero
// character, and not too many of them.
QString captionPart(const QString& text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    return text.left(zero < 0 ? text.size() : zero).left(modWinAmp::MaxPartLength);
}
} // namespace

QString modWinAmp::GetWinAmpState()
{
    // What the next call finds: the position, and whether a player that
    // was silent answers again.
    m_link.refresh();
    switch (m_link.state()) {
    case MediaPlayerLink::PlaybackState::Playing:
        m_state = QStringLiteral("PLAYING");
        break;
    case MediaPlayerLink::PlaybackState::Paused:
        m_state = QStringLiteral("PAUSED");
        break;
    case MediaPlayerLink::PlaybackState::Stopped:
        m_state = QStringLiteral("STOPPED");
        break;
    }
    return m_state;
}

void modWinAmp::ReadWinAmpTitle()
{
    m_title = Caption(m_link.track());
}

QString modWinAmp::Caption(const MediaPlayerLink::Track& track)
{
    QString title = track.title;
    if (title.isEmpty() && !track.url.isEmpty()) {
        const QUrl url(track.url);
        title = url.fileName().isEmpty() ? track.url : url.fileName();
    }
    QString artist = captionPart(track.artists.join(QStringLiteral(", ")));
    artist.replace(Joint, QStringLiteral("\u00A0- "));
    // An artist ending in " -" would make the first joint with the " " after it.
    if (artist.endsWith(QLatin1String(" -")))
        artist[artist.size() - 2] = QChar(0xA0);
    return artist + Joint + captionPart(title) + CaptionEnd;
}

QString modWinAmp::artistOf(const QString& caption)
{
    // Without a joint there is no artist to cut off.
    const qsizetype joint = caption.indexOf(Joint);
    return joint < 0 ? QString() : caption.left(joint);
}

QString modWinAmp::songOf(const QString& caption)
{
    const qsizetype joint = caption.indexOf(Joint);
    return caption.mid(joint < 0 ? 2 : joint + Joint.size());
}

qint64 modWinAmp::SecondsHalfEven(qint64 ms)
{
    qint64 seconds = ms / 1000;
    const qint64 rest = ms % 1000; // same sign as ms
    if (rest > 500 || (rest == 500 && seconds % 2 != 0))
        ++seconds;
    else if (rest < -500 || (rest == -500 && seconds % 2 != 0))
        --seconds;
    return seconds;
}

qint64 modWinAmp::GetTrackLength() const
{
    const qint64 us = m_link.track().lengthUs;
    return us < 0 ? -1 : SecondsHalfEven(us / 1000);
}

qint64 modWinAmp::GetTrackPosition()
{
    m_positionMs = m_link.positionUs() / 1000;
    return SecondsHalfEven(m_positionMs);
}

qint64 modWinAmp::GetWinAmpVolume() const
{
    // A player's own scale may go above full (mpv to 130%); a broken value
    // never turns into a huge number.
    const double volume = m_link.volume();
    if (!std::isfinite(volume) || volume <= 0.0)
        return 0;
    return std::llround(std::min(volume, 10.0) * 255.0);
}

QString modWinAmp::SongTitle() const
{
    QString song = GetWinAmpSong();
    if (song.endsWith(CaptionEnd))
        song.chop(CaptionEnd.size());
    return song;
}
