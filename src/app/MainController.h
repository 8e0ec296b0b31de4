#pragma once

#include "app/DisplayScheduler.h"
#include "lcd/LcdLink.h"
#include "platform/AppSettings.h"
#include "platform/InternetState.h"
#include "platform/UserMessage.h"
#include "platform/modINI.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/time/LargeClock.h"
#include "screens/time/LineWriter.h"
#include "screens/time/ScreenLines.h"
#include "screens/time/TimeDateScreen.h"
#include "screens/time/WorldTimeSettings.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class Clock;

// The main window's logic without widgets: start-up and shutdown, the
// settings, the module detection, the COM menu, the backlight controls and
// the display scheduler with its screens.
// The GUI window and the headless runner are views of this object.
class MainController : public QObject, public MessageSink
{
    Q_OBJECT
public:
    static inline const QString ApplicationTitle = QStringLiteral("brellixv2");
    static inline const QString InitialStatus = QStringLiteral("LCD Connection Status");
    static inline const QString ConnectedStatus = QStringLiteral("LCD Connected");
    static inline const QString NotFoundStatus = QStringLiteral("LCD Not Found On Com ");

    // internet: the connection check; the default-route check when null.
    MainController(const QString& iniPath, Clock& clock, InternetState* internet = nullptr,
                   QObject* parent = nullptr);
    ~MainController() override;

    // Tests drive ticks by hand; the programs keep the timers on.
    void setTimersEnabled(bool on) { m_timersEnabled = on; }

    // Start-up with COMn replaced by this device for this run (--simulate);
    // the port number used at start-up becomes n, the saved port is kept,
    // also when COMn is chosen from the menu.
    void overridePort(int portNumber, const QString& devicePath);

    // Start-up steps; the detection runs asynchronously and the later steps
    // follow when it ends, then startupFinished() is emitted.
    void startup();
    // Shutdown steps: writes the mode, the port and the brightness, closes the port.
    void shutdown();

    // User events.
    void comMenuClicked(int index);
    void backlightOnClicked();
    void backlightOffClicked();
    void sliderMoved(int position);

    // DetectLcd: query, wait, then report; done(found) follows. A detection
    // overtaken by a newer one or by a COM menu choice reports nothing and
    // gives done(false).
    void DetectLcd(std::function<void(bool)> done = {});

    // MessageSink: the views show these; requestQuit ends the program in order.
    void showMessage(const QString& text, MessageIcon icon) override;
    void requestQuit() override;

    LcdLink& link() { return m_link; }
    ScreenLines& lines() { return m_lines; }
    DisplayScheduler& scheduler() { return *m_scheduler; }
    LargeClock& largeClock() { return m_largeClock; }
    WorldTimeSettings& worldTime() { return m_worldTime; }
    modINI& ini() { return m_ini; }
    const AppSettings& settings() const { return m_settings; }
    Clock& clock() { return m_clock; }

    QString statusText() const { return m_status; }
    int checkedComItem() const { return m_checkedCom; }
    int sliderPosition() const { return m_sliderPosition; }
    bool sliderEnabled() const { return m_sliderEnabled; }
    int currentMode() const { return m_scheduler->CurrentMode; }
    void setCurrentMode(int mode) { m_scheduler->CurrentMode = mode; }
    bool startupDone() const { return m_startupDone; }

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void comCheckChanged(int index); // 0: no item checked
    void sliderPositionChanged(int position);
    void sliderEnabledChanged(bool enabled);
    void minimiseRequested();
    void messageShown(const QString& text, MessageIcon icon);
    void startupFinished();
    void trayIconRemovalRequested();
    void quitRequested();

private:
    void setStatus(const QString& text);
    void setCheckedCom(int index);
    void setSliderEnabled(bool enabled);
    void finishStartup();
    void runOvertaken();

    Clock& m_clock;
    modINI m_ini;
    AppSettings m_settings;
    LcdLink m_link;
    ScreenLines m_lines;
    LineWriter m_writer{m_lines, m_link};
    WorldTimeSettings m_worldTime;
    LargeClock m_largeClock;
    TimeDateScreen m_timeDate;
    LinuxInternetState m_linuxInternet;
    InternetState& m_internet;
    // The interface statistics live for the whole run, so the network
    // screen's totals survive mode changes.
    CIpHelper m_ipHelper{*this};
    NetworkInfoScreen m_networkInfo;
    CpuInfoScreen m_cpuInfo{m_lines, *this, m_ini};
    std::unique_ptr<DisplayScheduler> m_scheduler;
    QString m_status = InitialStatus;
    int m_checkedCom = 0;
    int m_sliderPosition = 0;
    bool m_sliderEnabled = true;
    bool m_timersEnabled = true;
    bool m_endWithoutSaving = false;
    int m_overridePort = 0;
    QString m_overridePath;
    quint64 m_detection = 0;
    bool m_detectionWaiting = false; // the newest detection still waits for its answer
    std::vector<std::function<void()>> m_overtaken;
    bool m_startupDone = false;
};
