#pragma once

#include "screens/web/WeatherSource.h"
#include "screens/web/WebScreen.h"

#include <QString>

class MessageSink;
class ScreenLines;
struct WeatherSettings;

// The "Weather Station" mode: sky, temperature, humidity and visibility of
// one city, fetched at the switch and then every WeatherUpdateSeconds ticks.
// A refresh without a report says " City Not Found " and keeps the lines.
class WeatherScreen final : public WebScreen<WeatherSource>
{
public:
    static inline const QString NotFound = QStringLiteral(" City Not Found ");

    WeatherScreen(ScreenLines& lines, MessageSink& messages, const WeatherSettings& settings,
                  const WebSettings& web, modWebservices& client);

    void ShowWeather() { showLast(); }

    // The first letter of every word upper case, all other letters lower case.
    static QString properCase(const QString& text);

private:
    void ask(WeatherSource& source, WeatherSource::Done done) override;
    void compose(const WeatherReport& report) override;
    void nothingCame() override;

    ScreenLines& m_lines;
    MessageSink& m_messages;
    const WeatherSettings& m_settings;
};
