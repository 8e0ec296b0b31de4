// brellixctl: asks a running brellix or brellixd over the session bus to
// show a message, switch the mode or the backlight, or tell its state. It
// speaks only D-Bus, so anything brellixctl does, busctl or gdbus can do.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QStringList>
#include <QTextStream>
#include <QVariantMap>

#include <array>
#include <optional>

namespace {
const QString Service = QStringLiteral("io.github.brellix.Brellix1");
const QString Path = QStringLiteral("/io/github/brellix/Brellix1");

enum Exit { Done = 0, Refused = 1, Usage = 2, NotRunning = 3 };

// The modes by number: the captions of the mode buttons, and a short name.
struct ModeName
{
    const char* caption;
    const char* shortName;
};
constexpr std::array<ModeName, 8> Modes{{
    {"Large Characters Clock", "clock"},
    {"Time And Date", "time"},
    {"CPU Info", "cpu"},
    {"Network Info", "network"},
    {"WinAmp Plugin", "player"},
    {"Weather Station", "weather"},
    {"Stock Quote", "stock"},
    {"POP Email", "mail"},
}};

const char* const UsageText =
    "Usage: brellixctl COMMAND [ARGUMENT...]\n"
    "Talks to the Brellix running in this session (brellix or brellixd).\n"
    "\n"
    "  message [--seconds N] [--flash] [--alert] [--center] LINE...\n"
    "                        show up to 4 lines of up to 20 characters for N\n"
    "                        seconds (1 to 3600, default 10); prints the id\n"
    "  dismiss ID            end a message, or take it out of the queue\n"
    "  mode N|NAME           switch to mode 0 to 7, or by name: clock, time, cpu,\n"
    "                        network, player, weather, stock, mail, or a mode\n"
    "                        button's caption (\"Time And Date\"), any case\n"
    "  backlight on|off      switch the backlight\n"
    "  brightness LEVEL      0 (darkest) to 254 (brightest)\n"
    "  status                mode, connection, port and the four lines shown\n"
    "\n"
    "Exit codes: 0 done, 1 refused (the reason on standard error), 2 usage,\n"
    "3 no Brellix running.\n";

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage(const QString& why)
{
    err() << "brellixctl: " << why << "\n" << UsageText;
    err().flush();
    return Usage;
}

std::optional<uint> number(const QString& text, uint max)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    return ok && value <= max ? std::optional<uint>(value) : std::nullopt;
}

std::optional<uint> modeNumber(const QString& text)
{
    if (auto n = number(text, uint(Modes.size() - 1)))
        return n;
    for (uint i = 0; i < Modes.size(); ++i) {
        if (text.compare(QLatin1String(Modes[i].caption), Qt::CaseInsensitive) == 0 ||
            text.compare(QLatin1String(Modes[i].shortName), Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

// Calls method; the reply's arguments, or the exit code with the reason said.
struct Reply
{
    int exit = Done;
    QList<QVariant> arguments;
};

Reply call(const QString& interface, const QString& method, const QList<QVariant>& arguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        err() << "brellixctl: no session bus: " << bus.lastError().message() << Qt::endl;
        return {NotRunning, {}};
    }
    QDBusMessage request = QDBusMessage::createMethodCall(Service, Path, interface, method);
    request.setArguments(arguments);
    const QDBusMessage reply = bus.call(request, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {Done, reply.arguments()};
    const QString name = reply.errorName();
    static const QStringList absent = {
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
        QStringLiteral("org.freedesktop.DBus.Error.NoServer"),
    };
    if (absent.contains(name)) {
        err() << "brellixctl: no Brellix is running in this session (" << reply.errorMessage()
              << ")" << Qt::endl;
        return {NotRunning, {}};
    }
    err() << "brellixctl: refused: " << reply.errorMessage() << Qt::endl;
    return {Refused, {}};
}

Reply callBrellix(const QString& method, const QList<QVariant>& arguments)
{
    return call(Service, method, arguments);
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
    const Reply reply = callBrellix(QStringLiteral("ShowMessage"),
                                    {lines, QVariant::fromValue(seconds), options});
    if (reply.exit == Done && !reply.arguments.isEmpty())
        QTextStream(stdout) << reply.arguments.first().toUInt() << Qt::endl;
    return reply.exit;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

int status()
{
    const Reply reply =
        call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"), {Service});
    if (reply.exit != Done)
        return reply.exit;
    const QVariantMap properties =
        qdbus_cast<QVariantMap>(reply.arguments.value(0).value<QDBusArgument>());
    const uint mode = properties.value(QStringLiteral("Mode")).toUInt();
    QTextStream out(stdout);
    out << "Mode: " << mode;
    if (mode < Modes.size())
        out << " (" << Modes[mode].caption << ")";
    out << "\nConnected: " << yesNo(properties.value(QStringLiteral("Connected")).toBool())
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
    if (command == u"status")
        return args.isEmpty() ? status() : usage(QStringLiteral("status takes no argument"));
    if (args.size() != 1)
        return usage(command + QStringLiteral(" takes one argument"));
    const QString arg = args.first();
    if (command == u"dismiss") {
        const auto id = number(arg, 0xffffffffu);
        return id ? callBrellix(QStringLiteral("Dismiss"), {QVariant::fromValue(*id)}).exit
                  : usage(QStringLiteral("dismiss takes the number ShowMessage gave"));
    }
    if (command == u"mode") {
        const auto mode = modeNumber(arg);
        return mode ? callBrellix(QStringLiteral("SetMode"), {QVariant::fromValue(*mode)}).exit
                    : usage(QStringLiteral("unknown mode ") + arg);
    }
    if (command == u"backlight") {
        if (arg != u"on" && arg != u"off")
            return usage(QStringLiteral("backlight takes on or off"));
        return callBrellix(QStringLiteral("SetBacklight"), {arg == u"on"}).exit;
    }
    if (command == u"brightness") {
        const auto level = number(arg, 254);
        return level ? callBrellix(QStringLiteral("SetBrightness"),
                                   {QVariant::fromValue(uchar(*level))})
                           .exit
                     : usage(QStringLiteral("brightness takes 0 to 254"));
    }
    return usage(QStringLiteral("unknown command ") + command);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments().mid(1));
}
