#include "sim/LcdModule.h"

#include "codec/ModuleCodec.h"
#include "sim/LcdFont.h"
#include "sim/SimLogging.h"

#include <bit>

using namespace CommandSet;

namespace {

constexpr quint8 Space = 0x20;

// A readable stand-in for a custom character, from where its dots are.
QChar customSymbol(const std::array<quint8, 8>& rows)
{
    int lit = 0;
    bool top = false, bottom = false, left = false, right = false;
    for (int r = 0; r < 8; ++r) {
        const quint8 bits = rows[r] & 0x1F;
        lit += std::popcount(bits);
        (r < 4 ? top : bottom) |= bits != 0;
        left |= (bits & 0x18) != 0;  // columns 0-1
        right |= (bits & 0x03) != 0; // columns 3-4
    }
    if (lit == 0)
        return QLatin1Char(' ');
    if (lit == 40)
        return QChar(0x2588); // █
    if (!bottom)
        return QChar(0x2580); // ▀
    if (!top)
        return QChar(0x2584); // ▄
    if (!right)
        return QChar(0x258C); // ▌
    if (!left)
        return QChar(0x2590); // ▐
    return QChar(0x2592);     // ▒
}

} // namespace

LcdModule::LcdModule()
{
    reset();
}

void LcdModule::reset()
{
    m_cells.fill(Space);
    m_digitCells.fill(false);
    for (auto& g : m_glyphs)
        g.fill(0);
    m_row = m_column = 0;
    m_backlight = true;
    m_brightness = 255;
    m_code41 = 0;
    m_largeDigitsReady = false;
    m_state = ParseState::Text;
    m_arguments.clear();
    bump();
}

QByteArray LcdModule::feed(const QByteArray& bytes)
{
    QByteArray reply;
    for (const char c : bytes) {
        const auto byte = quint8(c);
        switch (m_state) {
        case ParseState::Text:
            handleText(byte);
            break;
        case ParseState::Command:
            startCommand(byte);
            if (m_state == ParseState::Text && m_needed == 0)
                runCommand(reply);
            break;
        case ParseState::Arguments:
            m_arguments.append(char(byte));
            if (m_arguments.size() == m_needed) {
                m_state = ParseState::Text;
                runCommand(reply);
            }
            break;
        }
    }
    return reply;
}

void LcdModule::handleText(quint8 byte)
{
    switch (byte) {
    case Prefix:
        m_state = ParseState::Command;
        return;
    case Home:
        m_row = m_column = 0;
        return;
    case Clear:
        for (int i = 0; i < int(m_cells.size()); ++i)
            setCell(i / Columns, i % Columns, Space);
        m_row = m_column = 0;
        return;
    default:
        break;
    }
    // 0-7 are the custom characters; other control codes (0x08 and 0x0C
    // included) have no effect on this module.
    if (byte < CustomCharacters || byte >= Space)
        put(byte);
}

void LcdModule::startCommand(quint8 command)
{
    m_command = command;
    m_arguments.clear();
    m_needed = argumentCount(command);
    if (m_needed < 0) {
        qCDebug(lcSim) << "ignoring unknown command FE" << Qt::hex << command;
        m_state = ParseState::Text;
    } else {
        m_state = m_needed == 0 ? ParseState::Text : ParseState::Arguments;
    }
}

