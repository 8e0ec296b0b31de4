#pragma once

#include "screens/web/StockSource.h"
#include "platform/web/modWebservices.h"

#include <QUrl>

// The stock quote web service at [Web] Base:
// GET Base + "stockquote.asmx/GetQuote?symbol=" symbol.
class ServiceStockSource final : public StockSource
{
public:
    ServiceStockSource(const WebSettings& web, modWebservices& client)
        : m_web(web), m_client(client)
    {
    }

    void fetch(const QString& symbol, Done done) override;
    void cancel() override { m_request.reset(); }

    // The symbol percent-encoded. Invalid when base is empty.
    static QUrl RequestUrl(const QString& base, const QString& symbol);
    // Nothing when "Name" (with its case) is not in the answer.
    static std::optional<StockQuote> Parse(const QString& answer);

private:
    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<WebRequest> m_request;
};
