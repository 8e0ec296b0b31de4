#include "app/Lifecycle.h"

#include "app/AppContext.h"
#include "platform/Logging.h"

#include <QCoreApplication>

Lifecycle::Lifecycle(AppContext& context, QObject* parent) : QObject(parent), m_context(context)
{
    connect(&m_context.messages(), &Messages::fatalEndRequested, this, &Lifecycle::fatalEnd);
    // A module that comes back (replugged, resumed) shows the mode it showed.
    connect(&m_context.linkController(), &LinkController::moduleReinitialised, this, [this] {
        DisplayScheduler& scheduler = m_context.scheduler();
        if (m_startupDone && !m_ended && scheduler.selectedMode() >= 0)
            scheduler.selectMode(scheduler.selectedMode());
    });
}

void Lifecycle::overridePort(int portNumber, const QString& devicePath)
{
    m_overridePort = portNumber;
    m_overridePath = devicePath;
}

void Lifecycle::start()
{
    QCoreApplication::setApplicationName(ApplicationTitle);
    // The status clock runs from the start; no mode is selected before the
    // detection has ended.
    if (m_timersEnabled)
        m_context.scheduler().start();

    // Every key, with defaults for whatever is missing or damaged.
    m_context.ini().removeStaleTemporaries();
    const AppSettings& s = m_context.loadSettings();
    m_settingsLoaded = true;
    m_context.scheduler().restoreCurrentMode(s.CurrentMode);

    LinkController::Configuration link;
    link.portPaths = s.Ports;
    link.serialSettings = s.SerialSettings;
    link.commPortText = s.CommPortText;
    link.portNumber = s.CommPortText.trimmed().toInt();
    link.sliderPosition = s.Backlight;
    if (m_overridePort >= 1 && m_overridePort <= LcdLink::PortCount) {
        link.portPaths[std::size_t(m_overridePort - 1)] = m_overridePath;
        link.portNumber = m_overridePort;
        link.transientPort = m_overridePort;
    }
    m_context.linkController().configure(link);
    m_context.linkController().connectAtStartup([this](bool) { finishStartup(); });
}

void Lifecycle::finishStartup()
{
    if (m_ended)
        return;
    // The saved display mode; outside the table nothing is selected.
    m_context.scheduler().selectMode(m_context.scheduler().currentMode());
    m_startupDone = true;
    qCInfo(lcApp) << "Start-up finished, mode" << m_context.scheduler().currentMode();
    Q_EMIT startupFinished();
}

void Lifecycle::requestQuit()
{
    if (m_ended)
        return;
    m_ended = true;
    m_context.scheduler().stop();
    // After a fatal end nothing is saved: saving the mode that failed would
    // end every later start the same way.
    if (!m_fatal && m_settingsLoaded)
        save();
    Q_EMIT trayIconRemovalRequested();
    m_context.linkController().stopWatching();
    m_context.link().closePort();
    qCInfo(lcApp) << "Shut down";
    Q_EMIT finished();
}

void Lifecycle::save()
{
    const LinkController& link = m_context.linkController();
    AppSettings& s = m_context.settings();
    s.CurrentMode = m_context.scheduler().currentMode();
    s.CommPortText = link.commPortText();
    s.Backlight = link.sliderPosition();
    s.save(m_context.ini());
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
