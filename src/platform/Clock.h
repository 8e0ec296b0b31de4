#pragma once

#include <QDateTime>

// The one source of "now" for screens and the status clock, so tests can pin it.
class Clock
{
public:
    virtual ~Clock() = default;
    // Present local date-time (Qt::LocalTime).
    virtual QDateTime now() const = 0;
};
