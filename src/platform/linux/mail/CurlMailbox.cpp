#include "platform/linux/mail/CurlMailbox.h"

#include "platform/Logging.h"
#include "platform/PasswordCommand.h"
#include "platform/PrintableText.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// What one libcurl request brought: the data, and every response line the
// server sent (libcurl hands those to the header callback), where IMAP's
// literals and the servers' reasons are found.
struct Exchange
{
    QByteArray body;
    QByteArray lines;
};

size_t appendTo(char* data, size_t size, size_t count, void* target)
{
    auto* out = static_cast<QByteArray*>(target);
    const size_t bytes = size * count;
    // A runaway answer is not mail headers: stop it.
    if (out->size() + qsizetype(bytes) > 1024 * 1024)
        return 0;
    out->append(data, qsizetype(bytes));
    return bytes;
}

// The server's last refusal: "A003 NO [AUTHENTICATIONFAILED] Authentication
// failed." gives "[AUTHENTICATIONFAILED] Authentication failed.", POP3's
// "-ERR reason" gives "reason".
QString serverReason(const QByteArray& lines)
{
    const QRegularExpression imapRefusal(QStringLiteral("^[A-Za-z]\\d+ (?:NO|BAD) (.*)$"));
    const QRegularExpression popRefusal(QStringLiteral("^-ERR ?(.*)$"));
    QString reason;
    for (const QByteArray& raw : lines.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        QRegularExpressionMatch m = imapRefusal.match(line);
        if (!m.hasMatch())
            m = popRefusal.match(line);
        if (m.hasMatch())
            reason = m.captured(1).trimmed();
    }
    return printableText(reason, 200);
}

// "* SEARCH 4 7 9": the unread messages' UIDs.
QList<quint64> searchResult(const QByteArray& body)
{
    QList<quint64> uids;
    for (const QByteArray& raw : body.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.toUpper().startsWith("* SEARCH"))
            continue;
        for (const QByteArray& word : line.mid(8).simplified().split(' ')) {
            bool ok = false;
            const quint64 uid = word.toULongLong(&ok);
            if (ok && uid > 0)
                uids.append(uid);
        }
    }
    return uids;
}

