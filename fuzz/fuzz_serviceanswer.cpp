// The weather and stock services' answers: the value cut and both parsers.
#include "FuzzSupport.h"

#include "screens/web/ServiceAnswer.h"
#include "screens/web/ServiceStockSource.h"
#include "screens/web/ServiceWeatherSource.h"

FUZZ_TARGET
{
    const QString name = fuzz::text(in, 16);
    const int skip = in.ConsumeIntegralInRange(-4, 40), drop = in.ConsumeIntegralInRange(-4, 40);
    const QString answer = QString::fromStdString(in.ConsumeRemainingBytesAsString());

    if (const auto value = ServiceAnswer::CutValue(answer, name, skip, drop))
        FUZZ_CHECK(answer.contains(*value));
    if (const auto r = ServiceWeatherSource::Parse(answer))
        FUZZ_CHECK(fuzz::onlyModuleCodes(r->sky, r->temperature, r->humidity, r->visibility));
    if (const auto q = ServiceStockSource::Parse(answer))
        FUZZ_CHECK(fuzz::onlyModuleCodes(q->name, q->time, q->last, q->change, q->volume, q->open));
}
