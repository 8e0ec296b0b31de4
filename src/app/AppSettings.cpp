#include "app/AppSettings.h"

#include "platform/Logging.h"
#include "platform/PathCheck.h"

#include <limits>
#include <optional>

namespace {

constexpr qint64 Int16Min = std::numeric_limits<qint16>::min();
constexpr qint64 Int16Max = std::numeric_limits<qint16>::max();
// Longest update interval whose seconds still fit in 16 bits.
constexpr qint64 MaxUpdateMinutes = 546;

// An optional sign and decimal digits; "3x", "0x10" or "1e3" are not numbers.
bool isInteger(QStringView s)
{
    qsizetype i = (!s.isEmpty() && (s[0] == u'+' || s[0] == u'-')) ? 1 : 0;
    if (i == s.size())
        return false;
    for (; i < s.size(); ++i) {
        if (s[i] < u'0' || s[i] > u'9')
            return false;
    }
    return true;
}

// Saturates far beyond any range checked here, so long digit strings do not
// overflow into something in range.
std::optional<qint64> toInteger(QStringView s)
{
    if (!isInteger(s))
        return std::nullopt;
    constexpr qint64 Limit = qint64(1) << 40;
    const bool negative = s[0] == u'-';
    qint64 value = 0;
    for (QChar c : s) {
        if (c.isDigit())
            value = qMin(Limit, value * 10 + (c.unicode() - u'0'));
    }
    return negative ? -value : value;
}

class Reader
{
public:
    explicit Reader(const modINI& ini) : m_ini(ini) {}

    QString text(const char* section, const char* key, const QString& fallback) const
    {
        const QString value = read(section, key);
        return value.isEmpty() ? fallback : value;
    }

    // An integer in lo..hi, or fallback.
    qint64 number(const char* section, const char* key, qint64 fallback, qint64 lo, qint64 hi) const
    {
        const QString value = read(section, key);
        if (value.isEmpty())
            return fallback;
        const std::optional<qint64> n = toInteger(value);
        if (!n) {
            reject(section, key, value, QStringLiteral("is not a number"), fallback);
            return fallback;
        }
        if (*n < lo || *n > hi) {
            reject(section, key, value, QStringLiteral("is outside %1..%2").arg(lo).arg(hi),
                   fallback);
            return fallback;
        }
        return *n;
    }

    bool flag(const char* section, const char* key, bool fallback) const
    {
        const QString value = read(section, key);
        if (value.isEmpty())
            return fallback;
        const std::optional<qint64> n = toInteger(value);
        if (!n) {
            reject(section, key, value, QStringLiteral("is not a number"), fallback ? 1 : 0);
            return fallback;
        }
        return *n != 0;
    }

    // A device or file name: one with control characters is refused.
    QString path(const char* section, const char* key, const QString& fallback) const
    {
        const QString value = read(section, key);
        if (value.isEmpty())
            return fallback;
        if (hasControlCharacters(value)) {
            QString shown; // the log line must not carry them either
            for (const QChar c : value)
                shown += c.unicode() < 0x20 || c.unicode() == 0x7F
                             ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                             : QString(c);
            reject(section, key, shown, QStringLiteral("holds control characters"), fallback);
            return fallback;
        }
        return value;
    }

    // Kept as written when it is an integer at all: callers only compare it.
    QString integerText(const char* section, const char* key, const QString& fallback) const
    {
        const QString value = read(section, key);
        if (value.isEmpty())
            return fallback;
        if (!isInteger(value)) {
            reject(section, key, value, QStringLiteral("is not a number"), fallback);
            return fallback;
        }
        return value;
    }

private:
    QString read(const char* section, const char* key) const
    {
        return m_ini.ReadIni(QLatin1String(section), QLatin1String(key));
    }

    template <typename T>
    void reject(const char* section, const char* key, const QString& value, const QString& why,
                const T& fallback) const
    {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1: [%2] %3 = \"%4\" %5; using the default %6")
                   .arg(m_ini.path(), QLatin1String(section), QLatin1String(key), value, why)
                   .arg(fallback);
    }

    const modINI& m_ini;
};

} // namespace

std::array<QString, LcdLink::PortCount> AppSettings::defaultPorts()
{
    std::array<QString, LcdLink::PortCount> ports;
    for (int i = 0; i < LcdLink::PortCount; ++i)
        ports[std::size_t(i)] = LcdLink::defaultPortPath(i + 1);
    return ports;
}

AppSettings AppSettings::load(const modINI& ini)
{
    const Reader r(ini);
    AppSettings s;

    s.CommPortText = r.integerText("Settings", "CommPort", s.CommPortText);
    s.SerialSettings = r.text("Settings", "Setting", s.SerialSettings);
    s.Backlight = int(r.number("Settings", "Backlight", s.Backlight, 0, 254));

    // Out-of-table zones are kept: the time screens show GMT for them.
    s.ZoneIndex = qint16(r.number("TimeZone", "Zone", s.ZoneIndex, Int16Min, Int16Max));
    // "London" names the default zone on a fresh install only: once the World
    // Time dialog has saved (it always writes Zone), an empty name stays empty.
    const bool timeZoneSaved =
        !ini.ReadIni(QStringLiteral("TimeZone"), QStringLiteral("Zone")).isEmpty();
    s.DestinationName =
        r.text("TimeZone", "Destination", timeZoneSaved ? QString() : s.DestinationName);
    s.ObserveDaylight = r.flag("TimeZone", "Daylight", s.ObserveDaylight);

    s.StockSymbol = r.text("Stock", "Symbol", s.StockSymbol);
    s.StockUpdateSeconds =
        int(r.number("Stock", "Update", s.StockUpdateSeconds / 60, 1, MaxUpdateMinutes) * 60);

    s.WeatherCity = r.text("Weather", "City", s.WeatherCity);
    s.WeatherCountry = r.text("Weather", "Country", s.WeatherCountry);
    s.WeatherUpdateSeconds =
        int(r.number("Weather", "Update", s.WeatherUpdateSeconds / 60, 1, MaxUpdateMinutes) * 60);

    // Out of 0..7 selects no mode at start-up; the main window deals with it.
    s.CurrentMode = int(r.number("Mode", "mode", s.CurrentMode, Int16Min, Int16Max));

    for (std::size_t i = 0; i < s.Ports.size(); ++i) {
        const QByteArray key = "COM" + QByteArray::number(qulonglong(i + 1));
        s.Ports[i] = r.path("Ports", key.constData(), s.Ports[i]);
    }
    return s;
}