// "* ESEARCH (TAG "A5") UID MIN 7 COUNT 5000": the lowest unread UID (0
// when none is unread) and the count; false without such an answer.
bool esearchResult(const QByteArray& body, quint64& min, qint64& count)
{
    const QRegularExpression minRe(QStringLiteral("\\bMIN (\\d+)"),
                                   QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression countRe(QStringLiteral("\\bCOUNT (\\d+)"),
                                     QRegularExpression::CaseInsensitiveOption);
    for (const QByteArray& raw : body.split('\n')) {
        const QString line = QString::fromLatin1(raw.trimmed());
        if (!line.startsWith(QLatin1String("* ESEARCH"), Qt::CaseInsensitive))
            continue;
        const QRegularExpressionMatch c = countRe.match(line);
        if (!c.hasMatch())
            return false;
        count = c.captured(1).toLongLong();
        const QRegularExpressionMatch m = minRe.match(line);
        min = m.hasMatch() ? m.captured(1).toULongLong() : 0;
        return true;
    }
    return false;
}

// "* STATUS INBOX (MESSAGES 5012 UNSEEN 5000)": one of the counts, or -1.
qint64 statusItem(const QByteArray& body, const char* item)
{
    const QRegularExpression re(QStringLiteral("\\b%1 (\\d+)").arg(QLatin1String(item)),
                                QRegularExpression::CaseInsensitiveOption);
    for (const QByteArray& raw : body.split('\n')) {
        const QString line = QString::fromLatin1(raw.trimmed());
        if (!line.startsWith(QLatin1String("* STATUS"), Qt::CaseInsensitive))
            continue;
        const QRegularExpressionMatch m = re.match(line);
        if (m.hasMatch())
            return m.captured(1).toLongLong();
    }
    return -1;
}

// The mailbox of an imap:// address as an IMAP quoted string.
QByteArray quotedMailbox(const QByteArray& url)
{
    QByteArray name = QUrl::fromEncoded(url).path(QUrl::FullyDecoded).toUtf8().mid(1);
    if (name.isEmpty())
        name = "INBOX";
    name.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + name + '"';
}

// The literal of "* 1 FETCH (UID 7 BODY[HEADER.FIELDS (...)] {94}" and the
// 94 bytes after it; false when the answer holds no such message.
bool fetchedHeaders(const QByteArray& lines, QByteArray& headers)
{
    const QRegularExpression fetchLine(
        QStringLiteral("^\\* \\d+ FETCH .*BODY\\[[^\\]]*\\] (?:\\{(\\d+)\\}|\"\"|NIL)"),
        QRegularExpression::CaseInsensitiveOption);
    qsizetype start = 0;
    while (start < lines.size()) {
        qsizetype end = lines.indexOf('\n', start);
        if (end < 0)
            end = lines.size() - 1;
        const QString line = QString::fromLatin1(lines.mid(start, end - start)).trimmed();
        const QRegularExpressionMatch m = fetchLine.match(line);
        if (m.hasMatch()) {
            if (m.captured(1).isEmpty()) {
                headers.clear(); // none of the fields is there
                return true;
            }
            const qsizetype size = m.captured(1).toLongLong();
            headers = lines.mid(end + 1, size);
            return headers.size() == size;
        }
        start = end + 1;
    }
    return false;
}

// "+OK 12 48213" of STAT: the number of messages.
qint64 statCount(const QByteArray& lines)
{
    const QRegularExpression stat(QStringLiteral("^\\+OK (\\d+) \\d+"));
    qint64 count = -1;
    for (const QByteArray& raw : lines.split('\n')) {
        const QRegularExpressionMatch m = stat.match(QString::fromLatin1(raw.trimmed()));
        if (m.hasMatch())
            count = m.captured(1).toLongLong();
    }
    return count;
}

} // namespace

struct CurlMailbox::Worker
{
    explicit Worker(int timeoutMs) : timeoutMs(timeoutMs) {}

    // Shared between the caller's thread and the worker.
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    // Bumped by cancel() and the end: a request from an older generation
    // stops at libcurl's next progress call and its result is dropped.
    std::atomic<quint64> generation{0};
    std::thread thread;
    // Lives on the caller's thread; the results are posted to it.
    QObject receiver;
    const int timeoutMs;

    // The worker's own.
    CURL* easy = nullptr;
    bool signedOn = false;
    bool pop3 = false;
    // What the IMAP server offers, asked once a sign-on.
    bool capabilitiesRead = false;
    bool esearch = false;
    QByteArray url;
    quint64 jobGeneration = 0;
    char errorText[CURL_ERROR_SIZE] = {};

    void run();
    void post(quint64 generation, Done done, MailboxResult result);
    void enqueue(std::function<void()> job);

    MailboxResult doSignOn(const MailAccount& account);
    MailboxResult doCheck();
    // IMAP: the unread count and the lowest unread UID (0 when none).
    bool unreadCount(QDeadlineTimer deadline, Exchange& exchange, qint64& count, quint64& oldest,
                     QString& error);
    bool password(const MailAccount& account, QByteArray& password, QString& error);
    // Keep: reuse the connection and keep it; Fresh: a new one; Close:
    // ended (QUIT) after this command.
    enum class Connection { Keep, Fresh, Close };
    bool perform(const QByteArray& command, bool noBody, QDeadlineTimer deadline,
                 Exchange& exchange, QString& error, Connection connection = Connection::Keep);
    bool aborted() const { return jobGeneration != generation.load(); }
    // libcurl asks about once a second, also while a server keeps silent.
    static int progress(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<const Worker*>(clientp)->aborted() ? 1 : 0;
    }
};

