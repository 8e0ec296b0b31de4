#include "platform/linux/LinuxHostLookup.h"

#include "platform/FileReading.h"
#include "platform/Logging.h"
#include "platform/linux/LinuxInternetState.h"

#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int HostNameBuffer = 256;
constexpr qint64 MaxRouteTableBytes = 1 << 20;
} // namespace

LinuxHostLookup::LinuxHostLookup(QString ipv4Routes) : m_ipv4Routes(std::move(ipv4Routes)) {}

bool LinuxHostLookup::hostName(QByteArray& name, int& error) const
{
    char buffer[HostNameBuffer + 1] = {};
    if (::gethostname(buffer, HostNameBuffer) != 0) {
        error = errno;
        return false;
    }
    // A name that filled the buffer comes without a terminator.
    name = QByteArray(buffer, qstrnlen(buffer, HostNameBuffer));
    return true;
}

int LinuxHostLookup::resolveIPv4(const QByteArray& name, QList<QByteArray>& addresses) const
{
    addresses.clear();
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM; // one entry per address, not one per socket type
    addrinfo* result = nullptr;
    const int rc = ::getaddrinfo(name.constData(), nullptr, &hints, &result);
    if (rc != 0)
        return rc;
    for (const addrinfo* ai = result; ai; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET || !ai->ai_addr || ai->ai_addrlen < sizeof(sockaddr_in))
            continue;
        const auto* sin = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
        addresses.append(
            QByteArray(reinterpret_cast<const char*>(&sin->sin_addr.s_addr), sizeof(in_addr_t)));
    }
    ::freeaddrinfo(result);
    return addresses.isEmpty() ? EAI_NONAME : 0;
}

QByteArray LinuxHostLookup::interfaceIPv4(const QString& interfaceName) const
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        qCWarning(lcPlatform) << "getifaddrs failed, errno" << errno;
        return {};
    }
    QByteArray found;
    const QByteArray wanted = interfaceName.toLocal8Bit();
    for (const ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
        if (!ifa->ifa_addr || ifa->ifa_addr->sa_family != AF_INET || !ifa->ifa_name ||
            wanted != ifa->ifa_name)
            continue;
        const auto* sin = reinterpret_cast<const sockaddr_in*>(ifa->ifa_addr);
        found = QByteArray(reinterpret_cast<const char*>(&sin->sin_addr.s_addr), sizeof(in_addr_t));
        break;
    }
    ::freeifaddrs(list);
    return found;
}

QString LinuxHostLookup::defaultRouteInterface() const
{
    QString error;
    const auto table = readSmallFile(m_ipv4Routes, MaxRouteTableBytes, &error);
    if (!table) {
        // Same as a table without a default route: the loopback answer stands.
        qCDebug(lcPlatform) << error;
        return {};
    }
    return LinuxInternetState::defaultRouteInterface(*table);
}
