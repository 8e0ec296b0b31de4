#include "screens/net/WeatherSource.h"

#include "screens/net/OpenMeteoWeatherSource.h"
#include "screens/net/ServiceWeatherSource.h"
#include "screens/net/WebSettings.h"

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
