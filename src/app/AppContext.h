#pragma once

#include "codec/Characters.h"

#include <QList>
#include <QString>

#include <memory>

class Clock;
class DisplayScheduler;
class LcdLink;
class LinkController;
class Messages;
class Platform;
class RemoteControl;
class Rotation;
class ScreenLines;
class TopicValues;
class WorldTimeSettings;
class modINI;
struct StockSettings;
struct WeatherSettings;
struct WebSettings;

// The whole program without its views and its lifecycle, built once by each
// program's launcher: the settings file, the link and its controller, the
// screen lines and their writer, every screen in the scheduler's table and
// the messages. The launcher hands each part what it needs from here;
// nothing else creates a platform implementation. The screens stay behind
// the implementation, so a screen's header concerns only its own users.
class AppContext
{
public:
    // A display mode as --help lists it.
    struct ModeName
    {
        QString name;
        QString caption;
    };
    // The display modes of the table, in mode order, without building anything.
    static QList<ModeName> builtInModes();

    AppContext(const QString& iniPath, Platform& platform);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    modINI& ini();
    // Reads the sections the screens keep for the run (the table of modes
    // names them: [TimeZone], [Weather], [Stock]) and [Web]; [Rotation] and
    // [Backlight]; and [Display] and [LCDd] for the outputs. The mail, player and sensor screens
    // have theirs read by its owner at each switch.
    void loadSettings();
    // The own screens, [Screen NAME], as modes after the table's (again
    // after the file changed). A shown own screen is shown again when it
    // is still there, else Time And Date.
    void loadOwnScreens();
    // --lcdd: LCDd at server ("HOST[:PORT]", empty for the settings' own)
    // is an output for this run, beside the module only with keepSerial.
    // False when server is not such a text.
    bool useLcddForRun(const QString& server, bool keepSerial);
    // --characters: the module's character ROM for this run, over [Display]
    // Characters (the menu still saves its choice).
    void useCharactersForRun(Characters characters);
    Messages& messages();
    LcdLink& link();
    LinkController& linkController();
    ScreenLines& lines();
    WorldTimeSettings& worldTime();
    // The place and symbol in use; the dialogs replace them.
    WeatherSettings& weather();
    StockSettings& stock();
    DisplayScheduler& scheduler();
    // The modes following each other by themselves ([Rotation]).
    Rotation& rotation();
    // Bulletins and requests of other programs, for the session bus service.
    RemoteControl& remote();
    // The MQTT topics the own screens name, and what came on them.
    TopicValues& topicValues();
    const Clock& clock() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};
