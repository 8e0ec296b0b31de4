#include "platform/web/modWebservices.h"

std::unique_ptr<WebRequest> modWebservices::FetchUrl(const QUrl& url, Done done,
                                                     const QByteArray& agent)
{
    return m_transport.get(url, agent, m_limits, std::move(done));
}

QUrl modWebservices::WithQuery(const QString& endpoint, const QByteArray& encodedQuery)
{
    const QByteArray base = QUrl(endpoint).toEncoded();
    return QUrl::fromEncoded(base + (base.contains('?') ? "&" : "?") + encodedQuery);
}
