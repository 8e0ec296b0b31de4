#include "app/Rotation.h"

#include "app/DisplayScheduler.h"
#include "platform/Logging.h"
#include "platform/modINI.h"

Rotation::Rotation(DisplayScheduler& scheduler, modINI& ini, QObject* parent)
    : QObject(parent), m_scheduler(scheduler), m_ini(ini)
{
    connect(&m_scheduler, &DisplayScheduler::ticking, this, &Rotation::tick);
    connect(&m_scheduler, &DisplayScheduler::modeChosen, this, [this] { setEnabled(false); });
}

void Rotation::configure(const RotationSettings& settings)
{
    const bool was = enabled();
    m_settings = settings;
    m_index = -1;
    m_warned.clear();
    if (was != enabled())
        Q_EMIT enabledChanged(enabled());
}

void Rotation::setEnabled(bool on)
{
    if (on == enabled())
        return;
    m_settings.Enabled = on;
    m_index = -1;
    if (!RotationSettings::saveEnabled(m_ini, on))
        qCWarning(lcApp) << "The rotation's state could not be saved";
    qCInfo(lcApp) << "Rotation" << (on ? "on" : "off");
    Q_EMIT enabledChanged(on);
    // Before start-up has shown a mode, the first tick after it begins.
    if (on && m_scheduler.selectedMode() >= 0)
        begin();
}

void Rotation::tick()
{
    if (!enabled() || m_scheduler.held() || m_scheduler.selectedMode() < 0)
        return;
    if (m_index < 0)
        begin();
    else if (++m_elapsed >= m_settings.Seconds)
        step();
}

void Rotation::begin()
{
    m_elapsed = 0;
    for (int i = 0; i < m_settings.Screens.size(); ++i) {
        if (modeAt(i) == m_scheduler.selectedMode()) {
            m_index = i;
            return;
        }
    }
    m_index = -1;
    step();
}

void Rotation::step()
{
    const int count = int(m_settings.Screens.size());
    for (int k = 1; k <= count; ++k) {
        const int i = (m_index + k) % count;
        const int mode = modeAt(i);
        if (mode < 0)
            continue;
        m_index = i;
        m_elapsed = 0;
        // A list of one mode shows it, and leaves it be.
        if (mode != m_scheduler.selectedMode())
            m_scheduler.selectMode(mode);
        return;
    }
    warnOnce(QString(), QStringLiteral("[Rotation] Screens names no mode to show"));
}

int Rotation::modeAt(int index)
{
    const QString& name = m_settings.Screens.at(index);
    const int mode = m_scheduler.modeNamed(name);
    if (mode < 0)
        warnOnce(name, QStringLiteral("[Rotation] Screens: no mode is named \"%1\"; skipped")
                           .arg(name.left(40)));
    return mode;
}

void Rotation::warnOnce(const QString& key, const QString& text)
{
    if (m_warned.contains(key))
        return;
    m_warned.insert(key);
    qCWarning(lcSettings).noquote() << text;
}
