#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

// What the module shows, followed from the command bytes Brellix sends it
// (the same bytes the serial link writes): the 20x4 cells, the large digits
// by position and the backlight. Other outputs draw from it, so a screen,
// the scheduler or a message never has to know how many outputs there are.
// Custom character uploads and brightness are accepted and not kept.
class ModuleFrame
{
public:
    static constexpr int Columns = 20, Rows = 4, DigitPositions = 4;
    static constexpr quint8 DegreeCode = 223;

    void feed(const QByteArray& bytes);

    quint8 cell(int row, int column) const { return m_cells[std::size_t(row * Columns + column)]; }
    // The digit 0-9 shown at large-digit position 0-3, -1 for none.
    int digit(int position) const { return m_digits[std::size_t(position)]; }
    // First column of a large-digit position (3 columns wide).
    static int digitColumn(int position);
    bool backlight() const { return m_backlight; }

private:
    void text(quint8 byte);
    void command();
    void put(int row, int column, quint8 code);

    std::array<quint8, Columns* Rows> m_cells = blank();
    std::array<int, DigitPositions> m_digits{-1, -1, -1, -1};
    int m_row = 0, m_column = 0;
    bool m_backlight = true;
    QByteArray m_sequence; // a command after FE still missing bytes
    int m_needed = 0;

    static std::array<quint8, Columns * Rows> blank();
};
