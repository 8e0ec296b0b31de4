#pragma once

#include "screens/web/WebSettings.h"
#include "screens/web/WebSource.h"

#include <QString>

#include <memory>

class modWebservices;

// The six values of the stock screen, as text: company name, time of the
// last trade, last price, percentage change, volume, opening price. A value
// the answer lacked is empty.
struct StockQuote
{
    QString name;
    QString time;
    QString last;
    QString change;
    QString volume;
    QString open;
    bool operator==(const StockQuote&) const = default;
};

// Where the quote comes from. No quote: none could be read (the screen then
// keeps its lines).
class StockSource : public WebSource<StockQuote>
{
public:
    using Result = StockQuote;
    using Kind = WebSettings::StockSource;

    // Asks for the quote of a symbol; done runs once unless cancel() comes first.
    virtual void fetch(const QString& symbol, Done done) = 0;

    static Kind kindIn(const WebSettings& web) { return web.stockSource; }
    // The source [Stock] Source names, reading its addresses from web.
    static std::unique_ptr<StockSource> create(const WebSettings& web, modWebservices& client);
};
