#include "platform/SettingsReader.h"

#include "platform/Logging.h"
#include "platform/PathCheck.h"
#include "platform/modINI.h"

#include <optional>

namespace {

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

const QString NotANumber = QStringLiteral("is not a number");

} // namespace

QString SettingsReader::raw(const char* key) const
{
    return m_ini.ReadIni(section(), QLatin1String(key));
}

QString SettingsReader::text(const char* key, const QString& fallback) const
{
    const QString value = raw(key);
    return value.isEmpty() ? fallback : value;
}

qint64 SettingsReader::number(const char* key, qint64 fallback, qint64 lo, qint64 hi) const
{
    const QString value = raw(key);
    if (value.isEmpty())
        return fallback;
    const std::optional<qint64> n = toInteger(value);
    if (!n) {
        reject(QLatin1String(key), value, NotANumber, QString::number(fallback));
        return fallback;
    }
    if (*n < lo || *n > hi) {
        reject(QLatin1String(key), value, QStringLiteral("is outside %1..%2").arg(lo).arg(hi),
               QString::number(fallback));
        return fallback;
    }
    return *n;
}

bool SettingsReader::flag(const char* key, bool fallback) const
{
    const QString value = raw(key);
    if (value.isEmpty())
        return fallback;
    const std::optional<qint64> n = toInteger(value);
    if (!n) {
        reject(QLatin1String(key), value, NotANumber, QString::number(fallback ? 1 : 0));
        return fallback;
    }
    return *n != 0;
}

QString SettingsReader::path(const char* key, const QString& fallback) const
{
    const QString value = raw(key);
    if (value.isEmpty())
        return fallback;
    if (hasControlCharacters(value)) {
        QString shown; // the log line must not carry them either
        for (const QChar c : value)
            shown += c.unicode() < 0x20 || c.unicode() == 0x7F
                         ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                         : QString(c);
        reject(QLatin1String(key), shown, QStringLiteral("holds control characters"), fallback);
        return fallback;
    }
    return value;
}

QString SettingsReader::integerText(const char* key, const QString& fallback) const
{
    const QString value = raw(key);
    if (value.isEmpty())
        return fallback;
    if (!isInteger(value)) {
        reject(QLatin1String(key), value, NotANumber, fallback);
        return fallback;
    }
    return value;
}

void SettingsReader::reject(const QString& key, const QString& value, const QString& why,
                            const QString& fallback) const
{
    qCWarning(lcSettings).noquote()
        << QStringLiteral("%1: [%2] %3 = \"%4\" %5; using the default %6")
               .arg(m_ini.path(), section(), key, value, why,
                    fallback.isEmpty() ? QStringLiteral("(none)") : fallback);
}
