#pragma once

#include "screens/base/ModeScreen.h"
#include "screens/own/OwnScreenSettings.h"
#include "screens/own/ScreenTemplate.h"
#include "screens/own/ValueProvider.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <map>
#include <memory>

class LcdLink;
class ScreenLines;
struct OwnValueSources;

// A mode the user made: a section [Screen NAME] of brellix.ini, its four
// template lines filled from the values they name. Shown every tick like the
// time and date screen; the values are read (files, commands, the processor
// counters) every Update seconds and the lines composed then, or at the next
// tick when a value that comes in the background (a command's output, the
// weather) is new. The providers of its values run only while it is shown.
class OwnScreen final : public ModeScreen
{
public:
    static constexpr int ScrollIntervalMs = 500;

    // The references are not owned and must outlive the screen.
    OwnScreen(OwnScreenSettings settings, ScreenLines& lines, LcdLink& link,
              const OwnValueSources& sources);
    ~OwnScreen() override;

    // A scrolling line steps from the screen's own timer.
    Traits traits() const override
    {
        return {.cadence = Cadence::EveryTick,
                .writesLines = true,
                .needsInternet = false,
                .glyphUploads = 0,
                .timerMs = m_scrolls ? ScrollIntervalMs : 0};
    }
    // Uploads the bar characters when a line has a bar, and starts the
    // providers of the values its lines name.
    void enter() override;
    void leave() override;
    // One step of every scrolling line longer than 20: written to its line
    // of the module at once, as the player's title is.
    void timerTick() override;

    // Every Update seconds the values are read again and the screen is
    // refreshed; in between only when a value came in the background (a
    // command's output, the weather), at the next tick.
    bool refreshDue() override;
    void ShowOwnScreen();

    const OwnScreenSettings& settings() const { return m_settings; }
    const std::array<ScreenTemplate, OwnScreenSettings::LineCount>& templates() const
    {
        return m_templates;
    }

private:
    std::optional<QString> lookup(const QString& name, const QString& arg) const;
    void compose();

    OwnScreenSettings m_settings;
    ScreenLines& m_lines;
    LcdLink& m_link;
    const OwnValueSources& m_sources;
    std::array<ScreenTemplate, OwnScreenSettings::LineCount> m_templates;
    bool m_scrolls = false;
    bool m_hasBar = false;
    bool m_warned = false;

    // The providers while shown, by their row of ValueProvider::kinds().
    std::map<const ValueProvider::Kind*, std::unique_ptr<ValueProvider>> m_providers;
    int m_untilRefresh = 0;
    bool m_changed = false;
    // Each line rendered in full, and where its scroller stands.
    std::array<QByteArray, OwnScreenSettings::LineCount> m_full;
    std::array<int, OwnScreenSettings::LineCount> m_offsets{};
};
