#pragma once

#include <functional>

// A display mode's screen as the scheduler sees it. Screens compose the four
// ScreenLines (or draw on the module themselves, the large clock); they never
// call WriteLines, the scheduler does that after show().
class ModeScreen
{
public:
    virtual ~ModeScreen() = default;
    // Preparation when the user selects the mode (open counters, ...).
    virtual void enter() {}
    // One refresh.
    virtual void show() = 0;
    // Gathers what show() needs when that may take a while (a download), and
    // calls ready once it is in. Do not touch the lines here: the scheduler
    // calls show() and writes the lines after ready, and skips both when the
    // user has chosen another mode meanwhile, so a late answer never paints
    // over the new mode.
    virtual void fetch(std::function<void()> ready) { ready(); }
};
