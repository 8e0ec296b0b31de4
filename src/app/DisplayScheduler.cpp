#include "app/DisplayScheduler.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Clock.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ModeScreen.h"
#include "screens/base/ScreenLines.h"
#include "screens/base/modCustomChar.h"
#include "screens/clock/TimeText.h"

#include <QPointer>

DisplayScheduler::DisplayScheduler(std::vector<Mode> modes, LcdLink& link, ScreenLines& lines,
                                   LineWriter& writer, const Clock& clock, InternetState& internet,
                                   MessageSink& messages, QObject* parent)
    : QObject(parent), m_modes(std::move(modes)), m_link(link), m_lines(lines), m_writer(writer),
      m_clock(clock), m_internet(internet), m_messages(messages)
{
    connect(&m_tickTimer, &SecondTimer::tick, this, &DisplayScheduler::tick);
    connect(&m_screenTimer, &QTimer::timeout, this, [this] {
        if (ModeScreen* screen = shown(); screen && !m_held)
            screen->timerTick();
    });
}

DisplayScheduler::~DisplayScheduler() = default;

int DisplayScheduler::modeNamed(const QString& nameOrCaption) const
{
    for (int i = 0; i < modeCount(); ++i) {
        const Mode& mode = m_modes[std::size_t(i)];
        if (nameOrCaption.compare(mode.name, Qt::CaseInsensitive) == 0 ||
            nameOrCaption.compare(mode.caption, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const DisplayScheduler::Mode* DisplayScheduler::shownMode() const
{
    return m_selected >= 0 ? &m_modes[std::size_t(m_selected)] : nullptr;
}

ModeScreen* DisplayScheduler::shown() const
{
    const Mode* mode = shownMode();
    return mode ? mode->screen : nullptr;
}

void DisplayScheduler::replaceModes(int first, std::vector<Mode> modes)
{
    first = qBound(0, first, modeCount());
    if (m_selected >= first) {
        leaveShown();
        m_selected = -1;
    }
    // A refresh under way holds a row that goes now.
    ++m_generation;
    m_modes.erase(m_modes.begin() + first, m_modes.end());
    for (Mode& mode : modes)
        m_modes.push_back(std::move(mode));
    Q_EMIT modesChanged();
}

void DisplayScheduler::start()
{
    m_tickTimer.start();
}

void DisplayScheduler::stop()
{
    Q_EMIT stopping();
    m_tickTimer.stop();
    leaveShown();
    m_selected = -1;
}

void DisplayScheduler::leaveShown()
{
    m_screenTimer.stop();
    if (ModeScreen* screen = shown()) {
        screen->cancelFetch();
        screen->leave();
    }
}

void DisplayScheduler::selectMode(int mode)
{
    if (mode < 0 || mode >= modeCount())
        return; // no option button for it: nothing runs until the user picks one
    leaveShown();
    ++m_generation;
    m_selected = mode;
    Q_EMIT modeSelected(mode);
    // Brellix saves the last chosen mode, whichever it is.
    m_currentMode = mode;
    if (!m_held) // else entered at release()
        enterShown(true);
}

void DisplayScheduler::chooseMode(int mode)
{
    if (mode < 0 || mode >= modeCount())
        return;
    Q_EMIT modeChosen(mode);
    selectMode(mode);
}

void DisplayScheduler::hold()
{
    m_held = true;
}

void DisplayScheduler::release()
{
    if (!std::exchange(m_held, false) || m_selected < 0)
        return;
    leaveShown();
    ++m_generation;
    enterShown(false);
}

void DisplayScheduler::enterShown(bool countFromZero)
{
    ModeScreen& screen = *m_modes[std::size_t(m_selected)].screen;
    const ModeScreen::Traits traits = screen.traits();
    m_link.SendLcd(modLcdFunc::ClearScreen());
    m_lines.ClearLines();
    if (traits.glyphUploads >= 1)
        modCustomChar::LoadCustomChars(m_link);
    screen.enter();
    if (traits.glyphUploads >= 2)
        modCustomChar::LoadCustomChars(m_link);
    if (traits.timerMs > 0)
        m_screenTimer.start(traits.timerMs);

    if (traits.cadence != ModeScreen::Cadence::CountedTicks)
        return; // the first refresh comes with the next tick
    if (traits.needsInternet && !m_internet.isConnected()) {
        // The counter keeps its value: the ticks go on counting towards a retry.
        m_messages.showMessage({QStringLiteral("Internet Not Available"),
                                MessageSeverity::Information, MessageCategory::Web});
        return;
    }
    if (countFromZero)
        m_updateCounter = 0;
    refreshNow();
}

void DisplayScheduler::refreshNow()
{
    const Mode* mode = shownMode();
    const bool writesLines = mode->screen->traits().writesLines;
    const QPointer<DisplayScheduler> self(this);
    const quint64 generation = m_generation;
    mode->screen->fetch([self, mode, writesLines, generation](bool ok) {
        // The user may have chosen another mode (or quit) while the data came.
        if (!self || generation != self->m_generation || !ok || self->m_held)
            return;
        mode->show();
        if (writesLines)
            self->m_writer.WriteLines();
    });
}

void DisplayScheduler::tick()
{
    m_statusClock = TimeText::StatusClockText(m_clock.now());
    Q_EMIT statusClockChanged(m_statusClock);
    Q_EMIT ticking();

    const Mode* mode = shownMode();
    if (!mode)
        return;
    ModeScreen* screen = mode->screen;
    const ModeScreen::Traits traits = screen->traits();
    switch (traits.cadence) {
    case ModeScreen::Cadence::EveryTick:
        if (m_held || !screen->refreshDue())
            break;
        mode->show();
        if (traits.writesLines)
            m_writer.WriteLines();
        break;
    case ModeScreen::Cadence::CountedTicks: {
        const int interval = screen->refreshTicks();
        // ">=" rather than "==": a shorter interval chosen while counting
        // still refreshes, and the counter never runs away.
        if (++m_updateCounter < interval)
            break;
        if (traits.needsInternet) {
            m_internetConnected = m_internet.isConnected();
            if (!m_internetConnected) {
                m_updateCounter = interval - OfflineRetryTicks;
                break;
            }
        }
        // Reset before the download, so a tick that comes while it runs
        // counts from 0 and cannot start a second request.
        m_updateCounter = 0;
        if (!m_held) // release() refreshes
            refreshNow();
        break;
    }
    case ModeScreen::Cadence::Own:
        break;
    }
}
