#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Clock and date texts shared by the status bar, the time and date screen and
// the large clock. Month names and AM/PM come from the default QLocale; the
// separators are always ':' and '/'.
namespace TimeText {

// 12, 1, ..., 11 for hours 0..23.
int Hour12(const QTime& time);
// The locale's AM designator before noon, its PM designator from noon on.
QString AmPm(const QTime& time);

// "h:mm:ss AMPM": "2:05:07 PM", "12:00:00 AM" at midnight.
QString StatusClockText(const QDateTime& t);
// "d-mmmm-yyyy": "5-December-2026".
QString LongDateText(const QDate& date);
// The locale's short month name in at most three characters, without dots:
// "Dec", "set" (Catalan "set."), "Mär".
QString MonthAbbreviation(int month);
// "d/mmm/yy hh:mm:ss", 24-hour clock: "5/Dec/26 14:05:07"; at most 18 characters.
QString ShortDateTimeText(const QDateTime& t);

} // namespace TimeText
