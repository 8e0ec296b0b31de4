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

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stays where a test puts it.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime t = {}) : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now;
};
