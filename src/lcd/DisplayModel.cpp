#include "lcd/DisplayModel.h"

#include "codec/ModuleCodec.h"

#include <QChar>

#include <algorithm>

using namespace CommandSet;

void DisplayModel::feed(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (m_pending.isEmpty()) {
            if (quint8(c) == Prefix)
                m_pending.append(c);
            else
                text(quint8(c));
            continue;
        }
        m_pending.append(c);
        const auto command = quint8(m_pending.at(1));
        const int length = argumentCount(command);
        if (length < 0)
            m_pending.clear(); // unknown: the module drops it
        else if (m_pending.size() == 2 + length) {
            run(command, m_pending.constData() + 2);
            m_pending.clear();
        }
    }
}

QString DisplayModel::readable(const QByteArray& codes, const ModuleCodec& codec) const
{
    const ModuleCodec::CustomSymbol symbols = [this](int code) -> QChar {
        // ▏▎▌▊█ for 1 to 5 columns lit from the left in every row.
        static constexpr char16_t blocks[] = {u'\u258F', u'\u258E', u'\u258C', u'\u258A',
                                              u'\u2588'};
        const Glyph& rows = glyph(code);
        const quint8 row = rows[0] & 0x1F;
        const bool uniform =
            std::all_of(rows.cbegin(), rows.cend(), [row](quint8 r) { return (r & 0x1F) == row; });
        for (int lit = 1; uniform && lit <= 5; ++lit) {
            if (row == ((0x1F << (5 - lit)) & 0x1F))
                return QChar(blocks[lit - 1]);
        }
        return ModuleCodec::fixedSymbol(code);
    };
    return codec.toDisplay(codes, symbols);
}

int DisplayModel::digit(int position) const
{
    const int left = largeDigitColumn(position);
    if (left < 0)
        return -1;
    const int d = cellDigit(0, left);
    for (int r = 0; r < Rows; ++r)
        for (int c = left; c < left + LargeDigitWidth; ++c)
            if (cellDigit(r, c) != d)
                return -1;
    return d;
}

void DisplayModel::text(quint8 byte)
{
    if (byte == Home) {
        m_row = m_column = 0;
    } else if (byte == Clear) {
        m_cells.fill(' ');
        m_cellDigits.fill(-1);
        m_row = m_column = 0;
    } else if (byte < CustomCharacters || byte >= 0x20) {
        // Other control codes do nothing on the module.
        put(m_row, m_column, byte);
        if (++m_column == Columns) {
            m_column = 0;
            m_row = (m_row + 1) % Rows;
        }
    }
}

void DisplayModel::run(quint8 command, const char* arguments)
{
    const auto arg = [arguments](int i) { return quint8(arguments[i]); };
    switch (command) {
    case BacklightOn:
    case BacklightOff:
        m_backlight = command == BacklightOn;
        break;
    case Brightness:
        m_brightness = arg(0);
        break;
    case SelectLine:
        if (arg(0) < Rows) {
            m_row = arg(0);
            m_column = 0;
        }
        break;
    case ClearColumn:
        for (int r = 0; arg(0) < Columns && r < Rows; ++r)
            put(r, arg(0), ' ');
        break;
    case CursorAt:
        if (arg(0) < Rows && arg(1) < Columns) {
            m_row = arg(0);
            m_column = arg(1);
        }
        break;
    case LargeDigit: {
        const int left = largeDigitColumn(arg(0) - '0'), digit = arg(1) - '0';
        if (left < 0 || digit < 0 || digit > 9)
            break;
        for (int r = 0; r < Rows; ++r)
            for (int c = left; c < left + LargeDigitWidth; ++c)
                put(r, c, ' ', digit);
        break;
    }
    case Glyphs:
        for (int i = 0; i < GlyphBytes; ++i)
            m_glyphs[std::size_t(i / GlyphRows)][std::size_t(i % GlyphRows)] = arg(i) & 0x1F;
        break;
    default: // the rest changes nothing a picture shows
        break;
    }
}

void DisplayModel::put(int row, int column, quint8 code, int digit)
{
    m_cells[index(row, column)] = code;
    m_cellDigits[index(row, column)] = qint8(digit);
}
