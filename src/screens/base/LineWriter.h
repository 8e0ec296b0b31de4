#pragma once

class LcdLink;
class ScreenLines;

// Copies the four screen lines to the module: 0B, then each line's text and
// its pad spaces, 81 bytes per refresh. The module places the 80 bytes after
// 0B on lines 1 to 4 by itself, so there is no positioning in between.
class LineWriter
{
public:
    LineWriter(ScreenLines& lines, LcdLink& link) : m_lines(lines), m_link(link) {}

    void WriteLines();
    // count single-space sends; nothing for count <= 0.
    void SendSpaces(int count);

private:
    ScreenLines& m_lines;
    LcdLink& m_link;
};
