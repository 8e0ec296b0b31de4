#pragma once

#include "app/MessageOverlay.h"
#include "platform/RemoteControl.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <deque>

class DisplayScheduler;
class LinkController;
class ScreenLines;

// What other programs may do with Brellix, checked and limited: at most
// CallsPerSecond requests a second from one caller, so a runaway script
// cannot keep the program busy, and messages through the overlay.
class RemoteAccess final : public QObject, public RemoteControl
{
    Q_OBJECT
public:
    static constexpr int CallsPerSecond = 20;

    RemoteAccess(MessageOverlay& overlay, DisplayScheduler& scheduler, LinkController& control,
                 ScreenLines& lines, QObject* parent = nullptr);

    Outcome showMessage(const QString& caller, const Message& message) override;
    Outcome dismiss(const QString& caller, quint32 id) override;
    Outcome setMode(const QString& caller, quint32 mode) override;
    Outcome setBacklight(const QString& caller, bool on) override;
    Outcome setBrightness(const QString& caller, quint8 level) override;
    State state() const override;
    void setObserver(Observer observer) override;

private:
    // False when caller has used up this second's calls.
    bool admit(const QString& caller);
    void changed();

    MessageOverlay& m_overlay;
    DisplayScheduler& m_scheduler;
    LinkController& m_control;
    ScreenLines& m_lines;
    Observer m_observer;
    QElapsedTimer m_clock;
    // Each caller's calls of the last second, oldest first; callers quiet
    // for a second are forgotten.
    QHash<QString, std::deque<qint64>> m_calls;
};
