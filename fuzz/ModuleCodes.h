#pragma once

// For targets whose parsers feed text to the module: whether a text reaches
// the wire only as printable ASCII and the degree sign (223).

#include "codec/ModuleCodec.h"

#include <QString>

namespace fuzz {

inline bool onlyModuleCodes(const QByteArray& codes)
{
    for (const char c : codes) {
        const auto code = static_cast<unsigned char>(c);
        if ((code < 32 || code > 126) && code != 223)
            return false;
    }
    return true;
}

inline bool onlyModuleCodes(const QString& text)
{
    return onlyModuleCodes(ModuleCodec::fromUnicode(text));
}

} // namespace fuzz
