#pragma once

#include "lcd/LcdLink.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <vector>

// What the user sees and does about the module's connection: finding the
// module (DetectLcd), the COM menu and its check mark, the status text, the
// backlight buttons and the brightness slider. The window and the headless
// runner show its state; the lifecycle configures it at start-up.
class LinkController : public QObject
{
    Q_OBJECT
public:
    static inline const QString InitialStatus = QStringLiteral("LCD Connection Status");
    static inline const QString ConnectedStatus = QStringLiteral("LCD Connected");
    static inline const QString NotFoundStatus = QStringLiteral("LCD Not Found On Com ");
    static constexpr int MaxSliderPosition = 254;

    explicit LinkController(LcdLink& link, QObject* parent = nullptr);

    struct Configuration
    {
        std::array<QString, LcdLink::PortCount> portPaths;
        QString serialSettings;
        // The saved port, as written in the settings file.
        QString commPortText;
        // The port to open now: the saved one, or --simulate's.
        int portNumber = 1;
        // A port that exists for this run only (--simulate), never saved; 0 for none.
        int transientPort = 0;
        int sliderPosition = 0;
    };
    // Takes the settings; the port is not open yet, so nothing is sent.
    void configure(const Configuration& configuration);
    // Opens the configured port and puts the check mark on it, whether or
    // not it opened; then detects the module. done(found) follows.
    void connectAtStartup(std::function<void(bool)> done);

    // Query, wait, then report; done(found) follows. A detection overtaken
    // by a newer one or by a COM menu choice reports nothing and gives
    // done(false) once the newer one has ended.
    void DetectLcd(std::function<void(bool)> done = {});

    // User events.
    void comMenuClicked(int index);
    void backlightOnClicked();
    void backlightOffClicked();
    void sliderMoved(int position);

    LcdLink& link() { return m_link; }
    // The port where the module last answered; saved at exit.
    QString commPortText() const { return m_commPortText; }
    QString statusText() const { return m_status; }
    int checkedComItem() const { return m_checkedCom; } // 0: none
    int sliderPosition() const { return m_sliderPosition; }
    bool sliderEnabled() const { return m_backlightOn; }
    bool backlightOn() const { return m_backlightOn; }

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void comCheckChanged(int index); // 0: no item checked
    void sliderPositionChanged(int position);
    // ON selected (and the slider available) or OFF.
    void backlightChanged(bool on);
    // A detection found the module and initialised it (the window then
    // goes out of the way).
    void moduleFound();

private:
    void setStatus(const QString& text);
    void setCheckedCom(int index);
    void setBacklight(bool on);
    void sendBrightness();
    void runOvertaken();

    LcdLink& m_link;
    QString m_commPortText = QStringLiteral("1");
    int m_transientPort = 0;
    QString m_status = InitialStatus;
    int m_checkedCom = 0;
    int m_sliderPosition = 0;
    bool m_backlightOn = true;
    quint64 m_detection = 0;
    bool m_detectionWaiting = false; // the newest detection still waits for its answer
    std::vector<std::function<void()>> m_overtaken;
};
