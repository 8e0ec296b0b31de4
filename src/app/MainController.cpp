#include "app/MainController.h"

#include "lcd/modLcdFunc.h"
#include "platform/Clock.h"
#include "platform/Logging.h"

#include <QCoreApplication>

MainController::MainController(const QString& iniPath, Clock& clock, InternetState* internet,
                               QObject* parent)
    : QObject(parent), m_clock(clock), m_ini(iniPath), m_largeClock(m_link, clock),
      m_timeDate(m_lines, clock, m_worldTime), m_internet(internet ? *internet : m_linuxInternet),
      m_networkInfo(m_lines, *this, m_internet, m_ipHelper),
      m_scheduler(std::make_unique<DisplayScheduler>(m_link, m_lines, m_writer, m_largeClock, clock,
                                                     m_internet, *this))
{
    m_scheduler->setScreen(DisplayScheduler::TimeAndDate, &m_timeDate);
    m_scheduler->setScreen(DisplayScheduler::CpuInfo, &m_cpuInfo);
    m_scheduler->setScreen(DisplayScheduler::NetworkInfo, &m_networkInfo);
    connect(&m_link, &LcdLink::portLost, this,
            [this](int number) { setStatus(NotFoundStatus + QString::number(number)); });
}

MainController::~MainController() = default;

void MainController::showMessage(const QString& text, MessageIcon icon)
{
    qCDebug(lcApp).noquote() << "Message:" << text;
    Q_EMIT messageShown(text, icon);
}

void MainController::requestQuit()
{
    // A fatal condition ends the run at once, without saving: saving the
    // mode that failed would end every later start the same way.
    m_endWithoutSaving = true;
    Q_EMIT quitRequested();
}

void MainController::overridePort(int portNumber, const QString& devicePath)
{
    m_overridePort = portNumber;
    m_overridePath = devicePath;
}

void MainController::startup()
{
    // 1. The name message boxes carry.
    QCoreApplication::setApplicationName(ApplicationTitle);
    // The status clock and the colon blink run from the start; no mode is
    // selected before step 9.
    if (m_timersEnabled)
        m_scheduler->start();

    // 2. Every key, with defaults for whatever is missing or damaged.
    m_settings = AppSettings::load(m_ini);
    m_link.CommPortText = m_settings.CommPortText;
    m_link.setSettings(m_settings.SerialSettings);
    m_sliderPosition = m_settings.Backlight; // the port is not open: nothing is sent
    Q_EMIT sliderPositionChanged(m_sliderPosition);
    m_worldTime.ZoneIndex = m_settings.ZoneIndex;
    m_worldTime.DestinationName = m_settings.DestinationName;
    m_worldTime.ObserveDaylight = m_settings.ObserveDaylight;
    m_scheduler->WeatherUpdateSeconds = m_settings.WeatherUpdateSeconds;
    m_scheduler->StockUpdateSeconds = m_settings.StockUpdateSeconds;
    m_scheduler->CurrentMode = m_settings.CurrentMode;

    // 3. Configure the port.
    std::array<QString, LcdLink::PortCount> paths = m_settings.Ports;
    int portNumber = m_settings.CommPortText.trimmed().toInt();
    if (m_overridePort >= 1 && m_overridePort <= LcdLink::PortCount) {
        paths[m_overridePort - 1] = m_overridePath;
        portNumber = m_overridePort;
    }
    m_link.setPortPaths(paths);
    m_link.setPortNumber(portNumber);

    // 4.-5. From here on a failing step is skipped.
    m_link.openPort();
    // 6. Check mark on the configured port, whether or not it opened.
    setCheckedCom(portNumber >= 1 && portNumber <= LcdLink::PortCount ? portNumber : 0);
    // 7. Find the module; the rest follows when the detection ends.
    DetectLcd([this](bool) { finishStartup(); });
}

void MainController::finishStartup()
{
    // 8. Linux needs no helper program folders: sensors and the player are
    // reached without starting anything.
    // 9. The saved display mode; outside 0..7 nothing is selected.
    m_scheduler->selectMode(m_scheduler->CurrentMode);
    // 10. The interface statistics object exists from construction on; it
    // reads nothing until the network screen asks.
    m_startupDone = true;
    qCInfo(lcApp) << "Start-up finished, mode" << m_scheduler->CurrentMode;
    Q_EMIT startupFinished();
}

