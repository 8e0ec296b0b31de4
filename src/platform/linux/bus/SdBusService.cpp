#include "platform/linux/bus/SdBusService.h"

#include <QLoggingCategory>
#include <QMap>
#include <QSocketNotifier>

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>

namespace {
Q_LOGGING_CATEGORY(lcBus, "brellix.bus")

constexpr char kName[] = "io.github.brellix.Brellix1";
constexpr char kPath[] = "/io/github/brellix/Brellix1";
constexpr char kInvalidArgs[] = "org.freedesktop.DBus.Error.InvalidArgs";

QString errorName(RemoteControl::Refusal refusal)
{
    switch (refusal) {
    case RemoteControl::Refusal::InvalidArgs:
        return QString::fromLatin1(kInvalidArgs);
    case RemoteControl::Refusal::LimitsExceeded:
        return QStringLiteral("org.freedesktop.DBus.Error.LimitsExceeded");
    case RemoteControl::Refusal::UnknownId:
        return SdBusService::name() + QStringLiteral(".Error.NoSuchMessage");
    case RemoteControl::Refusal::Unavailable:
    case RemoteControl::Refusal::None:
        break;
    }
    return SdBusService::name() + QStringLiteral(".Error.Unavailable");
}

// sd-bus answers a handler's negative return with the error set here.
int refuse(sd_bus_error* error, const QString& name, const QString& reason)
{
    return sd_bus_error_set(error, name.toUtf8().constData(), reason.toUtf8().constData());
}

// The reply to a call the control answered: empty, or the error it names.
int answer(sd_bus_message* call, sd_bus_error* error, const RemoteControl::Outcome& outcome)
{
    if (!outcome.done())
        return refuse(error, errorName(outcome.refusal), outcome.reason);
    return sd_bus_reply_method_return(call, nullptr);
}

QString callerOf(sd_bus_message* call)
{
    return QString::fromUtf8(sd_bus_message_get_sender(call));
}

// An "as"; sd-bus has checked each string is UTF-8.
int readStrings(sd_bus_message* m, QStringList& out)
{
    int r = sd_bus_message_enter_container(m, 'a', "s");
    if (r < 0)
        return r;
    const char* s = nullptr;
    while ((r = sd_bus_message_read_basic(m, 's', &s)) > 0)
        out << QString::fromUtf8(s);
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

int appendStrings(sd_bus_message* m, const QStringList& strings)
{
    int r = sd_bus_message_open_container(m, 'a', "s");
    for (const QString& s : strings) {
        if (r >= 0)
            r = sd_bus_message_append_basic(m, 's', s.toUtf8().constData());
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

// ShowMessage's options by name, a later entry of a name replacing an
// earlier one: a boolean or a string as such, anything else as an invalid
// value.
int readOptions(sd_bus_message* m, QMap<QString, QVariant>& options)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        const char* contents = nullptr;
        r = sd_bus_message_read_basic(m, 's', &key);
        if (r >= 0)
            r = sd_bus_message_peek_type(m, nullptr, &contents);
        if (r < 0)
            break;
        QVariant value;
        if (std::strcmp(contents, "b") == 0 || std::strcmp(contents, "s") == 0) {
            const bool boolean = contents[0] == 'b';
            int on = 0;
            const char* text = nullptr;
            r = sd_bus_message_enter_container(m, 'v', contents);
            if (r >= 0)
                r = boolean ? sd_bus_message_read_basic(m, 'b', &on)
                            : sd_bus_message_read_basic(m, 's', &text);
            if (r >= 0)
                r = sd_bus_message_exit_container(m);
            value = boolean ? QVariant(on != 0) : QVariant(QString::fromUtf8(text));
        } else {
            r = sd_bus_message_skip(m, "v");
        }
        if (r >= 0)
            r = sd_bus_message_exit_container(m);
        options.insert(QString::fromUtf8(key), value);
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}
} // namespace

struct SdBusService::Calls
{
    static SdBusService& self(void* userdata) { return *static_cast<SdBusService*>(userdata); }

    static int showMessage(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        Bulletin request;
        QMap<QString, QVariant> options;
        int r = readStrings(m, request.lines);
        if (r >= 0)
            r = sd_bus_message_read_basic(m, 'u', &request.seconds);
        if (r >= 0)
            r = readOptions(m, options);
        if (r < 0)
            return r;
        for (auto it = options.cbegin(); it != options.cend(); ++it) {
            const QString why = request.setOption(it.key(), it.value());
            if (!why.isEmpty())
                return refuse(error, QString::fromLatin1(kInvalidArgs), why);
        }
        const RemoteControl::Outcome outcome =
            self(userdata).m_control.showBulletin(callerOf(m), request);
        if (!outcome.done())
            return answer(m, error, outcome);
        return sd_bus_reply_method_return(m, "u", outcome.id);
    }

    static int dismiss(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        quint32 id = 0;
        const int r = sd_bus_message_read_basic(m, 'u', &id);
        return r < 0 ? r : answer(m, error, self(userdata).m_control.dismiss(callerOf(m), id));
    }

    static int setMode(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        quint32 mode = 0;
        const int r = sd_bus_message_read_basic(m, 'u', &mode);
        return r < 0 ? r : answer(m, error, self(userdata).m_control.setMode(callerOf(m), mode));
    }

    static int selectMode(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        const char* name = nullptr;
        const int r = sd_bus_message_read_basic(m, 's', &name);
        return r < 0 ? r
                     : answer(m, error,
                              self(userdata).m_control.selectMode(callerOf(m),
                                                                  QString::fromUtf8(name)));
    }

    static int setBacklight(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        int on = 0;
        const int r = sd_bus_message_read_basic(m, 'b', &on);
        return r < 0
                   ? r
                   : answer(m, error, self(userdata).m_control.setBacklight(callerOf(m), on != 0));
    }

    static int setBrightness(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        quint8 level = 0;
        const int r = sd_bus_message_read_basic(m, 'y', &level);
        return r < 0 ? r
                     : answer(m, error, self(userdata).m_control.setBrightness(callerOf(m), level));
    }

    static int setRotation(sd_bus_message* m, void* userdata, sd_bus_error* error)
    {
        int on = 0;
        const int r = sd_bus_message_read_basic(m, 'b', &on);
        return r < 0 ? r
                     : answer(m, error, self(userdata).m_control.setRotation(callerOf(m), on != 0));
    }

    static int property(sd_bus*, const char*, const char*, const char* property,
                        sd_bus_message* reply, void* userdata, sd_bus_error*)
    {
        const RemoteControl::State state = self(userdata).m_control.state();
        const QByteArray name(property);
        if (name == "Modes")
            return appendStrings(reply, state.modes);
        if (name == "Lines")
            return appendStrings(reply, state.lines);
        if (name == "Mode")
            return sd_bus_message_append_basic(reply, 'u', &state.mode);
        if (name == "Connected" || name == "Rotation") {
            const int on = name == "Connected" ? state.connected : state.rotation;
            return sd_bus_message_append_basic(reply, 'b', &on);
        }
        return sd_bus_message_append_basic(reply, 's', state.port.toUtf8().constData());
    }
};

namespace {
constexpr auto kMethod = SD_BUS_VTABLE_UNPRIVILEGED;
constexpr auto kProperty = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;

// The interface as io.github.brellix.Brellix1.xml describes it.
const sd_bus_vtable kTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD_WITH_NAMES("ShowMessage", "asua{sv}",
                             SD_BUS_PARAM(lines) SD_BUS_PARAM(seconds) SD_BUS_PARAM(options), "u",
                             SD_BUS_PARAM(id), SdBusService::Calls::showMessage, kMethod),
    SD_BUS_METHOD_WITH_NAMES("Dismiss", "u", SD_BUS_PARAM(id), "", , SdBusService::Calls::dismiss,
                             kMethod),
    SD_BUS_METHOD_WITH_NAMES("SetMode", "u", SD_BUS_PARAM(mode), "", , SdBusService::Calls::setMode,
                             kMethod),
    SD_BUS_METHOD_WITH_NAMES("SelectMode", "s", SD_BUS_PARAM(name), "", ,
                             SdBusService::Calls::selectMode, kMethod),
    SD_BUS_METHOD_WITH_NAMES("SetRotation", "b", SD_BUS_PARAM(on), "", ,
                             SdBusService::Calls::setRotation, kMethod),
    SD_BUS_METHOD_WITH_NAMES("SetBacklight", "b", SD_BUS_PARAM(on), "", ,
                             SdBusService::Calls::setBacklight, kMethod),
    SD_BUS_METHOD_WITH_NAMES("SetBrightness", "y", SD_BUS_PARAM(level), "", ,
                             SdBusService::Calls::setBrightness, kMethod),
    SD_BUS_SIGNAL_WITH_NAMES("MessageDropped", "u", SD_BUS_PARAM(id), 0),
    SD_BUS_PROPERTY("Modes", "as", SdBusService::Calls::property, 0, kProperty),
    SD_BUS_PROPERTY("Mode", "u", SdBusService::Calls::property, 0, kProperty),
    SD_BUS_PROPERTY("Connected", "b", SdBusService::Calls::property, 0, kProperty),
    SD_BUS_PROPERTY("Port", "s", SdBusService::Calls::property, 0, kProperty),
    SD_BUS_PROPERTY("Lines", "as", SdBusService::Calls::property, 0, kProperty),
    SD_BUS_PROPERTY("Rotation", "b", SdBusService::Calls::property, 0, kProperty),
    SD_BUS_VTABLE_END,
};

QString describe(int error)
{
    return QString::fromLocal8Bit(std::strerror(-error));
}
} // namespace

QString SdBusService::name()
{
    return QString::fromLatin1(kName);
}

QString SdBusService::path()
{
    return QString::fromLatin1(kPath);
}

std::unique_ptr<SdBusService> SdBusService::publish(RemoteControl& control, const QString& address)
{
    sd_bus* bus = nullptr;
    int r = 0;
    if (address.isEmpty()) {
        r = sd_bus_open_user(&bus);
    } else {
        r = sd_bus_new(&bus);
        if (r >= 0)
            r = sd_bus_set_address(bus, address.toUtf8().constData());
        if (r >= 0)
            r = sd_bus_set_bus_client(bus, 1);
        if (r >= 0)
            r = sd_bus_start(bus);
    }
    if (r < 0) {
        qCWarning(lcBus).noquote() << "no session bus:" << describe(r);
        sd_bus_flush_close_unref(bus);
        return nullptr;
    }
    std::unique_ptr<SdBusService> service(new SdBusService(control, bus));
    if (!service->exportObject()) {
        qCWarning(lcBus).noquote() << "cannot export" << path();
        return nullptr;
    }
    // Neither queued for the name nor letting another take it over.
    r = sd_bus_request_name(bus, kName, 0);
    if (r < 0) {
        if (r == -EEXIST)
            qCWarning(lcBus).noquote()
                << name() << "is owned by another Brellix on this session bus; this one runs"
                << "without the interface for other programs";
        else
            qCWarning(lcBus).noquote() << "cannot own" << name() << describe(r);
        return nullptr;
    }
    service->m_owned = true;
    service->rearm();
    qCInfo(lcBus).noquote() << "on the session bus as" << name();
    return service;
}

SdBusService::SdBusService(RemoteControl& control, sd_bus* bus)
    : m_control(control), m_bus(bus), m_sent(control.state())
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &SdBusService::process);
}

