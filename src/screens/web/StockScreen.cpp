#include "screens/web/StockScreen.h"

#include "codec/ModuleCodec.h"
#include "screens/web/StockSettings.h"
#include "screens/base/ScreenLines.h"

StockScreen::StockScreen(ScreenLines& lines, const StockSettings& settings, const WebSettings& web,
                         modWebservices& client)
    : m_lines(lines), m_settings(settings), m_web(web), m_client(client)
{
}

StockScreen::~StockScreen() = default;

int StockScreen::refreshTicks() const
{
    return m_settings.StockUpdateSeconds;
}

void StockScreen::fetch(FetchDone done)
{
    if (!m_source || m_sourceKind != m_web.stockSource) {
        m_source = StockSource::create(m_web, m_client);
        m_sourceKind = m_web.stockSource;
    }
    m_quote.reset();
    m_source->fetch(m_settings.StockSymbol, [this, done](std::optional<StockQuote> quote) {
        m_quote = std::move(quote);
        done(true);
    });
}

void StockScreen::cancelFetch()
{
    if (m_source)
        m_source->cancel();
}

// +--------------------+
// |Apple Inc.          |  company name
// |Open:242.91         |
// |16:00:242.84        |  time of the last trade : last price
// |36870619:-0.08%     |  volume : percentage change
// +--------------------+
void StockScreen::ShowStock()
{
    if (!m_quote)
        return; // no quote: the lines keep what they hold
    const auto codes = [](const QString& text) { return ModuleCodec::fromUnicode(text); };
    m_lines.setLine(0, codes(m_quote->name));
    m_lines.setLine(1, "Open:" + codes(m_quote->open));
    m_lines.setLine(2, codes(m_quote->time) + ':' + codes(m_quote->last));
    m_lines.setLine(3, codes(m_quote->volume) + ':' + codes(m_quote->change));
}
