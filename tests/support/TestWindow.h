#pragma once

#include "app/views/frmMain.h"
#include "support/TestApp.h"

// The main window over a TestApp, as brellix's main makes it.
class TestWindow : public frmMain
{
public:
    explicit TestWindow(TestApp& app)
        : frmMain(app.scheduler(), app.linkController(), app.lines(), app.messages(),
                  app.lifecycle(),
                  {app.ini(), app.clock(), app.worldTime(), app.weather(), app.stock()})
    {
    }
};
