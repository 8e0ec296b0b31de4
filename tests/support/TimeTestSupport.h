#pragma once

#include "lcd/LcdLink.h"
#include "support/LinkHarness.h"

#include <QtTest>

#include <ctime>

// Qt follows the C library's zone.
inline void setLocalZone(const char* tz)
{
    qputenv("TZ", tz);
    ::tzset();
}

// COM1 is a simulated module on a pty; the harness, declared first, outlives the open port.
class PtyLink
{
public:
    PtyLink() : module(harness.addModule()), spy(&link, &LcdLink::sent)
    {
        std::array<QString, LcdLink::PortCount> paths;
        paths.fill(module->slavePath());
        link.setPortPaths(paths);
        link.setPortNumber(1);
    }

    bool open() { return link.openPort(); }

    // The link's writes so far, in order; forgets them.
    QList<QByteArray> takeWrites()
    {
        QList<QByteArray> writes;
        for (const QList<QVariant>& args : std::as_const(spy))
            writes << args.at(0).toByteArray();
        spy.clear();
        return writes;
    }

    LinkHarness harness;
    PtyLcdModule* module;
    LcdLink link;
    QSignalSpy spy;
};

// "FE2E09 FE320109DF" -> two writes.
inline QList<QByteArray> hexWrites(const QByteArray& spaced)
{
    QList<QByteArray> writes;
    for (const QByteArray& part : spaced.split(' '))
        if (!part.isEmpty())
            writes << QByteArray::fromHex(part);
    return writes;
}
