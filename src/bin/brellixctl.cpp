// brellixctl: asks a running brellix or brellixd over the session bus to
// show a message, switch the mode, the rotation or the backlight, or tell
// its state. It
// talks through a proxy generated from the interface's XML and speaks only
// D-Bus, so anything brellixctl does, busctl or gdbus can do. It knows no
// mode names of its own: the running program lists them and looks them up.
#include "brellix1proxy.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingReply>
#include <QStringList>
#include <QTextStream>
#include <QVariantMap>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>

namespace {
enum Exit { Done = 0, Refused = 1, Usage = 2, NotRunning = 3 };

const char* const UsageText =
    "Usage: brellixctl COMMAND [ARGUMENT...]\n"
    "Talks to the Brellix running in this session (brellix or brellixd).\n"
    "\n"
    "  message [--seconds N] [--flash] [--alert] [--center] LINE...\n"
    "                        show up to 4 lines of up to 20 characters for N\n"
    "                        seconds (1 to 3600, default 10); prints the id\n"
    "  dismiss ID            end a message, or take it out of the queue\n"
    "  mode N|NAME           switch to mode number N, or to the mode NAME: its\n"
    "                        short name or its button's caption, any case\n"
    "  modes                 list the short names of the modes, in mode order\n"
    "                        (the first is mode 0)\n"
    "  rotate on|off         let the modes of the settings' [Rotation] follow\n"
    "                        each other, or stop them (choosing a mode stops\n"
    "                        them too)\n"
    "  backlight on|off      switch the backlight\n"
    "  brightness LEVEL      0 (darkest) to 254 (brightest)\n"
    "  status                mode, rotation, connection, port and the four\n"
    "                        lines shown\n"
    "\n"
    "Exit codes: 0 done, 1 refused (the reason on standard error), 2 usage,\n"
    "3 no Brellix running.\n";

void say(const QString& text)
{
    QTextStream(stderr) << "brellixctl: " << text << Qt::endl;
}

int usage(const QString& why)
{
    say(why);
    QTextStream(stderr) << UsageText;
    return Usage;
}

std::optional<uint> number(const QString& text, uint max)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    return ok && value <= max ? std::optional<uint>(value) : std::nullopt;
}

bool digitsOnly(const QString& text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The exit code of a call that has ended; a refusal or an absent Brellix is
// said, a refused argument with hint after it.
int outcome(const QDBusError& error, const QString& hint = {})
{
    if (!error.isValid())
        return Done;
    constexpr const char* Absent[] = {
        "org.freedesktop.DBus.Error.ServiceUnknown", "org.freedesktop.DBus.Error.NameHasNoOwner",
        "org.freedesktop.DBus.Error.NoReply",        "org.freedesktop.DBus.Error.Disconnected",
        "org.freedesktop.DBus.Error.NoServer",
    };
    if (std::any_of(std::begin(Absent), std::end(Absent),
                    [&error](const char* name) { return error.name() == QLatin1String(name); })) {
        say(QStringLiteral("no Brellix is running in this session (%1)").arg(error.message()));
        return NotRunning;
    }
    say(QStringLiteral("refused: ") + error.message() +
        (error.type() == QDBusError::InvalidArgs ? hint : QString()));
    return Refused;
}

int finish(QDBusPendingCall call, const QString& hint = {})
{
    call.waitForFinished();
    return outcome(call.error(), hint);
}

// Runs call on the Brellix of this session: its bus name is the interface's
// name, and its object's path follows from that name, as the XML says.
int withBrellix(const std::function<int(Brellix1Proxy&)>& call)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        say(QStringLiteral("no session bus: ") + bus.lastError().message());
        return NotRunning;
    }
    const QString name = QString::fromLatin1(Brellix1Proxy::staticInterfaceName());
    const QString path =
        QLatin1Char('/') + QString(name).replace(QLatin1Char('.'), QLatin1Char('/'));
    Brellix1Proxy brellix(name, path, bus);
    brellix.setTimeout(10000);
    return call(brellix);
}

int message(QStringList args)
{
    uint seconds = 10;
    QVariantMap options;
    QStringList lines;
    bool optionsEnd = false;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (optionsEnd || !arg.startsWith(u"--")) {
            lines << arg;
        } else if (arg == u"--") {
            optionsEnd = true;
        } else if (arg == u"--flash") {
            options.insert(QStringLiteral("flash"), true);
        } else if (arg == u"--center") {
            options.insert(QStringLiteral("center"), true);
        } else if (arg == u"--alert") {
            options.insert(QStringLiteral("priority"), QStringLiteral("alert"));
        } else if (arg == u"--seconds" || arg.startsWith(u"--seconds=")) {
            QString value = arg.mid(10);
            if (arg == u"--seconds") {
                if (args.isEmpty())
                    return usage(QStringLiteral("--seconds needs a number"));
                value = args.takeFirst();
            }
            const auto n = number(value, 3600);
            if (!n || *n == 0)
                return usage(QStringLiteral("--seconds takes 1 to 3600"));
            seconds = *n;
        } else {
            return usage(QStringLiteral("unknown option ") + arg);
        }
    }
    if (lines.isEmpty() || lines.size() > 4)
        return usage(QStringLiteral("a message has 1 to 4 lines"));
    return withBrellix([&](Brellix1Proxy& brellix) {
        QDBusPendingReply<uint> reply = brellix.ShowMessage(lines, seconds, options);
        const int exit = finish(reply);
        if (exit == Done)
            QTextStream(stdout) << reply.value() << Qt::endl;
        return exit;
    });
}

