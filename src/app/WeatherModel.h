#pragma once

#include <QString>

class MessageSink;
class modINI;
struct WeatherSettings;

// The logic of the Weather dialog: what it opens on and what "OK" stores.
class WeatherModel
{
public:
    struct Choice
    {
        QString city;
        QString country;
        QString update; // the interval field's text, in minutes
    };
    static constexpr int MaxLength = 30;

    // inUse: the place and interval the weather screen uses.
    WeatherModel(modINI& ini, WeatherSettings& inUse, MessageSink& messages)
        : m_ini(ini), m_inUse(inUse), m_messages(messages)
    {
    }

    Choice load() const;
    // Warns ("City Not Entered", "Country Not Entered", an unusable
    // interval) and stores nothing, or writes City, Country and Update and
    // hands them to the screen. True when the dialog may close.
    bool confirm(const Choice& choice);

private:
    modINI& m_ini;
    WeatherSettings& m_inUse;
    MessageSink& m_messages;
};
