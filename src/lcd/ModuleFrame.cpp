#include "lcd/ModuleFrame.h"

#include "lcd/modLcdFunc.h"

namespace {
constexpr quint8 Space = 0x20;

// Bytes after FE, the command byte included; 0 for a command the module
// does not know (it is dropped, as the module drops it).
int sequenceLength(quint8 command)
{
    switch (command) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
    case 0x08:
    case 0x09:
    case 0x10:
        return 1;
    case 0x28:
    case 0x29:
    case 0x2D:
    case 0x2E:
        return 2;
    case 0x32:
    case 0x34:
        return 3;
    case 0x64:
        return 65;
    default:
        return 0;
    }
}
} // namespace

std::array<quint8, ModuleFrame::Columns * ModuleFrame::Rows> ModuleFrame::blank()
{
    std::array<quint8, Columns * Rows> cells;
    cells.fill(Space);
    return cells;
}

int ModuleFrame::digitColumn(int position)
{
    // The module's large digits: two pairs either side of the colon column.
    static constexpr std::array<int, DigitPositions> Columns{1, 5, 11, 15};
    return position >= 0 && position < DigitPositions ? Columns[std::size_t(position)] : -1;
}

void ModuleFrame::feed(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto byte = quint8(c);
        if (m_needed == 0) {
            if (byte == modLcdFunc::Prefix)
                m_needed = -1; // the command byte decides the length
            else
                text(byte);
            continue;
        }
        if (m_needed < 0) {
            m_needed = sequenceLength(byte);
            m_sequence = QByteArray(1, char(byte));
        } else {
            m_sequence.append(char(byte));
        }
        if (m_needed > 0 && m_sequence.size() == m_needed) {
            m_needed = 0;
            command();
        }
    }
}

void ModuleFrame::text(quint8 byte)
{
    if (byte == 0x0B) {
        m_row = m_column = 0;
    } else if (byte == 0x0D) {
        m_cells = blank();
        m_digits.fill(-1);
        m_row = m_column = 0;
    } else if (byte < 0x08 || byte >= Space) {
        // 0-7 are the custom characters; other control codes do nothing.
        put(m_row, m_column, byte);
        if (++m_column == Columns) {
            m_column = 0;
            m_row = (m_row + 1) % Rows;
        }
    }
}

void ModuleFrame::command()
{
    const auto arg = [this](int i) { return quint8(m_sequence.at(i + 1)); };
    switch (quint8(m_sequence.at(0))) {
    case 0x06:
    case 0x07:
        m_backlight = quint8(m_sequence.at(0)) == 0x06;
        break;
    case 0x2D:
        if (arg(0) < Rows) {
            m_row = arg(0);
            m_column = 0;
        }
        break;
    case 0x2E:
        if (arg(0) < Columns) {
            for (int r = 0; r < Rows; ++r)
                put(r, arg(0), Space);
        }
        break;
    case 0x32:
        if (arg(0) < Rows && arg(1) < Columns) {
            m_row = arg(0);
            m_column = arg(1);
        }
        break;
    case 0x34: {
        const int position = arg(0) - '0', digit = arg(1) - '0';
        if (position < 0 || position >= DigitPositions || digit < 0 || digit > 9)
            break;
        const int left = digitColumn(position);
        for (int r = 0; r < Rows; ++r)
            for (int c = left; c < left + 3; ++c)
                put(r, c, Space);
        m_digits[std::size_t(position)] = digit;
        break;
    }
    default:
        break;
    }
}

void ModuleFrame::put(int row, int column, quint8 code)
{
    m_cells[std::size_t(row * Columns + column)] = code;
    // Anything written over a large digit's cells takes its place.
    for (int p = 0; p < DigitPositions; ++p) {
        const int left = digitColumn(p);
        if (column >= left && column < left + 3)
            m_digits[std::size_t(p)] = -1;
    }
}
