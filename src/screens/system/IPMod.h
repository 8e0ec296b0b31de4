#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

class HostLookup;
class MessageSink;

// The machine's host name and its address as dotted text, for the network
// screen. Failures give an empty text and a message; the screen asks every
// second, so each message is shown once until the call succeeds again.
class IPMod
{
public:
    // A resolved address is reused this long: a host name missing from
    // /etc/hosts means a DNS query, and the screen must not wait on one
    // every second.
    static constexpr int DefaultResolveMaxAgeMs = 30000;

    IPMod(MessageSink& messages, const HostLookup& host,
          int resolveMaxAgeMs = DefaultResolveMaxAgeMs);

    // The host name; empty on failure.
    QString GetHostName();
    // The first IPv4 address of the host name, each byte in decimal joined by
    // "."; empty on failure. A loopback answer (Debian maps the host name to
    // 127.0.1.1) is replaced by the address of the default-route interface.
    QString GetIPAddress();

    // Dotted decimal of raw address bytes (192.168.1.10).
    static QString dotted(const QByteArray& address);

private:
    bool hostName(QByteArray& name);
    void remember(const QByteArray& name, const QString& address, bool ok);

    MessageSink& m_messages;
    const HostLookup& m_host;
    int m_resolveMaxAgeMs;
    bool m_hostNameFailureShown = false;
    bool m_resolveFailureShown = false;
    QByteArray m_cachedName;
    QString m_cachedAddress;
    bool m_cachedOk = false;
    QElapsedTimer m_cachedAt;
};
