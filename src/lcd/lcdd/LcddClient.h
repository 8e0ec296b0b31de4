#pragma once

#include "lcd/DisplayModel.h"
#include "lcd/LcddConnection.h"
#include "platform/ReportOnce.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

// Brellix as a client of LCDd, LCDproc's display server (protocol 0.3, as
// LCDd 0.5.9 speaks it), over TCP: one screen at foreground priority, whose
// widgets show the screen it is given, sending only the widgets that
// changed. Nothing waits on LCDd: the socket is never blocked on, what LCDd
// answers is read as it comes, and while LCDd has not taken what was sent
// (more than MaxQueued bytes waiting) nothing more is queued; the newest
// state follows once it drains. A lost or refused connection is tried again
// every RetryMs; a new session sends the whole screen.
class LcddClient : public LcddConnection
{
    Q_OBJECT
public:
    static constexpr int RetryMs = 2000;
    static constexpr qint64 MaxQueued = 16 * 1024;
    static inline const QString DefaultHost = QStringLiteral("127.0.0.1");
    static constexpr quint16 DefaultPort = 13666;

    explicit LcddClient(QObject* parent = nullptr);
    ~LcddClient() override;

    void setServer(const QString& host, quint16 port) override;
    void start() override;
    void stop() override;
    bool active() const override { return m_active; }
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    QString statusText() const override { return m_status; }
    void show(const LcddScreen& screen) override;

    static QString connectedStatus() { return QStringLiteral("LCDd Connected"); }
    QString notFoundStatus() const;

private:
    void connectNow();
    void onConnected();
    void onReadyRead();
    void onLost();
    void handleLine(const QByteArray& line);
    void scheduleFlush();
    void flush();
    void send(const QByteArray& command);
    void setStatus(const QString& text);

    QTcpSocket m_socket;
    QTimer m_retry;
    QString m_host = DefaultHost;
    quint16 m_port = DefaultPort;
    bool m_active = false;
    bool m_ready = false;
    bool m_flushPending = false;
    QByteArray m_input;
    int m_width = DisplayModel::Columns;
    int m_height = DisplayModel::Rows;
    std::optional<LcddScreen> m_want; // the newest screen given
    // What LCDd was last sent; empty after a new session, so all is sent.
    std::optional<LcddScreen> m_sent;
    // Icon widgets made in this session (I0, I1, ...).
    std::size_t m_iconWidgets = 0;
    QString m_status;
    ReportOnce m_refused;
};