CurlMailbox::CurlMailbox(int timeoutMs) : m_worker(std::make_unique<Worker>(timeoutMs))
{
    // Counted by libcurl: each mailbox holds one reference.
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        qCWarning(lcPlatform) << "libcurl could not be initialised";
}

CurlMailbox::~CurlMailbox()
{
    {
        const std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->stopping = true;
        m_worker->jobs.clear();
        ++m_worker->generation;
    }
    m_worker->wake.notify_all();
    if (m_worker->thread.joinable())
        m_worker->thread.join();
    if (m_worker->easy)
        curl_easy_cleanup(m_worker->easy);
    m_worker.reset();
    curl_global_cleanup();
}

void CurlMailbox::Worker::enqueue(std::function<void()> job)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back(std::move(job));
    }
    wake.notify_one();
    // Started on first use, so a run that never shows mail has no thread.
    if (!thread.joinable())
        thread = std::thread([this] { run(); });
}

void CurlMailbox::Worker::run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping)
                return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        job();
    }
}

void CurlMailbox::Worker::post(quint64 jobGen, Done done, MailboxResult result)
{
    // Runs on the receiver's thread; a cancel in between drops it there.
    QMetaObject::invokeMethod(
        &receiver,
        [this, jobGen, done = std::move(done), result = std::move(result)] {
            if (jobGen == generation.load())
                done(result);
        },
        Qt::QueuedConnection);
}

void CurlMailbox::signOn(const MailAccount& account, Done done)
{
    Worker* w = m_worker.get();
    const quint64 gen = w->generation.load();
    w->enqueue([w, gen, account, done = std::move(done)]() mutable {
        w->jobGeneration = gen;
        if (w->aborted())
            return;
        MailboxResult result = w->doSignOn(account);
        w->post(gen, std::move(done), std::move(result));
    });
}

void CurlMailbox::check(Done done)
{
    Worker* w = m_worker.get();
    const quint64 gen = w->generation.load();
    w->enqueue([w, gen, done = std::move(done)]() mutable {
        w->jobGeneration = gen;
        if (w->aborted())
            return;
        MailboxResult result = w->doCheck();
        w->post(gen, std::move(done), std::move(result));
    });
}

void CurlMailbox::cancel()
{
    const std::lock_guard<std::mutex> lock(m_worker->mutex);
    m_worker->jobs.clear();
    ++m_worker->generation;
}

QString CurlMailbox::netrcProblem(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("%1 cannot be read").arg(path);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(path);
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("%1 can be read or changed by others (mode %2): run chmod 600 %1")
            .arg(path)
            .arg(info.st_mode & 0777, 3, 8, QLatin1Char('0'));
    return {};
}

