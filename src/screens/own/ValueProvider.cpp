#include "screens/own/ValueProvider.h"

#include "codec/ModuleCodec.h"
#include "codec/TextDecoding.h"
#include "platform/Clock.h"
#include "platform/FileReading.h"
#include "platform/InternetState.h"
#include "platform/Logging.h"
#include "platform/MediaPlayerLink.h"
#include "platform/ReportOnce.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/TimeText.h"
#include "screens/clock/modTimeZone.h"
#include "screens/mail/EmailScreen.h"
#include "screens/own/CommandValue.h"
#include "screens/own/OwnValueSources.h"
#include "screens/own/TopicValues.h"
#include "screens/player/WinAmpScreen.h"
#include "screens/player/WinAmpSettings.h"
#include "screens/system/CIpHelper.h"
#include "screens/system/CPUStat.h"
#include "screens/system/CpuInfoScreen.h"
#include "screens/system/IPMod.h"
#include "screens/system/MemMod.h"
#include "screens/system/NetworkInfoScreen.h"
#include "screens/web/StockScreen.h"
#include "screens/web/StockSettings.h"
#include "screens/web/WeatherScreen.h"
#include "screens/web/WeatherSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QLocale>
#include <QTimer>

#include <map>

namespace {

using Context = ValueProvider::Context;

std::optional<QString> number(std::optional<qint64> n)
{
    return n ? std::optional(QString::number(*n)) : std::nullopt;
}

// {time}, {date}, {worldtime}: read when asked; the defaults are the Time
// And Date screen's texts.
class ClockValues final : public ValueProvider
{
public:
    explicit ClockValues(const Context& c) : m_clock(c.sources.clock), m_world(c.sources.worldTime)
    {
    }
    std::optional<QString> value(const QString& name, const QString& arg) const override
    {
        const QDateTime now = m_clock.now().toLocalTime();
        if (name == u"time")
            return arg.isEmpty() ? TimeText::StatusClockText(now) : QLocale().toString(now, arg);
        if (name == u"date")
            return arg.isEmpty() ? TimeText::LongDateText(now.date())
                                 : QLocale().toString(now, arg);
        const QDateTime there =
            TimeDateScreen::destinationTime(modTimeZone::LocalToGMT(now), m_world);
        return arg.isEmpty() ? TimeText::StatusClockText(there) : QLocale().toString(there, arg);
    }

private:
    const Clock& m_clock;
    const WorldTimeSettings& m_world;
};

// {cpu}, {mem}: the CPU screen's figures. The processor's load needs two
// samples: one when the screen is entered, and another a second later if
// the first refresh came too soon for a value.
class LoadValues final : public ValueProvider
{
public:
    explicit LoadValues(const Context& c)
        : m_cpu(c.sources.cpuTimes), m_mem(c.sources.memory), m_changed(c.changed),
          m_update(c.updateSeconds)
    {
        m_cpu.OpenCpuQuery();
        m_cpu.GetCpuPercent();
        m_retry.setSingleShot(true);
        m_retry.setInterval(1000);
        QObject::connect(&m_retry, &QTimer::timeout, [this] {
            m_cpuPercent = m_cpu.GetCpuPercent();
            m_changed();
        });
    }
    void refresh() override
    {
        m_cpuPercent = m_cpu.GetCpuPercent();
        m_memPercent = m_mem.GetMemoryPercent();
        if (!m_cpuPercent && m_update > 1)
            m_retry.start();
    }
    std::optional<QString> value(const QString& name, const QString&) const override
    {
        return number(name == u"cpu" ? m_cpuPercent : m_memPercent);
    }

private:
    CPUStat m_cpu;
    MemMod m_mem;
    std::function<void()> m_changed;
    int m_update;
    QTimer m_retry;
    std::optional<qint64> m_cpuPercent, m_memPercent;
};

// {temp1}..{temp4}, {fan}: the CPU screen's sensor readings in whole units.
class SensorValues final : public ValueProvider
{
public:
    explicit SensorValues(const Context& c) : m_cpuInfo(c.sources.cpuInfo)
    {
        m_cpuInfo.chooseSensors();
    }
    void refresh() override { m_table = m_cpuInfo.readSensors(); }
    std::optional<QString> value(const QString& name, const QString&) const override
    {
        int slot = m_table.fanSlot();
        if (name != u"fan") {
            const int place = name.back().digitValue();
            slot = 0;
            for (int k = SensorTable::First; k <= SensorTable::Last; ++k) {
                if (!m_table.SensorNames[std::size_t(k)].isEmpty() &&
                    m_table.temperaturePlace(k) == place)
                    slot = k;
            }
        }
        if (slot == 0)
            return std::nullopt;
        // Whole degrees, or rpm: what is before the decimal point.
        const QString& v = m_table.SensorValues[std::size_t(slot)];
        return v.left(v.indexOf(u'.')).trimmed();
    }

private:
    CpuInfoScreen& m_cpuInfo;
    SensorTable m_table;
};

// {host}, {address}, {rx}, {tx}: the network screen's. The address is
// looked up in the background: until it is in, it is asked for again
// every second.
class NetworkValues final : public ValueProvider
{
public:
    explicit NetworkValues(const Context& c)
        : m_ipMod(c.sources.messages, c.sources.host), m_ipHelper(c.sources.ipHelper),
          m_changed(c.changed)
    {
        if (m_ipHelper.readTotals() > 0) {
            m_received = m_ipHelper.BytesReceived();
            m_sent = m_ipHelper.BytesSent();
        }
        m_since.start();
        m_retry.setSingleShot(true);
        m_retry.setInterval(1000);
        QObject::connect(&m_retry, &QTimer::timeout, [this] {
            readAddress();
            m_changed();
        });
    }
    void refresh() override
    {
        m_hostName = m_ipMod.GetHostName();
        readAddress();
        const qint64 ms = m_since.restart();
        if (m_ipHelper.readTotals() <= 0 || ms <= 0)
            return;
        const qint64 received = m_ipHelper.BytesReceived();
        const qint64 sent = m_ipHelper.BytesSent();
        const QString point = NetworkInfoScreen::displayableDecimalPoint(QLocale(), AsciiCodec);
        m_rx = NetworkInfoScreen::rateText((received - m_received) * 1000 / ms, point);
        m_tx = NetworkInfoScreen::rateText((sent - m_sent) * 1000 / ms, point);
        m_received = received;
        m_sent = sent;
    }
    std::optional<QString> value(const QString& name, const QString&) const override
    {
        const QString& v = name == u"host"      ? m_hostName
                           : name == u"address" ? m_address
                           : name == u"rx"      ? m_rx
                                                : m_tx;
        return v.isEmpty() ? std::nullopt : std::optional(v);
    }

private:
    void readAddress()
    {
        m_address = m_ipMod.GetIPAddress();
        if (m_address.isEmpty() && ++m_tries < 30)
            m_retry.start();
    }

