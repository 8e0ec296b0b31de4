#pragma once

#include "platform/SettingsReader.h"

#include <QString>
#include <QStringList>

#include <optional>

// The update interval of the weather and stock modes, in whole minutes: the
// "Update Frequency (Minutes)" field of their dialogs and their Update keys.
namespace UpdateMinutes {
// Longest interval whose seconds still fit in 16 bits.
constexpr int Max = 546;
inline const QString Refused =
    QStringLiteral("Update Frequency must be a whole number of minutes from 1 to %1").arg(Max);

// An Update key in seconds; fallbackSeconds when missing or unusable.
inline int ReadSeconds(const SettingsReader& r, const char* key, int fallbackSeconds)
{
    return int(r.number(key, fallbackSeconds / 60, 1, Max) * 60);
}

// The list's entries "1" to "30".
inline QStringList Choices()
{
    QStringList list;
    for (int i = 1; i <= 30; ++i)
        list.append(QString::number(i));
    return list;
}

// The field's text for an interval in seconds: 5 for 300, 2.5 for 150.
inline QString Text(int seconds)
{
    return QString::number(seconds / 60.0);
}

// A whole number of minutes from 1 to Max (spaces around it allowed), else nothing.
inline std::optional<int> Parse(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 3)
        return std::nullopt;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int minutes = t.toInt();
    if (minutes < 1 || minutes > Max)
        return std::nullopt;
    return minutes;
}
} // namespace UpdateMinutes
