#pragma once

#include <QByteArray>
#include <QString>

// "Is this machine connected to the internet?" On Linux: a default route
// exists (IPv4 or IPv6).
class InternetState
{
public:
    virtual ~InternetState() = default;
    virtual bool isConnected() const = 0;
};

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
    // Name of the interface that holds the IPv4 default route, or empty.
    static QString defaultRouteInterface(const QByteArray& table);

private:
    QString m_v4;
    QString m_v6;
};
