#include "app/BacklightSchedule.h"

#include "platform/Logging.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"

namespace {
QTime readTime(const SettingsReader& r, const char* key)
{
    const QString value = r.raw(key);
    if (value.isEmpty())
        return {};
    // "7:00" as well as "07:00"; seconds are not part of it.
    const QTime time = QTime::fromString(value, QStringLiteral("H:mm"));
    if (!time.isValid())
        r.reject(QLatin1String(key), value, QStringLiteral("is not a time (HH:mm)"), {});
    return time;
}

QString timeText(QTime time)
{
    return time.isValid() ? time.toString(QLatin1String(BacklightSchedule::Format)) : QString();
}
} // namespace

bool BacklightSchedule::offAt(QTime time) const
{
    if (!active())
        return false;
    if (Off < On)
        return Off <= time && time < On;
    return time >= Off || time < On; // across midnight
}

BacklightSchedule BacklightSchedule::load(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    BacklightSchedule s;
    s.Off = readTime(r, OffKey);
    s.On = readTime(r, OnKey);
    // One time given, the other left empty (a refused one was said already).
    if (s.Off.isValid() != s.On.isValid() && r.raw(OffKey).isEmpty() != r.raw(OnKey).isEmpty())
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1: [%2] needs both %3 and %4; the backlight keeps no hours")
                   .arg(ini.path(), r.section(), QLatin1String(OffKey), QLatin1String(OnKey));
    return s;
}

bool BacklightSchedule::save(modINI& ini) const
{
    const QString section = QLatin1String(Section);
    return ini.WriteIniKeys({{section, QLatin1String(OffKey), timeText(Off)},
                             {section, QLatin1String(OnKey), timeText(On)}});
}
