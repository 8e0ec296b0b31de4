#pragma once

#include "app/AppSettings.h"

#include <QObject>
#include <QString>

#include <functional>

class DisplayScheduler;
class LinkController;
class Messages;
class modINI;

// Start-up, shutdown and the fatal end, for both programs. The window, the
// tray, the signal watcher and the headless runner only ask; the work is
// done here, once. It reads [Settings], [Mode] and [Ports] at start-up and
// saves them at exit.
class Lifecycle : public QObject
{
    Q_OBJECT
public:
    // The name message boxes carry.
    static inline const QString ApplicationTitle = QStringLiteral("brellixv2");
    // The mode a [Mode] naming a screen that is gone falls back to.
    static constexpr const char* FallbackMode = "time";

    // loadScreenSettings reads the sections the screens take at start-up,
    // right after [Settings], [Mode] and [Ports].
    Lifecycle(modINI& ini, Messages& messages, LinkController& link, DisplayScheduler& scheduler,
              std::function<void()> loadScreenSettings, QObject* parent = nullptr);

    // Tests drive the ticks by hand; the programs keep the timers on.
    void setTimersEnabled(bool on) { m_timersEnabled = on; }
    // COMn is this device for this run (--simulate): start-up opens it, and
    // the saved port is kept, also when the module is found there from the menu.
    // portNumber 0 (--port): the saved COM number; keep (--save) writes the
    // device to the settings file instead, as the Ports dialog does.
    void overridePort(int portNumber, const QString& devicePath, bool keep = false);

    // Reads the settings, opens the saved port and detects the module; the
    // saved display mode is selected once the detection has ended, then
    // startupFinished() follows.
    void start();
    bool startupDone() const { return m_startupDone; }

    // Closing the window, the tray's Exit, SIGTERM, SIGINT, SIGHUP: saves the
    // mode, the port and the brightness, closes the port and emits
    // finished(). Only the first request counts.
    void requestQuit();
    bool ended() const { return m_ended; }
    // 1 after a fatal end (a service manager may start the program again;
    // the mode that failed was not saved), else 0.
    int exitCode() const { return m_fatal ? 1 : 0; }

    // A view holds the fatal end while it shows the message that explains
    // it, so the user can read it before the program goes.
    void holdEnd() { ++m_holds; }
    void releaseEnd();

Q_SIGNALS:
    void startupFinished();
    void trayIconRemovalRequested();
    // Everything is saved and closed: the program may leave its event loop.
    void finished();

private:
    void fatalEnd();
    void finishStartup();
    // The saved mode's row; a screen that is gone falls back to Time And Date.
    int restoredMode(const AppSettings& s) const;
    void save();

    modINI& m_ini;
    LinkController& m_link;
    DisplayScheduler& m_scheduler;
    std::function<void()> m_loadScreenSettings;
    AppSettings m_settings; // as read at start-up, saved at exit
    bool m_timersEnabled = true;
    int m_overridePort = 0;
    QString m_overridePath;
    bool m_keepOverride = false;
    bool m_settingsLoaded = false; // before that, there is nothing of ours to save
    bool m_startupDone = false;
    bool m_ended = false;
    bool m_fatal = false;
    int m_holds = 0;
};
