#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class modWebservices;
struct WebSettings;

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

// Where the quote comes from: builds the request for a symbol and turns the
// answer into a quote. One class per source.
class StockSource
{
public:
    // Nothing: no quote could be read (the screen then keeps its lines).
    using Done = std::function<void(std::optional<StockQuote>)>;

    virtual ~StockSource() = default;
    // Asks for the quote of a symbol; done runs once unless cancel() comes first.
    virtual void fetch(const QString& symbol, Done done) = 0;
    virtual void cancel() = 0;

    // The source [Stock] Source names, reading its addresses from web.
    static std::unique_ptr<StockSource> create(const WebSettings& web, modWebservices& client);
};
