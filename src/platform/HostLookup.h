#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The system calls behind the host name and address, so that IPMod's rules
// can be exercised without changing the machine's name or resolver. IPMod
// calls the lookups from a worker thread: they must not touch shared state.
class HostLookup
{
public:
    virtual ~HostLookup() = default;
    // gethostname(): the name, or false with errno in error.
    virtual bool hostName(QByteArray& name, int& error) const = 0;
    // getaddrinfo() for IPv4: 0 and the addresses (4 bytes each, network
    // order) in the resolver's order, or the EAI_* code.
    virtual int resolveIPv4(const QByteArray& name, QList<QByteArray>& addresses) const = 0;
    // The first IPv4 address (4 bytes) of the named interface, empty when none.
    virtual QByteArray interfaceIPv4(const QString& interfaceName) const = 0;
    // The interface holding the IPv4 default route, empty when there is none.
    virtual QString defaultRouteInterface() const = 0;
};
