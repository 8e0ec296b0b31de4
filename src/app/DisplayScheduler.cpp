#include "app/DisplayScheduler.h"

#include "lcd/LcdLink.h"
#include "lcd/modLcdFunc.h"
#include "platform/Clock.h"
#include "platform/InternetState.h"
#include "platform/Logging.h"
#include "platform/UserMessage.h"
#include "screens/time/LargeClock.h"
#include "screens/time/LineWriter.h"
#include "screens/time/ModeScreen.h"
#include "screens/time/ScreenLines.h"
#include "screens/time/TimeDateScreen.h"
#include "screens/time/modCustomChar.h"

#include <QPointer>

const std::array<const char*, DisplayScheduler::ModeCount> DisplayScheduler::Captions = {
    "Large Characters Clock", "Time And Date",   "CPU Info",    "Network Info",
    "WinAmp Plugin",          "Weather Station", "Stock Quote", "POP Email"};

DisplayScheduler::DisplayScheduler(LcdLink& link, ScreenLines& lines, LineWriter& writer,
                                   LargeClock& clock, Clock& time, InternetState& internet,
                                   MessageSink& messages, QObject* parent)
    : QObject(parent), m_link(link), m_lines(lines), m_writer(writer), m_largeClock(clock),
      m_time(time), m_internet(internet), m_messages(messages)
{
    // Timer1 fires just after each wall-clock second, so the clocks on the
    // module never skip or repeat a second through timer drift.
    m_timer1.setSingleShot(true);
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer3.setInterval(500);
    m_timer4.setInterval(1000);
    connect(&m_timer1, &QTimer::timeout, this, [this] {
        scheduleTick();
        tick();
    });
    connect(&m_timer3, &QTimer::timeout, this, &DisplayScheduler::blinkTick);
    connect(&m_timer4, &QTimer::timeout, this, [this] {
        if (m_scroll)
            m_scroll();
    });
}

DisplayScheduler::~DisplayScheduler() = default;

void DisplayScheduler::setScreen(int mode, ModeScreen* screen)
{
    if (mode > LargeCharactersClock && mode < ModeCount)
        m_screens[mode] = screen;
}

void DisplayScheduler::start()
{
    scheduleTick();
    m_timer3.start();
}

void DisplayScheduler::scheduleTick()
{
    const int intoSecond = int(QDateTime::currentMSecsSinceEpoch() % 1000);
    m_timer1.start(1000 - intoSecond + 5);
}

void DisplayScheduler::setTimer4(bool on)
{
    if (on)
        m_timer4.start();
    else
        m_timer4.stop();
}

void DisplayScheduler::selectMode(int mode)
{
    if (mode < 0 || mode >= ModeCount)
        return; // no option button for it: nothing runs until the user picks one
    ++m_generation;
    m_selected = mode;
    Q_EMIT modeSelected(mode);

    modLcdFunc::LcdCommand(m_link.LcdOut, 12);
    m_link.SendLcd();
    ModeScreen* screen = m_screens[mode];

    switch (mode) {
    case LargeCharactersClock:
        m_largeClock.enter(); // FE 09: the module prepares its large digits
        m_lines.ClearLines();
        setTimer4(false);
        break;
    case TimeAndDate:
        m_lines.ClearLines();
        setTimer4(false);
        break;
    case CpuInfo:
        // Linux needs no helper program started for the sensors.
        if (screen)
            screen->enter();
        m_lines.ClearLines();
        setTimer4(false);
        break;
    case NetworkInfo:
        m_lines.ClearLines();
        modCustomChar::LoadCustomChars(m_link);
        if (screen)
            screen->enter();
        setTimer4(false);
        break;
    case WinAmpPlugin:
        m_lines.ClearLines();
        modCustomChar::LoadCustomChars(m_link);
        if (screen)
            screen->enter();
        modCustomChar::LoadCustomChars(m_link);
        setTimer4(true);
        break;
    case WeatherStation:
    case StockQuote:
        m_lines.ClearLines();
        setTimer4(false);
        switchToInternetMode(mode);
        break;
    case PopEmail:
        m_lines.ClearLines();
        UpdateCounter = 0;
        setTimer4(false);
        if (screen)
            screen->enter(); // signs on once
        refreshNow(mode);
        break;
    default:
        break;
    }
    // Brellix saves the last chosen mode, whichever it is.
    CurrentMode = mode;
}

void DisplayScheduler::switchToInternetMode(int mode)
{
    if (!m_internet.isConnected()) {
        m_messages.showMessage(QStringLiteral("Internet Not Available"), MessageIcon::Information);
        return;
    }
    UpdateCounter = 0;
    if (ModeScreen* screen = m_screens[mode])
        screen->enter();
    refreshNow(mode);
}

void DisplayScheduler::refreshNow(int mode)
{
    ModeScreen* screen = m_screens[mode];
    const QPointer<DisplayScheduler> self(this);
    const quint64 generation = m_generation;
    auto compose = [self, screen, generation] {
        // The user may have chosen another mode (or quit) while the data came.
        if (!self || generation != self->m_generation)
            return;
        if (screen)
            screen->show();
        self->m_writer.WriteLines();
    };
    if (screen)
        screen->fetch(compose);
    else
        compose();
}

void DisplayScheduler::tick()
{
    m_statusClock = TimeDateScreen::StatusClockText(m_time.now());
    Q_EMIT statusClockChanged(m_statusClock);

    switch (m_selected) {
    case LargeCharactersClock:
        m_largeClock.show();
        break;
    case TimeAndDate:
    case CpuInfo:
    case NetworkInfo:
    case WinAmpPlugin:
        if (ModeScreen* screen = m_screens[m_selected])
            screen->show();
        m_writer.WriteLines();
        break;
    case WeatherStation:
        countAndRefresh(m_selected, WeatherUpdateSeconds);
        break;
    case StockQuote:
        countAndRefresh(m_selected, StockUpdateSeconds);
        break;
    case PopEmail:
        if (++UpdateCounter >= EmailRefreshTicks) {
            UpdateCounter = 0;
            refreshNow(m_selected);
        }
        break;
    default:
        break;
    }
}

void DisplayScheduler::countAndRefresh(int mode, int interval)
{
    // ">=" rather than "==": a shorter interval chosen while counting still
    // refreshes, and the counter never runs away.
    if (++UpdateCounter < interval)
        return;
    InternetConnected = m_internet.isConnected();
    if (!InternetConnected) {
        UpdateCounter = interval - OfflineRetryTicks;
        return;
    }
    UpdateCounter = 0;
    refreshNow(mode);
}

void DisplayScheduler::blinkTick()
{
    if (m_selected == LargeCharactersClock)
        m_largeClock.BlinkColon();
}
