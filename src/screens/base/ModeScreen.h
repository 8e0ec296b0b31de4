#pragma once

#include <functional>

// A display mode's screen as the scheduler sees it: what it declares about
// itself (traits), and the calls the scheduler makes while the mode is shown.
// The refresh itself is the screen's own named routine (ShowCpuInfo,
// ShowWeather...), which the scheduler's table of modes names beside the
// screen. Screens compose the four ScreenLines (or draw on the module
// themselves, as the large clock does); they never call WriteLines: the
// scheduler does that after the refresh when the screen writes lines.
class ModeScreen
{
public:
    enum class Cadence {
        EveryTick,    // the refresh on every one-second tick
        CountedTicks, // fetch() and the refresh at the switch, then every refreshTicks() ticks
        Own,          // the screen refreshes itself from its own timer
    };

    struct Traits
    {
        Cadence cadence = Cadence::EveryTick;
        // False for a screen that draws on the module itself: no WriteLines.
        bool writesLines = true;
        // The switch and every counted refresh ask the connection check
        // first; offline, the switch says "Internet Not Available".
        bool needsInternet = false;
        // Custom-character uploads of the switch: the first right before
        // enter(), a second right after it.
        int glyphUploads = 0;
        // Interval of the screen's own timer (colon blink, title scroller),
        // run only while the mode is shown; 0 for none.
        int timerMs = 0;
    };

    virtual ~ModeScreen() = default;

    virtual Traits traits() const { return {}; }
    // CountedTicks: ticks between two refreshes. Asked on every tick, so a
    // dialog can change it while the mode is shown.
    virtual int refreshTicks() const { return 0; }

    // EveryTick: whether this tick refreshes the screen (and writes the
    // lines); a screen with a slower rhythm of its own says no in between.
    virtual bool refreshDue() { return true; }

    // The mode is chosen: after the module is cleared and the lines emptied.
    virtual void enter() {}
    // Another mode is chosen (or the program ends) while this one is shown.
    virtual void leave() {}

    // Gathers what the refresh needs when that may take a while (a download) and
    // calls done once it is in; done(false) when nothing came (the lines stay
    // as they are). A screen with something to say about a failure (a
    // message, a placeholder text) reports true and says it in the refresh.
    // Do not touch the lines here: the scheduler refreshes and writes the
    // lines after done, and skips both when the user has chosen another mode
    // meanwhile, so a late answer never paints over the new mode.
    using FetchDone = std::function<void(bool ok)>;
    virtual void fetch(FetchDone done) { done(true); }
    // Drops a fetch under way; its done is then never called.
    virtual void cancelFetch() {}

    // One tick of the screen's own timer (traits().timerMs).
    virtual void timerTick() {}
};
