#pragma once

#include "platform/InternetState.h"

#include <QByteArray>
#include <QString>

// Connected means a default route exists (IPv4 or IPv6): the closest the
// kernel comes to "the internet is reachable" without sending anything.
class LinuxInternetState final : public InternetState
{
public:
    // Paths are parameters so tests can use fixture files.
    explicit LinuxInternetState(QString ipv4Routes = QStringLiteral("/proc/net/route"),
                                QString ipv6Routes = QStringLiteral("/proc/net/ipv6_route"));
    bool isConnected() const override;

    // Pure parsers of the two route tables: true when an up route with an
    // all-zero destination and prefix exists (loopback excluded).
    static bool hasDefaultRouteV4(const QByteArray& table);
    static bool hasDefaultRouteV6(const QByteArray& table);
    // Name of the interface that holds the IPv4 default route (the lowest
    // metric when there are several), or empty.
    static QString defaultRouteInterface(const QByteArray& table);

private:
    QString m_v4;
    QString m_v6;
};
