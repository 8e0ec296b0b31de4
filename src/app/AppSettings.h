#pragma once

#include "lcd/LcdLink.h"

#include <QString>

#include <array>

class modINI;

// Sections [Settings], [Mode] and [Ports] of brellix.ini: the link, the
// brightness and the mode. Read at start-up; the mode, the port and the
// brightness are saved at exit, a port's device and the line settings by the
// Ports dialog.
struct AppSettings
{
    static constexpr const char* Section = "Settings";
    static constexpr const char* CommPortKey = "CommPort"; // decimal port number
    static constexpr const char* SettingKey = "Setting";
    static constexpr const char* BacklightKey = "Backlight"; // slider 0..254, 0 = brightest
    // 1: the tray's notice that Brellix runs there was shown once; never again.
    static constexpr const char* TrayHintShownKey = "TrayHintShown";
    static constexpr const char* ModeSection = "Mode";
    // A row of the table of modes, or an own screen's name (its row
    // changes when screens are added or removed before it).
    static constexpr const char* ModeKey = "mode";
    static constexpr const char* PortsSection = "Ports"; // COM1..COM6

    QString CommPortText = QStringLiteral("1");
    QString SerialSettings = LcdLink::DefaultSettings;
    int Backlight = 0;
    int CurrentMode = 0;
    // The mode when [Mode] names it (an own screen); empty for a number.
    QString CurrentModeName;
    bool TrayHintShown = false;
    // The device behind each COM number.
    std::array<QString, LcdLink::PortCount> Ports = defaultPorts();

    static AppSettings load(const modINI& ini);
    // The mode, CommPort and Backlight, in one save.
    bool save(modINI& ini) const;
    // COMn's device and the line settings, in one save.
    static bool savePort(modINI& ini, int comNumber, const QString& device,
                         const QString& serialSettings);

    // TrayHintShown alone, read when the notice is due.
    static bool trayHintShown(const modINI& ini);
    // TrayHintShown=1, at once: the notice is not repeated after a crash.
    static bool saveTrayHintShown(modINI& ini);

private:
    static std::array<QString, LcdLink::PortCount> defaultPorts();
    static QString portKey(int comNumber);
};