MailboxResult CurlMailbox::Worker::doSignOn(const MailAccount& account)
{
    MailboxResult result;
    signedOn = false;
    const QDeadlineTimer deadline(timeoutMs);

    QUrl parsed(account.url);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() ||
        !QStringList{QStringLiteral("imap"), QStringLiteral("imaps"), QStringLiteral("pop3"),
                     QStringLiteral("pop3s")}
             .contains(scheme)) {
        result.error = QStringLiteral("%1 is not an imaps://, imap://, pop3s:// or pop3:// address")
                           .arg(addressForLog(account.url));
        return result;
    }
    // A password never travels in the address.
    parsed.setUserInfo(QString());
    pop3 = scheme.startsWith(QLatin1String("pop3"));
    if (pop3)
        parsed.setPath(QStringLiteral("/")); // a path would name one message
    else if (parsed.path().isEmpty() || parsed.path() == QLatin1String("/"))
        parsed.setPath(QStringLiteral("/INBOX"));
    // The login name goes in the address: libcurl looks the password up in
    // netrc only for a user named there.
    parsed.setUserName(account.user);
    url = parsed.toEncoded();
    capabilitiesRead = false;

    QByteArray secret;
    const auto wipe = qScopeGuard([&secret] { secret.fill('\0'); });
    if (!password(account, secret, result.error))
        return result;

    if (easy)
        curl_easy_cleanup(easy); // a new account: a new connection
    easy = curl_easy_init();
    if (!easy) {
        result.error = QStringLiteral("libcurl cannot start a request");
        return result;
    }
    // Verified TLS only: implicit, or STARTTLS before anything else is said.
    // A libcurl that takes any of these badly is not used at all.
    bool taken =
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "imap,imaps,pop3,pop3s") == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_USE_SSL, long(CURLUSESSL_ALL)) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    // The extra CA joins the system's folder of trusted certificates, which
    // stays in use.
    if (taken && !account.caFile.isEmpty())
        taken = curl_easy_setopt(easy, CURLOPT_CAINFO,
                                 QFile::encodeName(account.caFile).constData()) == CURLE_OK;
    if (!taken) {
        result.error = QStringLiteral("this libcurl cannot make verified TLS connections");
        return result;
    }
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    if (!account.passwordCommand.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PASSWORD, secret.constData());
    } else {
        const QString netrc = QDir::homePath() + QStringLiteral("/.netrc");
        curl_easy_setopt(easy, CURLOPT_NETRC, long(CURL_NETRC_OPTIONAL));
        curl_easy_setopt(easy, CURLOPT_NETRC_FILE, QFile::encodeName(netrc).constData());
    }
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, appendTo);

    Exchange exchange;
    // IMAP: log in and open the mailbox, and keep the connection; POP3: log
    // in (a POP3 session sees the maildrop as it was at its login, so each
    // check has a session of its own).
    if (!perform("NOOP", pop3, deadline, exchange, result.error,
                 pop3 ? Connection::Close : Connection::Keep))
        return result;
    signedOn = true;
    result.ok = true;
    return result;
}

bool CurlMailbox::Worker::password(const MailAccount& account, QByteArray& secret, QString& error)
{
    if (account.passwordCommand.isEmpty()) {
        const QString netrc = QDir::homePath() + QStringLiteral("/.netrc");
        if (!QFile::exists(netrc)) {
            error = QStringLiteral("no password: set [Mail] PasswordCommand or add the mail "
                                   "server to %1")
                        .arg(netrc);
            return false;
        }
        error = CurlMailbox::netrcProblem(netrc);
        return error.isEmpty();
    }
    return PasswordCommand::run(
        account.passwordCommand, CurlMailbox::PasswordCommandTimeoutMs,
        [this] { return aborted(); }, secret, error);
}

bool CurlMailbox::Worker::perform(const QByteArray& command, bool noBody, QDeadlineTimer deadline,
                                  Exchange& exchange, QString& error, Connection connection)
{
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, connection == Connection::Fresh ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, connection == Connection::Close ? 1L : 0L);
    exchange = {};
    errorText[0] = '\0';
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, command.constData());
    curl_easy_setopt(easy, CURLOPT_NOBODY, noBody ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange.body);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange.lines);
    const qint64 left = std::max<qint64>(1, deadline.remainingTime());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(left));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(left));
    const CURLcode code = curl_easy_perform(easy);
    if (code == CURLE_OK)
        return true;

    error = QString::fromUtf8(curl_easy_strerror(code));
    const QString detail = QString::fromUtf8(errorText).trimmed();
    if (!detail.isEmpty() && detail != error)
        error += QStringLiteral(": ") + detail;
    const QString reason = serverReason(exchange.lines);
    if (!reason.isEmpty())
        error += QStringLiteral(" (server: %1)").arg(reason);
    return false;
}

