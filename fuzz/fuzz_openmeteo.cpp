// Open-Meteo's geocoding and forecast answers (JSON).
#include "FuzzSupport.h"

#include "screens/web/OpenMeteoWeatherSource.h"

FUZZ_TARGET
{
    const QByteArray& json = bytes;
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
}
