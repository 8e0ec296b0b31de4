// brellix: the desktop program with its window and tray.
#include "app/CommandLine.h"
#include "app/MainController.h"
#include "app/views/ModulePanel.h"
#include "app/views/frmMain.h"
#include "platform/Clock.h"
#include "platform/linux/SignalWatcher.h"
#include "platform/modINI.h"
#include "sim/PtyLcdModule.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTextStream>
#include <memory>

namespace {
const char* const Description = "Brellix: keeps a 20x4 serial LCD module filled.";

// The options QApplication takes for itself, with and without a value.
QStringList withoutQtOptions(const QStringList& args)
{
    static const QStringList withValue = {
        "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
        "style",       "stylesheet",         "name",          "title",   "qmljsdebugger"};
    static const QStringList flags = {"reverse", "widgetcount", "nograb",
                                      "dograb",  "sync",        "testability"};
    QStringList out;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        if (i == 0 || !name.startsWith(QLatin1Char('-'))) {
            out << args[i];
            continue;
        }
        name.remove(0, name.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString bare = name.section(QLatin1Char('='), 0, 0);
        if (withValue.contains(bare)) {
            if (!name.contains(QLatin1Char('=')))
                ++i; // its value follows
            continue;
        }
        if (flags.contains(bare))
            continue;
        out << args[i];
    }
    return out;
}
} // namespace

int main(int argc, char* argv[])
{
    CommandLine options;
    QString text;
    {
        // --help, --version and usage errors must answer without a display
        // (over ssh, in a script), and the GUI application aborts without
        // one: judge the options first, leaving out Qt's own, and answer
        // under a core application object.
        QStringList raw;
        for (int i = 0; i < argc; ++i)
            raw << QString::fromLocal8Bit(argv[i]);
        const CommandLine::Outcome early = CommandLine::parse(
            withoutQtOptions(raw), QString::fromLatin1(Description), &options, &text);
        if (early != CommandLine::Outcome::Run) {
            const QCoreApplication core(argc, argv);
            CommandLine::parse(withoutQtOptions(QCoreApplication::arguments()),
                               QString::fromLatin1(Description), &options, &text);
            QTextStream(early == CommandLine::Outcome::ExitOk ? stdout : stderr) << text;
            return early == CommandLine::Outcome::ExitOk ? 0 : 2;
        }
    }

    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("brellix.*.debug=false"));
    switch (
        CommandLine::parse(app.arguments(), QString::fromLatin1(Description), &options, &text)) {
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

    std::unique_ptr<PtyLcdModule> sim;
    if (options.simulate) {
        sim = std::make_unique<PtyLcdModule>();
        QString error;
        if (!sim->open(&error)) {
            QTextStream(stderr) << "brellix: cannot start the simulated module: " << error << "\n";
            return 1;
        }
        controller.overridePort(1, sim->slavePath());
    }

    frmMain window(controller);
    if (sim)
        window.setModulePanel(new ModulePanel(*sim));
    if (options.systray)
        window.showMinimized();
    else
        window.show();
    // A session logout's SIGTERM saves like closing the window.
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &window, &QWidget::close);

    controller.startup();
    return app.exec();
}
