#pragma once

#include "platform/ShutdownSignals.h"

#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT, SIGHUP, SIGQUIT and SIGUSR1 through a self-pipe, so the
// handler runs as ordinary event-loop code, never inside a signal handler.
// SIGPIPE is ignored: a reader of standard error that went away must not
// end the program. One at a time.
class LinuxShutdownSignals final : public ShutdownSignals
{
public:
    // Installs the signal handlers at once, before anything that takes
    // time; a signal that comes before the watcher exists waits in the pipe.
    // Safe to call more than once.
    static void installEarly();

    explicit LinuxShutdownSignals(std::function<void(int)> handler);
    ~LinuxShutdownSignals() override;

private:
    std::function<void(int)> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
