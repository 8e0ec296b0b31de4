#pragma once

#include "app/RotationSettings.h"

#include <QObject>
#include <QSet>
#include <QString>

class DisplayScheduler;
class modINI;

// The modes following each other by themselves, as [Rotation] lists them:
// while enabled, each is shown Seconds seconds, entered with its normal
// switch, then the next, round and round. The seconds are the scheduler's
// ticks; under a message (the scheduler held) they pause, so the mode the
// message covered gets the rest of its time afterwards. A mode chosen by
// hand stops the rotation and stays. Names are looked up in the table of
// modes at each step, so own screens added when the settings are read count
// as any mode; a name that is no mode is skipped, with one warning.
class Rotation : public QObject
{
    Q_OBJECT
public:
    Rotation(DisplayScheduler& scheduler, modINI& ini, QObject* parent = nullptr);

    // From the settings file at start-up, or from the dialog that edits the
    // list (which saves them itself). A running rotation starts again from
    // the mode shown.
    void configure(const RotationSettings& settings);
    const RotationSettings& settings() const { return m_settings; }
    bool enabled() const { return m_settings.Enabled; }
    // On or off by hand (the window's box, another program), saved at once.
    // Switched on while a mode of the list is shown, it goes on from there;
    // else the list's first mode is shown at once.
    void setEnabled(bool on);

Q_SIGNALS:
    void enabledChanged(bool on);

private:
    void tick();
    void begin();
    // To the next mode of the list after the one shown by the rotation.
    void step();
    // The mode the list's entry names; -1 (said once) for none.
    int modeAt(int index);
    void warnOnce(const QString& key, const QString& text);

    DisplayScheduler& m_scheduler;
    modINI& m_ini;
    RotationSettings m_settings;
    int m_index = -1;  // the list's entry shown; -1 until the rotation has begun
    int m_elapsed = 0; // ticks it has been shown
    QSet<QString> m_warned;
};
