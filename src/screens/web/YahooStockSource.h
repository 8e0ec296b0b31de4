#pragma once

#include "screens/web/StockSource.h"
#include "platform/web/modWebservices.h"

#include <QUrl>

// The Yahoo Finance chart endpoint (unofficial, no account):
// GET YahooChart + symbol + "?range=1d&interval=1d". It refuses some agents
// with 429 or 403, so a refusal is tried once more with a browser's agent.
// A refused or unreadable answer gives no quote.
class YahooStockSource final : public StockSource
{
public:
    static inline const QByteArray BrowserAgent =
        QByteArrayLiteral("Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0");

    YahooStockSource(const WebSettings& web, modWebservices& client) : m_web(web), m_client(client)
    {
    }

    void fetch(const QString& symbol, Done done) override;
    void cancel() override { m_request.reset(); }

    static QUrl RequestUrl(const QString& endpoint, const QString& symbol);
    // Company (longName, else shortName, else the symbol), open, time of the
    // regular market price as h:mm in the exchange's zone, price, volume and
    // the change from the previous close ("+1.23%"). Nothing without a price
    // and its time.
    static std::optional<StockQuote> Parse(const QByteArray& json, const QString& symbol);

private:
    void ask(const QUrl& url, const QString& symbol, const QByteArray& agent, Done done);

    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<WebRequest> m_request;
};