    IPMod m_ipMod;
    CIpHelper& m_ipHelper;
    std::function<void()> m_changed;
    QTimer m_retry;
    int m_tries = 0;
    QElapsedTimer m_since;
    qint64 m_received = 0, m_sent = 0;
    QString m_hostName, m_address, m_rx, m_tx;
};

// {title} ... {volume}: the media player's, as its screen shows them.
class PlayerValues final : public ValueProvider
{
public:
    explicit PlayerValues(const Context& c) : m_link(c.sources.player), m_winAmp(c.sources.player)
    {
        m_link.setPreferredPlayer(c.sources.playerSettings().player);
        m_link.start({});
    }
    void refresh() override
    {
        m_values[QStringLiteral("state")] = m_winAmp.GetWinAmpState();
        m_winAmp.ReadWinAmpTitle();
        m_values[QStringLiteral("title")] = m_winAmp.SongTitle();
        m_values[QStringLiteral("artist")] = m_winAmp.GetWinAmpArtist();
        m_values[QStringLiteral("length")] =
            QString::fromLatin1(WinAmpScreen::timeText(m_winAmp.GetTrackLength()));
        m_values[QStringLiteral("position")] =
            QString::fromLatin1(WinAmpScreen::timeText(m_winAmp.GetTrackPosition()));
        m_values[QStringLiteral("volume")] =
            QString::number(WinAmpScreen::VolumePercent(m_winAmp.GetWinAmpVolume()));
    }
    std::optional<QString> value(const QString& name, const QString&) const override
    {
        const auto it = m_values.find(name);
        return it == m_values.end() ? std::nullopt : std::optional(*it);
    }

private:
    MediaPlayerLink& m_link;
    modWinAmp m_winAmp;
    QHash<QString, QString> m_values;
};

// A web screen used as the source of values: it fetches when the values
// start and then at its own interval, while online.
template <typename Screen> class WebValues : public ValueProvider
{
public:
    WebValues(const Context& c, Screen& screen, const int& intervalSeconds)
        : m_screen(screen), m_internet(c.sources.internet), m_changed(c.changed),
          m_interval(intervalSeconds)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { fetch(); });
        fetch();
    }
    ~WebValues() override { m_screen.cancelFetch(); }

