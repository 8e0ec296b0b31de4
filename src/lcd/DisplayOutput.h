#pragma once

#include <QObject>
#include <QString>

struct OutputSettings;

// A display Brellix draws on: the serial module, LCDd, the window's picture.
// Each draws from the one display model (LinkController::model()), which
// follows every byte Brellix sends the module; a screen never knows which
// outputs there are. The outputs the user can choose are the rows of
// DisplayOutputs::kinds(), by their [Display] Output names.
class DisplayOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Its settings, read at start-up (before start()).
    virtual void configure(const OutputSettings&) {}
    // Chosen as an output: it begins to show the model.
    virtual void start() {}
    // No longer an output, or the program ends.
    virtual void stop() {}
    // The model took bytes: show what it shows now.
    virtual void modelChanged() = 0;
    // Its part of the status bar; empty while it has nothing to say.
    virtual QString statusText() const { return {}; }
    // Whether the brightness slider reaches it.
    virtual bool takesBrightness() const { return false; }

Q_SIGNALS:
    void statusTextChanged();
};
