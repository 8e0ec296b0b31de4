#pragma once

#include "platform/Bulletin.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// What other programs of the session may ask of Brellix (a bulletin on the
// module, the mode, the rotation, the backlight) and what they may see. The
// core answers; the session bus side (libbrellix-bus.so) and MQTT's bridge
// only translate. Every request names its caller (the bus's unique name, or
// MQTT as one caller), whom the limits count.
class RemoteControl
{
public:
    enum class Refusal { None, InvalidArgs, LimitsExceeded, UnknownId, Unavailable };
    struct Outcome
    {
        Refusal refusal = Refusal::None;
        QString reason; // for the caller, when refused
        quint32 id = 0; // the bulletin's, for showBulletin
        bool done() const { return refusal == Refusal::None; }
    };
    struct State
    {
        QStringList modes; // the modes' short names; a mode's number is its index
        quint32 mode = 0;
        bool connected = false;
        QString port;
        QStringList lines;     // as the module shows them, readable
        bool rotation = false; // the modes follow each other by themselves
        bool backlight = true; // ON chosen (a flashing message leaves it so)
        quint8 brightness = 0; // 0 to 254, the brightest
        friend bool operator==(const State&, const State&) = default;
    };
    struct Observer
    {
        // After any change of state().
        std::function<void()> changed;
        // A waiting bulletin of caller made room for a newer one.
        std::function<void(const QString& caller, quint32 id)> dropped;
    };

    virtual ~RemoteControl() = default;
    virtual Outcome showBulletin(const QString& caller, const Bulletin& bulletin) = 0;
    virtual Outcome dismiss(const QString& caller, quint32 id) = 0;
    virtual Outcome setMode(const QString& caller, quint32 mode) = 0;
    // A mode by its short name or its caption, in any letter case.
    virtual Outcome selectMode(const QString& caller, const QString& name) = 0;
    virtual Outcome setBacklight(const QString& caller, bool on) = 0;
    virtual Outcome setBrightness(const QString& caller, quint8 level) = 0;
    // The rotation through the modes on or off, as the window's box.
    virtual Outcome setRotation(const QString& caller, bool on) = 0;
    virtual State state() const = 0;
    // Each door (the session bus, MQTT) observes under its own key until
    // it removes itself.
    virtual void addObserver(const void* key, Observer observer) = 0;
    virtual void removeObserver(const void* key) = 0;
};

// The control published on the session bus: holds the bus name while it
// lives.
class BusPublication
{
public:
    virtual ~BusPublication() = default;
};
