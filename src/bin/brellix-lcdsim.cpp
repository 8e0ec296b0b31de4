// brellix-lcdsim: a simulated 20x4 module on a pseudo-terminal. The first line
// of standard output is the port to give Brellix; the screen follows below.

#include "codec/Characters.h"
#include "sim/PtyLcdModule.h"
#include "sim/TerminalView.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // SIGINT and SIGTERM arrive through a signalfd instead of a handler, so
    // shutdown runs as ordinary event-loop work. Blocked before Qt starts any
    // thread, so every thread inherits the mask.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    sigprocmask(SIG_BLOCK, &mask, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brellix-lcdsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRELLIX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated 20x4 LCD module on a pseudo-terminal. Prints the port path on the first "
        "line, then the screen on every change."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Do not answer the detection query."));
    const QCommandLineOption reply(QStringLiteral("reply"),
                                   QStringLiteral("Answer the detection query with these bytes "
                                                  "(hex, e.g. 45) instead of 65."),
                                   QStringLiteral("hex"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Print only the port path, never the screen."));
    const QCommandLineOption characters(
        QStringLiteral("characters"),
        QStringLiteral("The module's character ROM: %1 (default ascii).")
            .arg(CharacterSets::names()),
        QStringLiteral("NAME"), QStringLiteral("ascii"));
    parser.addOptions({silent, reply, quiet, characters});
    parser.process(app);

    QTextStream err(stderr);
    const std::optional<Characters> rom = CharacterSets::parse(parser.value(characters));
    if (!rom) {
        err << "brellix-lcdsim: --characters takes one of " << CharacterSets::names() << '\n';
        return 2;
    }
    QByteArray detection("\x65");
    if (parser.isSet(reply)) {
        const QString hex = parser.value(reply);
        const QRegularExpression hexBytes(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        if (parser.isSet(silent) || !hexBytes.match(hex).hasMatch()) {
            err << "brellix-lcdsim: --reply takes pairs of hex digits and excludes --silent\n";
            return 2;
        }
        detection = QByteArray::fromHex(hex.toLatin1());
    }
    if (parser.isSet(silent))
        detection.clear();

    const int signalFd = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0) {
        err << "brellix-lcdsim: signalfd failed\n";
        return 1;
    }
    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [signalFd] {
        signalfd_siginfo info;
        while (read(signalFd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::exit(0);
    });

    PtyLcdModule module;
    module.setDetectionReply(detection);
    module.module().setCharacters(*rom);
    QString error;
    if (!module.open(&error)) {
        err << "brellix-lcdsim: " << error << '\n';
        return 1;
    }

    QTextStream out(stdout);
    out << module.slavePath() << '\n';
    out.flush();

    TerminalView view(module.module(), out, TerminalView::modeFor(stdout));
    if (!parser.isSet(quiet)) {
        view.redraw();
        QObject::connect(&module, &PtyLcdModule::screenChanged, &view,
                         &TerminalView::scheduleRedraw);
    }

    const int status = QCoreApplication::exec();
    // A change still waiting out the rate limit is the last screen: show it.
    view.finishPending();
    close(signalFd);
    return status;
}
