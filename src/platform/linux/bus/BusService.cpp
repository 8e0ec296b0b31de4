#include "platform/linux/bus/BusService.h"

#include "brellix1adaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>
#include <QTimer>

namespace {
Q_LOGGING_CATEGORY(lcBus, "brellix.bus")

QString errorName(RemoteControl::Refusal refusal)
{
    switch (refusal) {
    case RemoteControl::Refusal::InvalidArgs:
        return QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
    case RemoteControl::Refusal::LimitsExceeded:
        return QStringLiteral("org.freedesktop.DBus.Error.LimitsExceeded");
    case RemoteControl::Refusal::UnknownId:
        return BusService::name() + QStringLiteral(".Error.NoSuchMessage");
    case RemoteControl::Refusal::Unavailable:
    case RemoteControl::Refusal::None:
        break;
    }
    return BusService::name() + QStringLiteral(".Error.Unavailable");
}
} // namespace

QString BusService::name()
{
    const QMetaObject& adaptor = Brellix1Adaptor::staticMetaObject;
    return QString::fromLatin1(
        adaptor.classInfo(adaptor.indexOfClassInfo("D-Bus Interface")).value());
}

QString BusService::path()
{
    return QLatin1Char('/') + name().replace(QLatin1Char('.'), QLatin1Char('/'));
}

std::unique_ptr<BusService> BusService::publish(RemoteControl& control, QDBusConnection connection)
{
    if (!connection.isConnected()) {
        qCWarning(lcBus).noquote() << "no session bus:" << connection.lastError().message();
        return nullptr;
    }
    std::unique_ptr<BusService> service(new BusService(control, connection));
    if (!connection.registerObject(path(), service.get())) {
        qCWarning(lcBus).noquote() << "cannot export" << path();
        return nullptr;
    }
    const auto owned =
        connection.interface()->registerService(name(), QDBusConnectionInterface::DontQueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
    if (!owned.isValid() || owned.value() != QDBusConnectionInterface::ServiceRegistered) {
        connection.unregisterObject(path());
        qCWarning(lcBus).noquote()
            << name() << "is owned by another Brellix on this session bus; this one runs"
            << "without the interface for other programs";
        return nullptr;
    }
    service->m_owned = true;
    qCInfo(lcBus).noquote() << "on the session bus as" << name();
    return service;
}

BusService::BusService(RemoteControl& control, QDBusConnection connection)
    : m_control(control), m_connection(std::move(connection)), m_sent(control.state())
{
    new Brellix1Adaptor(this);
    RemoteControl::Observer observer;
    observer.changed = [this] {
        // A refresh changes up to four lines: one announcement for them all.
        if (!std::exchange(m_announcing, true))
            QTimer::singleShot(0, this, &BusService::announceChanges);
    };
    observer.dropped = [this](const QString& caller, quint32 id) {
        QDBusMessage signal = QDBusMessage::createTargetedSignal(caller, path(), name(),
                                                                 QStringLiteral("MessageDropped"));
        signal << id;
        m_connection.send(signal);
    };
    m_control.setObserver(std::move(observer));
}

BusService::~BusService()
{
    m_control.setObserver({});
    m_connection.unregisterObject(path());
    if (m_owned)
        m_connection.interface()->unregisterService(name());
}

bool BusService::answer(const RemoteControl::Outcome& outcome)
{
    if (outcome.done())
        return true;
    sendErrorReply(errorName(outcome.refusal), outcome.reason);
    return false;
}

uint BusService::ShowMessage(const QStringList& lines, uint seconds, const QVariantMap& options)
{
    Bulletin request;
    request.lines = lines;
    request.seconds = seconds;
    for (auto it = options.begin(); it != options.end(); ++it) {
        const QMetaType type = it.value().metaType();
        const QString key = it.key();
        bool fits = true;
        if (key == u"flash" || key == u"center") {
            fits = type == QMetaType::fromType<bool>();
            (key == u"flash" ? request.flash : request.center) = it.value().toBool();
        } else if (key == u"priority") {
            const QString priority = it.value().toString();
            fits = type == QMetaType::fromType<QString>() &&
                   (priority == u"info" || priority == u"alert");
            request.alert = priority == u"alert";
        }
        // Other options are for later versions: ignored.
        if (!fits) {
            sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                           QStringLiteral("option %1: flash and center take a boolean, "
                                          "priority \"info\" or \"alert\"")
                               .arg(key.left(40)));
            return 0;
        }
    }
    const RemoteControl::Outcome outcome = m_control.showBulletin(message().service(), request);
    return answer(outcome) ? outcome.id : 0;
}

void BusService::Dismiss(uint id)
{
    answer(m_control.dismiss(message().service(), id));
}

void BusService::SetMode(uint mode)
{
    answer(m_control.setMode(message().service(), mode));
}

void BusService::SelectMode(const QString& nameOrCaption)
{
    answer(m_control.selectMode(message().service(), nameOrCaption));
}

void BusService::SetBacklight(bool on)
{
    answer(m_control.setBacklight(message().service(), on));
}

void BusService::SetBrightness(uchar level)
{
    answer(m_control.setBrightness(message().service(), level));
}

void BusService::announceChanges()
{
    m_announcing = false;
    const RemoteControl::State now = m_control.state();
    QVariantMap changed;
    if (now.modes != m_sent.modes)
        changed.insert(QStringLiteral("Modes"), now.modes);
    if (now.mode != m_sent.mode)
        changed.insert(QStringLiteral("Mode"), now.mode);
    if (now.connected != m_sent.connected)
        changed.insert(QStringLiteral("Connected"), now.connected);
    if (now.port != m_sent.port)
        changed.insert(QStringLiteral("Port"), now.port);
    if (now.lines != m_sent.lines)
        changed.insert(QStringLiteral("Lines"), now.lines);
    m_sent = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(path(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << name() << changed << QStringList();
    m_connection.send(signal);
}
