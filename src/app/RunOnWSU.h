#pragma once

#include <QString>

// Starting Brellix with the desktop session: an XDG autostart entry,
// ~/.config/autostart/brellixv2.desktop, whose Exec line is the start-up
// command. Errors are logged and otherwise ignored: the check box says what
// the user asked for.
class RunOnWSU
{
public:
    // entryPath: the autostart entry; program: the absolute path of the
    // running brellix; configFile: the settings file named by --config, or
    // empty when none was (the program then finds its own at login too).
    RunOnWSU(QString entryPath, QString program, QString configFile = {});

    // $XDG_CONFIG_HOME/autostart/brellixv2.desktop.
    static QString defaultEntryPath();

    // The Exec value: the program, quoted as desktop entries require when
    // its path holds a space or a reserved character, then --config and the
    // settings file when one was named, then " -systray".
    QString StartupCommand() const;

    bool EnableRunAtStartup() const;
    bool DisableRunAtStartup() const;
    // True when the entry's Exec equals StartupCommand exactly (then the
    // box is ticked, which writes the entry again); false for anything
    // else, which leaves the box as it is.
    bool SyncRunAtStartup() const;

    // One argument of an Exec line, quoted and escaped where needed.
    static QString quoteExecArgument(const QString& argument);

private:
    QString m_entryPath;
    QString m_program;
    QString m_configFile;
};
