#pragma once

#include "platform/ResumeWatch.h"

#include <QObject>

#include <functional>

// logind's PrepareForSleep(false) on the system bus: the machine has resumed.
// Where there is no system bus (a container, a minimal server) nothing is
// watched and nothing fails.
class LogindResumeWatch final : public QObject, public ResumeWatch
{
    Q_OBJECT
public:
    explicit LogindResumeWatch(std::function<void()> resumed);

private Q_SLOTS:
    void prepareForSleep(bool starting);

private:
    std::function<void()> m_resumed;
};
