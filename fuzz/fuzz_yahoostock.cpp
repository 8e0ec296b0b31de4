#include "FuzzSupport.h"

#include "screens/web/YahooStockSource.h"

FUZZ_TARGET
{
    if (const auto q = YahooStockSource::Parse(bytes, QStringLiteral("AAPL")))
        FUZZ_CHECK(fuzz::onlyModuleCodes(q->name, q->time, q->last, q->change, q->volume, q->open));
}
