#include "screens/clock/LargeClock.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Clock.h"
#include "screens/clock/TimeText.h"

namespace {
constexpr quint8 ColonColumn = 9;
constexpr quint8 LetterColumn = 19;
} // namespace

void LargeClock::enter()
{
    m_link.SendLcd(modLcdFunc::InitLargeDigits());
}

void LargeClock::ShowLargeClock()
{
    const QTime time = m_clock.now().toLocalTime().time();
    const QByteArray hhmm = QStringLiteral("%1%2")
                                .arg(TimeText::Hour12(time), 2, 10, QLatin1Char('0'))
                                .arg(time.minute(), 2, 10, QLatin1Char('0'))
                                .toLatin1();
    QByteArray digits = hhmm;
    if (hhmm.startsWith('0')) {
        // Position 0 is not drawn for a one-digit hour: blank what it showed.
        for (quint8 column = 0; column < 4; ++column) {
            m_link.SendLcd(modLcdFunc::LcdClearColumn(column));
        }
        digits = hhmm.mid(1);
    }
    m_link.SendLcd(modLcdFunc::LcdBigDigits(digits));

    // Decided by the hour, not by the locale's designator text, so a locale
    // whose AM reads "a. m." still gets "am" in the morning.
    sendAt(2, LetterColumn, time.hour() < 12 ? 'a' : 'p');
    sendAt(3, LetterColumn, 'm');
}

void LargeClock::BlinkColon()
{
    // 255 values (1..254, 0): once every 127.5 s the colon stays for two ticks.
    if (++m_blinkCount == 255)
        m_blinkCount = 0;
    if (m_blinkCount % 2 != 0) {
        m_link.SendLcd(modLcdFunc::LcdClearColumn(ColonColumn));
    } else {
        const char dot = char(m_codec.colonDot());
        sendAt(1, ColonColumn, dot);
        sendAt(3, ColonColumn, dot);
    }
}

void LargeClock::sendAt(quint8 row, quint8 column, char code)
{
    // Cursor and character in one write.
    m_link.SendLcd(modLcdFunc::LcdCursorAt(row, column) + code);
}
