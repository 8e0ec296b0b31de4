#pragma once

#include <functional>
#include <memory>

class CIpHelper;
class Clock;
class CpuInfoScreen;
class CpuTimesSource;
class EmailScreen;
class HostLookup;
class InternetState;
class MediaPlayerLink;
class MemoryStatus;
class MessageSink;
class StockScreen;
class TopicValues;
class WeatherScreen;
class WorldTimeSettings;
struct StockSettings;
struct WeatherSettings;
struct WinAmpSettings;

// What the own screens' values are read from: the sources the built-in
// screens use, so both show the same figures. Built once by the application
// context; nothing here is owned.
struct OwnValueSources
{
    const Clock& clock;
    const WorldTimeSettings& worldTime;
    const CpuTimesSource& cpuTimes;
    const MemoryStatus& memory;
    // Its sensors (lm-sensors is started once per run, shared).
    CpuInfoScreen& cpuInfo;
    MessageSink& messages;
    InternetState& internet;
    CIpHelper& ipHelper;
    std::shared_ptr<const HostLookup> host;
    MediaPlayerLink& player;
    std::function<WinAmpSettings()> playerSettings;
    // The web screens fetch for the values too; their intervals are kept here.
    WeatherScreen& weather;
    const WeatherSettings& weatherSettings;
    StockScreen& stock;
    const StockSettings& stockSettings;
    EmailScreen& mail;
    // What the MQTT bridge hears on the topics the screens name.
    TopicValues& topics;
};
