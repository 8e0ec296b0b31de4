#pragma once

// A small HTTP/1.1 server on loopback for the web tests: canned answers per
// path, in order (the last one repeats), with delays, silence, redirects and
// bodies without a length; it records every request as received. Header
// only, so only the tests that use it need Qt Network.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class HttpFixture
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body = {};
        QList<QPair<QByteArray, QByteArray>> headers = {};
        int delayMs = 0;
        bool neverAnswer = false;   // accept, read, never write
        bool withoutLength = false; // no Content-Length: the body ends with the connection
        // Written as-is instead: head, unit repeated (for ever when
        // units < 0) as fast as the client reads, then tail.
        struct Flood
        {
            QByteArray head;
            QByteArray unit;
            qint64 units = -1;
            QByteArray tail;
        };
        std::optional<Flood> flood = {};
    };
    static Reply flooding(const QByteArray& head, const QByteArray& unit, qint64 units = -1,
                          const QByteArray& tail = {})
    {
        Reply r;
        r.flood = Reply::Flood{head, unit, units, tail};
        return r;
    }
    static Reply answer(int status, const QByteArray& body)
    {
        return {.status = status, .body = body};
    }
    static Reply silent() { return {.neverAnswer = true}; }
    static Reply unsized(const QByteArray& body) { return {.body = body, .withoutLength = true}; }
    static Reply late(int delayMs, const QByteArray& body)
    {
        return {.body = body, .delayMs = delayMs};
    }
    static Reply redirect(const QByteArray& location)
    {
        return {.status = 302, .headers = {{"Location", location}}};
    }

    struct Request
    {
        QByteArray target;                     // path and query exactly as sent
        QHash<QByteArray, QByteArray> headers; // lower-case names
        QByteArray agent() const { return headers.value("user-agent"); }
    };

    HttpFixture() { m_server.listen(QHostAddress::LocalHost); }

    bool isListening() const { return m_server.isListening(); }
    QString base() const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    QUrl url(const QString& target) const { return QUrl(base() + target); }

    // Answers for a path (without its query); later ones for later requests.
    void on(const QByteArray& path, QList<Reply> replies) { m_routes[path] = std::move(replies); }
    void on(const QByteArray& path, const QByteArray& body, int status = 200)
    {
        on(path, {answer(status, body)});
    }

    QList<Request> requests;
    int closedByClient = 0; // connections the client dropped before an answer

    // A loopback port where nothing listens.
    static quint16 refusedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            auto answered = std::make_shared<bool>(false);
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket, buffer, answered] {
                                 buffer->append(socket->readAll());
                                 if (*answered || !buffer->contains("\r\n\r\n"))
                                     return;
                                 *answered = true;
                                 handle(socket, *buffer);
                             });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                if (!socket->property("replied").toBool())
                    ++closedByClient;
                socket->deleteLater();
            });
        }
    }

    void handle(QTcpSocket* socket, const QByteArray& head)
    {
        const QList<QByteArray> lines = head.left(head.indexOf("\r\n\r\n")).split('\n');
        Request request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.target = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        requests.append(request);

        const QByteArray path = request.target.left(
            request.target.indexOf('?') < 0 ? request.target.size() : request.target.indexOf('?'));
        Reply reply;
        auto route = m_routes.find(path);
        if (route == m_routes.end() || route->isEmpty()) {
            reply.status = 404;
            reply.body = "<html><body>Not Found</body></html>";
        } else {
            reply = route->size() > 1 ? route->takeFirst() : route->first();
        }
        if (reply.neverAnswer)
            return;
        if (reply.flood) {
            sendFlood(socket, *reply.flood);
            return;
        }
        const auto send = [socket, reply] {
            QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Canned\r\n";
            if (!reply.withoutLength)
                out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
            for (const auto& [name, value] : reply.headers)
                out += name + ": " + value + "\r\n";
            out += "Connection: close\r\n\r\n" + reply.body;
            socket->setProperty("replied", true);
            socket->write(out);
            socket->disconnectFromHost();
        };
        if (reply.delayMs > 0)
            QTimer::singleShot(reply.delayMs, socket, send);
        else
            send();
    }

    // Only a little is ever buffered here, so the test's own memory says
    // what the client holds.
    static void sendFlood(QTcpSocket* socket, const Reply::Flood& flood)
    {
        QByteArray block;
        const qint64 perBlock = qMax<qint64>(1, 65536 / flood.unit.size());
        for (qint64 i = 0; i < perBlock; ++i)
            block += flood.unit;
        auto left = std::make_shared<qint64>(flood.units);
        const auto topUp = [socket, block, perBlock, left, tail = flood.tail] {
            while (socket->state() == QAbstractSocket::ConnectedState &&
                   socket->bytesToWrite() < 2 * block.size()) {
                if (*left == 0) {
                    socket->setProperty("replied", true);
                    socket->write(tail);
                    socket->disconnectFromHost();
                    return;
                }
                const qint64 n = *left < 0 ? perBlock : qMin(perBlock, *left);
                socket->write(block.left(n * (block.size() / perBlock)));
                if (*left > 0)
                    *left -= n;
            }
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
        socket->write(flood.head);
        topUp();
    }

    QTcpServer m_server;
    QHash<QByteArray, QList<Reply>> m_routes;
    // Connected last: the members above exist by then.
    QMetaObject::Connection m_accepting =
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
};
