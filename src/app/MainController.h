#pragma once

#include "platform/UserMessage.h"
#include "lcd/LcdLink.h"
#include "platform/AppSettings.h"
#include "platform/modINI.h"

#include <QObject>
#include <functional>

class Clock;

// The main window's logic without widgets: start-up and shutdown, the
// settings, the module detection, the COM menu and the backlight controls.
// The GUI window and the headless runner are views of this object.
class MainController : public QObject
{
    Q_OBJECT
public:
    static inline const QString ApplicationTitle = QStringLiteral("brellixv2");
    static inline const QString InitialStatus = QStringLiteral("LCD Connection Status");
    static inline const QString ConnectedStatus = QStringLiteral("LCD Connected");
    static inline const QString NotFoundStatus = QStringLiteral("LCD Not Found On Com ");

    MainController(const QString& iniPath, Clock& clock, QObject* parent = nullptr);
    ~MainController() override;

    // Start-up with COMn replaced by this device for this run (--simulate);
    // the port number used at start-up becomes n, the saved port is kept.
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
    // overtaken by a newer one reports nothing and gives done(false).
    void DetectLcd(std::function<void(bool)> done = {});

    LcdLink& link() { return m_link; }
    modINI& ini() { return m_ini; }
    const AppSettings& settings() const { return m_settings; }
    Clock& clock() { return m_clock; }

    QString statusText() const { return m_status; }
    int checkedComItem() const { return m_checkedCom; }
    int sliderPosition() const { return m_sliderPosition; }
    bool sliderEnabled() const { return m_sliderEnabled; }
    int currentMode() const { return m_currentMode; }
    void setCurrentMode(int mode) { m_currentMode = mode; }
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

private:
    void setStatus(const QString& text);
    void setCheckedCom(int index);
    void setSliderEnabled(bool enabled);
    void finishStartup();

    Clock& m_clock;
    modINI m_ini;
    AppSettings m_settings;
    LcdLink m_link;
    QString m_status = InitialStatus;
    int m_checkedCom = 0;
    int m_sliderPosition = 0;
    bool m_sliderEnabled = true;
    int m_currentMode = 0;
    int m_overridePort = 0;
    QString m_overridePath;
    quint64 m_detection = 0;
    bool m_startupDone = false;
};
