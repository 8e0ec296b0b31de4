#include "screens/system/IPMod.h"

#include "platform/HostLookup.h"
#include "platform/Logging.h"
#include "platform/UserMessage.h"

#include <QStringList>

#include <mutex>
#include <system_error>
#include <thread>

struct IPMod::Pending
{
    std::mutex mutex;
    std::optional<Answer> answer;
};

namespace {
void runDetached(std::function<void()> job)
{
    std::thread(std::move(job)).detach();
}
} // namespace

IPMod::IPMod(MessageSink& messages, std::shared_ptr<const HostLookup> host, int resolveMaxAgeMs,
             Runner runner)
    : m_messages(messages), m_host(std::move(host)), m_resolveMaxAgeMs(resolveMaxAgeMs),
      m_runner(runner ? std::move(runner) : Runner(runDetached))
{
    Q_ASSERT(m_host);
}

// A lookup still running keeps its own share of the state and the host.
IPMod::~IPMod() = default;

QString IPMod::GetHostName()
{
    QByteArray name;
    if (!hostName(name))
        return {};
    return QString::fromLocal8Bit(name);
}

QString IPMod::GetIPAddress()
{
    QByteArray name;
    if (!hostName(name))
        return {};
    name = name.trimmed();

    collect();
    const bool fresh = m_answer && m_answer->name == name && m_resolveMaxAgeMs > 0 &&
                       !m_answeredAt.hasExpired(m_resolveMaxAgeMs);
    if (!fresh && !m_pending) {
        start(name);
        collect(); // a runner may have answered at once
    }
    // While a new answer is on its way, the last one stands.
    return m_answer && m_answer->ok ? m_answer->address : QString();
}

void IPMod::start(const QByteArray& name)
{
    auto pending = std::make_shared<Pending>();
    auto job = [pending, host = m_host, name] {
        Answer answer = lookUp(*host, name);
        const std::lock_guard<std::mutex> lock(pending->mutex);
        pending->answer = std::move(answer);
    };
    m_pending = pending;
    try {
        m_runner(std::move(job));
    } catch (const std::system_error& e) {
        // No thread to be had now: the next refresh tries again.
        qCWarning(lcScreens) << "cannot start the host name lookup:" << e.what();
        m_pending.reset();
    }
}

void IPMod::collect()
{
    if (!m_pending)
        return;
    std::optional<Answer> answer;
    {
        const std::lock_guard<std::mutex> lock(m_pending->mutex);
        answer.swap(m_pending->answer);
    }
    if (!answer)
        return;
    m_pending.reset();

    if (answer->ok) {
        m_resolveFailure.succeeded();
    } else if (m_resolveFailure.failed()) {
        qCWarning(lcScreens) << "cannot resolve host name" << answer->name << "code" << answer->rc;
        m_messages.showMessage(
            {QStringLiteral("Cannot look up the address of this computer's name %1.")
                 .arg(QString::fromLocal8Bit(answer->name)),
             MessageSeverity::Warning, MessageCategory::Network});
    }
    m_answer = std::move(answer);
    m_answeredAt.start();
}

IPMod::Answer IPMod::lookUp(const HostLookup& host, const QByteArray& name)
{
    Answer answer;
    answer.name = name;
    QList<QByteArray> addresses;
    answer.rc = host.resolveIPv4(name, addresses);
    if (answer.rc != 0 || addresses.isEmpty() || addresses.first().isEmpty())
        return answer;

    QByteArray address = addresses.first();
    if (quint8(address.at(0)) == 127) {
        // The name is mapped to loopback: the address others reach this
        // machine by is the one on the default route.
        const QString routeInterface = host.defaultRouteInterface();
        if (!routeInterface.isEmpty()) {
            const QByteArray routed = host.interfaceIPv4(routeInterface);
            if (!routed.isEmpty())
                address = routed;
        }
    }
    answer.ok = true;
    answer.address = dotted(address);
    return answer;
}

QString IPMod::dotted(const QByteArray& address)
{
    QStringList parts;
    for (const char byte : address)
        parts.append(QString::number(quint8(byte)));
    return parts.join(QLatin1Char('.'));
}

bool IPMod::hostName(QByteArray& name)
{
    int error = 0;
    if (!m_host->hostName(name, error)) {
        // GetHostName and GetIPAddress run on the same refresh: one message.
        if (m_hostNameFailure.failed()) {
            qCWarning(lcScreens) << "gethostname failed, errno" << error;
            m_messages.showMessage(
                {QStringLiteral("Cannot read this computer's name (system error %1).").arg(error),
                 MessageSeverity::Warning, MessageCategory::Network});
        }
        return false;
    }
    m_hostNameFailure.succeeded();
    return true;
}
