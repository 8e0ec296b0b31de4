#include "screens/web/WeatherScreen.h"

#include "codec/ModuleCodec.h"
#include "platform/UserMessage.h"
#include "screens/web/WeatherSettings.h"
#include "screens/base/ScreenLines.h"

WeatherScreen::WeatherScreen(ScreenLines& lines, MessageSink& messages,
                             const WeatherSettings& settings, const WebSettings& web,
                             modWebservices& client)
    : m_lines(lines), m_messages(messages), m_settings(settings), m_web(web), m_client(client)
{
}

WeatherScreen::~WeatherScreen() = default;

int WeatherScreen::refreshTicks() const
{
    return m_settings.WeatherUpdateSeconds;
}

void WeatherScreen::fetch(FetchDone done)
{
    // The source in use now: the settings are read at start-up.
    if (!m_source || m_sourceKind != m_web.weatherSource) {
        m_source = WeatherSource::create(m_web, m_client);
        m_sourceKind = m_web.weatherSource;
    }
    m_answered = false;
    // The place as the dialog left it, from this refresh on.
    m_source->fetch(m_settings.WeatherCity, m_settings.WeatherCountry,
                    [this, done](std::optional<WeatherReport> report) {
                        m_answered = true;
                        m_report = std::move(report);
                        done(true);
                    });
}

void WeatherScreen::cancelFetch()
{
    if (m_source)
        m_source->cancel();
}

// +--------------------+
// |Partly Cloudy       |  sky conditions in proper case
// |57 F (14 C)         |
// |Humidity:68%        |
// |Vis:10 mile(s)      |
// +--------------------+
void WeatherScreen::ShowWeather()
{
    if (!m_answered)
        return;
    if (!m_report) {
        // Shown at each failed refresh; the lines keep the last report.
        m_messages.showMessage({NotFound, MessageSeverity::Information, MessageCategory::Web});
        return;
    }
    m_lines.setLine(0, ModuleCodec::fromUnicode(ProperCase(m_report->sky)));
    m_lines.setLine(1, ModuleCodec::fromUnicode(m_report->temperature));
    m_lines.setLine(2, "Humidity:" + ModuleCodec::fromUnicode(m_report->humidity));
    m_lines.setLine(3, "Vis:" + ModuleCodec::fromUnicode(m_report->visibility));
}

QString WeatherScreen::ProperCase(const QString& text)
{
    QString out = text.toLower();
    bool wordStart = true;
    for (QChar& c : out) {
        if (c.isSpace()) {
            wordStart = true;
        } else {
            if (wordStart)
                c = c.toUpper();
            wordStart = false;
        }
    }
    return out;
}
