// The player's caption, the artist and title cut from it, its times and volume.
#include "FuzzSupport.h"

#include "screens/player/WinAmpScreen.h"
#include "screens/player/modWinAmp.h"

FUZZ_TARGET
{
    MediaPlayerLink::Track track;
    track.title = fuzz::text(in);
    track.artists = {fuzz::text(in)};
    if (in.ConsumeBool())
        track.artists.append(fuzz::text(in));
    track.url = fuzz::text(in);
    const qint64 ms = in.ConsumeIntegral<qint64>();
    const qint64 volume = in.ConsumeIntegralInRange<qint64>(0, 2550); // GetWinAmpVolume's range

    const QString caption = modWinAmp::Caption(track);
    FUZZ_CHECK(caption.size() <= 255 && caption.endsWith(modWinAmp::CaptionEnd));

    // The artist comes back whole: up to a zero, cut, its " - " made unsplittable.
    QString artist = track.artists.join(QStringLiteral(", ")).section(QChar(0), 0, 0);
    artist.truncate(modWinAmp::MaxPartLength);
    artist.replace(QStringLiteral(" - "), QStringLiteral("\u00A0- "));
    if (artist.endsWith(QLatin1String(" -")))
        artist[artist.size() - 2] = QChar(0xA0);
    const QString cut = modWinAmp::artistOf(caption), song = modWinAmp::songOf(caption);
    FUZZ_CHECK(cut == artist);
    FUZZ_CHECK(song.size() <= modWinAmp::MaxPartLength + modWinAmp::CaptionEnd.size());
    FUZZ_CHECK(fuzz::onlyModuleCodes(cut, song));

    // The seconds of a time in milliseconds: at most half a second off.
    const qint64 seconds = modWinAmp::SecondsHalfEven(ms);
    FUZZ_CHECK(seconds - ms / 1000 >= -1 && seconds - ms / 1000 <= 1);
    for (const qint64 s : {seconds, ms, -(ms / 1000)}) {
        const QString time = WinAmpScreen::timeText(s);
        FUZZ_CHECK(fuzz::onlyModuleCodes(time) && time.size() <= 6);
    }
    const qint64 percent = WinAmpScreen::VolumePercent(volume);
    FUZZ_CHECK(percent >= 0 && percent <= 1000);
}
