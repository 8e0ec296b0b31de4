#pragma once

#include "app/AppContext.h"
#include "app/DisplayScheduler.h"
#include "app/Lifecycle.h"
#include "app/Messages.h"
#include "lcd/LinkController.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherSettings.h"
#include "support/LinkHarness.h"

// The program without its views, as the launcher wires it.
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

// A simulated module on COM1 and the program over it, its timers off: the
// test ticks.
struct ModuleApp
{
    explicit ModuleApp(Platform& platform) : platform(platform) {}

    // Writes the settings (the Ports section is added) and runs the start-up.
    void start(const QByteArray& ini)
    {
        h.writeIni(ini + "[Ports]\nCOM1=" + module->slavePath().toUtf8() + "\n");
        c = std::make_unique<TestApp>(h.iniPath(), platform);
        c->lifecycle().setTimersEnabled(false);
        c->lifecycle().start();
        QTRY_VERIFY(c->lifecycle().startupDone());
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            c->scheduler().tick();
    }

    Platform& platform;
    LinkHarness h;
    PtyLcdModule* module = h.addModule();
    std::unique_ptr<TestApp> c;
};
