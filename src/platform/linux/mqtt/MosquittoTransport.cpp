#include "platform/linux/mqtt/MosquittoTransport.h"

#include "platform/Logging.h"
#include "platform/PasswordCommand.h"

#include <QFile>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QThread>

#include <mosquitto.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>

namespace {
constexpr int KeepAliveSeconds = 30;
// Housekeeping (the keep-alive's ping) needs to run well within it.
constexpr int HousekeepingMs = 5000;
// The user may have to unlock a keyring first.
constexpr int PasswordCommandTimeoutMs = 60000;
constexpr int Qos = 1;

// The broker's CONNACK refusals of MQTT 3.1.1, in Brellix's words.
QString refusal(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("the broker does not speak MQTT 3.1.1");
    case 2:
        return QStringLiteral("the client id was refused");
    case 3:
        return QStringLiteral("the broker is unavailable");
    case 4:
        return QStringLiteral("bad user name or password");
    case 5:
        return QStringLiteral("not authorised");
    default:
        return QString::fromUtf8(mosquitto_connack_string(code));
    }
}

// libmosquitto's own words, without the capital and full stop.
QString libraryWords(int rc)
{
    QString words = QString::fromUtf8(mosquitto_strerror(rc));
    if (words.endsWith(u'.'))
        words.chop(1);
    if (!words.isEmpty())
        words[0] = words[0].toLower();
    return words;
}

} // namespace

struct MosquittoTransport::Callbacks
{
    static MosquittoTransport& self(void* obj) { return *static_cast<MosquittoTransport*>(obj); }

    static void connected(mosquitto*, void* obj, int code)
    {
        self(obj).m_accepted = code == 0;
        self(obj).m_refusal = code;
    }

    static void message(mosquitto*, void* obj, const mosquitto_message* m)
    {
        self(obj).m_inbox.append(
            {QByteArray(m->topic),
             QByteArray(static_cast<const char*>(m->payload), qsizetype(m->payloadlen))});
    }

    // The broker's certificate, why it fails, and the one of its chain
    // that failed when another.
    static int verify(int ok, X509_STORE_CTX* store)
    {
        if (ok)
            return 1;
        auto* ssl = static_cast<SSL*>(
            X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* transport =
            static_cast<MosquittoTransport*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
        if (!transport || !transport->m_certificate.isEmpty())
            return 0;
        const auto subject = [](X509* cert) {
            char name[256] = "(none)";
            if (cert)
                X509_NAME_oneline(X509_get_subject_name(cert), name, sizeof name);
            return QString::fromUtf8(name);
        };
        const QString broker = subject(X509_STORE_CTX_get0_cert(store));
        const QString failed = subject(X509_STORE_CTX_get_current_cert(store));
        transport->m_certificate = QStringLiteral("the broker's certificate %1 does not verify: %2")
                                       .arg(broker, QString::fromUtf8(X509_verify_cert_error_string(
                                                        X509_STORE_CTX_get_error(store))));
        if (failed != broker)
            transport->m_certificate += QStringLiteral(" (%1)").arg(failed);
        return 0;
    }
};

MosquittoTransport::MosquittoTransport()
{
    mosquitto_lib_init(); // counted: each connection holds the library up
    m_mosq = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_mosq, &Callbacks::connected);
    mosquitto_message_callback_set(m_mosq, &Callbacks::message);
    m_housekeeping.setInterval(HousekeepingMs);
    connect(&m_housekeeping, &QTimer::timeout, this,
            [this] { settle(mosquitto_loop_misc(m_mosq), errno); });
}

MosquittoTransport::~MosquittoTransport()
{
    m_leaving = true;
    if (m_attempt)
        m_attempt->wait();
    if (m_phase == Phase::Connected)
        mosquitto_disconnect(m_mosq); // written at once: no loop runs it
    closeNotifiers();
    mosquitto_destroy(m_mosq);
    mosquitto_lib_cleanup();
    if (m_tls)
        SSL_CTX_free(m_tls);
    m_secret.fill('\0');
}