bool CurlMailbox::Worker::unreadCount(QDeadlineTimer deadline, Exchange& exchange, qint64& count,
                                      quint64& oldest, QString& error)
{
    if (esearch) {
        if (!perform("UID SEARCH RETURN (MIN COUNT) UNSEEN", false, deadline, exchange, error))
            return false;
        if (!esearchResult(exchange.body, oldest, count)) {
            error = QStringLiteral("the server did not say how many messages are unread");
            return false;
        }
        if (count > 0 && oldest == 0) {
            error = QStringLiteral("the server did not name the oldest unread message");
            return false;
        }
        return true;
    }
    // Without ESEARCH: the count from STATUS, and the oldest unread message
    // from searches over a window of messages at a time, each answer short.
    if (!perform("STATUS " + quotedMailbox(url) + " (MESSAGES UNSEEN)", false, deadline, exchange,
                 error))
        return false;
    count = statusItem(exchange.body, "UNSEEN");
    const qint64 messages = statusItem(exchange.body, "MESSAGES");
    if (count < 0 || messages < 0) {
        error = QStringLiteral("the server did not say how many messages are unread");
        return false;
    }
    constexpr qint64 Window = 1000;
    for (qint64 first = 1; count > 0 && oldest == 0 && first <= messages; first += Window) {
        const QByteArray search = "UID SEARCH UNSEEN " + QByteArray::number(first) + ':' +
                                  QByteArray::number(first + Window - 1);
        if (!perform(search, false, deadline, exchange, error))
            return false;
        // UIDs grow with the message numbers: the first window with unread
        // mail holds the oldest.
        const QList<quint64> uids = searchResult(exchange.body);
        if (!uids.isEmpty())
            oldest = *std::min_element(uids.begin(), uids.end());
    }
    if (count > 0 && oldest == 0) {
        error = QStringLiteral("the server did not name the oldest unread message");
        return false;
    }
    return true;
}

MailboxResult CurlMailbox::Worker::doCheck()
{
    MailboxResult result;
    if (!signedOn || !easy) {
        result.error = QStringLiteral("not signed on");
        return result;
    }
    const QDeadlineTimer deadline(timeoutMs);
    Exchange exchange;
    if (pop3) {
        if (!perform("STAT", true, deadline, exchange, result.error, Connection::Fresh))
            return result;
        result.count = statCount(exchange.lines);
        if (result.count < 0) {
            result.error = QStringLiteral("the server did not say how many messages there are");
            return result;
        }
        if (result.count > 0) {
            // The header lines of message 1, no body: reading does not
            // change the maildrop.
            if (!perform("TOP 1 0", false, deadline, exchange, result.error, Connection::Close))
                return result;
            result.headers = exchange.body;
            result.headersRead = true;
        } else {
            // Ends the session, so the maildrop is not held until the next check.
            QString ignored;
            perform("NOOP", true, deadline, exchange, ignored, Connection::Close);
        }
        result.ok = true;
        return result;
    }

    // On a connection kept from an earlier visit the server reports new
    // mail when asked; a search alone still sees the mailbox as it was.
    if (!perform("NOOP", false, deadline, exchange, result.error))
        return result;
    if (!capabilitiesRead) {
        if (!perform("CAPABILITY", false, deadline, exchange, result.error))
            return result;
        esearch = QString::fromLatin1(exchange.body)
                      .split(QRegularExpression(QStringLiteral("\\s+")))
                      .contains(QStringLiteral("ESEARCH"), Qt::CaseInsensitive);
        capabilitiesRead = true;
    }
    // The count and the oldest unread message (the lowest UID) without a
    // list of every unread UID, which has no bound in a large mailbox.
    quint64 oldest = 0;
    if (!unreadCount(deadline, exchange, result.count, oldest, result.error))
        return result;
    if (result.count > 0) {
        // PEEK leaves it unread.
        const QByteArray fetch = "UID FETCH " + QByteArray::number(oldest) +
                                 " (BODY.PEEK[HEADER.FIELDS (FROM SUBJECT DATE)])";
        if (!perform(fetch, false, deadline, exchange, result.error))
            return result;
        if (!fetchedHeaders(exchange.lines, result.headers)) {
            result.error = QStringLiteral("message UID %1 could not be read").arg(oldest);
            return result;
        }
        result.headersRead = true;
    }
    result.ok = true;
    return result;
}
