#include "platform/linux/LinuxPlatform.h"

#include "lcd/LcddConnection.h"
#include "platform/linux/LinuxHostLookup.h"
#include "platform/linux/LinuxInterfaceTable.h"
#include "platform/linux/LinuxInternetState.h"
#include "platform/linux/LinuxResumeWatch.h"
#include "platform/linux/LinuxSensors.h"
#include "platform/linux/LinuxShutdownSignals.h"
#include "platform/linux/LoadedLcddConnections.h"
#include "platform/linux/LoadedMailbox.h"
#include "platform/linux/LoadedPlayerLink.h"
#include "platform/linux/LoadedWebTransport.h"
#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "platform/linux/SystemClock.h"

#include <malloc.h>

namespace {

class LinuxPlatform final : public Platform
{
public:
    Clock& clock() override { return m_clock; }
    InternetState& internet() override { return m_internet; }
    std::shared_ptr<const HostLookup> hostLookup() override { return m_host; }
    const CpuTimesSource& cpuTimes() override { return m_cpuTimes; }
    const MemoryStatus& memoryStatus() override { return m_memory; }
    const InterfaceTable& interfaceTable() override { return m_interfaces; }
    std::unique_ptr<HardwareSensors> openSensors(const QString& configFile) override
    {
        return std::make_unique<LinuxSensors>(configFile);
    }
    MediaPlayerLink& mediaPlayer() override { return m_player; }
    std::unique_ptr<Mailbox> openMailbox() override { return deferredMailbox(); }
    WebTransport& webTransport() override { return m_web; }
    std::unique_ptr<LcddConnection> openLcddConnection() override { return m_lcdd.open(); }
    std::unique_ptr<ShutdownSignals> watchShutdownSignals(std::function<void(int)> handler) override
    {
        return std::make_unique<LinuxShutdownSignals>(std::move(handler));
    }
    std::unique_ptr<ResumeWatch> watchResume(std::function<void()> resumed) override
    {
        return std::make_unique<LinuxResumeWatch>(std::move(resumed));
    }

private:
    SystemClock m_clock;
    LinuxInternetState m_internet;
    std::shared_ptr<const HostLookup> m_host = std::make_shared<LinuxHostLookup>();
    ProcStatReader m_cpuTimes;
    ProcMemInfoReader m_memory;
    LinuxInterfaceTable m_interfaces;
    // Loaded from modules when first used: Qt D-Bus, libcurl and Qt Network
    // cost megabytes that the modes without a player or the web, and the
    // serial module alone, need not carry.
    LoadedPlayerLink m_player;
    LoadedWebTransport m_web;
    LoadedLcddConnections m_lcdd;
};

} // namespace

std::unique_ptr<Platform> createLinuxPlatform()
{
    // Large blocks (a peer's oversized answer while it is refused) go back
    // to the system when freed: glibc would otherwise raise this threshold
    // after the first such block and keep the next ones in the heap for the
    // rest of the run.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    return std::make_unique<LinuxPlatform>();
}
