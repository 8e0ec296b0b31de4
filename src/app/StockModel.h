#pragma once

#include <QString>

class MessageSink;
class modINI;
struct StockSettings;

// The logic of the Stock dialog: what it opens on and what "OK" stores.
class StockModel
{
public:
    struct Choice
    {
        QString symbol;
        QString update; // the interval field's text, in minutes
    };
    static constexpr int MaxLength = 20;

    // inUse: the symbol and interval the stock screen uses.
    StockModel(modINI& ini, StockSettings& inUse, MessageSink& messages)
        : m_ini(ini), m_inUse(inUse), m_messages(messages)
    {
    }

    Choice load() const;
    // Warns ("Stock Symbol Not Entered", an unusable interval) and stores
    // nothing, or writes Symbol and Update and hands them to the screen.
    // True when the dialog may close.
    bool confirm(const Choice& choice);

private:
    modINI& m_ini;
    StockSettings& m_inUse;
    MessageSink& m_messages;
};
