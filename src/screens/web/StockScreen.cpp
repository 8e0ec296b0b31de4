#include "screens/web/StockScreen.h"

#include "codec/ModuleCodec.h"
#include "screens/base/ScreenLines.h"
#include "screens/web/StockSettings.h"

StockScreen::StockScreen(ScreenLines& lines, const StockSettings& settings, const WebSettings& web,
                         modWebservices& client)
    : WebScreen(settings.StockUpdateSeconds, web, client), m_lines(lines), m_settings(settings)
{
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
    const auto codes = [](const QString& text) { return ModuleCodec::fromUnicode(text); };
    m_lines.setLine(0, codes(quote.name));
    m_lines.setLine(1, "Open:" + codes(quote.open));
    m_lines.setLine(2, codes(quote.time) + ':' + codes(quote.last));
    m_lines.setLine(3, codes(quote.volume) + ':' + codes(quote.change));
}
