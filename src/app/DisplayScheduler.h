#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

class Clock;
class InternetState;
class LargeClock;
class LcdLink;
class LineWriter;
class MessageSink;
class ModeScreen;
class ScreenLines;

// The eight display modes, what selecting one does, and the one-second tick
// that refreshes the status clock and the current mode's screen.
class DisplayScheduler : public QObject
{
    Q_OBJECT
public:
    enum Mode {
        LargeCharactersClock = 0,
        TimeAndDate,
        CpuInfo,
        NetworkInfo,
        WinAmpPlugin,
        WeatherStation,
        StockQuote,
        PopEmail,
        ModeCount
    };
    static const std::array<const char*, ModeCount> Captions;
    static constexpr int OfflineRetryTicks = 5000;
    static constexpr int EmailRefreshTicks = 60;

    DisplayScheduler(LcdLink& link, ScreenLines& lines, LineWriter& writer, LargeClock& clock,
                     Clock& time, InternetState& internet, MessageSink& messages,
                     QObject* parent = nullptr);
    ~DisplayScheduler() override;

    // Screens of modes 1 to 7 (mode 0 is the large clock); null means the
    // mode shows empty lines.
    void setScreen(int mode, ModeScreen* screen);
    // What Timer4 drives while mode 4 is selected (the title scroller).
    void setScrollHandler(std::function<void()> handler) { m_scroll = std::move(handler); }

    // Starts Timer1 (about every 1000 ms, just after each second) and Timer3;
    // until then ticks come only from tests.
    void start();

    // The mode switch: runs when an option button is chosen and when start-up
    // selects the saved mode. A mode outside 0..7 selects nothing.
    void selectMode(int mode);
    // Timer1: status clock and the current screen.
    void tick();
    // Timer3: the colon blink, only in the large clock mode.
    void blinkTick();

    int selectedMode() const { return m_selected; }
    int CurrentMode = 0;
    int UpdateCounter = 0;
    int WeatherUpdateSeconds = 1800;
    int StockUpdateSeconds = 300;
    bool InternetConnected = false;
    bool timer4Enabled() const { return m_timer4.isActive(); }
    QString statusClock() const { return m_statusClock; }

Q_SIGNALS:
    void modeSelected(int mode);
    void statusClockChanged(const QString& text);

private:
    void switchToInternetMode(int mode);
    void countAndRefresh(int mode, int interval);
    void refreshNow(int mode);
    void setTimer4(bool on);
    void scheduleTick();

    LcdLink& m_link;
    ScreenLines& m_lines;
    LineWriter& m_writer;
    LargeClock& m_largeClock;
    Clock& m_time;
    InternetState& m_internet;
    MessageSink& m_messages;
    std::array<ModeScreen*, ModeCount> m_screens{};
    std::function<void()> m_scroll;
    QTimer m_timer1;
    QTimer m_timer3;
    QTimer m_timer4;
    int m_selected = -1;
    // Bumped by every switch, so a late refresh of an earlier mode is dropped.
    quint64 m_generation = 0;
    QString m_statusClock;
};
