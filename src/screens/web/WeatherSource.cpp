#include "screens/web/WeatherSource.h"

#include "screens/web/OpenMeteoWeatherSource.h"
#include "screens/web/ServiceWeatherSource.h"
#include "screens/web/WebSettings.h"

std::unique_ptr<WeatherSource> WeatherSource::create(const WebSettings& web, modWebservices& client)
{
    switch (web.weatherSource) {
    case WebSettings::WeatherSource::Service:
        return std::make_unique<ServiceWeatherSource>(web, client);
    case WebSettings::WeatherSource::OpenMeteo:
        break;
    }
    return std::make_unique<OpenMeteoWeatherSource>(web, client);
}
