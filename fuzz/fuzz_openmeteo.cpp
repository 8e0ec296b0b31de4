// Open-Meteo's geocoding and forecast answers (JSON).
#include "FuzzSupport.h"
#include "ModuleCodes.h"

#include "screens/web/OpenMeteoWeatherSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* country : {"", "DE", "germany", "United States"}) {
        bool readable = true;
        const auto place =
            OpenMeteoWeatherSource::ParseGeocoding(json, QString::fromLatin1(country), &readable);
        FUZZ_CHECK(readable || !place);
    }
    if (const auto report = OpenMeteoWeatherSource::ParseForecast(json)) {
        for (const QString* v :
             {&report->sky, &report->temperature, &report->humidity, &report->visibility})
            FUZZ_CHECK(fuzz::onlyModuleCodes(*v));
    }
    return 0;
}
