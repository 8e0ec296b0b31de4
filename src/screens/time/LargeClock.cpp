#include "screens/time/LargeClock.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Clock.h"
#include "screens/time/TimeText.h"

namespace {
constexpr quint8 ColonColumn = 9;
constexpr quint8 LetterColumn = 19;
constexpr char ColonDot = char(223);
} // namespace

void LargeClock::enter()
{
    modLcdFunc::LcdCommand(m_link.LcdOut, 25);
    m_link.SendLcd();
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
            modLcdFunc::LcdClearColumn(m_link.LcdOut, column);
            m_link.SendLcd();
        }
        digits = hhmm.mid(1);
    }
    modLcdFunc::LcdBigDigits(m_link.LcdOut, digits);
    m_link.SendLcd();

    // Decided by the hour, not by the locale's designator text, so a locale
    // whose AM reads "a. m." still gets "am" in the morning.
    sendAt(2, LetterColumn, time.hour() < 12 ? 'a' : 'p');
    sendAt(3, LetterColumn, 'm');
}

void LargeClock::BlinkColon()
{
    // 255 values (1..254, 0): once every 127.5 s the colon stays for two ticks.
    if (++BlinkCount == 255)
        BlinkCount = 0;
    if (BlinkCount % 2 != 0) {
        modLcdFunc::LcdClearColumn(m_link.LcdOut, ColonColumn);
        m_link.SendLcd();
    } else {
        sendAt(1, ColonColumn, ColonDot);
        sendAt(3, ColonColumn, ColonDot);
    }
}

void LargeClock::sendAt(quint8 row, quint8 column, char code)
{
    // Cursor and character in one write.
    modLcdFunc::LcdCursorAt(m_link.LcdOut, row, column);
    m_link.LcdOut.append(code);
    m_link.SendLcd();
}
