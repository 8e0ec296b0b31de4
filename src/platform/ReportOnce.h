#pragma once

#include <utility>

// A failure that repeats on every refresh is reported once, and again only
// after the operation has worked in between:
//
//   if (!read()) { if (m_report.failed()) qCWarning(...) << why; }
//   else m_report.succeeded();
class ReportOnce
{
public:
    // Notes a failure; true when it is the first of a run and should be reported.
    bool failed() { return !std::exchange(m_failing, true); }
    void succeeded() { m_failing = false; }
    bool failing() const { return m_failing; }

private:
    bool m_failing = false;
};
