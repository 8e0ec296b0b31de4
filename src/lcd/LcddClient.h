#pragma once

#include "lcd/LcddScreen.h"
#include "lcd/ModuleFrame.h"
#include "platform/ReportOnce.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

// Brellix as a client of LCDd, LCDproc's display server (protocol 0.3, as
// LCDd 0.5.9 speaks it): one screen at foreground priority, whose widgets
// follow the module's frame. It takes the bytes meant for the module
// (feed), and after each turn of the event loop sends only the widgets that
// changed. Nothing waits on LCDd: the socket is never blocked on, what LCDd
// answers is read as it comes, and while LCDd has not taken what was sent
// (more than MaxQueued bytes waiting) nothing more is queued; the newest
// state follows once it drains. A lost or refused connection is tried again
// every RetryMs; a new session sends the whole screen.
class LcddClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int RetryMs = 2000;
    static constexpr qint64 MaxQueued = 16 * 1024;
    static inline const QString DefaultHost = QStringLiteral("127.0.0.1");
    static constexpr quint16 DefaultPort = 13666;

    explicit LcddClient(QObject* parent = nullptr);
    ~LcddClient() override;

    void setServer(const QString& host, quint16 port);
    QString host() const { return m_host; }
    quint16 port() const { return m_port; }
    // Connects now and keeps connecting until stop().
    void start();
    void stop();
    bool active() const { return m_active; }
    // The session is up: hello answered, screen and widgets made.
    bool ready() const { return m_ready; }

    // Bytes meant for the module (commands and text).
    void feed(const QByteArray& bytes);

    // The display's size as LCDd told it (20x4 until it has).
    int width() const { return m_width; }
    int height() const { return m_height; }
    // What Brellix asks LCDd to show now.
    LcddScreen screen() const { return LcddScreen::from(m_frame, m_width, m_height); }
    QString statusText() const { return m_status; }

    static QString connectedStatus() { return QStringLiteral("LCDd Connected"); }
    QString notFoundStatus() const;

Q_SIGNALS:
    void statusTextChanged(const QString& text);
    // The screen asked of LCDd changed (the window's picture follows).
    void screenChanged();

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
    ModuleFrame m_frame;
    int m_width = ModuleFrame::Columns;
    int m_height = ModuleFrame::Rows;
    // What LCDd was last sent; empty after a new session, so all is sent.
    std::optional<LcddScreen> m_sent;
    std::optional<LcddScreen> m_shown; // what screenChanged() last told
    // Icon widgets made in this session (I0, I1, ...).
    std::size_t m_iconWidgets = 0;
    QString m_status;
    ReportOnce m_refused;
};
