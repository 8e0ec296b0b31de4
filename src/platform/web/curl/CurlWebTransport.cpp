#include "platform/web/curl/CurlWebTransport.h"

#include "platform/Logging.h"

#include <QObject>

#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// One download. The caller's thread sets it up and owns done; the worker
// owns the rest while the transfer runs.
struct Transfer
{
    QByteArray url;
    QByteArray agent;
    WebLimits limits;
    bool secure = false; // https so far: a redirect may not leave it
    // Set when the request is dropped: the transfer ends at the worker's
    // next turn (or libcurl's next progress call) and nothing is posted.
    std::atomic<bool> cancelled{false};
    WebTransport::Done done; // the caller's thread only

    // The worker's.
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    QByteArray body;
    qint64 headerBytes = 0;
    int status = 0;        // of the response whose headers are coming
    qint64 announced = -1; // its Content-Length
    bool redirecting = false;
    QString refusal; // set when Brellix itself stopped the transfer
    char errorText[CURL_ERROR_SIZE] = {};

    bool refuse(const QString& why)
    {
        refusal = why;
        return false;
    }

    // libcurl hands over each header line of each response, redirects too.
    bool header(const QByteArray& line)
    {
        headerBytes += line.size();
        if (headerBytes > CurlWebTransport::MaxHeaderBytes)
            return refuse(QStringLiteral("headers larger than %1 bytes")
                              .arg(CurlWebTransport::MaxHeaderBytes));
        if (line.startsWith("HTTP/")) {
            status = line.split(' ').value(1).toInt();
            announced = -1;
            redirecting = false;
            return true;
        }
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (colon > 0 && name == "content-length") {
            bool ok = false;
            announced = value.toLongLong(&ok);
            if (!ok)
                announced = -1;
        } else if (colon > 0 && name == "location" && status >= 300 && status < 400) {
            redirecting = true;
            // A relative location keeps the scheme.
            const QByteArray scheme = value.left(value.indexOf("://")).toLower();
            if (secure && scheme == "http")
                return refuse(QStringLiteral("redirected from https to http"));
            if (scheme == "https")
                secure = true;
        } else if (line.trimmed().isEmpty() && !redirecting && status >= 200 &&
                   announced > limits.maxBodyBytes) {
            // Refused before any of the body is read.
            return refuse(QStringLiteral("answer of %1 bytes is larger than %2")
                              .arg(announced)
                              .arg(limits.maxBodyBytes));
        }
        return true;
    }

    bool data(const char* bytes, qsizetype size)
    {
        if (body.size() + size > limits.maxBodyBytes)
            return refuse(QStringLiteral("answer larger than %1 bytes").arg(limits.maxBodyBytes));
        body.append(bytes, size);
        return true;
    }

    static size_t onHeader(char* bytes, size_t size, size_t count, void* self)
    {
        const size_t n = size * count;
        return static_cast<Transfer*>(self)->header(QByteArray(bytes, qsizetype(n))) ? n : 0;
    }
    static size_t onData(char* bytes, size_t size, size_t count, void* self)
    {
        const size_t n = size * count;
        return static_cast<Transfer*>(self)->data(bytes, qsizetype(n)) ? n : 0;
    }
    // About once a second, also while the server keeps silent.
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<Transfer*>(self)->cancelled.load() ? 1 : 0;
    }

    // A plain GET as the web client makes it; false when libcurl refuses
    // any of it.
    bool start()
    {
        easy = curl_easy_init();
        if (!easy)
            return false;
        headers = curl_slist_append(headers, "Cache-Control: no-cache");
        headers = curl_slist_append(headers, "Pragma: no-cache");
        const bool taken =
            curl_easy_setopt(easy, CURLOPT_URL, url.constData()) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_PROXY, "") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_NOPROXY, "*") == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(limits.timeoutMs)) == CURLE_OK;
        if (!taken)
            return false;
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onData);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        return true;
    }

    WebAnswer answer(CURLcode result)
    {
        WebAnswer a;
        long code = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
        a.status = int(code);
        using F = WebAnswer::Failure;
        if (result == CURLE_OK) {
            a.ok = true;
            a.body = std::move(body);
            return a;
        }
        a.error = errorText[0] ? QString::fromUtf8(errorText)
                               : QString::fromUtf8(curl_easy_strerror(result));
        switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
            a.failure = F::Name;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            a.failure = F::Timeout;
            a.error = QStringLiteral("no complete answer within %1 ms").arg(limits.timeoutMs);
            break;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            a.failure = F::Tls;
            break;
        default:
            a.failure = refusal.isEmpty() && a.status == 0 ? F::Connection : F::Answer;
        }
        if (!refusal.isEmpty())
            a.error = refusal;
        return a;
    }

    ~Transfer() { curl_slist_free_all(headers); }
};

} // namespace

