#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

class DisplayModel;
class ModuleCodec;

// What Brellix asks LCDd to show: its widgets on Brellix's one screen. The
// four lines are string widgets (printable ASCII, or Latin-1 where [LCDd]
// Characters says so: LCDd's hd44780 driver maps Latin-1 to the display's
// ROM by its CharMap), the large digits and the colon LCDd's num widgets,
// the custom characters icon widgets or plain characters, the backlight the
// screen's. Built from the display model, read by the module's ROM, so LCDd
// shows what the module shows; the window draws its picture of LCDd from it.
struct LcddScreen
{
    static constexpr int Rows = 4;
    static constexpr int DigitPositions = 4;
    // LCDd's num widget for the colon.
    static constexpr int ColonNumber = 10;
    static constexpr int ColonColumn = 9;

    struct Icon
    {
        int row = 0;
        int column = 0;
        quint8 code = 0; // the custom character it stands for
        bool operator==(const Icon&) const = default;
    };
    // A custom character as LCDd shows it: an icon where LCDd has a near one,
    // else a plain character.
    struct Glyph
    {
        const char* icon; // LCDd's icon name; nullptr: the plain character
        char plain;
    };
    static Glyph glyph(quint8 code);
    // The degree sign as a character every LCDd driver shows.
    static constexpr char Degree = 'o';

    // The characters the string widgets carry.
    enum class Charset { Ascii, Latin1 };
    static QString charsetName(Charset charset);
    // "ascii" or "latin1", in any case; nothing for another text.
    static std::optional<Charset> parseCharset(const QString& text);

    // Rows cut to the display's width, trailing blanks dropped; cells under
    // a large digit, the colon or an icon are blank.
    std::array<QByteArray, Rows> rows;
    std::array<int, DigitPositions> digits{-1, -1, -1, -1};
    bool colon = false;
    std::vector<Icon> icons;
    bool backlight = true;
    Charset charset = Charset::Ascii;

    bool operator==(const LcddScreen&) const = default;

    // The model, whose codes are of codec's ROM, on a display of width x
    // height cells (the top-left part of it on a smaller one), its letters in
    // charset.
    static LcddScreen from(const DisplayModel& model, const ModuleCodec& codec, Charset charset,
                           int width, int height);
    // LCDd's num widget's x for a digit position (1-based, as LCDd counts),
    // 0 when the digit does not fit a display this wide.
    static int digitX(int position, int width);
    // text as the quoted argument of a widget_set: only printable ASCII and
    // Latin-1's letters (A0-FF), with '"' and '\' escaped, so nothing in it
    // ends the command.
    static QByteArray quoted(const QByteArray& text);
};
