#include "screens/base/LineWriter.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "screens/base/ScreenLines.h"

void LineWriter::WriteLines()
{
    m_link.SendLcd(modLcdFunc::CursorHome());
    for (int i = 0; i < ScreenLines::Count; ++i) {
        // Module codes go out as they are; the lines are already cut to 20.
        m_link.SendLcd(m_lines.line(i));
        SendSpaces(ScreenLines::Width - int(m_lines.line(i).size()));
    }
}

void LineWriter::SendSpaces(int count)
{
    for (int i = 0; i < count; ++i) {
        m_link.SendLcd(QByteArray(1, ' '));
    }
}
