#include "platform/linux/LinuxResumeWatch.h"

#include "platform/Logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
qint64 nowNs(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}
} // namespace

qint64 LinuxResumeWatch::sleptNs()
{
    return nowNs(CLOCK_BOOTTIME) - nowNs(CLOCK_MONOTONIC);
}

LinuxResumeWatch::LinuxResumeWatch(std::function<void()> resumed)
    : m_resumed(std::move(resumed)), m_slept(sleptNs())
{
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0 || !arm()) {
        qCInfo(lcPlatform) << "No timerfd: a resume from suspend is not noticed";
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { clockJumped(); });
}

LinuxResumeWatch::~LinuxResumeWatch()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LinuxResumeWatch::arm()
{
    // A year ahead: it is the cancellation that matters, not the expiry.
    itimerspec when{};
    when.it_value.tv_sec = ::time(nullptr) + 365 * 24 * 3600;
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) ==
           0;
}

void LinuxResumeWatch::clockJumped()
{
    quint64 expirations = 0;
    // ECANCELED: the clock jumped; a plain expiry (a year on) only re-arms.
    const bool jumped = ::read(m_fd, &expirations, sizeof expirations) < 0 && errno == ECANCELED;
    arm();
    const qint64 slept = sleptNs();
    const bool resumed = jumped && slept - m_slept >= MinSleepNs;
    m_slept = slept;
    if (!resumed)
        return;
    qCInfo(lcPlatform) << "Resumed from suspend";
    m_resumed();
}
