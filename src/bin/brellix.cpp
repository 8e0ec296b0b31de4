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
#include <QTextStream>
#include <memory>

namespace {
const char* const Description = "Brellix: keeps a 20x4 serial LCD module filled.";
} // namespace

int main(int argc, char* argv[])
{
    CommandLine options;
    QString text;
    {
        // --help and --version must answer without a display (over ssh, in a
        // script), and the GUI application aborts without one: recognise them
        // first, then answer under a core application object. Anything else
        // goes to the GUI application, which also takes Qt's own options.
        QStringList raw;
        for (int i = 0; i < argc; ++i)
            raw << QString::fromLocal8Bit(argv[i]);
        if (CommandLine::parse(raw, QString::fromLatin1(Description), &options, &text) ==
            CommandLine::Outcome::ExitOk) {
            const QCoreApplication core(argc, argv);
            CommandLine::parse(QCoreApplication::arguments(), QString::fromLatin1(Description),
                               &options, &text);
            QTextStream(stdout) << text;
            return 0;
        }
    }

    QApplication app(argc, argv);
    switch (CommandLine::parse(app.arguments(), QString::fromLatin1(Description), &options,
                               &text)) {
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
