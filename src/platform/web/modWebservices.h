#pragma once

#include "platform/web/WebTransport.h"

// The web client: a plain GET, agent "Project", no proxy, never from a
// cache, redirects followed (at most five, never from https to http), TLS
// certificates verified. The body comes whole to a continuation on the event
// loop; nothing blocks while it loads. The time limit bounds the whole
// download, headers included, and the answer is refused as soon as its
// headers pass 64 KB or its body the size limit. The program's transport
// (libcurl) is loaded only when the first download starts.
class modWebservices
{
public:
    static inline const QByteArray Agent = QByteArrayLiteral("Project");

    using Limits = WebLimits;

    using Answer = WebAnswer;
    using Done = std::function<void(const Answer&)>;

    explicit modWebservices(WebTransport& transport, Limits limits = {})
        : m_transport(transport), m_limits(limits)
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
    WebTransport& m_transport;
    Limits m_limits;
};