bool SdBusService::exportObject()
{
    if (sd_bus_add_object_vtable(m_bus, &m_object, kPath, kName, kTable, this) < 0)
        return false;
    const int fd = sd_bus_get_fd(m_bus);
    if (fd < 0)
        return false;
    m_readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &SdBusService::process);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &SdBusService::process);

    RemoteControl::Observer observer;
    observer.changed = [this] {
        // A refresh changes up to four lines: one announcement for them all.
        if (!std::exchange(m_announcing, true))
            QTimer::singleShot(0, this, &SdBusService::announceChanges);
    };
    observer.dropped = [this](const QString& caller, quint32 id) { sendDropped(caller, id); };
    m_control.addObserver(this, std::move(observer));
    return true;
}

SdBusService::~SdBusService()
{
    m_control.removeObserver(this);
    // The notifiers go before the socket they watch is closed.
    m_readable.reset();
    m_writable.reset();
    sd_bus_slot_unref(m_object);
    // Released before this returns, so that no caller finds the name held
    // by a program that has left.
    if (m_owned)
        sd_bus_release_name(m_bus, kName);
    sd_bus_flush_close_unref(m_bus);
}

void SdBusService::process()
{
    int r = 0;
    while ((r = sd_bus_process(m_bus, nullptr)) > 0) {
    }
    if (r < 0)
        qCWarning(lcBus).noquote() << "session bus:" << describe(r);
    rearm();
}

