#include "screens/base/ScreenLines.h"

void ScreenLines::setLine(int index, const QByteArray& text)
{
    if (index < 0 || index >= Count)
        return;
    QByteArray cut = text.left(Width);
    if (cut == m_lines[index])
        return;
    m_lines[index] = std::move(cut);
    Q_EMIT lineChanged(index, m_lines[index]);
}

void ScreenLines::ClearLines()
{
    for (int i = 0; i < Count; ++i)
        setLine(i, QByteArray());
}
