#pragma once

#include "screens/base/SecondTimer.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <type_traits>
#include <vector>

class Clock;
class InternetState;
class LcdLink;
class LineWriter;
class MessageSink;
class ModeScreen;
class ScreenLines;

// The display modes, what choosing one does, and the one-second tick that
// refreshes the status clock and the shown mode's screen. It knows the modes
// only by their row in the table it is given (a mode's number is its row):
// each row names the mode and the screen's refresh routine, and the screen
// declares its cadence, its internet check, its glyph uploads and its own
// timer.
class DisplayScheduler : public QObject
{
    Q_OBJECT
public:
    // A screen and its refresh routine: {&screen, &Screen::ShowSomething}.
    struct Refresh
    {
        template <class Screen, class Owner>
        Refresh(Screen* screen, void (Owner::*routine)())
            : screen(screen), show([screen, routine] { (screen->*routine)(); })
        {
            static_assert(std::is_base_of_v<Owner, Screen>, "the routine of another screen");
        }

        ModeScreen* screen;         // not owned
        std::function<void()> show; // one refresh: compose the lines, or draw
    };
    // A row of the table of modes.
    struct Mode
    {
        Mode(QString name, QString caption, Refresh refresh, QString dialog = {})
            : name(std::move(name)), caption(std::move(caption)), dialog(std::move(dialog)),
              screen(refresh.screen), show(std::move(refresh.show))
        {
        }

        QString name;    // short and stable (brellixctl, the bus, --help): lower case, or an own
                         // screen's NAME
        QString caption; // the option button's
        QString dialog;  // objectName of the dialog of its settings; empty: none
        // An own screen: [Mode] keeps it by name, as its row changes when
        // screens before it come or go.
        bool savedByName = false;
        ModeScreen* screen;
        std::function<void()> show;
    };
    // An offline refresh is tried again this many ticks later.
    static constexpr int OfflineRetryTicks = 5000;

    DisplayScheduler(std::vector<Mode> modes, LcdLink& link, ScreenLines& lines, LineWriter& writer,
                     const Clock& clock, InternetState& internet, MessageSink& messages,
                     QObject* parent = nullptr);
    ~DisplayScheduler() override;

    const std::vector<Mode>& modes() const { return m_modes; }
    int modeCount() const { return int(m_modes.size()); }
    // The mode a short name or a caption stands for, in any letter case; -1
    // for none.
    int modeNamed(const QString& nameOrCaption) const;

    // Replaces the rows from first on (the own screens, made from the
    // settings) with modes. A shown mode among them is left first and
    // nothing is shown until a mode is selected again.
    void replaceModes(int first, std::vector<Mode> modes);

    // Starts the tick (just after each wall-clock second); until then ticks
    // come only from tests.
    void start();
    // Stops every timer and leaves the shown mode (the program ends).
    void stop();

    // The mode switch: when start-up selects the saved mode, when a module
    // found again shows it again, when the rotation moves on, and for every
    // choice by hand. A mode outside the table selects nothing.
    void selectMode(int mode);
    // A choice by hand (an option button, another program): modeChosen(),
    // then the switch.
    void chooseMode(int mode);
    // One tick: status clock and the shown screen.
    void tick();

    // Something else owns the module for a while (a message): the ticks and
    // the screen's timer keep counting, but no refresh writes. A switch made
    // meanwhile is only noted. release() runs the shown mode's switch again,
    // so the module shows what a fresh switch shows; a counted mode keeps
    // its count.
    void hold();
    void release();
    bool held() const { return m_held; }

    // The mode shown; -1 before the first switch.
    int selectedMode() const { return m_selected; }
    // The mode saved at exit: the last one chosen, or the one restored at
    // start-up while none was chosen.
    int currentMode() const { return m_currentMode; }
    void restoreCurrentMode(int mode) { m_currentMode = mode; }
    // Ticks counted towards the next refresh of a counted mode.
    int updateCounter() const { return m_updateCounter; }
    bool screenTimerActive() const { return m_screenTimer.isActive(); }
    QString statusClock() const { return m_statusClock; }

Q_SIGNALS:
    void modeSelected(int mode);
    // Chosen by hand: whatever moves the modes by itself stops.
    void modeChosen(int mode);
    // A tick begins, before the shown screen's refresh: a switch made now
    // is drawn by this tick.
    void ticking();
    // The table has other rows (replaceModes).
    void modesChanged();
    // stop() has begun: whatever holds the module lets it go.
    void stopping();
    void statusClockChanged(const QString& text);

private:
    const Mode* shownMode() const;
    ModeScreen* shown() const;
    void leaveShown();
    void refreshNow();
    void enterShown(bool countFromZero);

    std::vector<Mode> m_modes;
    LcdLink& m_link;
    ScreenLines& m_lines;
    LineWriter& m_writer;
    const Clock& m_clock;
    InternetState& m_internet;
    MessageSink& m_messages;
    SecondTimer m_tickTimer;
    QTimer m_screenTimer;
    int m_selected = -1;
    int m_currentMode = 0;
    int m_updateCounter = 0;
    bool m_internetConnected = false;
    bool m_held = false;
    // Bumped by every switch, so a late refresh of an earlier mode is dropped.
    quint64 m_generation = 0;
    QString m_statusClock;
};
