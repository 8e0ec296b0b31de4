#pragma once

// An HTTP/1.1 server on loopback: canned answers per path, in order (the
// last one repeats), silence, bodies without a length, endless floods.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

class HttpFixture
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body = {};
        QList<QPair<QByteArray, QByteArray>> headers = {};
        bool silent = false;  // accept, read, never write
        bool unsized = false; // no Content-Length: the body ends with the connection
        // When set: the body as-is, then this for ever as fast as the client reads.
        QByteArray flood = {};
    };

    struct Request
    {
        QByteArray target;                     // path and query exactly as sent
        QHash<QByteArray, QByteArray> headers; // lower-case names
        QByteArray agent() const { return headers.value("user-agent"); }
    };

    HttpFixture() { m_server.listen(QHostAddress::LocalHost); }

    QString base() const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    QUrl url(const QString& target) const { return QUrl(base() + target); }

    // Answers for a path (without its query); later ones for later requests.
    void on(const QByteArray& path, QList<Reply> replies) { m_routes[path] = std::move(replies); }
    void on(const QByteArray& path, const QByteArray& body) { on(path, {{.body = body}}); }

    QList<Request> requests;
    int closedByClient = 0; // connections the client dropped before an answer

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                const bool waiting = !buffer->contains("\r\n\r\n");
                buffer->append(socket->readAll());
                if (waiting && buffer->contains("\r\n\r\n"))
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
        Request request{lines.value(0).trimmed().split(' ').value(1), {}};
        for (const QByteArray& line : lines.mid(1))
            if (const qsizetype colon = line.indexOf(':'); colon > 0)
                request.headers.insert(line.left(colon).trimmed().toLower(),
                                       line.mid(colon + 1).trimmed());
        requests.append(request);

        auto route = m_routes.find(request.target.split('?').first());
        Reply reply{.status = 404, .body = "<html><body>Not Found</body></html>"};
        if (route != m_routes.end() && !route->isEmpty())
            reply = route->size() > 1 ? route->takeFirst() : route->first();
        if (reply.silent)
            return;
        if (!reply.flood.isEmpty()) {
            // Little is buffered here: the test's memory is the client's.
            const QByteArray block =
                reply.flood.repeated(qMax<qsizetype>(1, 65536 / reply.flood.size()));
            const auto topUp = [socket, block] {
                while (socket->state() == QAbstractSocket::ConnectedState &&
                       socket->bytesToWrite() < 2 * block.size())
                    socket->write(block);
            };
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
            socket->write(reply.body);
            topUp();
            return;
        }
        QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Canned\r\n";
        if (!reply.unsized)
            out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        for (const auto& [name, value] : reply.headers)
            out += name + ": " + value + "\r\n";
        socket->setProperty("replied", true);
        socket->write(out + "Connection: close\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QByteArray, QList<Reply>> m_routes;
    // Connected last: the members above exist by then.
    QMetaObject::Connection m_accepting =
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
};
