#pragma once

#include "lcd/DisplayOutput.h"

class LinkController;
class ModulePanel;

// The window's picture as an output. While the module is an output it shows
// the module as the model follows it, as long as the port takes the bytes
// (a module unplugged keeps its last picture); with LCDd the only output,
// what Brellix asks LCDd to show, in LCDd's size.
class PictureOutput : public DisplayOutput
{
    Q_OBJECT
public:
    PictureOutput(LinkController& link, ModulePanel& panel, QObject* parent = nullptr);

    void modelChanged() override;
    // The chosen outputs changed: the picture follows them.
    void outputsChanged();

private:
    LinkController& m_link;
    ModulePanel& m_panel;
};
