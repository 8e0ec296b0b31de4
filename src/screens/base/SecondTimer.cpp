#include "screens/base/SecondTimer.h"

#include <QDateTime>

SecondTimer::SecondTimer(QObject* parent) : QObject(parent)
{
    // One shot at a time, re-aimed at each second: a repeating 1000 ms timer
    // would drift off the second.
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        start();
        Q_EMIT tick();
    });
}

void SecondTimer::start()
{
    m_timer.start(msUntilNextSecond(QDateTime::currentMSecsSinceEpoch()));
}

int SecondTimer::msUntilNextSecond(qint64 msecsSinceEpoch)
{
    const int intoSecond = int(((msecsSinceEpoch % 1000) + 1000) % 1000);
    return 1000 - intoSecond + LateMs;
}