QString MosquittoTransport::prepareTls(const MqttEndpoint& endpoint)
{
    if (m_tls)
        return {};
    m_tls = SSL_CTX_new(TLS_client_method());
    if (!m_tls)
        return QStringLiteral("no TLS context");
    SSL_CTX_set_min_proto_version(m_tls, TLS1_2_VERSION);
    const bool loaded =
        endpoint.caFile.isEmpty()
            ? SSL_CTX_set_default_verify_paths(m_tls) == 1
            : SSL_CTX_load_verify_file(m_tls, QFile::encodeName(endpoint.caFile).constData()) == 1;
    if (!loaded) {
        ERR_clear_error();
        return endpoint.caFile.isEmpty()
                   ? QStringLiteral("the system's CA certificates cannot be read")
                   : QStringLiteral("CaFile %1 holds no CA certificate that can be read")
                         .arg(endpoint.caFile);
    }
    // The name (or address) in the address is the one the certificate must
    // be for.
    X509_VERIFY_PARAM* param = SSL_CTX_get0_param(m_tls);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    const QByteArray host = endpoint.host.toUtf8();
    unsigned char address[sizeof(in6_addr)];
    if (inet_pton(AF_INET, host.constData(), address) == 1 ||
        inet_pton(AF_INET6, host.constData(), address) == 1)
        X509_VERIFY_PARAM_set1_ip_asc(param, host.constData());
    else
        X509_VERIFY_PARAM_set1_host(param, host.constData(), 0);
    SSL_CTX_set_verify(m_tls, SSL_VERIFY_PEER, &Callbacks::verify);
    SSL_CTX_set_app_data(m_tls, this);
    return {};
}

void MosquittoTransport::open(const MqttEndpoint& endpoint)
{
    if (m_phase != Phase::Closed)
        return;
    QString problem = endpoint.tls ? prepareTls(endpoint) : QString();
    if (problem.isEmpty()) {
        const QByteArray clientId = endpoint.clientId.toUtf8();
        mosquitto_reinitialise(m_mosq, clientId.constData(), true, this);
        mosquitto_connect_callback_set(m_mosq, &Callbacks::connected);
        mosquitto_message_callback_set(m_mosq, &Callbacks::message);
        if (m_tls) {
            // The context as made here, without libmosquitto's own settings.
            mosquitto_void_option(m_mosq, MOSQ_OPT_SSL_CTX, m_tls);
            mosquitto_int_option(m_mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
        }
        if (mosquitto_will_set(m_mosq, endpoint.willTopic.constData(),
                               int(endpoint.willPayload.size()), endpoint.willPayload.constData(),
                               Qos, true) != MOSQ_ERR_SUCCESS)
            problem = QStringLiteral("the topic %1 cannot be a last will")
                          .arg(QString::fromUtf8(endpoint.willTopic));
    }
    if (!problem.isEmpty()) {
        QTimer::singleShot(0, this, [this, problem] {
            if (m_events.disconnected)
                m_events.disconnected(problem);
        });
        return;
    }
    m_phase = Phase::Starting;
    m_certificate.clear();
    m_refusal = 0;
    m_accepted = false;
    // What may block: the password command, the name lookup and the start
    // of the connection; libmosquitto is not touched here meanwhile.
    m_attempt.reset(QThread::create([this, endpoint] {
        QString why;
        int rc = MOSQ_ERR_SUCCESS;
        int error = 0;
        if (!endpoint.user.isEmpty() && !endpoint.passwordCommand.isEmpty() && m_secret.isEmpty() &&
            !PasswordCommand::run(
                endpoint.passwordCommand, PasswordCommandTimeoutMs,
                [this] { return m_leaving.load(); }, m_secret, why))
            rc = MOSQ_ERR_AUTH;
        if (rc == MOSQ_ERR_SUCCESS && !endpoint.user.isEmpty())
            rc = mosquitto_username_pw_set(m_mosq, endpoint.user.toUtf8().constData(),
                                           m_secret.isEmpty() ? nullptr : m_secret.constData());
        if (rc == MOSQ_ERR_SUCCESS) {
            rc = mosquitto_connect_async(m_mosq, endpoint.host.toUtf8().constData(), endpoint.port,
                                         KeepAliveSeconds);
            error = errno;
        }
        if (why.isEmpty() && rc == MOSQ_ERR_EAI)
            why = QString::fromLocal8Bit(gai_strerror(error));
        else if (why.isEmpty() && rc != MOSQ_ERR_SUCCESS)
            why = describe(rc, error);
        QMetaObject::invokeMethod(
            this, [this, rc, why] { started(rc, why); }, Qt::QueuedConnection);
    }));
    m_attempt->start();
}

void MosquittoTransport::started(int rc, const QString& why)
{
    m_attempt->wait();
    m_attempt.reset();
    const int fd = mosquitto_socket(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS || fd < 0) {
        m_phase = Phase::Closed;
        if (m_events.disconnected)
            // The handshake may have begun, and failed, already.
            m_events.disconnected(!m_certificate.isEmpty() ? m_certificate
                                  : why.isEmpty()          ? describe(rc, 0)
                                                           : why);
        return;
    }
    m_phase = Phase::Connecting;
    m_readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &MosquittoTransport::serviceRead);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &MosquittoTransport::serviceWrite);
    m_housekeeping.start();
    settle(MOSQ_ERR_SUCCESS, 0);
}

