#include "platform/linux/LogindResumeWatch.h"

#include "platform/Logging.h"

#include <QDBusConnection>

LogindResumeWatch::LogindResumeWatch(std::function<void()> resumed)
    : m_resumed(std::move(resumed))
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() ||
        !bus.connect(QStringLiteral("org.freedesktop.login1"),
                     QStringLiteral("/org/freedesktop/login1"),
                     QStringLiteral("org.freedesktop.login1.Manager"),
                     QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool))))
        qCInfo(lcPlatform) << "No system bus: a resume from suspend is not noticed";
}

void LogindResumeWatch::prepareForSleep(bool starting)
{
    if (starting)
        return;
    qCInfo(lcPlatform) << "Resumed from suspend";
    m_resumed();
}
