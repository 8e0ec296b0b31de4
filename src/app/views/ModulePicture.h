#pragma once

#include "codec/Characters.h"
#include "codec/CommandSet.h"

#include <QByteArray>

#include <array>

class DisplayModel;
struct LcddScreen;

// What the window's picture of a display shows, as the module would: its
// codes cell by cell in the characters of its ROM (a large digit as the
// blocks the module draws it with, whatever the ROM), the custom
// characters' dots, backlight and brightness.
struct ModulePicture
{
    using Glyph = std::array<quint8, CommandSet::GlyphRows>;

    ModulePicture() { cells.fill(' '); }

    std::array<quint8, CommandSet::Columns * CommandSet::Rows> cells;
    // The cells of a large digit: blocks and bars of the ascii ROM.
    std::array<bool, CommandSet::Columns * CommandSet::Rows> digitCells{};
    Characters characters = Characters::Ascii;
    std::array<Glyph, CommandSet::CustomCharacters> glyphs{};
    bool backlight = true;
    quint8 brightness = 255;

    quint8 cell(int row, int column) const
    {
        return cells[std::size_t(row * CommandSet::Columns + column)];
    }
    QByteArray line(int row) const;
    bool operator==(const ModulePicture&) const = default;

    // The module, as the model follows it, its codes of the ROM characters.
    static ModulePicture of(const DisplayModel& model, Characters characters = Characters::Ascii);
    // LCDd's screen: its characters (Latin-1 as the European ROM shows it),
    // its digits and colon as the module's, its icons as the custom
    // characters they stand for, its backlight.
    static ModulePicture of(const LcddScreen& screen);

private:
    void drawDigit(int row, int column, int position, int digit);
};
