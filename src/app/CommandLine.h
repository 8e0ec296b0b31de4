#pragma once

#include "codec/Characters.h"

#include <QString>
#include <QStringList>

#include <optional>

// Options shared by brellix and brellixd.
struct CommandLine
{
    QString configPath;    // --config FILE
    bool simulate = false; // --simulate: COM1 is a built-in simulated module
    bool systray = false;  // -systray: start with the window minimised (autostart)
    QString port;          // --port DEVICE: the module's device for this run
    bool savePort = false; // --save: ... and from now on, as the Ports dialog keeps it
    bool lcdd = false;     // --lcdd [HOST[:PORT]]: LCDd is the output for this run
    QString lcddServer;    // ... at HOST[:PORT]; empty: [LCDd] Host and Port
    std::optional<Characters> characters; // --characters NAME: the module's ROM for this run

    enum class Outcome { Run, ExitOk, UsageError };
    // Parses argv; for ExitOk and UsageError, *text holds what to print
    // (help or version to stdout, the error and usage to stderr).
    static Outcome parse(const QStringList& arguments, const QString& description, CommandLine* out,
                         QString* text);
    // The arguments without the options QApplication takes for itself
    // (-platform xcb, -style=fusion, ...), so the two programs judge the
    // same command line alike.
    static QStringList withoutQtOptions(const QStringList& arguments);
};
