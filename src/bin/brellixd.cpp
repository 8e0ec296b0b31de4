// brellixd: Brellix without a window, for servers and sessions without a
// desktop. Status texts and messages go to standard error.
#include "app/CommandLine.h"
#include "app/MainController.h"
#include "platform/Clock.h"
#include "platform/linux/SignalWatcher.h"
#include "platform/modINI.h"
#include "sim/PtyLcdModule.h"
#include "sim/TerminalView.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("brellix.*.debug=false"));
    CommandLine options;
    QString text;
    switch (CommandLine::parse(app.arguments(),
                               QStringLiteral("Brellix headless runner: keeps a 20x4 serial LCD "
                                              "module filled, without a window."),
                               &options, &text)) {
    case CommandLine::Outcome::ExitOk:
        QTextStream(stdout) << text;
        return 0;
    case CommandLine::Outcome::UsageError:
        QTextStream(stderr) << text;
        return 2;
    case CommandLine::Outcome::Run:
        break;
    }

    SystemClock clock;
    MainController controller(modINI::locate(options.configPath), clock);
    QObject::connect(&controller, &MainController::statusTextChanged,
                     [](const QString& t) { QTextStream(stderr) << "Status: " << t << Qt::endl; });
    QObject::connect(&controller, &MainController::messageShown, [](const QString& t, MessageIcon) {
        QTextStream(stderr) << "Message: " << t << Qt::endl;
    });

    std::unique_ptr<PtyLcdModule> sim;
    QTextStream screenOut(stdout);
    std::unique_ptr<TerminalView> view;
    if (options.simulate) {
        sim = std::make_unique<PtyLcdModule>();
        QString error;
        if (!sim->open(&error)) {
            QTextStream(stderr) << "brellixd: cannot start the simulated module: " << error
                                << Qt::endl;
            return 1;
        }
        controller.overridePort(1, sim->slavePath());
        view =
            std::make_unique<TerminalView>(sim->module(), screenOut, TerminalView::modeFor(stdout));
        QObject::connect(sim.get(), &PtyLcdModule::screenChanged, view.get(),
                         &TerminalView::scheduleRedraw);
    }

    // SIGTERM and SIGINT are the window closing: save and leave with 0.
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, [&](int) {
        controller.shutdown();
        if (view)
            view->finishPending();
        app.quit();
    });

    // A fatal condition ("OpenQuery failed") ends the run in order too.
    QObject::connect(&controller, &MainController::quitRequested, &app, [&] {
        controller.shutdown();
        app.quit();
    });

    controller.startup();
    return app.exec();
}
