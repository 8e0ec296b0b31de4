#include "app/AppContext.h"

#include "app/BulletinBoard.h"
#include "app/ControlGate.h"
#include "app/DisplayScheduler.h"
#include "app/Messages.h"
#include "app/Rotation.h"
#include "app/ScheduledBacklight.h"
#include "lcd/LcdLink.h"
#include "lcd/LcddOutput.h"
#include "lcd/LinkController.h"
#include "lcd/OutputSettings.h"
#include "lcd/SerialOutput.h"
#include "platform/Clock.h"
#include "platform/HardwareSensors.h"
#include "platform/Logging.h"
#include "platform/Platform.h"
#include "platform/modINI.h"
#include "platform/web/modWebservices.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/clock/LargeClock.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/WorldTimeSettings.h"
#include "screens/mail/EmailScreen.h"
#include "screens/own/OwnScreen.h"
#include "screens/own/OwnScreenSettings.h"
#include "screens/own/OwnValueSources.h"
#include "screens/own/TopicValues.h"
#include "screens/player/WinAmpScreen.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"
#include "screens/web/WebSettings.h"

#include <algorithm>
#include <optional>

struct AppContext::Parts
{
    Parts(const QString& iniPath, Platform& platform)
        : platform(platform), ini(iniPath), web(platform.webTransport()),
          largeClock(link, platform.clock(), linkController.codec()),
          timeDate(lines, platform.clock(), worldTime),
          cpuInfo(
              lines, messages, [this] { return SensorSettings::load(ini); }, platform.clock(),
              platform.cpuTimes(), platform.memoryStatus(),
              [&platform](const QString& config) { return platform.openSensors(config); }),
          ipHelper(messages, platform.interfaceTable()),
          networkInfo(lines, messages, platform.internet(), ipHelper, platform.hostLookup()),
          player(
              lines, link, [this] { return WinAmpSettings::load(ini); }, platform.mediaPlayer()),
          weather(lines, messages, weatherSettings, webSettings, web),
          stock(lines, messages, stockSettings, webSettings, web),
          mail(
              lines, messages, [this] { return MailSettings::load(ini); }, platform.openMailbox()),
          scheduler(modes(), link, lines, writer, platform.clock(), platform.internet(), messages)
    {
        // New lines end a run of failed refreshes: the next failure is said.
        QObject::connect(&lines, &ScreenLines::lineChanged, &messages, &Messages::refreshPassed);
        QObject::connect(&scheduler, &DisplayScheduler::ticking, &backlight,
                         &ScheduledBacklight::check);
        // The menu's choice of outputs is kept.
        QObject::connect(&linkController, &LinkController::outputsChanged, [this] {
            OutputSettings s = OutputSettings::load(ini);
            s.outputs = linkController.outputs();
            s.saveOutput(ini);
        });
        QObject::connect(&linkController, &LinkController::charactersChosen, [this] {
            OutputSettings s;
            s.characters = linkController.characters();
            s.saveCharacters(ini);
        });
    }

    ~Parts()
    {
        // The port closes before the screens and the scheduler go.
        link.closePort();
    }

    // A display mode: one row of the table of modes (Modes, below the parts).
    struct ModeRow
    {
        const char* name;    // short and stable: brellixctl, the bus, --help
        const char* caption; // the option button's
        DisplayScheduler::Refresh (*screen)(Parts& parts);
        // Reads the settings the screen keeps for the run, at start-up; null
        // for none (or a section the screen reads at each switch itself).
        void (*loadSettings)(Parts& parts) = nullptr;
        // objectName of the dialog of its settings, in the window's table of
        // dialogs; null for none.
        const char* dialog = nullptr;
    };
    static const ModeRow Modes[];
    // The table bound to these parts, for the scheduler.
    std::vector<DisplayScheduler::Mode> modes();
    // A row's screen: member screen of the parts, shown by routine.
    template <auto screen, auto routine> static DisplayScheduler::Refresh shown(Parts& parts)
    {
        return {&(parts.*screen), routine};
    }
    // A row's settings owner: member settings of the parts, read by its load().
    template <auto settings> static void kept(Parts& parts)
    {
        auto& owner = parts.*settings;
        owner = std::decay_t<decltype(owner)>::load(parts.ini);
    }

