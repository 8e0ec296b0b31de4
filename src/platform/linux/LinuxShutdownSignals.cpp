#include "platform/linux/LinuxShutdownSignals.h"

#include "platform/Logging.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int Watched[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1};

// The handler may only touch this descriptor.
volatile sig_atomic_t g_writeFd = -1;
int g_fds[2] = {-1, -1};

void onSignal(int number)
{
    const int saved = errno;
    const int fd = g_writeFd;
    if (fd >= 0) {
        const unsigned char b = static_cast<unsigned char>(number);
        [[maybe_unused]] ssize_t n = ::write(fd, &b, 1);
    }
    errno = saved;
}

void setHandlers(void (*handler)(int))
{
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int s : Watched)
        ::sigaction(s, &sa, nullptr);
}
} // namespace

void LinuxShutdownSignals::installEarly()
{
    ::signal(SIGPIPE, SIG_IGN);
    if (g_fds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0) {
        qCWarning(lcPlatform) << "Cannot watch termination signals";
        g_fds[0] = g_fds[1] = -1;
        return;
    }
    g_writeFd = g_fds[0];
    setHandlers(onSignal);
}

LinuxShutdownSignals::LinuxShutdownSignals(std::function<void(int)> handler)
    : m_handler(std::move(handler))
{
    installEarly();
    if (g_fds[1] < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_fds[1], QSocketNotifier::Read);
    const auto drain = [this] {
        unsigned char b = 0;
        while (::read(g_fds[1], &b, 1) == 1) {
            qCInfo(lcPlatform) << "Signal" << int(b);
            m_handler(int(b));
        }
    };
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), drain);
}

LinuxShutdownSignals::~LinuxShutdownSignals()
{
    setHandlers(SIG_DFL);
    g_writeFd = -1;
    m_notifier.reset();
    for (int& fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
