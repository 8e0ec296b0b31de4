#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class MessageSink;
class modINI;
struct StockSettings;
struct WeatherSettings;

// The logic of a dialog that sets what a web mode asks for and how often
// (Weather, Stock): what it opens on, and what "OK" refuses or stores.
class IntervalModel
{
public:
    // One text field: its value in the settings in use, its longest text and
    // the warning when it is left empty.
    struct Field
    {
        QString* inUse;
        int maxLength;
        QString notEntered;
    };
    struct Choice
    {
        QStringList texts; // one per field
        QString update;    // the interval field's text, in minutes
    };

    // City (30) and country (30) of the weather screen.
    static IntervalModel weather(modINI& ini, WeatherSettings& inUse, MessageSink& messages);
    // Symbol (20) of the stock screen.
    static IntervalModel stock(modINI& ini, StockSettings& inUse, MessageSink& messages);

    const std::vector<Field>& fields() const { return m_fields; }
    Choice load() const;
    // Warns (the first empty field's warning, else an unusable interval) and
    // stores nothing, or hands the values to the screen and saves its
    // section. True when the dialog may close.
    bool confirm(const Choice& choice);

private:
    IntervalModel(std::vector<Field> fields, int& inUseSeconds, std::function<void()> save,
                  MessageSink& messages)
        : m_fields(std::move(fields)), m_seconds(inUseSeconds), m_save(std::move(save)),
          m_messages(messages)
    {
    }

    std::vector<Field> m_fields;
    int& m_seconds;
    std::function<void()> m_save;
    MessageSink& m_messages;
};
