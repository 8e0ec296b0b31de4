#pragma once

#include "codec/ModuleCodec.h"

#include <QByteArray>
#include <QObject>
#include <array>

// The four lines of the module's screen, top to bottom (index 0..3), as module
// codes. Every assignment keeps only the first 20 bytes. Screens write here;
// only the line writer sends. The window's four boxes mirror these lines.
// Text becomes codes through codec(), the module's character ROM as chosen.
class ScreenLines : public QObject
{
    Q_OBJECT
public:
    static constexpr int Count = 4;
    static constexpr int Width = 20;

    explicit ScreenLines(const ModuleCodec& codec = AsciiCodec, QObject* parent = nullptr)
        : QObject(parent), m_codec(codec)
    {
    }

    const ModuleCodec& codec() const { return m_codec; }

    const QByteArray& line(int index) const { return m_lines.at(index); }
    void setLine(int index, const QByteArray& text);
    // Empties lines 1 to 4 in order; sends nothing.
    void ClearLines();

Q_SIGNALS:
    void lineChanged(int index, const QByteArray& text);

private:
    const ModuleCodec& m_codec;
    std::array<QByteArray, Count> m_lines;
};