protected:
    Screen& m_screen;

private:
    void fetch()
    {
        m_timer.start(qMax(1, m_interval) * 1000); // the interval as it is now
        if (!m_internet.isConnected())
            return;
        m_screen.cancelFetch();
        m_screen.fetch([this](bool) { m_changed(); });
    }

    InternetState& m_internet;
    std::function<void()> m_changed;
    const int& m_interval;
    QTimer m_timer;
};

class WeatherValues final : public WebValues<WeatherScreen>
{
public:
    explicit WeatherValues(const Context& c)
        : WebValues(c, c.sources.weather, c.sources.weatherSettings.WeatherUpdateSeconds)
    {
    }
    std::optional<QString> value(const QString& name, const QString&) const override
    {
        const auto& report = m_screen.lastResult();
        if (!report)
            return std::nullopt;
        return name == u"sky"           ? WeatherScreen::properCase(report->sky)
               : name == u"temperature" ? report->temperature
                                        : report->humidity;
    }
};

class StockValues final : public WebValues<StockScreen>
{
public:
    explicit StockValues(const Context& c)
        : WebValues(c, c.sources.stock, c.sources.stockSettings.StockUpdateSeconds)
    {
    }
    std::optional<QString> value(const QString& name, const QString&) const override
    {
        const auto& quote = m_screen.lastResult();
        if (!quote)
            return std::nullopt;
        return name == u"price" ? quote->last : quote->change;
    }
};

// {unread}: the mail screen's mailbox, signed on when the values start and
// checked every minute.
class MailValues final : public ValueProvider
{
public:
    static constexpr int CheckMs = 60 * 1000;

    explicit MailValues(const Context& c) : m_mail(c.sources.mail), m_changed(c.changed)
    {
        m_mail.enter();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { check(); });
        m_timer.start(CheckMs);
        check();
    }
    ~MailValues() override { m_mail.cancelFetch(); }
    std::optional<QString> value(const QString&, const QString&) const override
    {
        return number(m_mail.unreadCount());
    }

private:
    void check()
    {
        m_mail.cancelFetch();
        m_mail.fetch([this](bool) { m_changed(); });
    }

    EmailScreen& m_mail;
    std::function<void()> m_changed;
    QTimer m_timer;
};

// {file:PATH}: a file's first line, read at each refresh.
class FileValues final : public ValueProvider
{
public:
    static constexpr int MaxBytes = 4096;

