#include "app/Lifecycle.h"

#include "lcd/modLcdFunc.h"

#include "app/DisplayScheduler.h"
#include "app/Messages.h"
#include "lcd/LinkController.h"
#include "platform/Logging.h"
#include "platform/modINI.h"

#include <QCoreApplication>

#include <algorithm>

Lifecycle::Lifecycle(modINI& ini, Messages& messages, LinkController& link,
                     DisplayScheduler& scheduler, std::function<void()> loadScreenSettings,
                     QObject* parent)
    : QObject(parent), m_ini(ini), m_link(link), m_scheduler(scheduler),
      m_loadScreenSettings(std::move(loadScreenSettings))
{
    connect(&messages, &Messages::fatalEndRequested, this, &Lifecycle::fatalEnd);
    // A module that comes back (replugged, resumed) shows the mode it showed;
    // so does one whose character ROM changed, in the new ROM's codes.
    const auto redraw = [this] {
        if (m_startupDone && !m_ended && m_scheduler.selectedMode() >= 0)
            m_scheduler.selectMode(m_scheduler.selectedMode());
    };
    connect(&m_link, &LinkController::moduleReinitialised, this, redraw);
    connect(&m_link, &LinkController::charactersChanged, this, redraw);
}

void Lifecycle::overridePort(int portNumber, const QString& devicePath, bool keep)
{
    m_overridePort = portNumber;
    m_overridePath = devicePath;
    m_keepOverride = keep;
}

void Lifecycle::start()
{
    QCoreApplication::setApplicationName(ApplicationTitle);
    // The status clock runs from the start; no mode is selected before the
    // detection has ended.
    if (m_timersEnabled)
        m_scheduler.start();

    // Every key, with defaults for whatever is missing or damaged.
    m_ini.removeStaleTemporaries();
    m_settings = AppSettings::load(m_ini);
    m_loadScreenSettings();
    m_settingsLoaded = true;
    const AppSettings& s = m_settings;
    m_scheduler.restoreCurrentMode(restoredMode(s));

    LinkController::Configuration link;
    link.portPaths = s.Ports;
    link.serialSettings = s.SerialSettings;
    link.commPortText = s.CommPortText;
    link.portNumber = s.CommPortText.trimmed().toInt();
    link.sliderPosition = s.Backlight;
    if (!m_overridePath.isEmpty() && m_overridePort == 0) {
        // --port DEVICE: the saved COM number's device for this run, or
        // from now on with --save, as the Ports dialog keeps it.
        const int com =
            link.portNumber >= 1 && link.portNumber <= LcdLink::PortCount ? link.portNumber : 1;
        link.portPaths[std::size_t(com - 1)] = m_overridePath;
        link.portNumber = com;
        if (m_keepOverride) {
            m_settings.Ports[std::size_t(com - 1)] = m_overridePath;
            AppSettings::savePort(m_ini, com, m_overridePath, s.SerialSettings);
        } else {
            link.transientPort = com;
        }
    } else if (m_overridePort >= 1 && m_overridePort <= LcdLink::PortCount) {
        link.portPaths[std::size_t(m_overridePort - 1)] = m_overridePath;
        link.portNumber = m_overridePort;
        link.transientPort = m_overridePort;
    }
    m_link.configure(link);
    m_link.connectAtStartup([this](bool) { finishStartup(); });
}

int Lifecycle::restoredMode(const AppSettings& s) const
{
    const auto& modes = m_scheduler.modes();
    const int builtIn = int(
        std::count_if(modes.cbegin(), modes.cend(), [](const auto& m) { return !m.savedByName; }));
    int mode = s.CurrentMode;
    QString gone;
    if (!s.CurrentModeName.isEmpty()) {
        mode = m_scheduler.modeNamed(s.CurrentModeName);
        if (mode < 0)
            gone = s.CurrentModeName;
    } else if (mode >= builtIn && mode >= m_scheduler.modeCount()) {
        gone = QString::number(mode); // the older form, by number
    }
    if (gone.isEmpty())
        return mode;
    qCWarning(lcApp).noquote()
        << QStringLiteral("[Mode] names the screen %1, which is not in the settings file any "
                          "more; showing Time And Date")
               .arg(gone);
    return m_scheduler.modeNamed(QLatin1String(FallbackMode));
}

void Lifecycle::finishStartup()
{
    if (m_ended)
        return;
    // The saved display mode; outside the table nothing is selected.
    m_scheduler.selectMode(m_scheduler.currentMode());
    m_startupDone = true;
    qCInfo(lcApp) << "Start-up finished, mode" << m_scheduler.currentMode();
    Q_EMIT startupFinished();
}

void Lifecycle::requestQuit()
{
    if (m_ended)
        return;
    m_ended = true;
    m_scheduler.stop();
    // After a fatal end nothing is saved: saving the mode that failed would
    // end every later start the same way.
    if (!m_fatal && m_settingsLoaded)
        save();
    Q_EMIT trayIconRemovalRequested();
    m_link.stopWatching();
    // A module left with the last frame would show a stopped clock as if it
    // were the time: its lines are cleared (the backlight stays as chosen).
    if (m_link.link().isOpen() && m_link.link().lcdFound())
        m_link.link().SendLcd(modLcdFunc::ClearScreen());
    m_link.link().closePort();
    qCInfo(lcApp) << "Shut down";
    Q_EMIT finished();
}

void Lifecycle::save()
{
    const int mode = m_scheduler.currentMode();
    m_settings.CurrentMode = mode;
    // An own screen is saved by name: removed from the file, it is noticed.
    const bool byName = mode >= 0 && mode < m_scheduler.modeCount() &&
                        m_scheduler.modes()[std::size_t(mode)].savedByName;
    m_settings.CurrentModeName = byName ? m_scheduler.modes()[std::size_t(mode)].name : QString();
    m_settings.CommPortText = m_link.commPortText();
    m_settings.Backlight = m_link.sliderPosition();
    m_settings.save(m_ini);
}

void Lifecycle::fatalEnd()
{
    m_fatal = true;
    if (m_holds == 0)
        requestQuit();
}

void Lifecycle::releaseEnd()
{
    if (m_holds > 0 && --m_holds == 0 && m_fatal)
        requestQuit();
}
