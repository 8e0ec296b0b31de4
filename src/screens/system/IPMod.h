#pragma once

#include "platform/ReportOnce.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class HostLookup;
class MessageSink;

// The machine's host name and its address as dotted text, for the network
// screen. Failures give an empty text and a message; the screen asks every
// second, so each message is shown once until the call succeeds again.
//
// Resolving the name can mean a DNS query, and a server that does not answer
// holds getaddrinfo for many seconds: the lookup runs on a worker thread, and
// GetIPAddress gives the last answer until the next one is in.
class IPMod
{
public:
    // A resolved address is reused this long before it is looked up again.
    static constexpr int DefaultResolveMaxAgeMs = 30000;

    // Runs a lookup away from the caller. The default starts a detached
    // thread, so a lookup that hangs delays neither the screen nor the end
    // of the program.
    using Runner = std::function<void(std::function<void()> job)>;

    IPMod(MessageSink& messages, std::shared_ptr<const HostLookup> host,
          int resolveMaxAgeMs = DefaultResolveMaxAgeMs, Runner runner = {});
    ~IPMod();

    // The host name; empty on failure.
    QString GetHostName();
    // The first IPv4 address of the host name, each byte in decimal joined by
    // "."; empty on failure and until the first answer is in. A loopback
    // answer (Debian maps the host name to 127.0.1.1) is replaced by the
    // address of the default-route interface.
    QString GetIPAddress();

    // Dotted decimal of raw address bytes (192.168.1.10).
    static QString dotted(const QByteArray& address);

private:
    struct Answer
    {
        QByteArray name;
        int rc = 0;
        bool ok = false;
        QString address;
    };
    struct Pending; // shared with the worker

    // The whole lookup, as the worker runs it.
    static Answer lookUp(const HostLookup& host, const QByteArray& name);

    bool hostName(QByteArray& name);
    void start(const QByteArray& name);
    // Takes the worker's answer when it is in.
    void collect();

    MessageSink& m_messages;
    std::shared_ptr<const HostLookup> m_host;
    int m_resolveMaxAgeMs;
    Runner m_runner;
    ReportOnce m_hostNameFailure;
    ReportOnce m_resolveFailure;
    std::shared_ptr<Pending> m_pending; // the lookup under way
    std::optional<Answer> m_answer;     // the last one that came in
    QElapsedTimer m_answeredAt;
};
