// brellixd: Brellix without a window, for servers and sessions without a
// desktop. Status texts and messages go to standard error.
#include "app/AppContext.h"
#include "app/Lifecycle.h"
#include "app/Messages.h"
#include "bin/Launcher.h"
#include "lcd/LinkController.h"
#include "sim/PtyLcdModule.h"
#include "sim/TerminalView.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <utility>

namespace {
// journald reads a "<level>" prefix on each line of a service's output.
QString levelPrefix(MessageSeverity severity)
{
    if (qEnvironmentVariableIsEmpty("JOURNAL_STREAM"))
        return {};
    switch (severity) {
    case MessageSeverity::Critical:
        return QStringLiteral("<2>");
    case MessageSeverity::Warning:
        return QStringLiteral("<4>");
    case MessageSeverity::Information:
        break;
    }
    return QStringLiteral("<6>");
}
} // namespace

int main(int argc, char* argv[])
{
    CommandLine options;
    if (const auto code = Launcher::earlyExit(argc, argv, Launcher::Program::Headless, &options))
        return *code;

    // Qt's own event loops rather than GLib's: the same timers and socket
    // notifiers for some 0.3 MiB less resident, 0.15 MiB more saved where
    // Qt D-Bus runs its thread; nothing brellixd loads needs a GLib main
    // loop. Qt reads this for each thread's loop, so it stays set: the
    // programs brellixd starts (a password command) inherit it, which only
    // a Qt program notices, and then only in how it waits.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    Launcher launcher(options);
    if (options.simulate && !launcher.simulator()) {
        QTextStream(stderr) << "brellixd: cannot start the simulated module: "
                            << launcher.simulatorError() << Qt::endl;
        return 1;
    }
    AppContext& context = launcher.context();
    // Headless, there is no Ports dialog: say once how to choose a port.
    auto portHint = [told = std::make_shared<bool>(false)] {
        if (!std::exchange(*told, true))
            QTextStream(stderr) << "brellixd: no module found; --list-ports lists the serial "
                                   "devices, --port DEVICE uses one (--save keeps it)"
                                << Qt::endl;
    };
    QObject::connect(&context.linkController(), &LinkController::statusTextChanged,
                     [portHint](const QString& t) {
                         QTextStream(stderr) << "Status: " << t << Qt::endl;
                         if (t.startsWith(LinkController::NotFoundStatus))
                             portHint();
                     });
    QObject::connect(&launcher.lifecycle(), &Lifecycle::startupFinished, [&context, portHint] {
        if (context.linkController().serialOutput() &&
            !context.linkController().statusText().startsWith(LinkController::ConnectedStatus))
            portHint();
    });
    QObject::connect(&context.messages(), &Messages::shown, [](const UserMessage& m) {
        QTextStream(stderr) << levelPrefix(m.severity) << "Message: " << m.text << Qt::endl;
    });

    QTextStream screenOut(stdout);
    std::unique_ptr<TerminalView> view;
    if (PtyLcdModule* sim = launcher.simulator()) {
        view =
            std::make_unique<TerminalView>(sim->module(), screenOut, TerminalView::modeFor(stdout));
        QObject::connect(sim, &PtyLcdModule::screenChanged, view.get(),
                         &TerminalView::scheduleRedraw);
        // The last picture is drawn before the program goes.
        QObject::connect(&launcher.lifecycle(), &Lifecycle::finished, view.get(),
                         &TerminalView::finishPending);
    }
    return launcher.run();
}