void MainController::shutdown()
{
    if (!m_endWithoutSaving) {
        m_ini.WriteIni(QStringLiteral("Mode"), QStringLiteral("mode"),
                       QString::number(m_scheduler->CurrentMode));
        m_ini.WriteIni(QStringLiteral("Settings"), QStringLiteral("CommPort"), m_link.CommPortText);
        m_ini.WriteIni(QStringLiteral("Settings"), QStringLiteral("Backlight"),
                       QString::number(m_sliderPosition));
    }
    Q_EMIT trayIconRemovalRequested();
    m_link.closePort();
}

void MainController::DetectLcd(std::function<void(bool)> done)
{
    const quint64 id = ++m_detection;
    m_detectionWaiting = false;
    const int portNumber = m_link.portNumber();
    m_link.LcdFound = false;
    if (!m_link.writeRaw(modLcdFunc::DetectQuery())) {
        // A closed port: the detection stops at its first write.
        if (done)
            done(false);
        runOvertaken();
        return;
    }
    m_detectionWaiting = true;
    m_link.WaitTicks(10, [this, id, portNumber, done = std::move(done)] {
        if (id != m_detection) {
            // Overtaken: what follows it (the rest of start-up) waits for the
            // newer detection, so its sends never fall in the middle of it.
            if (done) {
                if (m_detectionWaiting)
                    m_overtaken.push_back([done] { done(false); });
                else
                    done(false);
            }
            return;
        }
        m_detectionWaiting = false;
        const bool found = m_link.LcdFound;
        if (!found) {
            setStatus(NotFoundStatus + QString::number(portNumber));
        } else {
            setStatus(ConnectedStatus);
            modLcdFunc::LcdCode41(m_link.LcdOut, 0);
            m_link.SendLcd();
            modLcdFunc::LcdCommand(m_link.LcdOut, 12);
            m_link.SendLcd();
            backlightOnClicked();
            Q_EMIT minimiseRequested();
        }
        if (done)
            done(found);
        runOvertaken();
    });
}

void MainController::runOvertaken()
{
    auto waiting = std::move(m_overtaken);
    m_overtaken.clear();
    for (auto& f : waiting)
        f();
}

void MainController::comMenuClicked(int index)
{
    if (index < 1 || index > LcdLink::PortCount)
        return;
    // A detection still waiting belongs to the port being closed: it must not
    // report on it, even when the next port cannot be opened.
    ++m_detection;
    m_detectionWaiting = false;
    m_link.closePort();
    m_link.setPortNumber(index);
    if (!m_link.openPort()) {
        runOvertaken();
        return; // silently: marks, status and saved port stay as they were
    }
    setCheckedCom(index);
    DetectLcd([this, index](bool found) {
        // The simulated module exists for this run only: the saved port stays
        // the user's own.
        if (found && index != m_overridePort)
            m_link.CommPortText = QString::number(index);
    });
}

void MainController::backlightOnClicked()
{
    modLcdFunc::LcdCommand(m_link.LcdOut, 20);
    m_link.SendLcd();
    setSliderEnabled(true);
}

void MainController::backlightOffClicked()
{
    modLcdFunc::LcdCommand(m_link.LcdOut, 21);
    m_link.SendLcd();
    setSliderEnabled(false);
}

void MainController::sliderMoved(int position)
{
    if (!m_sliderEnabled)
        return;
    position = std::clamp(position, 0, 254);
    m_sliderPosition = position;
    modLcdFunc::LcdBrightness(m_link.LcdOut, quint8(254 - position));
    m_link.SendLcd();
}

void MainController::setStatus(const QString& text)
{
    m_status = text;
    qCDebug(lcApp).noquote() << "Status:" << text;
    Q_EMIT statusTextChanged(text);
}

void MainController::setCheckedCom(int index)
{
    m_checkedCom = index;
    Q_EMIT comCheckChanged(index);
}

void MainController::setSliderEnabled(bool enabled)
{
    if (m_sliderEnabled == enabled)
        return;
    m_sliderEnabled = enabled;
    Q_EMIT sliderEnabledChanged(enabled);
}
