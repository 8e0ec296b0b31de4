#pragma once

#include "platform/Logging.h"
#include "platform/ReportOnce.h"
#include "screens/base/ModeScreen.h"

#include <memory>
#include <optional>

class modWebservices;
struct WebSettings;

// A mode whose data comes from the web: fetched through a source at the
// switch and then every update interval, both after the internet check.
// The screen composes the lines from the last result; when a refresh brings
// none, it says so its own way (or keeps the lines), and a failure that
// repeats is logged once until a refresh works again.
//
// Source derives from WebSource and names its result, the kind of source
// (Kind, which [Web] chooses: kindIn) and how to make that one (create).
template <typename Source> class WebScreen : public ModeScreen
{
public:
    using Result = typename Source::Result;

    Traits traits() const final
    {
        return {.cadence = Cadence::CountedTicks,
                .writesLines = true,
                .needsInternet = true,
                .glyphUploads = 0,
                .timerMs = 0};
    }
    int refreshTicks() const final { return m_updateSeconds; }

    // Always reports true: what a refresh without a result shows is said
    // in the refresh.
    void fetch(FetchDone done) final
    {
        m_answered = false;
        ask(source(), [this, done](typename Source::Fetched fetched) {
            m_answered = true;
            m_unreachable = !fetched.result && fetched.unreachable;
            m_result = std::move(fetched.result);
            if (m_result)
                m_report.succeeded();
            else if (!fetched.failure.isEmpty() && m_report.failed())
                qCWarning(lcWeb).noquote() << fetched.failure;
            done(true);
        });
    }
    void cancelFetch() final
    {
        if (m_source)
            m_source->cancel();
    }

    // What the last fetch brought; nothing when none came (or none yet).
    const std::optional<Result>& lastResult() const { return m_result; }

protected:
    // The refresh, behind the screen's named routine: the lines from the
    // last result, or what the screen says when none came.
    void showLast()
    {
        if (!m_answered)
            return;
        if (m_result)
            compose(*m_result);
        else
            nothingCame();
    }

    // updateSeconds: the setting, read at each tick (a dialog may change it).
    WebScreen(const int& updateSeconds, const WebSettings& web, modWebservices& client)
        : m_updateSeconds(updateSeconds), m_web(web), m_client(client)
    {
    }

    // Asks the source, with the settings as they are now.
    virtual void ask(Source& source, typename Source::Done done) = 0;
    virtual void compose(const Result& result) = 0;
    // The refresh brought nothing: by default the lines keep what they hold.
    virtual void nothingCame() {}
    // The last refresh could not reach its source at all.
    bool unreachable() const { return m_unreachable; }

private:
    // The source [Web] names now, made again when that changed.
    Source& source()
    {
        const auto kind = Source::kindIn(m_web);
        if (!m_source || kind != m_kind) {
            m_source = Source::create(m_web, m_client);
            m_kind = kind;
        }
        return *m_source;
    }

    const int& m_updateSeconds;
    const WebSettings& m_web;
    modWebservices& m_client;
    std::unique_ptr<Source> m_source;
    typename Source::Kind m_kind{};
    bool m_answered = false;
    bool m_unreachable = false;
    std::optional<Result> m_result;
    ReportOnce m_report;
};
