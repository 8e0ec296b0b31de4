#pragma once

#include "screens/time/ModeScreen.h"

#include <functional>

// A mode whose screen is not built yet. It keeps the mode's rhythm (custom
// characters, the internet check, the counted refresh), so the module and
// the counters behave the same once the real screen takes its row, and
// shows empty lines meanwhile.
class PendingScreen final : public ModeScreen
{
public:
    explicit PendingScreen(Traits traits, std::function<int()> refreshTicks = {})
        : m_traits(traits), m_refreshTicks(std::move(refreshTicks))
    {
    }

    Traits traits() const override { return m_traits; }
    int refreshTicks() const override { return m_refreshTicks ? m_refreshTicks() : 0; }
    void show() override {}

private:
    Traits m_traits;
    std::function<int()> m_refreshTicks;
};
