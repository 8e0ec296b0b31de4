#include "screens/web/StockScreen.h"

#include "codec/ModuleCodec.h"
#include "platform/UserMessage.h"
#include "screens/base/ScreenLines.h"
#include "screens/web/StockSettings.h"

#include <utility>

StockScreen::StockScreen(ScreenLines& lines, MessageSink& messages, const StockSettings& settings,
                         const WebSettings& web, modWebservices& client)
    : WebScreen(settings.StockUpdateSeconds, web, client), m_lines(lines), m_messages(messages),
      m_settings(settings)
{
}

void StockScreen::enter()
{
    if (!m_settings.StockSymbol.trimmed().isEmpty() || std::exchange(m_toldNotSetUp, true))
        return;
    m_messages.showMessage(
        {QStringLiteral("Stock Quote has no stock symbol: set one in the menu Configuration, "
                        "\"Stock\", or with [Stock] Symbol in the settings file (README, "
                        "\"Settings reference\")."),
         MessageSeverity::Information, MessageCategory::Web, true});
}

void StockScreen::nothingCame()
{
    // Without a symbol there is no quote to keep: say what is missing.
    if (!m_settings.StockSymbol.trimmed().isEmpty())
        return;
    m_lines.setLine(0, QByteArray("Stock Not Set Up"));
    for (int row = 1; row < 4; ++row)
        m_lines.setLine(row, QByteArray());
}

void StockScreen::ask(StockSource& source, StockSource::Done done)
{
    source.fetch(m_settings.StockSymbol, std::move(done));
}

// +--------------------+
// |Apple Inc.          |  company name
// |Open:242.91         |
// |16:00:242.84        |  time of the last trade : last price
// |36870619:-0.08%     |  volume : percentage change
// +--------------------+
void StockScreen::compose(const StockQuote& quote)
{
    const auto codes = [this](const QString& text) { return m_lines.codec().fromUnicode(text); };
    m_lines.setLine(0, codes(quote.name));
    m_lines.setLine(1, "Open:" + codes(quote.open));
    m_lines.setLine(2, codes(quote.time) + ':' + codes(quote.last));
    m_lines.setLine(3, codes(quote.volume) + ':' + codes(quote.change));
}
