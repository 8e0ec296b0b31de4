#pragma once

// "Is this machine connected to the internet?" Asked by the mode switch and
// by the refreshes of the modes that need the internet.
class InternetState
{
public:
    virtual ~InternetState() = default;
    virtual bool isConnected() const = 0;
};
