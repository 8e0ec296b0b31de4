#pragma once

#include "platform/ResumeWatch.h"

#include <QtGlobal>

#include <functional>
#include <memory>

class QSocketNotifier;

// Notices a resume from suspend without D-Bus and without waking up while
// nothing happens: a timerfd on the real-time clock, armed far ahead with
// TFD_TIMER_CANCEL_ON_SET, is cancelled by the kernel when the clock jumps,
// and a resume is such a jump. A jump that is a resume is told from one that
// is a clock being set (NTP, date) by CLOCK_BOOTTIME having run ahead of
// CLOCK_MONOTONIC: only the former counts the time spent suspended.
class LinuxResumeWatch final : public ResumeWatch
{
public:
    // A sleep shorter than this is not told (nor is it a power cycle).
    static constexpr qint64 MinSleepNs = 1'000'000'000;

    explicit LinuxResumeWatch(std::function<void()> resumed);
    ~LinuxResumeWatch() override;

    // Time spent suspended since boot.
    static qint64 sleptNs();

private:
    bool arm();
    void clockJumped();

    std::function<void()> m_resumed;
    int m_fd = -1;
    qint64 m_slept = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
