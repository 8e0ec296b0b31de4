#include "FuzzSupport.h"

#include "screens/web/OpenMeteoWeatherSource.h"

FUZZ_TARGET
{
    for (const char* country : {"", "DE", "germany", "United States"}) {
        bool readable = true;
        const auto place =
            OpenMeteoWeatherSource::ParseGeocoding(bytes, QString::fromLatin1(country), &readable);
        FUZZ_CHECK(readable || !place);
    }
    if (const auto r = OpenMeteoWeatherSource::ParseForecast(bytes))
        FUZZ_CHECK(fuzz::onlyModuleCodes(r->sky, r->temperature, r->humidity, r->visibility));
}
