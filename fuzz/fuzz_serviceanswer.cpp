// Answers of the weather and stock web services: the value cut and both
// parsers, whose values the weather and stock screens show.
#include "FuzzSupport.h"

#include "screens/web/ServiceAnswer.h"
#include "screens/web/ServiceStockSource.h"
#include "screens/web/ServiceWeatherSource.h"

FUZZ_TARGET
{
    const QString name = QString::fromStdString(in.ConsumeRandomLengthString(16));
    const int skip = in.ConsumeIntegralInRange(-4, 40);
    const int drop = in.ConsumeIntegralInRange(-4, 40);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QString answer = QString::fromUtf8(rest.data(), qsizetype(rest.size()));

    if (const auto value = ServiceAnswer::CutValue(answer, name, skip, drop))
        FUZZ_CHECK(answer.contains(*value));

    if (const auto report = ServiceWeatherSource::Parse(answer)) {
        for (const QString* v :
             {&report->sky, &report->temperature, &report->humidity, &report->visibility})
            FUZZ_CHECK(fuzz::onlyModuleCodes(*v));
    }
    if (const auto quote = ServiceStockSource::Parse(answer)) {
        for (const QString* v : {&quote->name, &quote->time, &quote->last, &quote->change,
                                 &quote->volume, &quote->open})
            FUZZ_CHECK(fuzz::onlyModuleCodes(*v));
    }
}
