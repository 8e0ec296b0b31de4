#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

// One web download in progress. Dropping it (or cancel()) aborts the
// download, and its continuation is then never called.
class WebRequest
{
public:
    // abort: stops the download and drops its continuation; run at most once.
    explicit WebRequest(std::function<void()> abort) : m_abort(std::move(abort)) {}
    ~WebRequest() { cancel(); }
    WebRequest(const WebRequest&) = delete;
    WebRequest& operator=(const WebRequest&) = delete;
    void cancel()
    {
        if (auto abort = std::exchange(m_abort, nullptr))
            abort();
    }

private:
    std::function<void()> m_abort;
};

struct WebLimits
{
    // A server that stops answering never stalls a screen for ever.
    int timeoutMs = 20000;
    // A larger answer is cut off and counts as failed.
    qint64 maxBodyBytes = 1024 * 1024;
};

struct WebAnswer
{
    // Why nothing usable came: the source could not be reached (its name,
    // the connection, TLS, or no answer in time), or it answered with what
    // cannot be used (over a limit, a redirect loop or to plain http).
    enum class Failure { None, Name, Connection, Tls, Timeout, Answer };

    // The body as the server sent it (an error page too); empty when
    // nothing usable came.
    QByteArray body;
    int status = 0;  // HTTP status code; 0 without an answer
    bool ok = false; // the whole body came (whatever its status)
    QString error;   // why not, for the log
    Failure failure = Failure::None;

    // Whether the source answered at all, which tells "cannot reach the
    // source" from a source that refuses what was asked.
    bool reached() const { return failure == Failure::None || failure == Failure::Answer; }

    // For the log: the failure, or the status and size of the body.
    QString describe() const
    {
        return ok ? QStringLiteral("HTTP %1, %2 bytes").arg(status).arg(body.size()) : error;
    }
};

// What carries the web client's downloads (libcurl, in a module of its own:
// platform/web/curl). Nothing blocks; done runs once, later, on the
// caller's event loop, unless the request is dropped first.
class WebTransport
{
public:
    using Done = std::function<void(const WebAnswer&)>;

    virtual ~WebTransport() = default;
    virtual std::unique_ptr<WebRequest> get(const QUrl& url, const QByteArray& agent,
                                            const WebLimits& limits, Done done) = 0;
};