    Platform& platform;
    modINI ini;
    Messages messages;
    LcdLink link;
    // LCDd's network part is made when LCDd is first an output (and its
    // module loaded then).
    LinkController linkController{link, {.lcdd = [this] { return platform.openLcddConnection(); }}};
    // --lcdd's server and whether the module stays an output beside it.
    std::optional<OutputSettings> lcddForRun;
    bool keepSerialForRun = false;
    std::optional<Characters> charactersForRun; // --characters
    ScreenLines lines{linkController.codec()};
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
    TopicValues topicValues;

    // What the own screens' values are read from, and the screens (modes
    // after the table's, made from the settings).
    OwnValueSources ownSources{.clock = platform.clock(),
                               .worldTime = worldTime,
                               .cpuTimes = platform.cpuTimes(),
                               .memory = platform.memoryStatus(),
                               .cpuInfo = cpuInfo,
                               .messages = messages,
                               .internet = platform.internet(),
                               .ipHelper = ipHelper,
                               .host = platform.hostLookup(),
                               .player = platform.mediaPlayer(),
                               .playerSettings = [this] { return WinAmpSettings::load(ini); },
                               .weather = weather,
                               .weatherSettings = weatherSettings,
                               .stock = stock,
                               .stockSettings = stockSettings,
                               .mail = mail,
                               .topics = topicValues};
    std::vector<std::unique_ptr<OwnScreen>> ownScreens;

    DisplayScheduler scheduler;
    Rotation rotation{scheduler, ini};
    ScheduledBacklight backlight{linkController, platform.clock()};
    BulletinBoard board{lines, writer, link, linkController, scheduler};
    ControlGate remote{board, scheduler, rotation, linkController, lines};
};

// The display modes, in mode order: a mode's number is its row. Everything
// that lists modes reads this table through the scheduler (the window's
// buttons, the bus, brellixctl) or builtInModes() (--help).
const AppContext::Parts::ModeRow AppContext::Parts::Modes[] = {
    {"clock", "Large Characters Clock", &shown<&Parts::largeClock, &LargeClock::ShowLargeClock>},
    {"time", "Time And Date", &shown<&Parts::timeDate, &TimeDateScreen::ShowTimeDate>,
     &kept<&Parts::worldTime>, "frmWorldTime"},
    {"cpu", "CPU Info", &shown<&Parts::cpuInfo, &CpuInfoScreen::ShowCpuInfo>},
    {"network", "Network Info", &shown<&Parts::networkInfo, &NetworkInfoScreen::ShowNetworkInfo>},
    {"player", "WinAmp Plugin", &shown<&Parts::player, &WinAmpScreen::ShowWinAmp>},
    {"weather", "Weather Station", &shown<&Parts::weather, &WeatherScreen::ShowWeather>,
     &kept<&Parts::weatherSettings>, "frmWeather"},
    {"stock", "Stock Quote", &shown<&Parts::stock, &StockScreen::ShowStock>,
     &kept<&Parts::stockSettings>, "frmStock"},
    {"mail", "POP Email", &shown<&Parts::mail, &EmailScreen::ShowEmail>, nullptr, "frmMail"},
};

std::vector<DisplayScheduler::Mode> AppContext::Parts::modes()
{
    std::vector<DisplayScheduler::Mode> bound;
    for (const ModeRow& row : Modes)
        bound.emplace_back(QString::fromLatin1(row.name), QString::fromLatin1(row.caption),
                           row.screen(*this), QString::fromLatin1(row.dialog));
    return bound;
}

