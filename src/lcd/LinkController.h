#pragma once

#include "codec/ModuleCodec.h"
#include "lcd/DisplayModel.h"
#include "lcd/DisplayOutputs.h"
#include "lcd/LcdLink.h"
#include "lcd/LcddScreen.h"

#include "platform/ReportOnce.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class DisplayOutput;
class SerialOutput;
struct OutputSettings;

// What the user sees and does about the module's connection: finding the
// module (DetectLcd), the COM menu and its check mark, the status text, the
// backlight buttons and the brightness slider; and the outputs that show
// what the module is sent: the display model every output draws from, and
// the outputs chosen (DisplayOutputs' rows). The window and the headless
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

    explicit LinkController(LcdLink& link, DisplayOutputs::Connections connections = {},
                            QObject* parent = nullptr);
    ~LinkController() override;

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

    // What the module shows, from every byte it is asked to send, port open
    // or not.
    const DisplayModel& model() const { return m_model; }
    // The module's character ROM as chosen ([Display] Characters, the
    // Character Set menu).
    Characters characters() const { return m_characters; }
    // What every text to the outputs goes through: the module's ROM; with
    // LCDd the only output and taking Latin-1, the European ROM, whose codes
    // are Latin-1's, so LCDd gets every Latin-1 letter.
    const ModuleCodec& codec() const { return m_codec; }
    // The menu's choice of ROM, in effect at once (saved as [Display]
    // Characters).
    void charactersMenuClicked(Characters characters);
    // Each output's settings, and the ones chosen. Set before
    // connectAtStartup; without the serial module, no port is opened.
    void configureOutputs(const OutputSettings& settings);
    // The chosen outputs' names, in DisplayOutputs' order.
    QStringList outputs() const;
    bool chosen(const QString& key) const;
    bool serialOutput() const;
    // An output by its name, chosen or not; null for none.
    DisplayOutput* output(const QString& key) const;
    // An output shown whatever is chosen (the window's picture): it follows
    // the model for as long as it lives.
    void attachOutput(DisplayOutput& output);
    // The Communication menu's item of an output other than the module
    // (LCDd): it becomes the only output (a COM item makes the serial module
    // the only one again).
    void outputMenuClicked(const QString& key);
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
    // The program ends: the port stays closed from now on, and the other
    // outputs stop (LCDd drops Brellix's screen).
    void stopWatching();
    void setWatchInterval(int ms) { m_watch.setInterval(ms); }

    // COMn's device from now on (the port chooser).
    void setPortPath(int portNumber, const QString& path);

    // Whether a module initialised (found at start-up, found again, after a
    // resume) gets its backlight on; on when not set.
    void setInitialBacklight(std::function<bool()> on) { m_initialBacklight = std::move(on); }

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
    // LCDd's clients cannot set the brightness: no slider without an output
    // that takes it.
    bool sliderEnabled() const;
    bool backlightOn() const { return m_backlightOn; }

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void comCheckChanged(int index); // 0: no item checked
    void sliderPositionChanged(int position);
    // Any move of the slider, the window's own included (for observers).
    void brightnessChanged(int position);
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
    // The menu chose a ROM (saved as [Display] Characters).
    void charactersChosen();
    // characters() or the codec's ROM changed: the screen shown must be
    // composed and drawn again.
    void charactersChanged();

private:
    // An output of the table, and whether it is chosen.
    struct Slot
    {
        QString key;
        std::unique_ptr<DisplayOutput> output;
        bool chosen = false;
    };

    // Starts the outputs that join, stops those that leave.
    void choose(const QStringList& keys);
    // The ROM chosen, and the codec's for it and the outputs chosen.
    void setCharacters(Characters chosen);
    void followModel(const QByteArray& bytes);
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
    DisplayModel m_model;
    Characters m_characters = Characters::Ascii;
    LcddScreen::Charset m_lcddCharset = LcddScreen::Charset::Ascii;
    ModuleCodec m_codec;
    DisplayOutputs::Connections m_connections;
    std::vector<Slot> m_outputs;
    std::vector<QPointer<DisplayOutput>> m_attached;
    SerialOutput* m_serial = nullptr; // the module's row: its status is the port's
    std::function<bool()> m_initialBacklight;
    int m_checkedCom = 0;
    int m_sliderPosition = 0;
    bool m_backlightOn = true;
    quint64 m_detection = 0;
    bool m_detectionWaiting = false; // the newest detection still waits for its answer
    std::vector<std::function<void()>> m_overtaken;
    QTimer m_watch;
    ReportOnce m_reopenFailure;
};
