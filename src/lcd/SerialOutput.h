#pragma once

#include "lcd/DisplayOutput.h"

// The serial module as an output. It speaks the command set the model is
// read by, so it gets the very bytes the model follows: LcdLink writes each
// send to the port as it comes (each its own write), which leaves nothing to
// redraw here. The port, its detection and its status texts are
// LinkController's; the status shows here with the other outputs'.
class SerialOutput : public DisplayOutput
{
    Q_OBJECT
public:
    static constexpr const char* Key = "serial";

    using DisplayOutput::DisplayOutput;

    void modelChanged() override {}
    QString statusText() const override { return m_status; }
    bool takesBrightness() const override { return true; }

    // Every report counts, a repeated one too: the headless runner logs each.
    void setStatus(const QString& text)
    {
        m_status = text;
        Q_EMIT statusTextChanged();
    }

private:
    QString m_status;
};
