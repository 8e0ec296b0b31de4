#pragma once

#include "lcd/LcddScreen.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// A session with LCDd, LCDproc's display server, behind which the network
// lives: LcddOutput (core) decides what LCDd is to show, the connection
// gets it there. Made by a factory when LCDd first becomes an output.
class LcddConnection : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setServer(const QString& host, quint16 port) = 0;
    // Connects now and keeps connecting until stop().
    virtual void start() = 0;
    // Ends the session: LCDd drops Brellix's screen.
    virtual void stop() = 0;
    virtual bool active() const = 0;
    // The display's size as LCDd told it (20x4 until it has).
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual QString statusText() const = 0;
    // The screen to show from now on: sent as soon as LCDd can take it, the
    // newest one winning over any not yet sent.
    virtual void show(const LcddScreen& screen) = 0;

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    // A session began (LCDd told its size): the whole screen goes out next.
    void sessionStarted();
};

using LcddConnectionFactory = std::function<std::unique_ptr<LcddConnection>()>;
