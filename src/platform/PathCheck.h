#pragma once

#include <QString>

// A device, folder or file name that holds a NUL or another control
// character is no name a user meant; handed to the system it is cut short at
// the NUL or names something else (and a NUL in a serial port's name has
// left lock files behind that break every later start).
inline bool hasControlCharacters(const QString& path)
{
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}
