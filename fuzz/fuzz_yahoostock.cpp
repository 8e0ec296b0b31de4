// Yahoo Finance's chart answer (JSON).
#include "FuzzSupport.h"

#include "screens/web/YahooStockSource.h"

FUZZ_TARGET
{
    const QByteArray& json = bytes;
    if (const auto quote = YahooStockSource::Parse(json, QStringLiteral("AAPL"))) {
        for (const QString* v : {&quote->name, &quote->time, &quote->last, &quote->change,
                                 &quote->volume, &quote->open})
            FUZZ_CHECK(fuzz::onlyModuleCodes(*v));
    }
}
