#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdio>

class LcdModule;
class QTextStream;

// Draws the module's four lines on a text stream. On a terminal (Ansi) the
// box is redrawn in place; otherwise (Plain) each drawing is appended as four
// lines and a state line, which is what scripts and logs want.
class TerminalView : public QObject
{
    Q_OBJECT
public:
    enum class Mode { Ansi, Plain };

    TerminalView(const LcdModule& module, QTextStream& out, Mode mode, QObject* parent = nullptr);

    // Ansi when the stream is a terminal.
    static Mode modeFor(FILE* stream);

    // Shortest time between two scheduled redraws; 100 ms unless set.
    void setMinimumInterval(int ms) { m_interval = ms; }
    int redrawCount() const { return m_redraws; }

public Q_SLOTS:
    void redraw();
    // Redraws now if the last drawing is old enough, else once when it is;
    // a burst of screen changes costs at most one redraw per interval.
    void scheduleRedraw();
    // Draws a scheduled redraw now, e.g. before the program exits.
    void finishPending();

private:
    const LcdModule& m_module;
    QTextStream& m_out;
    Mode m_mode;
    int m_interval = 100;
    int m_redraws = 0;
    int m_linesDrawn = 0;
    QElapsedTimer m_sinceDraw;
    QTimer m_pending;
};
