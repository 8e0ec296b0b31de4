#include "screens/web/StockSource.h"

#include "screens/web/ServiceStockSource.h"
#include "screens/web/WebSettings.h"
#include "screens/web/YahooStockSource.h"

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
