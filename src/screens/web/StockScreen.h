#pragma once

#include "screens/web/StockSource.h"
#include "screens/web/WebScreen.h"

class ScreenLines;
struct StockSettings;

// The "Stock Quote" mode: company, open, last trade and volume with the
// change, fetched at the switch and then every StockUpdateSeconds ticks. A
// refresh without a quote keeps the lines.
class StockScreen final : public WebScreen<StockSource>
{
public:
    StockScreen(ScreenLines& lines, const StockSettings& settings, const WebSettings& web,
                modWebservices& client);

    void ShowStock() { showLast(); }

private:
    void ask(StockSource& source, StockSource::Done done) override;
    void compose(const StockQuote& quote) override;

    ScreenLines& m_lines;
    const StockSettings& m_settings;
};
