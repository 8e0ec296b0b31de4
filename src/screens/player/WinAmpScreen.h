#pragma once

#include "screens/player/WinAmpSettings.h"
#include "screens/player/modWinAmp.h"
#include "screens/base/ModeScreen.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class LcdLink;
class MediaPlayerLink;
class ScreenLines;

// The "WinAmp Plugin" mode: the state, title, artist, times and volume of
// the media player, and a title longer than the line scrolling on line 2
// from the mode's own one-second timer.
class WinAmpScreen final : public ModeScreen
{
public:
    // Custom characters uploaded by the mode switch.
    static constexpr char StopGlyph = 1;
    static constexpr char PauseGlyph = 2;
    static constexpr char MuteGlyph = 3;
    static constexpr char VolumeGlyph = 4;
    static constexpr char PlayGlyph = 5;
    static constexpr int ScrollIntervalMs = 1000;

    // Starts a program detached, without a shell; false when it cannot.
    using StartProgram = std::function<bool(const QString& program, const QStringList& arguments)>;

    // Reads [WinAmp] afresh: the choice is taken at each switch.
    using LoadSettings = std::function<WinAmpSettings()>;

    // The references are not owned and must outlive the screen. start:
    // empty for QProcess::startDetached.
    WinAmpScreen(ScreenLines& lines, LcdLink& link, LoadSettings loadSettings,
                 MediaPlayerLink& player, StartProgram start = {});
    ~WinAmpScreen() override;

    // Shown every tick; the switch uploads the symbols before and after
    // enter(); the scroller runs while the mode is shown.
    Traits traits() const override
    {
        return {.cadence = Cadence::EveryTick,
                .writesLines = true,
                .needsInternet = false,
                .glyphUploads = 2,
                .timerMs = ScrollIntervalMs};
    }
    // Reads [WinAmp], follows the players and, when the chosen one is not
    // on the bus, starts [WinAmp] Command without waiting for it.
    void enter() override;
    void leave() override;
    void timerTick() override { ScrollTitle(); }

    void ShowWinAmp();
    // One step of the title scroller: writes line 2 of the module itself.
    void ScrollTitle();

    // The title the scroller moves (module codes) and its position; both
    // survive mode changes.
    const QByteArray& ScrollText() const { return m_scrollText; }
    int ScrollPos() const { return m_scrollPos; }
    modWinAmp& winAmp() { return m_winAmp; }

    // "m:ss" as the screen shows a time; longer than 999:59 as hours
    // ("16h40"), beyond 999 hours ">999h"; a negative time (unknown) 0:00.
    static QByteArray timeText(qint64 seconds);
    // 100 / 255 of a volume, an exact half to the even neighbour.
    static qint64 VolumePercent(qint64 volume);

private:
    void startPlayer(const QString& command);

    ScreenLines& m_lines;
    LcdLink& m_link;
    LoadSettings m_loadSettings;
    MediaPlayerLink& m_player;
    StartProgram m_start;
    modWinAmp m_winAmp;

    QByteArray m_scrollText; // ScrollText
    int m_scrollPos = 0;     // ScrollPos
    // The 20 characters the scroller last put on line 2 for this title;
    // empty until it has.
    QByteArray m_window;
    bool m_playing = false; // the last state shown
    // Ends a pending wait for the bus listing when the mode is left.
    std::shared_ptr<int> m_visit = std::make_shared<int>(0);
};
