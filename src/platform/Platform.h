#pragma once

#include <QString>

#include <functional>
#include <memory>

class Clock;
class CpuTimesSource;
class HardwareSensors;
class HostLookup;
class InterfaceTable;
class InternetState;
class LcddConnection;
class MediaPlayerLink;
class Mailbox;
class MemoryStatus;
class ResumeWatch;
class ShutdownSignals;
class WebTransport;

// Everything Brellix reaches outside itself. One object per program, made by
// the platform factory (platform/linux/LinuxPlatform.h) and handed round by
// the application context; nothing else creates a platform implementation.
class Platform
{
public:
    virtual ~Platform() = default;

    virtual Clock& clock() = 0;
    virtual InternetState& internet() = 0;
    // Shared with the worker thread that resolves the host name.
    virtual std::shared_ptr<const HostLookup> hostLookup() = 0;
    virtual const CpuTimesSource& cpuTimes() = 0;
    virtual const MemoryStatus& memoryStatus() = 0;
    virtual const InterfaceTable& interfaceTable() = 0;
    // The temperature and fan sensors, started with this configuration file
    // (empty: the system's). Started on first use, since that can be slow.
    virtual std::unique_ptr<HardwareSensors> openSensors(const QString& configFile) = 0;
    // The media player link of the "WinAmp Plugin" mode; it reaches the
    // players only once started.
    virtual MediaPlayerLink& mediaPlayer() = 0;
    // The mail screen's mailbox; it signs on when asked to.
    virtual std::unique_ptr<Mailbox> openMailbox() = 0;
    // What carries the weather and stock screens' downloads.
    virtual WebTransport& webTransport() = 0;
    // A session with LCDd, asked for when LCDd first becomes an output; it
    // connects once started.
    virtual std::unique_ptr<LcddConnection> openLcddConnection() = 0;
    // handler(signalNumber) runs on the event loop for SIGTERM, SIGINT,
    // SIGHUP and SIGQUIT (end the program), and SIGUSR1 (initialise the
    // module again), until the returned object goes.
    virtual std::unique_ptr<ShutdownSignals>
    watchShutdownSignals(std::function<void(int)> handler) = 0;
    // resumed() runs on the event loop after each resume from suspend.
    virtual std::unique_ptr<ResumeWatch> watchResume(std::function<void()> resumed) = 0;
};
