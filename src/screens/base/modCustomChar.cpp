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
    if (!link.isOpen())
        return false;
    const auto write = [&link](const QByteArray& bytes, int number) {
        if (link.writeRaw(bytes))
            return true;
        // The link has logged the loss and closed the port.
        qCWarning(lcScreens) << "Custom character upload stopped at write" << number << "of 9";
        return false;
    };
    if (!write(modLcdFunc::CustomCharsHeader() + rows(Glyphs[0]), 1))
        return false;
    for (std::size_t code = 1; code < Glyphs.size(); ++code) {
        if (!write(rows(Glyphs[code]), int(code) + 1))
            return false;
    }
    return write(modLcdFunc::CustomCharsTrailer(), 9);
}

} // namespace modCustomChar
