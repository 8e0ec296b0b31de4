#pragma once

#include "platform/web/WebTransport.h"

#include <memory>

// Downloads over libcurl on one worker thread of its own, started at the
// first request; each answer is posted back to the thread that made the
// transport. Unlike Qt Network, libcurl lets every byte of the answer,
// headers included, be counted and refused, and stops a transfer at once
// whatever the server is sending: a hostile server costs neither memory
// nor time beyond the limits.
class CurlWebTransport final : public WebTransport
{
public:
    // Headers beyond this, over all redirects, are not a web service's.
    static constexpr qint64 MaxHeaderBytes = 64 * 1024;

    CurlWebTransport();
    // Stops every transfer and the worker (within about a second).
    ~CurlWebTransport() override;
    CurlWebTransport(const CurlWebTransport&) = delete;
    CurlWebTransport& operator=(const CurlWebTransport&) = delete;

    std::unique_ptr<WebRequest> get(const QUrl& url, const QByteArray& agent,
                                    const WebLimits& limits, Done done) override;

private:
    struct Worker;
    std::shared_ptr<Worker> m_worker;
};