int modes(Brellix1Proxy& brellix)
{
    const QStringList names = brellix.modes();
    const int exit = outcome(brellix.lastError());
    if (exit == Done) {
        QTextStream out(stdout);
        for (const QString& name : names)
            out << name << "\n";
    }
    return exit;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

int status(Brellix1Proxy& brellix)
{
    QDBusMessage request = QDBusMessage::createMethodCall(
        brellix.service(), brellix.path(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    request << brellix.interface();
    const QDBusMessage reply = brellix.connection().call(request, QDBus::Block, brellix.timeout());
    if (reply.type() != QDBusMessage::ReplyMessage)
        return outcome(QDBusError(reply));
    const QVariantMap properties =
        qdbus_cast<QVariantMap>(reply.arguments().value(0).value<QDBusArgument>());
    const uint mode = properties.value(QStringLiteral("Mode")).toUInt();
    const QStringList names = properties.value(QStringLiteral("Modes")).toStringList();
    QTextStream out(stdout);
    out << "Mode: " << mode;
    if (mode < uint(names.size()))
        out << " (" << names.at(mode) << ")";
    out << "\nRotation: " << (properties.value(QStringLiteral("Rotation")).toBool() ? "on" : "off")
        << "\nConnected: " << yesNo(properties.value(QStringLiteral("Connected")).toBool())
        << "\nPort: " << properties.value(QStringLiteral("Port")).toString() << "\n";
    const QStringList lines = properties.value(QStringLiteral("Lines")).toStringList();
    for (int i = 0; i < lines.size(); ++i)
        out << "Line " << (i + 1) << ": " << lines.at(i) << "\n";
    return Done;
}

int run(QStringList args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("no command"));
    const QString command = args.takeFirst();
    if (command == u"--help" || command == u"-h" || command == u"help") {
        QTextStream(stdout) << UsageText;
        return Done;
    }
    if (command == u"--version") {
        QTextStream(stdout) << "brellixctl " << BRELLIX_VERSION << "\n";
        return Done;
    }
    if (command == u"message")
        return message(args);
    if (command == u"status" || command == u"modes") {
        if (!args.isEmpty())
            return usage(command + QStringLiteral(" takes no argument"));
        return withBrellix(command == u"status" ? status : modes);
    }
    if (args.size() != 1)
        return usage(command + QStringLiteral(" takes one argument"));
    const QString arg = args.first();
    if (command == u"dismiss") {
        const auto id = number(arg, 0xffffffffu);
        if (!id)
            return usage(QStringLiteral("dismiss takes the number ShowMessage gave"));
        return withBrellix([id](Brellix1Proxy& b) { return finish(b.Dismiss(*id)); });
    }
    if (command == u"mode") {
        // A number goes by number; anything else is a name the program looks up.
        if (!digitsOnly(arg)) {
            return withBrellix([&arg](Brellix1Proxy& b) {
                return finish(b.SelectMode(arg),
                              QStringLiteral(" (brellixctl modes lists the names)"));
            });
        }
        const auto mode = number(arg, 0xffffffffu);
        if (!mode)
            return usage(QStringLiteral("no mode has the number ") + arg);
        return withBrellix([mode](Brellix1Proxy& b) { return finish(b.SetMode(*mode)); });
    }
    if (command == u"backlight") {
        if (arg != u"on" && arg != u"off")
            return usage(QStringLiteral("backlight takes on or off"));
        return withBrellix(
            [on = arg == u"on"](Brellix1Proxy& b) { return finish(b.SetBacklight(on)); });
    }
    if (command == u"rotate") {
        if (arg != u"on" && arg != u"off")
            return usage(QStringLiteral("rotate takes on or off"));
        return withBrellix(
            [on = arg == u"on"](Brellix1Proxy& b) { return finish(b.SetRotation(on)); });
    }
    if (command == u"brightness") {
        const auto level = number(arg, 254);
        if (!level)
            return usage(QStringLiteral("brightness takes 0 to 254"));
        return withBrellix(
            [level](Brellix1Proxy& b) { return finish(b.SetBrightness(uchar(*level))); });
    }
    return usage(QStringLiteral("unknown command ") + command);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments().mid(1));
}
