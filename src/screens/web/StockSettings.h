#pragma once

#include <QString>

class modINI;

// The symbol and interval of the "Stock Quote" mode, section [Stock] of
// brellix.ini. Read at start-up; the Stock dialog replaces and saves them
// when confirmed, and the screen uses them from the next refresh on.
struct StockSettings
{
    static constexpr const char* Section = "Stock";
    static constexpr const char* SymbolKey = "Symbol";
    static constexpr const char* UpdateKey = "Update"; // minutes, 1..UpdateMinutes::Max

    QString StockSymbol; // as typed, at most 20 characters
    int StockUpdateSeconds = 300;

    static StockSettings load(const modINI& ini);
    // Symbol and Update, in one save.
    bool save(modINI& ini) const;
};
