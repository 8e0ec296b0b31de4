#pragma once

#include "codec/CommandSet.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

// What the module shows, followed from the bytes Brellix sends it (all that
// LcdLink is asked to send, port open or not): the 20x4 cells, the large
// digits, the eight custom characters, backlight and brightness. Every
// output draws from it, so a screen, the scheduler or a message never has to
// know how many outputs there are. Sequences may be split across feeds.
class ModuleCodec;

class DisplayModel
{
public:
    static constexpr int Columns = CommandSet::Columns, Rows = CommandSet::Rows;
    static constexpr int DigitPositions = CommandSet::LargeDigitPositions;
    using Glyph = std::array<quint8, CommandSet::GlyphRows>;

    void feed(const QByteArray& bytes);

    // The code in a cell; blank where a large digit is drawn.
    quint8 cell(int row, int column) const { return m_cells[index(row, column)]; }
    // The large digit 0-9 drawn over a cell, -1 for none. What is written
    // over part of a digit leaves the rest of it standing, as on the module.
    int cellDigit(int row, int column) const { return m_cellDigits[index(row, column)]; }
    // The digit whole at a large-digit position 0-3, -1 for none.
    int digit(int position) const;
    // Custom character 0-7's rows as last uploaded, 5 low bits.
    const Glyph& glyph(int code) const { return m_glyphs[std::size_t(code)]; }
    // Codes as readable text (ModuleCodec::toDisplay) with the custom
    // characters as uploaded: one whose eight rows are the same run of dots
    // from the left (a cell of an own screen's bar) is a block that wide,
    // any other the fixed symbol of its code.
    QString readable(const QByteArray& codes, const ModuleCodec& codec) const;
    bool backlight() const { return m_backlight; }
    quint8 brightness() const { return m_brightness; }

    bool operator==(const DisplayModel&) const = default;

private:
    static std::size_t index(int row, int column) { return std::size_t(row * Columns + column); }
    void text(quint8 byte);
    void run(quint8 command, const char* arguments);
    void put(int row, int column, quint8 code, int digit = -1);

    std::array<quint8, Columns* Rows> m_cells = filled<quint8>(' ');
    std::array<qint8, Columns* Rows> m_cellDigits = filled<qint8>(-1);
    std::array<Glyph, CommandSet::CustomCharacters> m_glyphs{};
    int m_row = 0, m_column = 0;
    bool m_backlight = true;
    quint8 m_brightness = 255; // the module's own at power-on
    // FE and what has come of its command so far.
    QByteArray m_pending;

    template <typename T> static std::array<T, Columns * Rows> filled(T value)
    {
        std::array<T, Columns * Rows> a;
        a.fill(value);
        return a;
    }
};
