#pragma once

#include <QObject>
#include <QTimer>

// Fires just after each wall-clock second turns, so the clocks Brellix shows
// (the module, the status bar, the World Time dialog) never skip or repeat a
// second through timer drift, and always agree with each other.
class SecondTimer : public QObject
{
    Q_OBJECT
public:
    // How long after the turn of the second the tick comes.
    static constexpr int LateMs = 5;

    explicit SecondTimer(QObject* parent = nullptr);

    void start();
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }

    // Milliseconds from msecsSinceEpoch to LateMs past the next second.
    static int msUntilNextSecond(qint64 msecsSinceEpoch);

Q_SIGNALS:
    void tick();

private:
    QTimer m_timer;
};
