#pragma once

#include "screens/web/StockSource.h"
#include "screens/web/WebScreen.h"

class MessageSink;
class ScreenLines;
struct StockSettings;

// The "Stock Quote" mode: company, open, last trade and volume with the
// change, fetched at the switch and then every StockUpdateSeconds ticks. A
// refresh without a quote keeps the lines.
class StockScreen final : public WebScreen<StockSource>
{
public:
    StockScreen(ScreenLines& lines, MessageSink& messages, const StockSettings& settings,
                const WebSettings& web, modWebservices& client);

    // Without a symbol the mode says so, once a run, and where to set it.
    void enter() override;

    void ShowStock() { showLast(); }

private:
    void ask(StockSource& source, StockSource::Done done) override;
    void compose(const StockQuote& quote) override;
    void nothingCame() override;

    ScreenLines& m_lines;
    MessageSink& m_messages;
    const StockSettings& m_settings;
    bool m_toldNotSetUp = false;
};
