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
    // A refresh that may have to wait (a download): done runs when the lines
    // are composed. The scheduler ignores a done that comes after the user
    // chose another mode.
    virtual void refresh(std::function<void()> done)
    {
        show();
        done();
    }
};
