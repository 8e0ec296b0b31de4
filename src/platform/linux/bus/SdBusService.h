#pragma once

#include "platform/RemoteControl.h"

#include <QObject>
#include <QTimer>

#include <memory>

struct sd_bus;
struct sd_bus_slot;
class QSocketNotifier;

// io.github.brellix.Brellix1 on the session bus, over a RemoteControl, with
// libsystemd's sd-bus (mapped anyway) rather than Qt D-Bus and libdbus. The
// connection is driven from the Qt event loop on this thread: a notifier on
// its socket and a timer for its deadlines; nothing waits on the bus but the
// name's request and release. io.github.brellix.Brellix1.xml is the contract
// the table of calls in SdBusService.cpp follows.
class SdBusService : public QObject
{
    Q_OBJECT
public:
    // The interface's name, which is the bus name too; the object path
    // follows from it: "/" and the name with dots as slashes.
    static QString name();
    static QString path();

    // Connects (to the user's session bus, or to address when given),
    // exports the object and owns the name; null (and said in the log) when
    // the bus cannot be reached or the name is taken.
    static std::unique_ptr<SdBusService> publish(RemoteControl& control,
                                                 const QString& address = {});
    ~SdBusService() override;

    struct Calls; // the callbacks of the interface's table, in the .cpp only

private:
    SdBusService(RemoteControl& control, sd_bus* bus);
    bool exportObject();
    // Runs what the connection has to do, then waits for it again.
    void process();
    void rearm();
    void announceChanges();
    void sendDropped(const QString& caller, quint32 id);

    RemoteControl& m_control;
    sd_bus* m_bus;
    sd_bus_slot* m_object = nullptr;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QTimer m_deadline;
    RemoteControl::State m_sent; // what the properties last said
    bool m_announcing = false;
    bool m_owned = false; // the name is ours
};
