#pragma once

#include "screens/web/WeatherSource.h"
#include "screens/web/WebSettings.h"
#include "screens/base/ModeScreen.h"

#include <QString>

#include <memory>
#include <optional>

class MessageSink;
class ScreenLines;
class modWebservices;
struct WeatherSettings;

// The "Weather Station" mode: sky, temperature, humidity and visibility of
// one city, fetched at the switch and then every WeatherUpdateSeconds ticks.
class WeatherScreen : public ModeScreen
{
public:
    static inline const QString NotFound = QStringLiteral(" City Not Found ");

    WeatherScreen(ScreenLines& lines, MessageSink& messages, const WeatherSettings& settings,
                  const WebSettings& web, modWebservices& client);
    ~WeatherScreen() override;

    Traits traits() const override
    {
        return {.cadence = Cadence::CountedTicks,
                .writesLines = true,
                .needsInternet = true,
                .glyphUploads = 0,
                .timerMs = 0};
    }
    int refreshTicks() const override;
    // Always reports true: a city not found is said in show().
    void fetch(FetchDone done) override;
    void cancelFetch() override;
    void show() override { ShowWeather(); }

    // Fills the lines from the last answer, or says " City Not Found " and
    // leaves them as they are.
    void ShowWeather();

    // The first letter of every word upper case, all other letters lower case.
    static QString ProperCase(const QString& text);

private:
    ScreenLines& m_lines;
    MessageSink& m_messages;
    const WeatherSettings& m_settings;
    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<WeatherSource> m_source;
    WebSettings::WeatherSource m_sourceKind{};
    bool m_answered = false;
    std::optional<WeatherReport> m_report;
};
