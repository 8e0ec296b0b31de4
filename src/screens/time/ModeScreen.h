#pragma once

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
};
