#include "app/AppContext.h"

#include "app/DisplayScheduler.h"
#include "app/MessageOverlay.h"
#include "app/Messages.h"
#include "app/RemoteAccess.h"
#include "lcd/LcdLink.h"
#include "lcd/LcddClient.h"
#include "lcd/LcddOutput.h"
#include "lcd/LinkController.h"
#include "lcd/OutputSettings.h"
#include "lcd/SerialOutput.h"
#include "platform/Clock.h"
#include "platform/HardwareSensors.h"
#include "platform/Platform.h"
#include "platform/modINI.h"
#include "platform/web/modWebservices.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/LargeClock.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/mail/EmailScreen.h"
#include "screens/player/WinAmpScreen.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"
#include "screens/web/WebSettings.h"

#include <optional>

struct AppContext::Parts
{
    Parts(const QString& iniPath, Platform& platform)
        : platform(platform), ini(iniPath), web(platform.webTransport()),
          largeClock(link, platform.clock()), timeDate(lines, platform.clock(), worldTime),
          cpuInfo(lines, messages, [this] { return SensorSettings::load(ini); },
                  platform.clock(), platform.cpuTimes(),
                  platform.memoryStatus(),
                  [&platform](const QString& config) { return platform.openSensors(config); }),
          ipHelper(messages, platform.interfaceTable()),
          networkInfo(lines, messages, platform.internet(), ipHelper, platform.hostLookup()),
          player(lines, link, [this] { return WinAmpSettings::load(ini); },
                 platform.mediaPlayer()),
          weather(lines, messages, weatherSettings, webSettings, web),
          stock(lines, messages, stockSettings, webSettings, web),
          mail(lines, messages, [this] { return MailSettings::load(ini); },
               platform.openMailbox()),
          scheduler(
              {
                  {QStringLiteral("Large Characters Clock"), &largeClock,
                   &LargeClock::ShowLargeClock},
                  {QStringLiteral("Time And Date"), &timeDate, &TimeDateScreen::ShowTimeDate},
                  {QStringLiteral("CPU Info"), &cpuInfo, &CpuInfoScreen::ShowCpuInfo},
                  {QStringLiteral("Network Info"), &networkInfo,
                   &NetworkInfoScreen::ShowNetworkInfo},
                  {QStringLiteral("WinAmp Plugin"), &player, &WinAmpScreen::ShowWinAmp},
                  {QStringLiteral("Weather Station"), &weather, &WeatherScreen::ShowWeather},
                  {QStringLiteral("Stock Quote"), &stock, &StockScreen::ShowStock},
                  {QStringLiteral("POP Email"), &mail, &EmailScreen::ShowEmail},
              },
              link, lines, writer, platform.clock(), platform.internet(), messages)
    {
        // New lines end a run of failed refreshes: the next failure is said.
        QObject::connect(&lines, &ScreenLines::lineChanged, &messages, &Messages::refreshPassed);
        // The menu's choice of outputs is kept.
        QObject::connect(&linkController, &LinkController::outputsChanged, [this] {
            OutputSettings s = OutputSettings::load(ini);
            s.outputs = linkController.outputs();
            s.saveOutput(ini);
        });
    }

    ~Parts()
    {
        // The port closes before the screens and the scheduler go.
        link.closePort();
    }

    Platform& platform;
    modINI ini;
    Messages messages;
    LcdLink link;
    // LCDd's network part is made when LCDd is first an output.
    LinkController linkController{link, {.lcdd = [] { return std::make_unique<LcddClient>(); }}};
    // --lcdd's server and whether the module stays an output beside it.
    std::optional<OutputSettings> lcddForRun;
    bool keepSerialForRun = false;
    ScreenLines lines;
    LineWriter writer{lines, link};
    WorldTimeSettings worldTime;
    WeatherSettings weatherSettings;
    StockSettings stockSettings;
    WebSettings webSettings;
    modWebservices web;

    // The screens, in the order of the display modes.
    LargeClock largeClock;
    TimeDateScreen timeDate;
    CpuInfoScreen cpuInfo;
    // The interface statistics live for the whole run, so the network
    // screen's totals survive mode changes.
    CIpHelper ipHelper;
    NetworkInfoScreen networkInfo;
    WinAmpScreen player;
    WeatherScreen weather;
    StockScreen stock;
    EmailScreen mail;

    DisplayScheduler scheduler;
    MessageOverlay overlay{lines, writer, link, linkController, scheduler};
    RemoteAccess remote{overlay, scheduler, linkController, lines};
};

AppContext::AppContext(const QString& iniPath, Platform& platform)
    : m_parts(std::make_unique<Parts>(iniPath, platform))
{
}

AppContext::~AppContext() = default;

void AppContext::loadSettings()
{
    m_parts->worldTime = WorldTimeSettings::load(m_parts->ini);
    m_parts->stockSettings = StockSettings::load(m_parts->ini);
    m_parts->weatherSettings = WeatherSettings::load(m_parts->ini);
    m_parts->webSettings = WebSettings::load(m_parts->ini);
    OutputSettings outputs = OutputSettings::load(m_parts->ini);
    if (const auto& run = m_parts->lcddForRun) {
        outputs.host = run->host;
        outputs.port = run->port;
        outputs.outputs = QStringList{QLatin1String(LcddOutput::Key)};
        if (m_parts->keepSerialForRun)
            outputs.outputs.prepend(QLatin1String(SerialOutput::Key));
    }
    m_parts->linkController.configureOutputs(outputs);
}

bool AppContext::useLcddForRun(const QString& server, bool keepSerial)
{
    OutputSettings run = OutputSettings::load(m_parts->ini);
    if (!server.isEmpty() && !run.setServer(server))
        return false;
    m_parts->lcddForRun = run;
    m_parts->keepSerialForRun = keepSerial;
    return true;
}

modINI& AppContext::ini()
{
    return m_parts->ini;
}
Messages& AppContext::messages()
{
    return m_parts->messages;
}
LcdLink& AppContext::link()
{
    return m_parts->link;
}
LinkController& AppContext::linkController()
{
    return m_parts->linkController;
}
ScreenLines& AppContext::lines()
{
    return m_parts->lines;
}
WorldTimeSettings& AppContext::worldTime()
{
    return m_parts->worldTime;
}
WeatherSettings& AppContext::weather()
{
    return m_parts->weatherSettings;
}
StockSettings& AppContext::stock()
{
    return m_parts->stockSettings;
}
DisplayScheduler& AppContext::scheduler()
{
    return m_parts->scheduler;
}
RemoteAccess& AppContext::remote()
{
    return m_parts->remote;
}
const Clock& AppContext::clock() const
{
    return m_parts->platform.clock();
}
