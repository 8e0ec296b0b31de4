#include "screens/clock/TimeDateScreen.h"

#include "codec/ModuleCodec.h"
#include "platform/Clock.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/TimeText.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/clock/modTimeZone.h"

void TimeDateScreen::ShowTimeDate()
{
    // One reading for the whole screen, so date and time agree at midnight.
    const QDateTime now = m_clock.now().toLocalTime();
    const ModuleCodec& codec = m_lines.codec();
    m_lines.setLine(0, centred(codec.fromUnicode(TimeText::StatusClockText(now))));
    m_lines.setLine(1, centred(codec.fromUnicode(TimeText::LongDateText(now.date()))));
    m_lines.setLine(2, codec.fromUnicode(m_settings.DestinationName() + QStringLiteral(" Time")));
    const QDateTime dest = destinationTime(modTimeZone::LocalToGMT(now), m_settings);
    m_lines.setLine(3, codec.fromUnicode(TimeText::ShortDateTimeText(dest)));
}

QDateTime TimeDateScreen::destinationTime(const QDateTime& gmt, const WorldTimeSettings& settings)
{
    const int offset = modTimeZone::ZoneOffsetMinutes(settings.ZoneIndex());
    const QDateTime standard = gmt.addSecs(qint64(offset) * 60);
    // The rule is judged on the destination's standard-time date.
    if (settings.ObserveDaylight() && modTimeZone::IsDaylightSaving(standard))
        return gmt.addSecs(qint64(offset + 60) * 60);
    return standard;
}

QByteArray TimeDateScreen::centred(const QByteArray& text)
{
    const QByteArray cut = text.left(ScreenLines::Width);
    const int pad = ScreenLines::Width - int(cut.size());
    // pad / 2 rounded half to even: 9 -> 4, 7 -> 4, 5 -> 2, 1 -> 0.
    int n = pad / 2;
    if (pad % 2 != 0 && n % 2 != 0)
        ++n;
    return QByteArray(n, ' ') + cut;
}