QList<AppContext::ModeName> AppContext::builtInModes()
{
    QList<ModeName> names;
    for (const Parts::ModeRow& row : Parts::Modes)
        names.append({QString::fromLatin1(row.name), QString::fromLatin1(row.caption)});
    return names;
}

AppContext::AppContext(const QString& iniPath, Platform& platform)
    : m_parts(std::make_unique<Parts>(iniPath, platform))
{
}

AppContext::~AppContext() = default;

void AppContext::loadSettings()
{
    for (const Parts::ModeRow& row : Parts::Modes) {
        if (row.loadSettings)
            row.loadSettings(*m_parts);
    }
    m_parts->webSettings = WebSettings::load(m_parts->ini);
    loadOwnScreens();
    m_parts->rotation.configure(RotationSettings::load(m_parts->ini));
    m_parts->backlight.configure(BacklightSchedule::load(m_parts->ini));
    OutputSettings outputs = OutputSettings::load(m_parts->ini);
    if (const auto& run = m_parts->lcddForRun) {
        outputs.host = run->host;
        outputs.port = run->port;
        outputs.outputs = QStringList{QLatin1String(LcddOutput::Key)};
        if (m_parts->keepSerialForRun)
            outputs.outputs.prepend(QLatin1String(SerialOutput::Key));
    }
    if (m_parts->charactersForRun)
        outputs.characters = *m_parts->charactersForRun;
    m_parts->linkController.configureOutputs(outputs);
}

void AppContext::useCharactersForRun(Characters characters)
{
    m_parts->charactersForRun = characters;
}

void AppContext::loadOwnScreens()
{
    Parts& p = *m_parts;
    const QList<ModeName> builtIn = builtInModes();
    DisplayScheduler& scheduler = p.scheduler;
    const int shown = scheduler.selectedMode();
    const QString shownName = shown >= 0 ? scheduler.modes()[std::size_t(shown)].name : QString();

    std::vector<std::unique_ptr<OwnScreen>> screens;
    std::vector<DisplayScheduler::Mode> rows;
    for (OwnScreenSettings& s : OwnScreenSettings::loadAll(p.ini)) {
        const bool taken = std::any_of(builtIn.cbegin(), builtIn.cend(), [&s](const ModeName& m) {
            return s.name.compare(m.name, Qt::CaseInsensitive) == 0;
        });
        if (taken) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: [%2] is not used: a built-in mode has that name")
                       .arg(p.ini.path(), OwnScreenSettings::sectionOf(s.name));
            continue;
        }
        const QString name = s.name;
        OwnScreen* screen = screens
                                .emplace_back(std::make_unique<OwnScreen>(std::move(s), p.lines,
                                                                          p.link, p.ownSources))
                                .get();
        rows.emplace_back(name, name, DisplayScheduler::Refresh(screen, &OwnScreen::ShowOwnScreen))
            .savedByName = true;
    }
    // The rows go before the screens they name.
    scheduler.replaceModes(int(builtIn.size()), std::move(rows));
    p.ownScreens = std::move(screens);
    QStringList topics;
    for (const auto& screen : p.ownScreens) {
        for (const ScreenTemplate& line : screen->templates()) {
            for (const ScreenTemplate::Part& part : line.parts()) {
                if (part.name == u"mqtt")
                    topics << TopicValues::topicOf(part.arg);
            }
        }
    }
    p.topicValues.setTopics(std::move(topics));
    if (shown >= int(builtIn.size()) && scheduler.selectedMode() < 0) {
        const int again = scheduler.modeNamed(shownName);
        scheduler.selectMode(again >= 0 ? again : scheduler.modeNamed(QStringLiteral("time")));
    }
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
Rotation& AppContext::rotation()
{
    return m_parts->rotation;
}
TopicValues& AppContext::topicValues()
{
    return m_parts->topicValues;
}

RemoteControl& AppContext::remote()
{
    return m_parts->remote;
}
const Clock& AppContext::clock() const
{
    return m_parts->platform.clock();
}
