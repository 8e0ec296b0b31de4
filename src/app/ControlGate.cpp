#include "app/ControlGate.h"

#include "app/BulletinBoard.h"
#include "app/DisplayScheduler.h"
#include "app/Rotation.h"
#include "codec/ModuleCodec.h"
#include "lcd/LinkController.h"
#include "screens/base/ScreenLines.h"

#include <algorithm>

namespace {
using Refusal = RemoteControl::Refusal;
RemoteControl::Outcome refused(Refusal why, const QString& reason)
{
    return {why, reason, 0};
}
} // namespace

ControlGate::ControlGate(BulletinBoard& board, DisplayScheduler& scheduler, Rotation& rotation,
                         LinkController& control, ScreenLines& lines, QObject* parent)
    : QObject(parent), m_board(board), m_scheduler(scheduler), m_rotation(rotation),
      m_control(control), m_lines(lines)
{
    m_clock.start();
    connect(&m_scheduler, &DisplayScheduler::modeSelected, this, &ControlGate::changed);
    connect(&m_rotation, &Rotation::enabledChanged, this, &ControlGate::changed);
    connect(&m_scheduler, &DisplayScheduler::modesChanged, this, &ControlGate::changed);
    connect(&m_control, &LinkController::statusTextChanged, this, &ControlGate::changed);
    connect(&m_control, &LinkController::comCheckChanged, this, &ControlGate::changed);
    connect(&m_lines, &ScreenLines::lineChanged, this, &ControlGate::changed);
    connect(&m_control, &LinkController::backlightChanged, this, &ControlGate::changed);
    connect(&m_control, &LinkController::brightnessChanged, this, &ControlGate::changed);
    connect(&m_board, &BulletinBoard::dropped, this, [this](quint32 id, const QString& caller) {
        for (const auto& [key, observer] : std::vector(m_observers)) {
            if (observer.dropped)
                observer.dropped(caller, id);
        }
    });
}

bool ControlGate::admit(const QString& caller)
{
    const qint64 now = m_clock.elapsed();
    for (auto it = m_calls.begin(); it != m_calls.end();) {
        std::deque<qint64>& calls = it.value();
        while (!calls.empty() && now - calls.front() >= 1000)
            calls.pop_front();
        it = calls.empty() ? m_calls.erase(it) : std::next(it);
    }
    std::deque<qint64>& calls = m_calls[caller];
    if (int(calls.size()) >= CallsPerSecond)
        return false;
    calls.push_back(now);
    return true;
}

RemoteControl::Outcome ControlGate::showBulletin(const QString& caller, const Bulletin& bulletin)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    if (bulletin.lines.isEmpty() || bulletin.lines.size() > ScreenLines::Count)
        return refused(Refusal::InvalidArgs, QStringLiteral("a message has 1 to 4 lines"));
    if (bulletin.seconds < 1 || bulletin.seconds > quint32(BulletinBoard::MaxSeconds))
        return refused(Refusal::InvalidArgs, QStringLiteral("seconds must be 1 to 3600"));
    const quint32 id = m_board.add(bulletin, caller);
    if (id == 0)
        return refused(Refusal::LimitsExceeded,
                       QStringLiteral("32 alerts are waiting; no room for another message"));
    return {Refusal::None, {}, id};
}

RemoteControl::Outcome ControlGate::dismiss(const QString& caller, quint32 id)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    if (!m_board.dismiss(id))
        return refused(Refusal::UnknownId,
                       QStringLiteral("no message %1 is shown or waiting").arg(id));
    return {};
}

RemoteControl::Outcome ControlGate::setMode(const QString& caller, quint32 mode)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    if (mode >= quint32(m_scheduler.modeCount()))
        return refused(Refusal::InvalidArgs,
                       QStringLiteral("mode must be 0 to %1").arg(m_scheduler.modeCount() - 1));
    // As the mode's option button: saved at exit.
    m_scheduler.chooseMode(int(mode));
    return {};
}

RemoteControl::Outcome ControlGate::selectMode(const QString& caller, const QString& name)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    const int mode = m_scheduler.modeNamed(name);
    if (mode < 0)
        return refused(Refusal::InvalidArgs,
                       QStringLiteral("no mode is named \"%1\"").arg(name.left(40)));
    m_scheduler.chooseMode(mode);
    return {};
}

RemoteControl::Outcome ControlGate::setBacklight(const QString& caller, bool on)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    if (on)
        m_control.backlightOnClicked();
    else
        m_control.backlightOffClicked();
    return {};
}

RemoteControl::Outcome ControlGate::setBrightness(const QString& caller, quint8 level)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    if (level > LinkController::MaxSliderPosition)
        return refused(Refusal::InvalidArgs, QStringLiteral("level must be 0 to 254"));
    if (!m_control.backlightOn())
        return refused(Refusal::Unavailable, QStringLiteral("the backlight is off"));
    // Level 254 is the brightest, as the module counts; the slider's top is 0.
    m_control.setSliderPosition(LinkController::MaxSliderPosition - level);
    return {};
}

RemoteControl::Outcome ControlGate::setRotation(const QString& caller, bool on)
{
    if (!admit(caller))
        return refused(Refusal::LimitsExceeded, QStringLiteral("more than 20 calls a second"));
    if (on && m_rotation.settings().Screens.isEmpty())
        return refused(Refusal::Unavailable,
                       QStringLiteral("no modes to rotate: [Rotation] Screens is empty"));
    m_rotation.setEnabled(on);
    return {};
}

RemoteControl::State ControlGate::state() const
{
    State s;
    for (const DisplayScheduler::Mode& mode : m_scheduler.modes())
        s.modes << mode.name;
    s.mode = quint32(std::max(m_scheduler.currentMode(), 0));
    s.connected = m_control.statusText() == LinkController::ConnectedStatus;
    const LcdLink& link = m_control.link();
    s.port = link.portPath(link.portNumber());
    for (int i = 0; i < ScreenLines::Count; ++i)
        s.lines << m_control.model().readable(m_lines.line(i), m_lines.codec());
    s.rotation = m_rotation.enabled();
    s.backlight = m_control.backlightOn();
    s.brightness = quint8(LinkController::MaxSliderPosition - m_control.sliderPosition());
    return s;
}

void ControlGate::addObserver(const void* key, Observer observer)
{
    removeObserver(key);
    m_observers.emplace_back(key, std::move(observer));
}

void ControlGate::removeObserver(const void* key)
{
    std::erase_if(m_observers, [key](const auto& entry) { return entry.first == key; });
}

void ControlGate::changed()
{
    // A copy: an observer may remove itself.
    for (const auto& [key, observer] : std::vector(m_observers)) {
        if (observer.changed)
            observer.changed();
    }
}
