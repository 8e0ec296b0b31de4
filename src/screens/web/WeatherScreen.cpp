#include "screens/web/WeatherScreen.h"

#include "codec/ModuleCodec.h"
#include "platform/UserMessage.h"
#include "screens/base/ScreenLines.h"
#include "screens/web/WeatherSettings.h"

WeatherScreen::WeatherScreen(ScreenLines& lines, MessageSink& messages,
                             const WeatherSettings& settings, const WebSettings& web,
                             modWebservices& client)
    : WebScreen(settings.WeatherUpdateSeconds, web, client), m_lines(lines), m_messages(messages),
      m_settings(settings)
{
}

void WeatherScreen::ask(WeatherSource& source, WeatherSource::Done done)
{
    // The place as the dialog left it, from this refresh on.
    source.fetch(m_settings.WeatherCity, m_settings.WeatherCountry, std::move(done));
}

// +--------------------+
// |Partly Cloudy       |  sky conditions in proper case
// |57 F (14 C)         |
// |Humidity:68%        |
// |Vis:10 mile(s)      |
// +--------------------+
void WeatherScreen::compose(const WeatherReport& report)
{
    const ModuleCodec& codec = m_lines.codec();
    m_lines.setLine(0, codec.fromUnicode(properCase(report.sky)));
    m_lines.setLine(1, codec.fromUnicode(report.temperature));
    m_lines.setLine(2, "Humidity:" + codec.fromUnicode(report.humidity));
    m_lines.setLine(3, "Vis:" + codec.fromUnicode(report.visibility));
}

void WeatherScreen::nothingCame()
{
    // Shown at each failed refresh; the lines keep the last report. A source
    // that cannot be reached (offline, no name service) is no unknown city.
    m_messages.showMessage({unreachable() ? QStringLiteral("Internet Not Available") : NotFound,
                            MessageSeverity::Information, MessageCategory::Web});
}

QString WeatherScreen::properCase(const QString& text)
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
