#pragma once

#include <QString>

// The symbol and interval of the "Stock Quote" mode. Filled from section
// [Stock] at start-up; the Stock dialog replaces them when confirmed, and the
// screen uses them from the next refresh on.
struct StockSettings
{
    QString StockSymbol; // as typed, at most 20 characters
    int StockUpdateSeconds = 300;
};