struct CurlWebTransport::Worker
{
    // Shared between the caller's thread and the worker.
    std::mutex mutex;
    std::vector<std::shared_ptr<Transfer>> incoming;
    bool stopping = false;
    CURLM* multi = curl_multi_init();
    std::thread thread;
    // Lives on the caller's thread; the answers are posted to it.
    QObject receiver;

    ~Worker() { curl_multi_cleanup(multi); }

    void wake() { curl_multi_wakeup(multi); }
    void run();
    void post(const std::shared_ptr<Transfer>& transfer, WebAnswer answer);
};

void CurlWebTransport::Worker::run()
{
    std::vector<std::shared_ptr<Transfer>> active;
    // The handle goes here, on the worker, whoever holds the transfer last.
    const auto end = [this, &active](size_t i) {
        Transfer& t = *active[i];
        curl_multi_remove_handle(multi, t.easy);
        curl_easy_cleanup(std::exchange(t.easy, nullptr));
        active.erase(active.begin() + qsizetype(i));
    };
    for (;;) {
        std::vector<std::shared_ptr<Transfer>> added;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                break;
            added.swap(incoming);
        }
        for (std::shared_ptr<Transfer>& t : added) {
            if (t->start() && curl_multi_add_handle(multi, t->easy) == CURLM_OK) {
                active.push_back(std::move(t));
            } else {
                curl_easy_cleanup(std::exchange(t->easy, nullptr));
                WebAnswer a;
                a.error = QStringLiteral("libcurl cannot make this request");
                a.failure = WebAnswer::Failure::Connection;
                post(t, std::move(a));
            }
        }
        for (size_t i = active.size(); i-- > 0;)
            if (active[i]->cancelled.load())
                end(i);

        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            for (size_t i = 0; i < active.size(); ++i) {
                if (active[i]->easy != message->easy_handle)
                    continue;
                const std::shared_ptr<Transfer> t = active[i];
                WebAnswer answer = t->answer(message->data.result);
                end(i);
                post(t, std::move(answer));
                break;
            }
        }
        // New requests, cancels and the end wake it early; libcurl shortens
        // the wait to what its own timers need. Idle, it sleeps.
        curl_multi_poll(multi, nullptr, 0, active.empty() ? 3600 * 1000 : 1000, nullptr);
    }
    for (size_t i = active.size(); i-- > 0;)
        end(i);
}

void CurlWebTransport::Worker::post(const std::shared_ptr<Transfer>& transfer, WebAnswer answer)
{
    if (!answer.ok)
        qCDebug(lcWeb).noquote()
            << QUrl::fromEncoded(transfer->url).toDisplayString(QUrl::RemoveQuery) << answer.error;
    // The caller's thread drops it there if the request went in between.
    QMetaObject::invokeMethod(
        &receiver,
        [transfer, answer = std::move(answer)] {
            if (WebTransport::Done done = std::exchange(transfer->done, nullptr);
                done && !transfer->cancelled.load())
                done(answer); // may drop the WebRequest: nothing after this
        },
        Qt::QueuedConnection);
}

CurlWebTransport::CurlWebTransport()
{
    // Counted by libcurl: each transport holds one reference.
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        qCWarning(lcWeb) << "libcurl could not be initialised";
    m_worker = std::make_shared<Worker>();
}

CurlWebTransport::~CurlWebTransport()
{
    {
        const std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->stopping = true;
        m_worker->incoming.clear();
    }
    m_worker->wake();
    if (m_worker->thread.joinable())
        m_worker->thread.join();
    m_worker.reset();
    curl_global_cleanup();
}

std::unique_ptr<WebRequest> CurlWebTransport::get(const QUrl& url, const QByteArray& agent,
                                                  const WebLimits& limits, Done done)
{
    auto transfer = std::make_shared<Transfer>();
    transfer->url = url.toEncoded(QUrl::RemoveFragment);
    transfer->agent = agent;
    transfer->limits = limits;
    transfer->secure = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    transfer->done = std::move(done);
    {
        const std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->incoming.push_back(transfer);
    }
    // Started on first use, so a run that never fetches has no thread.
    if (!m_worker->thread.joinable())
        m_worker->thread = std::thread([w = m_worker.get()] { w->run(); });
    m_worker->wake();
    const std::weak_ptr<Worker> worker = m_worker;
    return std::make_unique<WebRequest>([transfer, worker] {
        transfer->cancelled = true;
        transfer->done = nullptr;
        if (const auto w = worker.lock())
            w->wake();
    });
}
