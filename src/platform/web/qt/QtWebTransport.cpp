#include "platform/web/qt/QtWebTransport.h"

#include "platform/Logging.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <array>

namespace {

struct DownloadState
{
    WebTransport::Done done;
    QPointer<QNetworkReply> reply;
    QByteArray body;
    qint64 cap = 0;
    QString failure; // set when Brellix itself aborted the download
    std::array<QMetaObject::Connection, 3> connections;

    // Stops listening and lets the reply go; the continuation is dropped.
    void release()
    {
        done = nullptr;
        for (QMetaObject::Connection& c : connections)
            QObject::disconnect(c);
        if (QNetworkReply* r = reply.data()) {
            reply.clear();
            r->abort();
            r->deleteLater(); // it may be emitting right now
        }
    }

    void readAvailable()
    {
        QNetworkReply* r = reply.data();
        if (!r || !failure.isEmpty())
            return;
        const QByteArray chunk = r->read(qMax<qint64>(0, cap - body.size() + 1));
        body.append(chunk);
        if (body.size() > cap)
            abortWith(QStringLiteral("answer larger than %1 bytes").arg(cap));
    }

    void abortWith(const QString& why)
    {
        failure = why;
        if (QNetworkReply* r = reply.data())
            r->abort(); // finished follows, and reports the failure
    }
};

// An HTTP error status (400, 404, 500...) is still an answer with a body; a
// connection, TLS or time-out failure (a body cut off too) is not.
bool isAnswer(QNetworkReply::NetworkError error, int status)
{
    return error == QNetworkReply::NoError ||
           (status != 0 && error > QNetworkReply::UnknownNetworkError);
}
} // namespace

QtWebTransport::QtWebTransport() = default;
QtWebTransport::~QtWebTransport() = default;

std::unique_ptr<WebRequest> QtWebTransport::get(const QUrl& url, const QByteArray& agent,
                                                const WebLimits& limits, Done done)
{
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        // The manager serves only these downloads, so no proxy for all of it.
        m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
    QNetworkAccessManager& manager = *m_manager;

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, agent);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(limits.timeoutMs);

    auto state = std::make_shared<DownloadState>();
    state->done = std::move(done);
    state->cap = limits.maxBodyBytes;
    QNetworkReply* reply = manager.get(request);
    state->reply = reply;
    const std::weak_ptr<DownloadState> weak = state;

    state->connections[0] = QObject::connect(reply, &QNetworkReply::readyRead, reply, [weak] {
        if (const auto s = weak.lock())
            s->readAvailable();
    });
    state->connections[1] = QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [weak] {
        const auto s = weak.lock();
        if (!s || !s->reply)
            return;
        // Refuse a body announced too large before reading any of it.
        const QVariant length = s->reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > s->cap)
            s->abortWith(QStringLiteral("answer of %1 bytes is larger than %2")
                             .arg(length.toLongLong())
                             .arg(s->cap));
    });
    state->connections[2] = QObject::connect(reply, &QNetworkReply::finished, reply, [weak, url] {
        const auto s = weak.lock();
        if (!s || !s->reply)
            return;
        s->readAvailable();
        WebAnswer answer;
        answer.status = s->reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!s->failure.isEmpty()) {
            answer.error = s->failure;
        } else if (!isAnswer(s->reply->error(), answer.status)) {
            answer.error = s->reply->errorString();
        } else {
            answer.ok = true;
            answer.body = std::move(s->body);
        }
        if (!answer.ok)
            qCDebug(lcWeb).noquote() << url.toDisplayString(QUrl::RemoveQuery) << answer.error;
        Done continuation = std::move(s->done);
        s->release();
        if (continuation)
            continuation(answer); // may drop the WebRequest: nothing after this
    });
    // Transfer timeout only counts silence; this bounds the whole download.
    QTimer::singleShot(limits.timeoutMs, reply, [weak, ms = limits.timeoutMs] {
        if (const auto s = weak.lock())
            s->abortWith(QStringLiteral("no complete answer within %1 ms").arg(ms));
    });
    return std::make_unique<WebRequest>([state = std::move(state)] { state->release(); });
}

