#pragma once

#include <QString>

class modINI;

// The media player mode's choices in brellix.ini:
//
//   [WinAmp]
//   Player  = bus name suffix of the MPRIS player to show ("vlc" for
//             org.mpris.MediaPlayer2.vlc, also its .instanceN names);
//             default empty: the one playing, else paused, else the first
//   Command = the player to start when the mode is chosen and that player
//             is not on the bus, as a command line (quoted like a desktop
//             Exec line, run without a shell); default empty: start nothing
struct WinAmpSettings
{
    static constexpr const char* Section = "WinAmp";
    static constexpr const char* PlayerKey = "Player";
    static constexpr const char* CommandKey = "Command";

    QString player;
    QString command;

    static WinAmpSettings load(const modINI& ini);
    // A bus name suffix: dot-separated elements of A-Z a-z 0-9 _ -.
    static bool isPlayerName(const QString& suffix);
};
