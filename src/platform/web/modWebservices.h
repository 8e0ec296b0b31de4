#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// One web download in progress. Dropping it (or cancel()) aborts the
// download, and its continuation is then never called.
class WebRequest
{
public:
    struct State;
    explicit WebRequest(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    ~WebRequest() { cancel(); }
    WebRequest(const WebRequest&) = delete;
    WebRequest& operator=(const WebRequest&) = delete;
    void cancel();

private:
    std::shared_ptr<State> m_state;
};

struct WebLimits
{
    // A server that stops answering never stalls a screen for ever.
    int timeoutMs = 20000;
    // A larger answer is cut off and counts as failed.
    qint64 maxBodyBytes = 1024 * 1024;
};

// The web client: a plain GET on the program's one network access manager,
// agent "Project", no proxy, never from a cache, redirects followed (at most
// five, never from https to http), TLS certificates verified. The body comes
// whole to a continuation on the event loop; nothing blocks while it loads.
class modWebservices
{
public:
    static inline const QByteArray Agent = QByteArrayLiteral("Project");

    using Limits = WebLimits;

    struct Answer
    {
        // The body as the server sent it (an error page too); empty when
        // nothing usable came.
        QByteArray body;
        int status = 0;  // HTTP status code; 0 without an answer
        bool ok = false; // the whole body came (whatever its status)
        QString error;   // why not, for the log

        // For the log: the failure, or the status and size of the body.
        QString describe() const
        {
            return ok ? QStringLiteral("HTTP %1, %2 bytes").arg(status).arg(body.size()) : error;
        }
    };
    using Done = std::function<void(const Answer&)>;

    // network: the shared manager, asked for on first use.
    explicit modWebservices(std::function<QNetworkAccessManager&()> network, Limits limits = {})
        : m_network(std::move(network)), m_limits(limits)
    {
    }

    // Starts the GET; done runs once, later, unless the request is dropped
    // first. No answer code or content type is looked at here.
    std::unique_ptr<WebRequest> FetchUrl(const QUrl& url, Done done,
                                         const QByteArray& agent = Agent);

    const Limits& limits() const { return m_limits; }

    // endpoint followed by an encoded query (after "?", or "&" when the
    // endpoint has a query of its own); kept as encoded.
    static QUrl WithQuery(const QString& endpoint, const QByteArray& encodedQuery);

private:
    std::function<QNetworkAccessManager&()> m_network;
    Limits m_limits;
};
