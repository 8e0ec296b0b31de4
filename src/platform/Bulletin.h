#pragma once

#include <QStringList>
#include <QVariant>
#include <QtGlobal>

// Text another program puts on the module for a while, over the shown mode
// (a finished build, the doorbell). Not a message to the user: those go
// through MessageSink.
struct Bulletin
{
    QStringList lines;   // up to 4 are shown, each cut to the module's width
    quint32 seconds = 0; // how long it shows
    bool flash = false;  // the backlight blinks while it shows
    bool alert = false;  // interrupts the one shown instead of waiting
    bool center = false; // each line centred
    // One of a request's options by name, as every door (the session bus,
    // MQTT) takes them: flash and center a boolean, priority "info" or
    // "alert"; other names are for later versions and ignored. Empty, or
    // why the value does not fit (the request is then refused).
    QString setOption(const QString& name, const QVariant& value);
};
