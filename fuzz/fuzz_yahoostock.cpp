// Yahoo Finance's chart answer (JSON).
#include "FuzzSupport.h"
#include "ModuleCodes.h"

#include "screens/web/YahooStockSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto quote = YahooStockSource::Parse(json, QStringLiteral("AAPL"))) {
        for (const QString* v : {&quote->name, &quote->time, &quote->last, &quote->change,
                                 &quote->volume, &quote->open})
            FUZZ_CHECK(fuzz::onlyModuleCodes(*v));
    }
    return 0;
}
