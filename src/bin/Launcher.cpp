#include "bin/Launcher.h"

#include "app/AppContext.h"
#include "app/DisplayScheduler.h"
#include "app/Lifecycle.h"
#include "app/Messages.h"
#include "app/MqttBridge.h"
#include "lcd/LinkController.h"
#include "platform/ResumeWatch.h"
#include "platform/ShutdownSignals.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxShutdownSignals.h"
#include "platform/linux/LoadedMqttTransport.h"
#include "platform/linux/SessionBusService.h"
#include "platform/modINI.h"
#include "sim/PtyLcdModule.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSysInfo>
#include <QTextStream>

#include <csignal>

namespace {
// Before main: a SIGTERM in the first milliseconds of the program waits in
// the signal pipe instead of ending it unsaved.
[[maybe_unused]] const bool g_signalsInstalled = [] {
    LinuxShutdownSignals::installEarly();
    return true;
}();

const char* description(Launcher::Program program)
{
    return program == Launcher::Program::Desktop
               ? "Brellix: keeps a 20x4 serial LCD module filled."
               : "Brellix headless runner: keeps a 20x4 serial LCD module filled, without a "
                 "window.";
}
} // namespace

std::optional<int> Launcher::earlyExit(int argc, char* argv[], Program program,
                                       CommandLine* options)
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    QString text;
    const CommandLine::Outcome outcome =
        CommandLine::parse(CommandLine::withoutQtOptions(raw),
                           QString::fromLatin1(description(program)), options, &text);
    if (outcome == CommandLine::Outcome::Run)
        return std::nullopt;
    // The help text names the program through the application object.
    const QCoreApplication core(argc, argv);
    CommandLine::parse(CommandLine::withoutQtOptions(QCoreApplication::arguments()),
                       QString::fromLatin1(description(program)), options, &text);
    const bool ok = outcome == CommandLine::Outcome::ExitOk;
    QTextStream(ok ? stdout : stderr) << text;
    return ok ? 0 : 2;
}

Launcher::Launcher(const CommandLine& options) : m_platform(createLinuxPlatform())
{
    QLoggingCategory::setFilterRules(QStringLiteral("brellix.*.debug=false"));
    if (options.simulate) {
        m_simulator = std::make_unique<PtyLcdModule>();
        if (!m_simulator->open(&m_simulatorError))
            m_simulator.reset();
    }
    m_context = std::make_unique<AppContext>(modINI::locate(options.configPath), *m_platform);
    AppContext& context = *m_context;
    m_lifecycle =
        std::make_unique<Lifecycle>(context.ini(), context.messages(), context.linkController(),
                                    context.scheduler(), [&context] { context.loadSettings(); });
    if (m_simulator)
        m_lifecycle->overridePort(1, m_simulator->slavePath());
    else if (!options.port.isEmpty())
        m_lifecycle->overridePort(0, options.port, options.savePort);
    // Judged by the command line already.
    if (options.lcdd)
        context.useLcddForRun(options.lcddServer, m_simulator || !options.port.isEmpty());
    if (options.characters)
        context.useCharactersForRun(*options.characters);
    if (m_simulator) {
        // The simulated module has the ROM the user says the module has.
        LinkController& link = context.linkController();
        QObject::connect(
            &link, &LinkController::charactersChanged, m_simulator.get(),
            [&link, sim = m_simulator.get()] { sim->module().setCharacters(link.characters()); });
    }
}

Launcher::~Launcher() = default;

int Launcher::run()
{
    Lifecycle& lifecycle = *m_lifecycle;
    QObject::connect(
        &lifecycle, &Lifecycle::finished, QCoreApplication::instance(),
        [&lifecycle] { QCoreApplication::exit(lifecycle.exitCode()); }, Qt::QueuedConnection);
    LinkController& link = m_context->linkController();
    m_signals = m_platform->watchShutdownSignals([&lifecycle, &link](int signal) {
        // SIGUSR1: the module was power-cycled behind Brellix's back.
        if (signal == SIGUSR1)
            link.reinitialise();
        else
            lifecycle.requestQuit();
    });
    m_resume = m_platform->watchResume([&link] { link.reinitialise(); });
    m_remote = publishOnSessionBus(m_context->remote());
    // Nothing of MQTT is loaded unless a broker is set.
    MqttSettings mqtt = MqttSettings::load(m_context->ini(), QSysInfo::machineHostName());
    if (mqtt.enabled()) {
        m_mqtt = std::make_unique<MqttBridge>(m_context->remote(), deferredMqttTransport(),
                                              std::move(mqtt), &m_context->topicValues());
        m_mqtt->start();
    }
    lifecycle.start();
    const int code = QCoreApplication::exec();
    m_mqtt.reset();
    m_remote.reset();
    m_resume.reset();
    m_signals.reset();
    return code;
}
