#include "sim/PtyLcdModule.h"

#include "sim/SimLogging.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString errnoText(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PtyLcdModule::PtyLcdModule(QObject* parent) : QObject(parent) {}

PtyLcdModule::~PtyLcdModule()
{
    close();
}

void PtyLcdModule::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

bool PtyLcdModule::open(QString* error)
{
    const auto fail = [&](const QString& message) {
        qCWarning(lcSim).noquote() << message;
        if (error)
            *error = message;
        close();
        return false;
    };
    close();

    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) < 0)
        return fail(errnoText("openpty"));
    m_master = master;
    m_slave = slave;
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    // Raw, so that no byte is echoed back or translated on its way through.
    termios tio{};
    if (tcgetattr(m_slave, &tio) < 0)
        return fail(errnoText("tcgetattr"));
    cfmakeraw(&tio);
    if (tcsetattr(m_slave, TCSANOW, &tio) < 0)
        return fail(errnoText("tcsetattr"));

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) < 0)
        return fail(errnoText("fcntl O_NONBLOCK"));

    char name[256] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0)
        return fail(errnoText("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name);

    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLcdModule::readAvailable);
    qCDebug(lcSim) << "module listening on" << m_slavePath;
    return true;
}

void PtyLcdModule::clearRecord()
{
    m_received.clear();
    m_chunks.clear();
}

void PtyLcdModule::setDetectionReply(const QByteArray& reply)
{
    m_module.setDetectionReply(reply);
}

void PtyLcdModule::readAvailable()
{
    if (m_master < 0)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            // EIO means no slave is open; with ours held that should not
            // happen, but a notifier left on would spin on it.
            qCWarning(lcSim).noquote() << (n == 0 ? QStringLiteral("pty master: end of file")
                                                  : errnoText("pty master read"));
            m_notifier->setEnabled(false);
            return;
        }
        const QByteArray chunk(buffer, int(n));
        m_received += chunk;
        m_chunks << chunk;
        const quint64 before = m_module.revision();
        const QByteArray reply = m_module.feed(chunk);
        if (!reply.isEmpty())
            writeReply(reply);
        Q_EMIT bytesReceived(chunk);
        if (m_module.revision() != before)
            Q_EMIT screenChanged();
    }
}

void PtyLcdModule::writeReply(const QByteArray& reply)
{
    qsizetype done = 0;
    while (done < reply.size()) {
        const ssize_t n = ::write(m_master, reply.constData() + done, size_t(reply.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            qCWarning(lcSim).noquote() << errnoText("pty master write") << "reply lost";
            return;
        }
        done += n;
    }
}

bool PtyLcdModule::waitForBytes(int count, int timeoutMs)
{
    if (m_received.size() >= count)
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &PtyLcdModule::bytesReceived, &loop, [&] {
        if (m_received.size() >= count)
            loop.quit();
    });
    timeout.start(timeoutMs);
    loop.exec();
    return m_received.size() >= count;
}
