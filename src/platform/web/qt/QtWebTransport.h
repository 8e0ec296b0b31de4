#pragma once

#include "platform/web/WebTransport.h"

#include <memory>

class QNetworkAccessManager;

// Downloads on one network access manager of its own, made at the first
// request.
class QtWebTransport final : public WebTransport
{
public:
    QtWebTransport();
    ~QtWebTransport() override;

    std::unique_ptr<WebRequest> get(const QUrl& url, const QByteArray& agent,
                                    const WebLimits& limits, Done done) override;

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
};
