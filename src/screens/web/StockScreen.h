#pragma once

#include "screens/web/StockSource.h"
#include "screens/web/WebSettings.h"
#include "screens/base/ModeScreen.h"

#include <memory>
#include <optional>

class ScreenLines;
class modWebservices;
struct StockSettings;

// The "Stock Quote" mode: company, open, last trade and volume with the
// change, fetched at the switch and then every StockUpdateSeconds ticks.
class StockScreen : public ModeScreen
{
public:
    StockScreen(ScreenLines& lines, const StockSettings& settings, const WebSettings& web,
                modWebservices& client);
    ~StockScreen() override;

    Traits traits() const override
    {
        return {.cadence = Cadence::CountedTicks,
                .writesLines = true,
                .needsInternet = true,
                .glyphUploads = 0,
                .timerMs = 0};
    }
    int refreshTicks() const override;
    // Always reports true: the lines are written after every refresh, a
    // quote that did not come leaves them as they were.
    void fetch(FetchDone done) override;
    void cancelFetch() override;
    void show() override { ShowStock(); }

    // Fills the lines from the last quote; without one, does nothing.
    void ShowStock();

private:
    ScreenLines& m_lines;
    const StockSettings& m_settings;
    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<StockSource> m_source;
    WebSettings::StockSource m_sourceKind{};
    std::optional<StockQuote> m_quote;
};
