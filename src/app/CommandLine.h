#pragma once

#include <QString>
#include <QStringList>

// Options shared by brellix and brellixd.
struct CommandLine
{
    QString configPath;    // --config FILE
    bool simulate = false; // --simulate: COM1 is a built-in simulated module
    bool systray = false;  // -systray: start straight into the tray (autostart)

    enum class Outcome { Run, ExitOk, UsageError };
    // Parses argv; for ExitOk and UsageError, *text holds what to print
    // (help or version to stdout, the error and usage to stderr).
    static Outcome parse(const QStringList& arguments, const QString& description, CommandLine* out,
                         QString* text);
};
