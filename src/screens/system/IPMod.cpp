#include "screens/system/IPMod.h"

#include "platform/Logging.h"
#include "platform/UserMessage.h"
#include "screens/system/HostLookup.h"

#include <QStringList>

IPMod::IPMod(MessageSink& messages, const HostLookup& host, int resolveMaxAgeMs)
    : m_messages(messages), m_host(host), m_resolveMaxAgeMs(resolveMaxAgeMs)
{
}

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

    if (m_resolveMaxAgeMs > 0 && m_cachedAt.isValid() && name == m_cachedName &&
        !m_cachedAt.hasExpired(m_resolveMaxAgeMs))
        return m_cachedOk ? m_cachedAddress : QString();

    QList<QByteArray> addresses;
    const int rc = m_host.resolveIPv4(name, addresses);
    if (rc != 0 || addresses.isEmpty() || addresses.first().isEmpty()) {
        if (!m_resolveFailureShown) {
            m_resolveFailureShown = true;
            qCWarning(lcScreens) << "cannot resolve host name" << name << "code" << rc;
            m_messages.showMessage(QStringLiteral("Windows Sockets are not responding. "
                                                  "Unable to successfully get Host Name."),
                                   MessageIcon::Exclamation);
        }
        remember(name, {}, false);
        return {};
    }
    m_resolveFailureShown = false;

    QByteArray address = addresses.first();
    if (quint8(address.at(0)) == 127) {
        // The name is mapped to loopback: the address others reach this
        // machine by is the one on the default route.
        const QString routeInterface = m_host.defaultRouteInterface();
        if (!routeInterface.isEmpty()) {
            const QByteArray routed = m_host.interfaceIPv4(routeInterface);
            if (!routed.isEmpty())
                address = routed;
        }
    }
    const QString text = dotted(address);
    remember(name, text, true);
    return text;
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
    if (!m_host.hostName(name, error)) {
        // GetHostName and GetIPAddress run on the same refresh: one message.
        if (!m_hostNameFailureShown) {
            m_hostNameFailureShown = true;
            qCWarning(lcScreens) << "gethostname failed, errno" << error;
            m_messages.showMessage(QStringLiteral("Windows Sockets error %1 has occurred. "
                                                  "Unable to successfully get Host Name.")
                                       .arg(error),
                                   MessageIcon::Exclamation);
        }
        return false;
    }
    m_hostNameFailureShown = false;
    return true;
}

void IPMod::remember(const QByteArray& name, const QString& address, bool ok)
{
    m_cachedName = name;
    m_cachedAddress = address;
    m_cachedOk = ok;
    m_cachedAt.start();
}
