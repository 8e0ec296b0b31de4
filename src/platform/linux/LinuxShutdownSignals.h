#pragma once

#include "platform/ShutdownSignals.h"

#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP through a self-pipe, so the handler runs as
// ordinary event-loop code, never inside a signal handler. One at a time.
class LinuxShutdownSignals final : public ShutdownSignals
{
public:
    explicit LinuxShutdownSignals(std::function<void(int)> handler);
    ~LinuxShutdownSignals() override;

private:
    std::function<void(int)> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
