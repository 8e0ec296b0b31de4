#pragma once

#include "platform/Clock.h"

// The machine's own clock.
class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
