#include "lcd/lcdd/LcddClient.h"

#include "platform/Logging.h"

namespace {
// Brellix's screen and its widgets: L1.. the lines, D0..D3 the large digits,
// C the colon, I0.. the icons.
constexpr const char* Screen = "B";
constexpr int MaxLineBytes = 4096;

QByteArray number(int n)
{
    return QByteArray::number(n);
}
} // namespace

LcddClient::LcddClient(QObject* parent) : LcddConnection(parent)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_ready)
            return;
        // Refused, gone, or silent since the last try.
        setStatus(notFoundStatus());
        connectNow();
    });
    connect(&m_socket, &QTcpSocket::connected, this, &LcddClient::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &LcddClient::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &LcddClient::onLost);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &LcddClient::onLost);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket.bytesToWrite() <= MaxQueued)
            scheduleFlush();
    });
}

LcddClient::~LcddClient()
{
    // The socket's last signals must not reach members already gone.
    m_socket.disconnect(this);
    m_socket.abort();
}

QString LcddClient::notFoundStatus() const
{
    return QStringLiteral("LCDd Not Found At %1:%2").arg(m_host).arg(m_port);
}

void LcddClient::setServer(const QString& host, quint16 port)
{
    m_host = host;
    m_port = port;
    if (m_active)
        connectNow();
}

void LcddClient::start()
{
    m_active = true;
    connectNow();
}

void LcddClient::stop()
{
    m_active = false;
    m_retry.stop();
    m_ready = false;
    m_socket.abort();
}

void LcddClient::connectNow()
{
    m_ready = false;
    m_input.clear();
    m_socket.abort();
    m_socket.connectToHost(m_host, m_port);
    // Also the limit for an answer to hello: a silent LCDd is tried again.
    m_retry.start(RetryMs);
}

void LcddClient::onConnected()
{
    send("hello");
}

void LcddClient::onLost()
{
    if (!m_active)
        return;
    const bool wasReady = std::exchange(m_ready, false);
    if (wasReady || m_refused.failed())
        qCInfo(lcLink).noquote() << "LCDd at" << m_host + QLatin1Char(':') + QString::number(m_port)
                                 << "-" << m_socket.errorString();
    setStatus(notFoundStatus());
    if (!m_retry.isActive())
        m_retry.start(RetryMs);
}

void LcddClient::onReadyRead()
{
    m_input += m_socket.readAll();
    for (qsizetype end; (end = m_input.indexOf('\n')) >= 0;) {
        const QByteArray line = m_input.left(end).trimmed();
        m_input.remove(0, end + 1);
        handleLine(line);
    }
    if (m_input.size() > MaxLineBytes)
        m_input.clear(); // no line of the protocol is that long
}

void LcddClient::handleLine(const QByteArray& line)
{
    if (line.startsWith("huh?")) {
        qCWarning(lcLink).noquote() << "LCDd refused a command:" << QString::fromLatin1(line);
        return;
    }
    if (m_ready || !line.startsWith("connect "))
        return; // success, listen, ignore: nothing to do
    // connect LCDproc 0.5.9 protocol 0.3 lcd wid 20 hgt 4 cellwid 5 cellhgt 8
    const QList<QByteArray> words = line.split(' ');
    const auto value = [&words](const char* key, int fallback) {
        const qsizetype i = words.indexOf(key);
        bool ok = false;
        const int v = i >= 0 && i + 1 < words.size() ? words[i + 1].toInt(&ok) : 0;
        return ok && v > 0 ? v : fallback;
    };
    m_width = value("wid", DisplayModel::Columns);
    m_height = value("hgt", DisplayModel::Rows);
    send("client_set -name Brellix");
    send(QByteArray("screen_add ") + Screen);
    send(QByteArray("screen_set ") + Screen + " -priority foreground -heartbeat off");
    // Made in drawing order: the digits and the icons go over the lines.
    for (int r = 0; r < std::min(m_height, LcddScreen::Rows); ++r)
        send(QByteArray("widget_add ") + Screen + " L" + number(r + 1) + " string");
    for (int p = 0; p < LcddScreen::DigitPositions; ++p)
        send(QByteArray("widget_add ") + Screen + " D" + number(p) + " num");
    send(QByteArray("widget_add ") + Screen + " C num");
    m_iconWidgets = 0;
    m_sent.reset();
    m_ready = true;
    m_retry.stop();
    m_refused.succeeded();
    qCInfo(lcLink) << "LCDd display" << m_width << "x" << m_height;
    setStatus(connectedStatus());
    // The screen for this display's size comes, and goes out whole.
    Q_EMIT sessionStarted();
    flush();
}

void LcddClient::show(const LcddScreen& screen)
{
    m_want = screen;
    flush();
}

void LcddClient::scheduleFlush()
{
    if (std::exchange(m_flushPending, true))
        return;
    QTimer::singleShot(0, this, &LcddClient::flush);
}

void LcddClient::flush()
{
    m_flushPending = false;
    if (!m_want || !m_ready || m_socket.bytesToWrite() > MaxQueued || m_sent == m_want)
        return;
    const LcddScreen& want = *m_want;
    const QByteArray set = QByteArray("widget_set ") + Screen;
    const LcddScreen* had = m_sent ? &*m_sent : nullptr;
    for (int r = 0; r < std::min(m_height, LcddScreen::Rows); ++r) {
        const QByteArray& row = want.rows[std::size_t(r)];
        if (!had || had->rows[std::size_t(r)] != row)
            send(set + " L" + number(r + 1) + " 1 " + number(r + 1) + ' ' +
                 LcddScreen::quoted(row));
    }
    for (int p = 0; p < LcddScreen::DigitPositions; ++p) {
        const int digit = want.digits[std::size_t(p)];
        if (!had || had->digits[std::size_t(p)] != digit)
            send(set + " D" + number(p) + ' ' +
                 number(digit >= 0 ? LcddScreen::digitX(p, m_width) : 0) + ' ' +
                 number(std::max(digit, 0)));
    }
    if (!had || had->colon != want.colon) {
        const int x = LcddScreen::ColonColumn + 1;
        send(set + " C " + number(want.colon && x <= m_width ? x : 0) + ' ' +
             number(LcddScreen::ColonNumber));
    }
    for (std::size_t i = 0; i < want.icons.size(); ++i) {
        const LcddScreen::Icon& icon = want.icons[i];
        const QByteArray id = " I" + number(int(i));
        if (i >= m_iconWidgets) {
            send(QByteArray("widget_add ") + Screen + id + " icon");
            m_iconWidgets = i + 1;
        }
        if (!had || i >= had->icons.size() || had->icons[i] != icon)
            send(set + id + ' ' + number(icon.column + 1) + ' ' + number(icon.row + 1) + ' ' +
                 LcddScreen::glyph(icon.code).icon);
    }
    while (m_iconWidgets > want.icons.size())
        send(QByteArray("widget_del ") + Screen + " I" + number(int(--m_iconWidgets)));
    if (!had || had->backlight != want.backlight)
        send(QByteArray("screen_set ") + Screen + " -backlight " + (want.backlight ? "on" : "off"));
    m_sent = want;
}

void LcddClient::send(const QByteArray& command)
{
    if (m_socket.write(command + '\n') < 0)
        qCWarning(lcLink).noquote() << "LCDd:" << m_socket.errorString();
}

void LcddClient::setStatus(const QString& text)
{
    if (m_status == text)
        return;
    m_status = text;
    Q_EMIT statusTextChanged(text);
}
