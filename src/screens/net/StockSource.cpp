#include "screens/net/StockSource.h"

#include "screens/net/ServiceStockSource.h"
#include "screens/net/WebSettings.h"
#include "screens/net/YahooStockSource.h"

std::unique_ptr<StockSource> StockSource::create(const WebSettings& web, modWebservices& client)
{
    switch (web.stockSource) {
    case WebSettings::StockSource::Service:
        return std::make_unique<ServiceStockSource>(web, client);
    case WebSettings::StockSource::Yahoo:
        break;
    }
    return std::make_unique<YahooStockSource>(web, client);
}
