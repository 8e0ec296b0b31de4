#pragma once

#include "app/AppContext.h"
#include "app/DisplayScheduler.h"
#include "app/Lifecycle.h"
#include "app/Messages.h"
#include "lcd/LcdLink.h"
#include "lcd/LinkController.h"
#include "platform/Clock.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"

// The program without its views, as the launcher wires it: the context and
// the lifecycle over it.
class TestApp : public AppContext
{
public:
    TestApp(const QString& iniPath, Platform& platform)
        : AppContext(iniPath, platform),
          m_lifecycle(ini(), messages(), linkController(), scheduler(), [this] { loadSettings(); })
    {
    }

    Lifecycle& lifecycle() { return m_lifecycle; }

private:
    Lifecycle m_lifecycle;
};
