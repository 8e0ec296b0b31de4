// brellix: the desktop program with its window.
#include "app/AppContext.h"
#include "app/views/frmMain.h"
#include "bin/Launcher.h"
#include "platform/modINI.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    CommandLine options;
    if (const auto code = Launcher::earlyExit(argc, argv, Launcher::Program::Desktop, &options))
        return *code;

    QApplication app(argc, argv);
    // The menu entry, so a Wayland desktop shows the window with its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("brellix"));
    // The lifecycle ends the program, also while the window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    Launcher launcher(options);
    if (options.simulate && !launcher.simulator()) {
        QTextStream(stderr) << "brellix: cannot start the simulated module: "
                            << launcher.simulatorError() << "\n";
        return 1;
    }
    AppContext& context = launcher.context();
    frmMain window(context.scheduler(), context.linkController(), context.lines(),
                   context.messages(), launcher.lifecycle(), frmMain::DialogParts::of(context),
                   // Run at login reads the same file; absolute, as login starts elsewhere.
                   options.configPath.isEmpty()
                       ? QString()
                       : QFileInfo(context.ini().path()).absoluteFilePath());
    if (options.systray)
        window.minimise();
    else
        window.showAfterStartup();
    return launcher.run();
}