    explicit FileValues(const Context& c) : m_screen(c.screen)
    {
        for (const Use& use : c.uses)
            m_files[use.second];
    }
    void refresh() override
    {
        for (auto it = m_files.begin(); it != m_files.end(); ++it) {
            QString path = it.key();
            if (path == u"~" || path.startsWith(QLatin1String("~/")))
                path = QDir::homePath() + path.mid(1);
            QString error;
            const std::optional<QByteArray> bytes = readSmallFile(path, MaxBytes, &error);
            File& file = it.value();
            if (!bytes) {
                file.text.reset();
                if (file.report.failed())
                    qCWarning(lcScreens).noquote()
                        << QStringLiteral("Screen %1: %2").arg(m_screen, error);
                continue;
            }
            file.report.succeeded();
            QByteArray line = bytes->left(bytes->indexOf('\n'));
            if (line.endsWith('\r'))
                line.chop(1);
            file.text = TextDecoding::utf8OrWindows1252(line);
        }
    }
    std::optional<QString> value(const QString&, const QString& arg) const override
    {
        const auto it = m_files.find(arg);
        return it == m_files.end() ? std::nullopt : it->text;
    }

private:
    struct File
    {
        std::optional<QString> text;
        ReportOnce report;
    };
    QString m_screen;
    QHash<QString, File> m_files;
};

// {exec:COMMAND}: each command run at each refresh (unless still running).
class CommandValues final : public ValueProvider
{
public:
    explicit CommandValues(const Context& c)
    {
        for (const Use& use : c.uses) {
            if (!m_commands.contains(use.second))
                m_commands.emplace(use.second,
                                   std::make_unique<CommandValue>(use.second, c.screen, c.changed));
        }
    }
    void refresh() override
    {
        for (const auto& [command, value] : m_commands)
            value->run();
    }
    std::optional<QString> value(const QString&, const QString& arg) const override
    {
        const auto it = m_commands.find(arg);
        return it == m_commands.end() ? std::nullopt : it->second->text();
    }

private:
    std::map<QString, std::unique_ptr<CommandValue>> m_commands;
};

// {mqtt:TOPIC}, {mqtt:TOPIC|KEY}: the latest payload the bridge heard; a
// new one is shown at the next tick.
class MqttValues final : public ValueProvider
{
public:
    explicit MqttValues(const Context& c) : m_topics(c.sources.topics)
    {
        QStringList mine;
        for (const Use& use : c.uses)
            mine << TopicValues::topicOf(use.second);
        QObject::connect(&m_topics, &TopicValues::arrived, &m_receiver,
                         [mine, changed = c.changed](const QString& topic) {
                             if (mine.contains(topic))
                                 changed();
                         });
    }
    std::optional<QString> value(const QString&, const QString& arg) const override
    {
        return m_topics.value(arg);
    }

private:
    const TopicValues& m_topics;
    QObject m_receiver; // the connection ends with the provider
};

template <class Provider> std::unique_ptr<ValueProvider> make(const Context& context)
{
    return std::make_unique<Provider>(context);
}

constexpr ValueProvider::Kind Kinds[] = {
    {"time date worldtime", &make<ClockValues>},
    {"cpu mem", &make<LoadValues>},
    {"temp1 temp2 temp3 temp4 fan", &make<SensorValues>},
    {"host address rx tx", &make<NetworkValues>},
    {"title artist state position length volume", &make<PlayerValues>},
    {"sky temperature humidity", &make<WeatherValues>},
    {"price change", &make<StockValues>},
    {"unread", &make<MailValues>},
    {"file", &make<FileValues>},
    {"exec", &make<CommandValues>},
    {"mqtt", &make<MqttValues>},
};

} // namespace

std::span<const ValueProvider::Kind> ValueProvider::kinds()
{
    return Kinds;
}

const ValueProvider::Kind* ValueProvider::kindOf(const QString& name)
{
    for (const Kind& kind : Kinds) {
        for (const auto n : QLatin1String(kind.names).tokenize(u' ')) {
            if (n == name)
                return &kind;
        }
    }
    return nullptr;
}
