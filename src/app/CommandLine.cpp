#include "app/CommandLine.h"

#include <QCommandLineParser>

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
    const QCommandLineOption systray(QStringLiteral("systray"),
                                     QStringLiteral("Start in the tray (used by autostart)."));
    parser.addOptions({help, version, config, simulate, systray});

    const QString program = arguments.isEmpty() ? QStringLiteral("brellix") : arguments.first();
    if (!parser.parse(arguments)) {
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
        *text = parser.helpText();
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
    out->configPath = parser.value(config);
    out->simulate = parser.isSet(simulate);
    out->systray = parser.isSet(systray);
    return Outcome::Run;
}
