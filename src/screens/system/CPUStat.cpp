#include "screens/system/CPUStat.h"

#include "platform/Logging.h"

#include <cmath>
#include <utility>

CPUStat::CPUStat(const CpuTimesSource& times) : m_times(times) {}

bool CPUStat::OpenCpuQuery()
{
    m_last.reset();
    QString error;
    m_open = m_times.read(Processor, &error).has_value();
    if (!m_open)
        qCWarning(lcScreens).noquote() << "processor load unavailable:" << error;
    // A new sampling reports its first failure again.
    m_report.succeeded();
    return m_open;
}

QByteArray CPUStat::GetCpuText()
{
    const std::optional<qint64> percent = GetCpuPercent();
    return percent ? "CPU:" + QByteArray::number(*percent) + '%' : QByteArray();
}

std::optional<qint64> CPUStat::GetCpuPercent()
{
    if (!m_open)
        return std::nullopt;
    QString error;
    const std::optional<CpuTimes> now = m_times.read(Processor, &error);
    if (!now) {
        if (m_report.failed())
            qCWarning(lcScreens).noquote() << "processor load unavailable:" << error;
        m_last.reset();
        return std::nullopt;
    }
    m_report.succeeded();
    const std::optional<CpuTimes> before = std::exchange(m_last, now);
    if (!before)
        return std::nullopt;
    const std::optional<double> percent = busyPercent(*before, *now);
    return percent ? std::optional(wholePercent(*percent)) : std::nullopt;
}

std::optional<double> CPUStat::busyPercent(const CpuTimes& before, const CpuTimes& after)
{
    if (after.total <= before.total)
        return std::nullopt;
    const quint64 total = after.total - before.total;
    // Some kernels let iowait step back a little: the idle time passed is
    // kept between none and all of the time passed.
    const quint64 idle = after.idle < before.idle ? 0 : qMin(after.idle - before.idle, total);
    return 100.0 * double(total - idle) / double(total);
}

QByteArray CPUStat::cpuText(double percent)
{
    return "CPU:" + QByteArray::number(wholePercent(percent)) + '%';
}

qint64 CPUStat::wholePercent(double percent)
{
    return qint64(std::round(percent));
}
