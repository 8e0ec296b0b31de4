#pragma once

#include "app/CommandLine.h"

#include <memory>
#include <optional>

class AppContext;
class BusPublication;
class Lifecycle;
class MqttBridge;
class Platform;
class PtyLcdModule;
class ResumeWatch;
class ShutdownSignals;

// The start-up path brellix and brellixd share: the command line, the
// platform, the application context and the lifecycle wired to it, the
// simulated module of --simulate, the shutdown signals, the session bus
// interface, MQTT and the run of the event loop. Each program adds only its views.
class Launcher
{
public:
    enum class Program { Desktop, Headless };

    // Judges the command line before the program's application object
    // exists, so --help, --version and usage errors answer without a
    // display. An exit code when the program ends here.
    static std::optional<int> earlyExit(int argc, char* argv[], Program program,
                                        CommandLine* options);

    // Needs the application object. Starts the simulated module for
    // --simulate; check simulatorError().
    explicit Launcher(const CommandLine& options);
    ~Launcher();

    AppContext& context() { return *m_context; }
    Lifecycle& lifecycle() { return *m_lifecycle; }
    PtyLcdModule* simulator() { return m_simulator.get(); }
    QString simulatorError() const { return m_simulatorError; }

    // Starts the lifecycle and runs the event loop until it has ended.
    int run();

private:
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<PtyLcdModule> m_simulator;
    QString m_simulatorError;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<Lifecycle> m_lifecycle;
    std::unique_ptr<ShutdownSignals> m_signals;
    std::unique_ptr<ResumeWatch> m_resume;
    std::unique_ptr<BusPublication> m_remote; // the session bus interface, when there is one
    std::unique_ptr<MqttBridge> m_mqtt;       // Brellix on an MQTT broker, when one is set
};
