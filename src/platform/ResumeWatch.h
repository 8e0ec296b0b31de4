#pragma once

// Tells when the machine has woken from a suspend, after which the module
// may have lost power and needs initialising again. The watch ends with
// this object.
class ResumeWatch
{
public:
    virtual ~ResumeWatch() = default;
};