void SdBusService::rearm()
{
    const int events = sd_bus_get_events(m_bus);
    if (events < 0) { // the connection is gone: nothing more to watch
        m_readable->setEnabled(false);
        m_writable->setEnabled(false);
        m_deadline.stop();
        return;
    }
    m_writable->setEnabled(events & POLLOUT);
    uint64_t until = 0;
    if (sd_bus_get_timeout(m_bus, &until) < 0 || until == UINT64_MAX) {
        m_deadline.stop();
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t nowUs = uint64_t(now.tv_sec) * 1'000'000 + uint64_t(now.tv_nsec) / 1000;
    const uint64_t waitMs = until > nowUs ? (until - nowUs + 999) / 1000 : 0;
    m_deadline.start(int(std::min<uint64_t>(waitMs, INT32_MAX)));
}

void SdBusService::sendDropped(const QString& caller, quint32 id)
{
    // To the caller whose message it was, not to every listener.
    sd_bus_message* signal = nullptr;
    int r = sd_bus_message_new_signal(m_bus, &signal, kPath, kName, "MessageDropped");
    if (r >= 0)
        r = sd_bus_message_set_destination(signal, caller.toUtf8().constData());
    if (r >= 0)
        r = sd_bus_message_append_basic(signal, 'u', &id);
    if (r >= 0)
        r = sd_bus_send(m_bus, signal, nullptr);
    sd_bus_message_unref(signal);
    if (r < 0)
        qCWarning(lcBus).noquote()
            << "cannot tell" << caller << "of dropped message" << id << describe(r);
    rearm();
}

void SdBusService::announceChanges()
{
    m_announcing = false;
    const RemoteControl::State now = m_control.state();
    // One PropertiesChanged naming what differs from the last one, with the
    // values (read back from the table's getters).
    QList<QByteArray> changed;
    if (now.modes != m_sent.modes)
        changed << "Modes";
    if (now.mode != m_sent.mode)
        changed << "Mode";
    if (now.connected != m_sent.connected)
        changed << "Connected";
    if (now.port != m_sent.port)
        changed << "Port";
    if (now.lines != m_sent.lines)
        changed << "Lines";
    if (now.rotation != m_sent.rotation)
        changed << "Rotation";
    m_sent = now;
    if (changed.isEmpty())
        return;
    std::vector<char*> names;
    for (QByteArray& n : changed)
        names.push_back(n.data());
    names.push_back(nullptr);
    const int r = sd_bus_emit_properties_changed_strv(m_bus, kPath, kName, names.data());
    if (r < 0)
        qCWarning(lcBus).noquote() << "cannot announce changed properties:" << describe(r);
    rearm();
}
