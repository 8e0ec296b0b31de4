#include "screens/base/modCustomChar.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Logging.h"

#include <QByteArray>

namespace modCustomChar {

namespace {
QByteArray rows(const Glyph& glyph)
{
    return QByteArray(reinterpret_cast<const char*>(glyph.data()), int(glyph.size()));
}
} // namespace

bool LoadCustomChars(LcdLink& link)
{
    return LoadCustomChars(link, Glyphs);
}

bool LoadCustomChars(LcdLink& link, const std::array<Glyph, 8>& glyphs)
{
    if (!link.isOpen())
        return false;
    const auto write = [&link](const QByteArray& bytes, int number) {
        if (link.writeRaw(bytes))
            return true;
        // The link has logged the loss and closed the port.
        qCWarning(lcScreens) << "Custom character upload stopped at write" << number << "of 9";
        return false;
    };
    if (!write(modLcdFunc::CustomCharsHeader() + rows(glyphs[0]), 1))
        return false;
    for (std::size_t code = 1; code < glyphs.size(); ++code) {
        if (!write(rows(glyphs[code]), int(code) + 1))
            return false;
    }
    return write(modLcdFunc::CustomCharsTrailer(), 9);
}

} // namespace modCustomChar
