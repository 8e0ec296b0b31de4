#pragma once

#include "platform/Clock.h"

// A clock that stays where a test puts it.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime t = {}) : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now;
};
