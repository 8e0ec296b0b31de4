#pragma once

#include "codec/Characters.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <functional>

// The one door for outside text onto the module, for the character ROM the
// module has (Characters). Printable ASCII stays, the ROM's own letters get
// its codes, other accented letters lose their accents and anything else
// becomes '?'. Control codes and 254 never come out, so no outside text can
// act as a command. The same table reads the codes back for the mirrors.
class ModuleCodec
{
public:
    constexpr explicit ModuleCodec(Characters characters = Characters::Ascii)
        : m_characters(characters)
    {
    }

    Characters characters() const { return m_characters; }
    void setCharacters(Characters characters) { m_characters = characters; }

    QByteArray fromUnicode(const QString& text) const;

    // The ROM's degree sign (the weather's and the sensors' temperatures),
    // and the dot the large clock's colon is made of.
    quint8 degreeCode() const;
    quint8 colonDot() const;

    // The letter the ROM shows for a code, a null QChar for a custom
    // character (0-7) and for a code the table does not know.
    QChar letter(quint8 code) const;

    // How a mirror shows custom character 0-7.
    using CustomSymbol = std::function<QChar(int code)>;

    // For mirrors on screen: module codes back to readable text, one character
    // per code. 0-7 come from custom (or, when none is given, the fixed symbols
    // of the program's own glyphs), the ROM's codes are its letters and any
    // other code is a middle dot.
    QString toDisplay(const QByteArray& codes, const CustomSymbol& custom = {}) const;
    // The fixed symbol of custom character 0-7: the program's own glyphs.
    static QChar fixedSymbol(int code);

private:
    Characters m_characters;
};

// For the parts that have no choice to follow (tests, tools): ASCII.
inline constexpr ModuleCodec AsciiCodec{};
