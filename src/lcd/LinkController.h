#pragma once

#include "lcd/LcdLink.h"

#include "platform/ReportOnce.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <vector>

class LcddClient;

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
    // How often a port that is gone is looked for: a stat of its path.
    static constexpr int WatchIntervalMs = 2000;

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

    // The outputs: the serial module, LCDd (attachLcdd), or both. Set before
    // connectAtStartup; with the serial one off, no port is opened.
    void attachLcdd(LcddClient& client);
    void setOutputs(bool serial, bool lcdd);
    bool serialOutput() const { return m_serial; }
    bool lcddOutput() const { return m_lcdd; }
    LcddClient* lcdd() const { return m_lcddClient; }
    // The Communication menu's LCDd item: LCDd becomes the only output (a COM
    // item makes the serial module the only one again).
    void lcddMenuClicked();
    // Opens the configured port and puts the check mark on it, whether or
    // not it opened; then detects the module. done(found) follows.
    void connectAtStartup(std::function<void(bool)> done);

    // Query, wait, then report; done(found) follows. A detection overtaken
    // by a newer one or by a COM menu choice reports nothing and gives
    // done(false) once the newer one has ended.
    void DetectLcd(std::function<void(bool)> done = {});

    // The module may have lost power (a resume from suspend): detect and
    // initialise it again as at start-up, then moduleReinitialised().
    void reinitialise();
    // While the port in use is not open (the module unplugged, or not there
    // yet at start-up), its device path is looked for every interval; when
    // it is back, the port is opened and the module detected and
    // initialised again.
    bool watching() const { return m_watch.isActive(); }
    // The program ends: the port stays closed from now on, and LCDd's
    // session ends (LCDd drops Brellix's screen).
    void stopWatching();
    void setWatchInterval(int ms) { m_watch.setInterval(ms); }

    // COMn's device from now on (the port chooser).
    void setPortPath(int portNumber, const QString& path);

    // User events.
    void comMenuClicked(int index);
    void backlightOnClicked();
    void backlightOffClicked();
    void sliderMoved(int position);
    // The slider moved from elsewhere (another program): sent as a move, and
    // the window's slider follows.
    void setSliderPosition(int position);

    LcdLink& link() { return m_link; }
    // The port where the module last answered; saved at exit.
    QString commPortText() const { return m_commPortText; }
    QString statusText() const { return m_status; }
    int checkedComItem() const { return m_checkedCom; } // 0: none
    int sliderPosition() const { return m_sliderPosition; }
    // LCDd's clients cannot set the brightness: no slider without the module.
    bool sliderEnabled() const { return m_backlightOn && m_serial; }
    bool backlightOn() const { return m_backlightOn; }

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void comCheckChanged(int index); // 0: no item checked
    void sliderPositionChanged(int position);
    // ON selected (and the slider available) or OFF.
    void backlightChanged(bool on);
    // A detection at start-up or from the COM menu found the module and
    // initialised it (the window then goes out of the way).
    void moduleFound();
    // The module was found again after it went away or after a resume, and
    // initialised: what it showed must be drawn again.
    void moduleReinitialised();
    // The menu changed the outputs (saved as [Display] Output).
    void outputsChanged();

private:
    void setStatus(const QString& text);
    void publishStatus();
    void setCheckedCom(int index);
    void setBacklight(bool on);
    void sendBrightness();
    void runOvertaken();
    void detect(std::function<void(bool)> done, bool again);
    void watchPort();
    void lookForDevice();

    LcdLink& m_link;
    QString m_commPortText = QStringLiteral("1");
    int m_transientPort = 0;
    QString m_status = InitialStatus;
    QString m_serialStatus = InitialStatus;
    LcddClient* m_lcddClient = nullptr;
    bool m_serial = true;
    bool m_lcdd = false;
    int m_checkedCom = 0;
    int m_sliderPosition = 0;
    bool m_backlightOn = true;
    quint64 m_detection = 0;
    bool m_detectionWaiting = false; // the newest detection still waits for its answer
    std::vector<std::function<void()>> m_overtaken;
    QTimer m_watch;
    ReportOnce m_reopenFailure;
};
