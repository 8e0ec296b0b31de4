#pragma once

#include "platform/RemoteControl.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <deque>
#include <utility>
#include <vector>

class BulletinBoard;
class DisplayScheduler;
class LinkController;
class Rotation;
class ScreenLines;

// The core's side of RemoteControl: what other programs may do with Brellix,
// each request checked and limited (at most CallsPerSecond a second from one
// caller, so a runaway script cannot keep the program busy), bulletins
// through the board, modes through the scheduler's table (a choice by
// hand, which stops the rotation).
class ControlGate final : public QObject, public RemoteControl
{
    Q_OBJECT
public:
    static constexpr int CallsPerSecond = 20;

    ControlGate(BulletinBoard& board, DisplayScheduler& scheduler, Rotation& rotation,
                LinkController& control, ScreenLines& lines, QObject* parent = nullptr);

    Outcome showBulletin(const QString& caller, const Bulletin& bulletin) override;
    Outcome dismiss(const QString& caller, quint32 id) override;
    Outcome setMode(const QString& caller, quint32 mode) override;
    Outcome selectMode(const QString& caller, const QString& name) override;
    Outcome setBacklight(const QString& caller, bool on) override;
    Outcome setBrightness(const QString& caller, quint8 level) override;
    Outcome setRotation(const QString& caller, bool on) override;
    State state() const override;
    void addObserver(const void* key, Observer observer) override;
    void removeObserver(const void* key) override;

private:
    // False when caller has used up this second's calls.
    bool admit(const QString& caller);
    void changed();

    BulletinBoard& m_board;
    DisplayScheduler& m_scheduler;
    Rotation& m_rotation;
    LinkController& m_control;
    ScreenLines& m_lines;
    std::vector<std::pair<const void*, Observer>> m_observers;
    QElapsedTimer m_clock;
    // Each caller's calls of the last second, oldest first; callers quiet
    // for a second are forgotten.
    QHash<QString, std::deque<qint64>> m_calls;
};
