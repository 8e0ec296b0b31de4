#include "screens/clock/TimeText.h"

#include <QLocale>

namespace TimeText {

namespace {
QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
} // namespace

int Hour12(const QTime& time)
{
    const int h = time.hour() % 12;
    return h == 0 ? 12 : h;
}

QString AmPm(const QTime& time)
{
    const QLocale locale;
    return time.hour() < 12 ? locale.amText() : locale.pmText();
}

QString StatusClockText(const QDateTime& t)
{
    const QTime time = t.time();
    // One multi-arg call, so a designator holding "%" is never rescanned.
    return QStringLiteral("%1:%2:%3 %4")
        .arg(QString::number(Hour12(time)), twoDigits(time.minute()), twoDigits(time.second()),
             AmPm(time));
}

QString LongDateText(const QDate& date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(QString::number(date.day()), QLocale().monthName(date.month(), QLocale::LongFormat),
             QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')));
}

QString MonthAbbreviation(int month)
{
    // The standalone form: some locales put a word before the month in
    // dates ("de set." in Catalan). Dots go, and three characters are
    // enough, so line 4 keeps its seconds within 20 columns.
    QString name = QLocale().standaloneMonthName(month, QLocale::ShortFormat);
    name.remove(QLatin1Char('.'));
    return name.trimmed().left(3);
}

QString ShortDateTimeText(const QDateTime& t)
{
    const QDate date = t.date();
    const QTime time = t.time();
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(QString::number(date.day()), MonthAbbreviation(date.month()),
             twoDigits(date.year() % 100), twoDigits(time.hour()), twoDigits(time.minute()),
             twoDigits(time.second()));
}

} // namespace TimeText
