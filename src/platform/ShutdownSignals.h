#pragma once

// Watches the signals that ask Brellix to end (SIGTERM, SIGINT, SIGHUP). The
// handler given to the platform runs on the event loop, never inside a
// signal handler; the watch ends with this object.
class ShutdownSignals
{
public:
    virtual ~ShutdownSignals() = default;
};