void MosquittoTransport::serviceRead()
{
    const int rc = mosquitto_loop_read(m_mosq, 1);
    settle(rc, errno);
}

void MosquittoTransport::serviceWrite()
{
    const int rc = mosquitto_loop_write(m_mosq, 1);
    settle(rc, errno);
}

void MosquittoTransport::settle(int rc, int error)
{
    if (m_phase != Phase::Connecting && m_phase != Phase::Connected)
        return;
    const bool accepted = std::exchange(m_accepted, false) && m_phase == Phase::Connecting;
    if (accepted)
        m_phase = Phase::Connected;
    const auto inbox = std::exchange(m_inbox, {});
    // A failed call has closed the socket (or left it to be closed).
    const bool gone = rc != MOSQ_ERR_SUCCESS || mosquitto_socket(m_mosq) < 0;
    QString why;
    if (gone) {
        why = m_refusal != 0             ? refusal(m_refusal)
              : !m_certificate.isEmpty() ? m_certificate
                                         : describe(rc, error);
        // A password refused may have been changed meanwhile: asked again.
        if (m_refusal == 4 || m_refusal == 5) {
            m_secret.fill('\0');
            m_secret.clear();
        }
        closeNotifiers();
        m_phase = Phase::Closed;
    } else if (m_writable) {
        m_writable->setEnabled(mosquitto_want_write(m_mosq));
    }
    const Events events = m_events; // a handler may replace them
    if (accepted && events.connected)
        events.connected();
    for (const auto& [topic, payload] : inbox) {
        if (events.message)
            events.message(topic, payload);
    }
    if (gone && events.disconnected)
        events.disconnected(why);
}

void MosquittoTransport::closeNotifiers()
{
    m_housekeeping.stop();
    m_readable.reset();
    m_writable.reset();
}

QString MosquittoTransport::describe(int rc, int error) const
{
    if (rc == MOSQ_ERR_ERRNO || (rc == MOSQ_ERR_SUCCESS && error != 0))
        return error == EPROTO && m_tls ? QStringLiteral("the TLS handshake failed")
                                        : QString::fromLocal8Bit(std::strerror(error));
    return libraryWords(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc);
}

void MosquittoTransport::publish(const QByteArray& topic, const QByteArray& payload, bool retain)
{
    if (m_phase != Phase::Connected)
        return;
    const int rc = mosquitto_publish(m_mosq, nullptr, topic.constData(), int(payload.size()),
                                     payload.constData(), Qos, retain);
    if (rc != MOSQ_ERR_SUCCESS)
        qCDebug(lcMqtt).noquote() << "not published:" << libraryWords(rc);
    settle(rc == MOSQ_ERR_CONN_LOST ? rc : MOSQ_ERR_SUCCESS, errno);
}

void MosquittoTransport::subscribe(const QByteArray& filter)
{
    if (m_phase != Phase::Connected)
        return;
    const int rc = mosquitto_subscribe(m_mosq, nullptr, filter.constData(), Qos);
    settle(rc == MOSQ_ERR_CONN_LOST ? rc : MOSQ_ERR_SUCCESS, errno);
}

void MosquittoTransport::unsubscribe(const QByteArray& filter)
{
    if (m_phase != Phase::Connected)
        return;
    const int rc = mosquitto_unsubscribe(m_mosq, nullptr, filter.constData());
    settle(rc == MOSQ_ERR_CONN_LOST ? rc : MOSQ_ERR_SUCCESS, errno);
}
