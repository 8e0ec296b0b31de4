#include "screens/web/WebSettings.h"

#include "platform/Logging.h"
#include "platform/modINI.h"

#include <QUrl>

namespace {

void reject(const modINI& ini, const char* section, const char* key, const QString& value,
            const QString& why, const QString& fallback)
{
    qCWarning(lcSettings).noquote()
        << QStringLiteral("%1: [%2] %3 = \"%4\" %5; using the default %6")
               .arg(ini.path(), QLatin1String(section), QLatin1String(key), value, why,
                    fallback.isEmpty() ? QStringLiteral("(none)") : fallback);
}

QString address(const modINI& ini, const char* key, const QString& fallback)
{
    const QString value = ini.ReadIni(QStringLiteral("Web"), QLatin1String(key));
    if (value.isEmpty())
        return fallback;
    if (!WebSettings::isWebAddress(value)) {
        reject(ini, "Web", key, value, QStringLiteral("is not an http or https address"), fallback);
        return fallback;
    }
    return value;
}

// One of the names, any case; else the first.
int choice(const modINI& ini, const char* section, const QStringList& names)
{
    const QString value = ini.ReadIni(QLatin1String(section), QStringLiteral("Source"));
    if (value.isEmpty())
        return 0;
    for (int i = 0; i < names.size(); ++i) {
        if (value.compare(names[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    reject(ini, section, "Source", value,
           QStringLiteral("is not one of %1").arg(names.join(QStringLiteral(", "))), names[0]);
    return 0;
}

} // namespace

bool WebSettings::isWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

WebSettings WebSettings::load(const modINI& ini)
{
    WebSettings s;
    s.weatherSource =
        choice(ini, "Weather", {QStringLiteral("open-meteo"), QStringLiteral("service")}) == 1
            ? WeatherSource::Service
            : WeatherSource::OpenMeteo;
    s.stockSource = choice(ini, "Stock", {QStringLiteral("yahoo"), QStringLiteral("service")}) == 1
                        ? StockSource::Service
                        : StockSource::Yahoo;

    const QString base = ini.ReadIni(QStringLiteral("Web"), QStringLiteral("Base"));
    if (!base.isEmpty()) {
        if (isWebAddress(base) && base.endsWith(u'/'))
            s.base = base;
        else
            reject(ini, "Web", "Base", base,
                   QStringLiteral("is not an http or https address ending in \"/\""), QString());
    }
    s.openMeteoGeocoding = address(ini, "OpenMeteoGeocoding", s.openMeteoGeocoding);
    s.openMeteoForecast = address(ini, "OpenMeteoForecast", s.openMeteoForecast);
    s.yahooChart = address(ini, "YahooChart", s.yahooChart);
    return s;
}
