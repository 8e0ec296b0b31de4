#pragma once

#include "codec/Characters.h"
#include "codec/CommandSet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>

// The 20x4 module as a pure state machine: bytes in, answer bytes out, no I/O.
// Sequences may be split across any number of feed() calls.
//
// Large digits are 3 columns x 4 rows of full blocks and underscores, at
// columns 1-3, 5-7, 11-13 and 15-17. They are drawn whether or not FE 09 came
// first; largeDigitsReady() only records that it did, so tests can check the
// program's order.
class LcdModule
{
public:
    static constexpr int Columns = CommandSet::Columns, Rows = CommandSet::Rows;

    LcdModule();

    // Processes bytes and returns what the module answers (FE 10 gives 0x65).
    QByteArray feed(const QByteArray& bytes);

    // The 20 module codes of a row; empty for a row out of range.
    QByteArray line(int row) const;
    // The character ROM it has (the letters its codes show); ascii unless set.
    // Survives reset().
    void setCharacters(Characters characters)
    {
        if (std::exchange(m_characters, characters) != characters)
            bump();
    }
    Characters characters() const { return m_characters; }

    // Four readable lines of exactly 20 characters, as ModuleCodec::toDisplay
    // shows them for its ROM, custom characters by the shape of their dots.
    QStringList textLines() const;
    // Screen with codes outside printable ASCII (and '{') shown as {NNN},
    // followed by a state line.
    QString dump() const;

    int cursorRow() const { return m_row; }
    int cursorColumn() const { return m_column; }
    bool backlight() const { return m_backlight; }
    quint8 brightness() const { return m_brightness; }
    quint8 code41() const { return m_code41; }
    bool largeDigitsReady() const { return m_largeDigitsReady; }
    // Rows of custom character 0-7, top first, 5 low bits; zeros otherwise.
    std::array<quint8, CommandSet::GlyphRows> glyph(int code) const;

    // Goes up on every change that a picture of the module would show (cells,
    // glyphs, backlight, brightness), so views can skip idle redraws.
    quint64 revision() const { return m_revision; }

    // Answer to FE 10; empty keeps the module silent. Survives reset().
    void setDetectionReply(const QByteArray& reply) { m_detectionReply = reply; }
    QByteArray detectionReply() const { return m_detectionReply; }

    // Power-on state: blank screen, cursor home, backlight on, full brightness,
    // blank glyphs, no half-read sequence.
    void reset();

private:
    enum class ParseState { Text, Command, Arguments };

    void handleText(quint8 byte);
    void startCommand(quint8 command);
    void runCommand(QByteArray& reply);
    void put(quint8 code);
    void setCell(int row, int column, quint8 code, bool digit = false);
    void drawLargeDigit(int position, int digit);
    void bump() { ++m_revision; }

    std::array<quint8, Columns * Rows> m_cells{};
    std::array<bool, Columns * Rows> m_digitCells{}; // drawn by a large digit
    Characters m_characters = Characters::Ascii;
    std::array<std::array<quint8, CommandSet::GlyphRows>, CommandSet::CustomCharacters> m_glyphs{};
    int m_row = 0;
    int m_column = 0;
    bool m_backlight = true;
    quint8 m_brightness = 255;
    quint8 m_code41 = 0;
    bool m_largeDigitsReady = false;
    quint64 m_revision = 0;
    QByteArray m_detectionReply{"\x65"};

    ParseState m_state = ParseState::Text;
    quint8 m_command = 0;
    int m_needed = 0;
    QByteArray m_arguments;
};
