#pragma once

#include <QByteArray>
#include <QObject>
#include <array>

// The four lines of the module's screen, top to bottom (index 0..3), as module
// codes. Every assignment keeps only the first 20 bytes. Screens write here;
// only the line writer sends. The window's four boxes mirror these lines.
class ScreenLines : public QObject
{
    Q_OBJECT
public:
    static constexpr int Count = 4;
    static constexpr int Width = 20;

    explicit ScreenLines(QObject* parent = nullptr) : QObject(parent) {}

    const QByteArray& line(int index) const { return m_lines.at(index); }
    void setLine(int index, const QByteArray& text);
    // Empties lines 1 to 4 in order; sends nothing.
    void ClearLines();

Q_SIGNALS:
    void lineChanged(int index, const QByteArray& text);

private:
    std::array<QByteArray, Count> m_lines;
};
