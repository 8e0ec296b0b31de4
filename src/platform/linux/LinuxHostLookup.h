#pragma once

#include "platform/HostLookup.h"

// gethostname, getaddrinfo and getifaddrs, and the IPv4 route table.
class LinuxHostLookup final : public HostLookup
{
public:
    explicit LinuxHostLookup(QString ipv4Routes = QStringLiteral("/proc/net/route"));
    bool hostName(QByteArray& name, int& error) const override;
    int resolveIPv4(const QByteArray& name, QList<QByteArray>& addresses) const override;
    QByteArray interfaceIPv4(const QString& interfaceName) const override;
    QString defaultRouteInterface() const override;

private:
    QString m_ipv4Routes;
};
