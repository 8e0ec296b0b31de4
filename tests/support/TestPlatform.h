#pragma once

#include "lcd/lcdd/LcddClient.h"
#include "platform/InternetState.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxHostLookup.h"
#include "platform/linux/LinuxInterfaceTable.h"
#include "platform/linux/LinuxResumeWatch.h"
#include "platform/linux/LinuxSensors.h"
#include "platform/linux/LinuxShutdownSignals.h"
#include "platform/linux/ProcMemInfoReader.h"
#include "platform/linux/ProcStatReader.h"
#include "platform/linux/mail/CurlMailbox.h"
#include "platform/linux/mpris/MprisPlayerLink.h"
#include "platform/web/curl/CurlWebTransport.h"
#include "support/FixedClock.h"

// The machine's own readers behind a clock that stays where the test puts it,
// always online; the player is on the session bus the test chose.
class TestPlatform final : public Platform, public InternetState
{
public:
    explicit TestPlatform(QDateTime now = QDateTime(QDate(2026, 12, 5), QTime(14, 5, 7)))
        : fixedClock(std::move(now))
    {
    }

    Clock& clock() override { return fixedClock; }
    InternetState& internet() override { return *this; }
    bool isConnected() const override { return true; }
    std::shared_ptr<const HostLookup> hostLookup() override { return host; }
    const CpuTimesSource& cpuTimes() override { return cpu; }
    const MemoryStatus& memoryStatus() override { return memory; }
    const InterfaceTable& interfaceTable() override { return interfaces; }
    std::unique_ptr<HardwareSensors> openSensors(const QString& configFile) override
    {
        return std::make_unique<LinuxSensors>(configFile);
    }
    MediaPlayerLink& mediaPlayer() override { return player; }
    std::unique_ptr<Mailbox> openMailbox() override { return std::make_unique<CurlMailbox>(); }
    WebTransport& webTransport() override { return web; }
    std::unique_ptr<LcddConnection> openLcddConnection() override
    {
        return std::make_unique<LcddClient>();
    }
    std::unique_ptr<ShutdownSignals> watchShutdownSignals(std::function<void(int)> handler) override
    {
        return std::make_unique<LinuxShutdownSignals>(std::move(handler));
    }
    std::unique_ptr<ResumeWatch> watchResume(std::function<void()> resumed) override
    {
        return std::make_unique<LinuxResumeWatch>(std::move(resumed));
    }

    FixedClock fixedClock;
    std::shared_ptr<const HostLookup> host = std::make_shared<LinuxHostLookup>();
    ProcStatReader cpu;
    ProcMemInfoReader memory;
    LinuxInterfaceTable interfaces;
    MprisPlayerLink player;
    CurlWebTransport web;
};
