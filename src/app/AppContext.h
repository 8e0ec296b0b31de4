#pragma once

#include "app/AppSettings.h"
#include "app/DisplayScheduler.h"
#include "app/Lifecycle.h"
#include "app/Messages.h"
#include "lcd/LcdLink.h"
#include "lcd/LinkController.h"
#include "platform/modINI.h"
#include "screens/player/WinAmpScreen.h"
#include "screens/mail/EmailScreen.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"
#include "screens/web/WebSettings.h"
#include "platform/web/modWebservices.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/clock/LargeClock.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/WorldTimeSettings.h"

#include <memory>

class Platform;

// The whole program without its views, built once by each program's main:
// the settings file, the link and its controller, the screen lines and their
// writer, every screen in the scheduler's table, the messages and the
// lifecycle. Each part gets what it needs from here; nothing else creates a
// platform implementation.
class AppContext
{
public:
    AppContext(const QString& iniPath, Platform& platform);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Platform& platform() { return m_platform; }
    modINI& ini() { return m_ini; }
    // [Settings], [Mode] and [Ports] as read at start-up (defaults before
    // that); the lifecycle saves through it at exit.
    AppSettings& settings() { return m_settings; }
    // Reads every section taken at start-up through its owner: [Settings],
    // [Mode], [Ports], [TimeZone], [Stock], [Weather] and [Web]. The mail,
    // player and sensor screens have theirs read by its owner at each switch.
    const AppSettings& loadSettings();
    Messages& messages() { return m_messages; }
    LcdLink& link() { return m_link; }
    LinkController& linkController() { return m_linkController; }
    ScreenLines& lines() { return m_lines; }
    WorldTimeSettings& worldTime() { return m_worldTime; }
    // The place and symbol in use; the dialogs replace them.
    WeatherSettings& weather() { return m_weatherSettings; }
    StockSettings& stock() { return m_stockSettings; }
    const WebSettings& web() const { return m_webSettings; }
    DisplayScheduler& scheduler() { return *m_scheduler; }
    Lifecycle& lifecycle() { return m_lifecycle; }
    const Clock& clock() const;

private:
    Platform& m_platform;
    modINI m_ini;
    AppSettings m_settings;
    Messages m_messages;
    LcdLink m_link;
    LinkController m_linkController{m_link};
    ScreenLines m_lines;
    LineWriter m_writer{m_lines, m_link};
    WorldTimeSettings m_worldTime;
    WeatherSettings m_weatherSettings;
    StockSettings m_stockSettings;
    WebSettings m_webSettings;
    modWebservices m_web;

    // The screens, in the order of the display modes.
    LargeClock m_largeClock;
    TimeDateScreen m_timeDate;
    CpuInfoScreen m_cpuInfo;
    // The interface statistics live for the whole run, so the network
    // screen's totals survive mode changes.
    CIpHelper m_ipHelper;
    NetworkInfoScreen m_networkInfo;
    WinAmpScreen m_player;
    WeatherScreen m_weather;
    StockScreen m_stock;
    EmailScreen m_mail;

    std::unique_ptr<DisplayScheduler> m_scheduler;
    Lifecycle m_lifecycle{*this};
};
