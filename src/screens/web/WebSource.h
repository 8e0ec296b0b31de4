#pragma once

#include <QString>

#include <functional>
#include <optional>

// Where a web screen's data comes from: one class per service, which builds
// the request and reads the answer.
template <typename Result> class WebSource
{
public:
    struct Fetched
    {
        std::optional<Result> result;
        // Without a result: why, when the answer could not be had or read
        // (logged once per run of failures); empty when the service said it
        // has no such place or symbol, or there was nothing to ask for.
        QString failure;
        // The source could not be reached at all (no name, no connection,
        // TLS, no answer in time): not a place or symbol that was not found.
        bool unreachable = false;
    };
    using Done = std::function<void(Fetched)>;

    virtual ~WebSource() = default;
    // Drops the fetch under way; its done is then never called.
    virtual void cancel() = 0;
};
