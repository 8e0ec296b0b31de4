#include "app/CommandLine.h"

#include "app/AppContext.h"
#include "app/PortChooser.h"
#include "lcd/OutputSettings.h"
#include "platform/PathCheck.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {
// The display modes of the table, for --help: number, short name, caption.
QString modesText()
{
    const QList<AppContext::ModeName> modes = AppContext::builtInModes();
    qsizetype width = 0;
    for (const AppContext::ModeName& mode : modes)
        width = std::max(width, mode.name.size());
    QString text = QStringLiteral("\nDisplay modes (number, name, caption):\n");
    for (qsizetype i = 0; i < modes.size(); ++i)
        text += QStringLiteral("  %1  %2  %3\n")
                    .arg(i)
                    .arg(modes[i].name.leftJustified(width), modes[i].caption);
    // They are not read for the help: the file may not be the one in use.
    text += QStringLiteral("Own screens, the settings file's [Screen NAME] sections, follow from "
                           "%1 on, named and captioned NAME.\n")
                .arg(modes.size());
    return text;
}
} // namespace

CommandLine::Outcome CommandLine::parse(const QStringList& arguments, const QString& description,
                                        CommandLine* out, QString* text)
{
    QCommandLineParser parser;
    // "-systray" is what the autostart entry passes, so single-dash words
    // are long options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("Use FILE as the settings file."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Attach a built-in simulated LCD module as COM1 for this run."));
    const QCommandLineOption systray(
        QStringLiteral("systray"),
        QStringLiteral("Start with the window minimised; the autostart entry passes it as "
                       "-systray. brellixd has no window and ignores it."));
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("List the serial devices of this computer (stable by-id names first) and "
                       "exit."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Use DEVICE for the module in this run (the settings file keeps its "
                       "port unless --save is given)."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption save(
        QStringLiteral("save"),
        QStringLiteral("With --port: keep DEVICE as the current COM number's device in the "
                       "settings file, as the Ports dialog does."));
    const QCommandLineOption lcdd(
        QStringLiteral("lcdd"),
        QStringLiteral("Show the screens through LCDd (LCDproc's display server) at "
                       "HOST[:PORT] for this run, default [LCDd] Host and Port of the settings "
                       "(127.0.0.1:13666); with --simulate or --port, beside the module."),
        QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption characters(
        QStringLiteral("characters"),
        QStringLiteral("The module's character ROM for this run: %1 (default [Display] "
                       "Characters).")
            .arg(CharacterSets::names()),
        QStringLiteral("NAME"));
    parser.addOptions(
        {help, version, config, simulate, systray, listPorts, port, save, lcdd, characters});

    // --lcdd takes its value only when one follows that is no option.
    QStringList args;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (i > 0 && (a == QLatin1String("--lcdd") || a == QLatin1String("-lcdd"))) {
            const bool valued =
                i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-'));
            args << QStringLiteral("--lcdd=") + (valued ? arguments[++i] : QString());
        } else {
            args << a;
        }
    }

    const QString program = arguments.isEmpty() ? QStringLiteral("brellix") : arguments.first();
    if (!parser.parse(args)) {
        *text = program + QStringLiteral(": ") + parser.errorText() + QStringLiteral("\n") +
                parser.helpText();
        return Outcome::UsageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *text = program + QStringLiteral(": unexpected argument '") +
                parser.positionalArguments().first() + QStringLiteral("'\n") + parser.helpText();
        return Outcome::UsageError;
    }
    if (parser.isSet(help)) {
        *text = parser.helpText() + modesText();
        return Outcome::ExitOk;
    }
    if (parser.isSet(version)) {
        *text = QStringLiteral("%1 %2\n").arg(program.section(QLatin1Char('/'), -1),
                                              QStringLiteral(BRELLIX_VERSION));
        return Outcome::ExitOk;
    }
    if (parser.isSet(config) && parser.value(config).isEmpty()) {
        *text = program + QStringLiteral(": --config needs a file name\n") + parser.helpText();
        return Outcome::UsageError;
    }
    if (hasControlCharacters(parser.value(config))) {
        *text = program + QStringLiteral(": --config: a file name without control characters, "
                                         "please\n");
        return Outcome::UsageError;
    }
    if (parser.isSet(listPorts)) {
        const QList<PortChooser::Device> devices =
            PortChooser::ordered(PortChooser::systemDevices());
        *text = devices.isEmpty() ? QStringLiteral("No serial devices found.\n") : QString();
        for (const PortChooser::Device& d : devices) {
            const QString label = PortChooser::label(d);
            *text += d.stablePath() +
                     (label == d.stablePath() ? QString() : QStringLiteral("  ") + label) +
                     QStringLiteral("\n");
        }
        return Outcome::ExitOk;
    }
    if (parser.isSet(port) &&
        (parser.value(port).isEmpty() || hasControlCharacters(parser.value(port)))) {
        *text = program + QStringLiteral(": --port needs a device name\n") + parser.helpText();
        return Outcome::UsageError;
    }
    if (parser.isSet(save) && !parser.isSet(port)) {
        *text = program + QStringLiteral(": --save goes with --port\n") + parser.helpText();
        return Outcome::UsageError;
    }
    if (parser.isSet(lcdd) && !OutputSettings().setServer(parser.value(lcdd))) {
        *text = program + QStringLiteral(": --lcdd needs HOST, HOST:PORT or [IPv6]:PORT\n") +
                parser.helpText();
        return Outcome::UsageError;
    }
    if (parser.isSet(characters)) {
        out->characters = CharacterSets::parse(parser.value(characters));
        if (!out->characters) {
            *text = program +
                    QStringLiteral(": --characters takes one of %1\n").arg(CharacterSets::names()) +
                    parser.helpText();
            return Outcome::UsageError;
        }
    }
    out->lcdd = parser.isSet(lcdd);
    out->lcddServer = parser.value(lcdd);
    out->port = parser.value(port);
    out->savePort = parser.isSet(save);
    out->configPath = parser.value(config);
    out->simulate = parser.isSet(simulate);
    out->systray = parser.isSet(systray);
    return Outcome::Run;
}

QStringList CommandLine::withoutQtOptions(const QStringList& args)
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
