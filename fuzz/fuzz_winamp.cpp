// The media player's track (title, artists, address, length) and numbers:
// the caption, the artist and title cut from it, the times and the volume
// the player screen shows.
#include "FuzzSupport.h"

#include "screens/player/WinAmpScreen.h"
#include "screens/player/modWinAmp.h"

using fuzz::text;

FUZZ_TARGET
{
    MediaPlayerLink::Track track;
    track.title = text(in);
    track.artists = {text(in)};
    if (in.ConsumeBool())
        track.artists.append(text(in));
    track.url = text(in);
    const qint64 ms = in.ConsumeIntegral<qint64>();
    const qint64 volume = in.ConsumeIntegralInRange<qint64>(0, 2550); // GetWinAmpVolume's range

    const QString caption = modWinAmp::Caption(track);
    FUZZ_CHECK(caption.size() <= 255);
    FUZZ_CHECK(caption.endsWith(modWinAmp::CaptionEnd));

    // The artist comes back whole (up to the first zero character, cut to
    // its length, the space of " - " inside it or " -" at its end a no-break
    // space), whatever it holds.
    QString artist = track.artists.join(QStringLiteral(", "));
    artist.truncate(artist.indexOf(QChar(0)) < 0 ? artist.size() : artist.indexOf(QChar(0)));
    artist.truncate(modWinAmp::MaxPartLength);
    const QString cut = modWinAmp::artistOf(caption);
    artist.replace(QStringLiteral(" - "), QStringLiteral("\u00A0- "));
    if (artist.endsWith(QLatin1String(" -")))
        artist[artist.size() - 2] = QChar(0xA0);
    FUZZ_CHECK(cut == artist);
    FUZZ_CHECK(fuzz::onlyModuleCodes(cut));

    const QString song = modWinAmp::songOf(caption);
    FUZZ_CHECK(song.size() <= modWinAmp::MaxPartLength + modWinAmp::CaptionEnd.size());
    FUZZ_CHECK(fuzz::onlyModuleCodes(song));

    // The seconds of a time in milliseconds: at most half a second off.
    const qint64 seconds = modWinAmp::SecondsHalfEven(ms);
    const qint64 off = seconds - ms / 1000;
    FUZZ_CHECK(off >= -1 && off <= 1);

    for (const qint64 s : {seconds, ms, -(ms / 1000)})
        FUZZ_CHECK(fuzz::onlyModuleCodes(WinAmpScreen::timeText(s)) &&
                   WinAmpScreen::timeText(s).size() <= 6);
    const qint64 percent = WinAmpScreen::VolumePercent(volume);
    FUZZ_CHECK(percent >= 0 && percent <= 1000);
}
