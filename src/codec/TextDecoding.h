#pragma once

#include <QByteArrayView>
#include <QString>

// Outside text that did not say its charset (settings files of older
// installs, web answers, mail headers without encoded words).
namespace TextDecoding {
// UTF-8 when the bytes are valid UTF-8 (a leading byte order mark dropped),
// else Windows-1252.
QString utf8OrWindows1252(QByteArrayView bytes);
// Windows-1252 as web browsers read it: the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, as in Latin-1, so no byte is lost or merged with another.
QString windows1252(QByteArrayView bytes);
} // namespace TextDecoding