void LcdModule::runCommand(QByteArray& reply)
{
    const auto arg = [this](int i) { return quint8(m_arguments.at(i)); };
    switch (m_command) {
    case BacklightOn:
    case BacklightOff:
        if (m_backlight != (m_command == BacklightOn)) {
            m_backlight = m_command == BacklightOn;
            bump();
        }
        break;
    case InitLargeDigits:
        m_largeDigitsReady = true;
        break;
    case Detect:
        reply += m_detectionReply;
        break;
    case Brightness:
        if (m_brightness != arg(0)) {
            m_brightness = arg(0);
            bump();
        }
        break;
    case Code41:
        m_code41 = arg(0);
        break;
    case SelectLine:
        if (arg(0) < Rows) {
            m_row = arg(0);
            m_column = 0;
        } else {
            qCDebug(lcSim) << "line out of range:" << arg(0);
        }
        break;
    case ClearColumn:
        if (arg(0) < Columns) {
            for (int r = 0; r < Rows; ++r)
                setCell(r, arg(0), Space);
        } else {
            qCDebug(lcSim) << "column out of range:" << arg(0);
        }
        break;
    case CursorAt:
        if (arg(0) < Rows && arg(1) < Columns) {
            m_row = arg(0);
            m_column = arg(1);
        } else {
            qCDebug(lcSim) << "cursor out of range:" << arg(0) << arg(1);
        }
        break;
    case LargeDigit:
        if (largeDigitColumn(arg(0) - '0') >= 0 && arg(1) >= '0' && arg(1) <= '9')
            drawLargeDigit(arg(0) - '0', arg(1) - '0');
        else
            qCDebug(lcSim) << "large digit out of range:" << arg(0) << arg(1);
        break;
    case Glyphs: {
        bool changed = false;
        for (int i = 0; i < GlyphBytes; ++i) {
            const quint8 bits = arg(i) & 0x1F;
            quint8& slot = m_glyphs[i / GlyphRows][i % GlyphRows];
            changed |= slot != bits;
            slot = bits;
        }
        if (changed)
            bump();
        break;
    }
    default: // 01-05 and the FE 08 upload trailer: accepted, nothing to show
        break;
    }
}

void LcdModule::put(quint8 code)
{
    setCell(m_row, m_column, code);
    if (++m_column == Columns) {
        m_column = 0;
        m_row = (m_row + 1) % Rows;
    }
}

void LcdModule::setCell(int row, int column, quint8 code, bool digit)
{
    m_digitCells[row * Columns + column] = digit;
    quint8& cell = m_cells[row * Columns + column];
    if (cell != code) {
        cell = code;
        bump();
    }
}

void LcdModule::drawLargeDigit(int position, int digit)
{
    const int left = largeDigitColumn(position);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < LargeDigitWidth; ++c)
            setCell(r, left + c, LcdFont::largeDigitCell(digit, r, c), true);
}

QByteArray LcdModule::line(int row) const
{
    if (row < 0 || row >= Rows)
        return {};
    return QByteArray(reinterpret_cast<const char*>(m_cells.data()) + row * Columns, Columns);
}

std::array<quint8, GlyphRows> LcdModule::glyph(int code) const
{
    if (code < 0 || code >= CustomCharacters)
        return {};
    return m_glyphs[code];
}

QStringList LcdModule::textLines() const
{
    // Custom characters hold whatever the program uploaded, so they are shown
    // by their dots rather than by what the program usually puts there.
    const auto symbol = [this](int code) { return customSymbol(m_glyphs[code]); };
    const ModuleCodec rom(m_characters);
    QStringList lines;
    for (int r = 0; r < Rows; ++r) {
        QString text = rom.toDisplay(line(r), symbol);
        // Large digits are the module's own blocks and bars, whatever its ROM.
        for (int c = 0; c < Columns; ++c) {
            if (m_digitCells[r * Columns + c])
                text[c] = AsciiCodec.toDisplay(QByteArray(1, char(m_cells[r * Columns + c]))).at(0);
        }
        lines << text;
    }
    return lines;
}

QString LcdModule::dump() const
{
    QString out;
    for (int r = 0; r < Rows; ++r) {
        out += QLatin1Char('|');
        for (const char c : line(r)) {
            const auto code = quint8(c);
            if (code >= Space && code < 0x7F && code != '{')
                out += QLatin1Char(char(code));
            else
                out += QStringLiteral("{%1}").arg(code);
        }
        out += QLatin1String("|\n");
    }
    out += QStringLiteral("backlight %1, brightness %2, cursor %3,%4, code41 %5, large digits %6\n")
               .arg(m_backlight ? QLatin1String("on") : QLatin1String("off"))
               .arg(m_brightness)
               .arg(m_row)
               .arg(m_column)
               .arg(m_code41)
               .arg(m_largeDigitsReady ? QLatin1String("ready") : QLatin1String("not prepared"));
    return out;
}
