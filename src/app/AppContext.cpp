#include "app/AppContext.h"

#include "platform/Clock.h"
#include "platform/HardwareSensors.h"
#include "platform/Platform.h"

AppContext::AppContext(const QString& iniPath, Platform& platform)
    : m_platform(platform), m_ini(iniPath), m_web(platform.webTransport()),
      m_largeClock(m_link, platform.clock()),
      m_timeDate(m_lines, platform.clock(), m_worldTime),
      m_cpuInfo(m_lines, m_messages, [this] { return SensorSettings::load(m_ini); },
                platform.clock(), platform.cpuTimes(),
                platform.memoryStatus(),
                [&platform](const QString& config) { return platform.openSensors(config); }),
      m_ipHelper(m_messages, platform.interfaceTable()),
      m_networkInfo(m_lines, m_messages, platform.internet(), m_ipHelper, platform.hostLookup()),
      m_player(m_lines, m_link, [this] { return WinAmpSettings::load(m_ini); },
               platform.mediaPlayer()),
      m_weather(m_lines, m_messages, m_weatherSettings, m_webSettings, m_web),
      m_stock(m_lines, m_stockSettings, m_webSettings, m_web),
      m_mail(m_lines, m_messages, [this] { return MailSettings::load(m_ini); },
             platform.openMailbox())
{
    std::vector<DisplayScheduler::Mode> modes{
        {QStringLiteral("Large Characters Clock"), &m_largeClock},
        {QStringLiteral("Time And Date"), &m_timeDate},
        {QStringLiteral("CPU Info"), &m_cpuInfo},
        {QStringLiteral("Network Info"), &m_networkInfo},
        {QStringLiteral("WinAmp Plugin"), &m_player},
        {QStringLiteral("Weather Station"), &m_weather},
        {QStringLiteral("Stock Quote"), &m_stock},
        {QStringLiteral("POP Email"), &m_mail},
    };
    m_scheduler =
        std::make_unique<DisplayScheduler>(std::move(modes), m_link, m_lines, m_writer,
                                           platform.clock(), platform.internet(), m_messages);
}

AppContext::~AppContext()
{
    // The port closes before the screens and the scheduler go.
    m_link.closePort();
}

const AppSettings& AppContext::loadSettings()
{
    m_settings = AppSettings::load(m_ini);
    m_worldTime = WorldTimeSettings::load(m_ini);
    m_stockSettings = StockSettings::load(m_ini);
    m_weatherSettings = WeatherSettings::load(m_ini);
    m_webSettings = WebSettings::load(m_ini);
    return m_settings;
}

const Clock& AppContext::clock() const
{
    return m_platform.clock();
}
