#include "app/CommandLine.h"
#include "app/RunOnWSU.h"
#include "app/views/frmMain.h"
#include "lcd/LcddOutput.h"
#include "lcd/modLcdFunc.h"
#include "platform/RemoteControl.h"
#include "support/PrivateSessionBus.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QXmlStreamReader>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString LcddProgram = u"/usr/sbin/LCDd"_s;

// What an interface offers, read from introspection XML: a line per method
// and signal with its arguments (direction, name, type) and per property
// with its type and access, sorted; annotations and comments left out.
QStringList interfaceShape(const QString& xml, const QString& interface)
{
    QStringList shape;
    QXmlStreamReader r(xml);
    bool inside = false;
    while (!r.atEnd()) {
        r.readNext();
        const QString tag = r.name().toString();
        if (r.isEndElement() && tag == u"interface")
            inside = false;
        if (!r.isStartElement())
            continue;
        const QXmlStreamAttributes a = r.attributes();
        const auto at = [&a](const char* key) { return a.value(QLatin1String(key)).toString(); };
        if (tag == u"interface")
            inside = at("name") == interface;
        else if (inside && (tag == u"method" || tag == u"signal"))
            shape << tag + u' ' + at("name");
        else if (inside && tag == u"property")
            shape << u"property "_s + at("name") + u' ' + at("type") + u' ' + at("access");
        else if (inside && tag == u"arg" && !shape.isEmpty()) {
            // A method's argument is "in" unless it says otherwise; a
            // signal's has no direction.
            QString direction = at("direction");
            if (shape.last().startsWith(u"signal"_s))
                direction.clear();
            else if (direction.isEmpty())
                direction = u"in"_s;
            shape.last() += u' ' + direction + u':' + at("name") + u':' + at("type");
        }
    }
    if (r.hasError())
        shape << u"unreadable: "_s + r.errorString();
    shape.sort();
    return shape;
}

// A real LCDd on a free loopback port: its text driver prints each frame, its
// MtxOrb driver writes its bytes to a pseudo-terminal the test reads.
class Lcdd
{
public:
    Lcdd()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        QVERIFY(::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) == 0);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~Lcdd()
    {
        ::close(m_master);
        ::close(m_slave);
    }
    void start(const QByteArray& size = "20x4")
    {
        QFile conf(m_dir.filePath(u"LCDd.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[server]\nDriverPath=/usr/lib/x86_64-linux-gnu/lcdproc/\nDriver=text\n"
                   "Driver=MtxOrb\nBind=127.0.0.1\nPort=" +
                   QByteArray::number(port) +
                   "\nReportToSyslog=no\nReportLevel=1\nWaitTime=5\nServerScreen=no\n"
                   "FrameInterval=50000\n[text]\nSize=" +
                   size + "\n[MtxOrb]\nDevice=" + ::ttyname(m_slave) + "\nSize=" + size +
                   "\nType=lcd\nSpeed=19200\n");
        conf.close();
        m_out.clear();
        // Line-buffered, so each frame reaches the pipe as it is drawn.
        m_process.start(u"stdbuf"_s, {u"-oL"_s, LcddProgram, u"-f"_s, u"-c"_s, conf.fileName()});
        QVERIFY(m_process.waitForStarted());
        QTcpSocket s;
        QTRY_VERIFY((s.connectToHost(QHostAddress::LocalHost, port), s.waitForConnected(500)));
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The last whole frame of the text driver, row by row.
    QList<QByteArray> frame()
    {
        bytes(); // a full pseudo-terminal would hold LCDd up
        m_out += m_process.readAllStandardOutput();
        QList<QByteArray> rows, last;
        for (const QByteArray& l : m_out.split('\n')) {
            if (l.startsWith("+-")) { // a frame's border
                if (!rows.isEmpty())
                    last = rows;
                rows.clear();
            } else if (l.startsWith('|') && l.endsWith('|')) {
                rows << l.mid(1, l.size() - 2);
            }
        }
        return last;
    }
    // What the MtxOrb driver wrote, all of it.
    QByteArray bytes()
    {
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            m_bytes.append(buffer, n);
        return m_bytes;
    }

    quint16 port = 0;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_bytes;
    int m_master = -1, m_slave = -1;
};
} // namespace

// The real programs from outside (options, the modes they list, signals, a
// real LCDd, a real tray) and the autostart entry.
class TestExecutables : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

    // Starts a program and waits for its start-up; its standard error so
    // far is left in seen.
    static void launch(QProcess& p, const char* program, const QStringList& args, QByteArray& seen)
    {
        p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + QLatin1String(program), args);
        QTRY_VERIFY2_WITH_TIMEOUT((seen += p.readAllStandardError()).contains("Start-up finished"),
                                  seen.constData(), 10000);
    }
    // A program that failed to start or has ended has no pid: kill(0) would hit
    // ctest's whole process group.
    static bool send(const QProcess& p, int signalNumber)
    {
        return p.processId() > 0 && ::kill(pid_t(p.processId()), signalNumber) == 0;
    }
    // Sends the signal and expects an orderly end.
    static void endWith(QProcess& p, int signalNumber)
    {
        QVERIFY(send(p, signalNumber));
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }
    QStringList xdotool(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(5000);
        return QString::fromLatin1(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    // Brellix's visible windows but the main one: at the top level the
    // notification, below it the icon docked in the tray.
    QStringList shown(bool topLevel)
    {
        QStringList all = xdotool({"search", "--onlyvisible", "--class", "brellix"});
        const QStringList top = xdotool({"search", "--maxdepth", "1", "--class", "brellix"});
        const QStringList main = xdotool({"search", "--name", "BRELLIX Version 2"});
        all.removeIf(
            [&](const QString& w) { return top.contains(w) != topLevel || main.contains(w); });
        return all;
    }

    // The first of tools (and Xvfb, xdotool) that is not installed; empty when all are.
    static QString missing(const QStringList& tools)
    {
        for (const QString& tool : tools + QStringList{"Xvfb", "xdotool"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return tool;
        }
        return {};
    }
    // Starts Xvfb (it picks a free display and tells its number); programs
    // started from here on go to it.
    static bool startDisplay(QProcess& xvfb)
    {
        xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24"});
        if (!xvfb.waitForStarted(5000))
            return false;
        while (!xvfb.canReadLine() && xvfb.waitForReadyRead(10000)) {
        }
        if (!xvfb.canReadLine())
            return false;
        qputenv("DISPLAY", ':' + xvfb.readLine().trimmed());
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    static auto stopDisplay(QProcess& xvfb)
    {
        return qScopeGuard([&xvfb] { // killed, Xvfb would leave its lock file
            xvfb.terminate();
            xvfb.waitForFinished(3000);
        });
    }
    static QByteArray xprop(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral("xprop"), args);
        p.waitForFinished(5000);
        return p.readAllStandardOutput();
    }
    // A window manager has taken the root window.
    static bool wmRunning()
    {
        return xprop({"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
    }
    // The main window's WM_STATE as the window manager set it ("Normal", "Iconic").
    QByteArray wmState()
    {
        const QStringList main = xdotool({"search", "--name", "BRELLIX Version 2"});
        if (main.isEmpty())
            return {};
        const QByteArray out = xprop({"-id", main.first(), "WM_STATE"});
        const qsizetype at = out.indexOf("window state: ");
        return at < 0 ? QByteArray() : out.mid(at + 14).split('\n').first().trimmed();
    }

private Q_SLOTS:
    void options()
    {
        const std::tuple<const char*, const char*, int, QByteArray> rows[] = {
            {"brellix", "--help", 0, "--simulate"},
            {"brellix", "--version", 0, "brellix " BRELLIX_VERSION},
            {"brellixd", "--save", 2, "--save goes with --port"},
            {"brellixd", "--characters=a01", 2, "--characters takes one of ascii, a00, a02"},
            {"brellix-lcdsim", "--characters=A03", 2, "--characters takes one of ascii, a00, a02"},
        };
        for (const auto& [program, option, code, output] : rows) {
            QProcess p;
            p.setProcessEnvironment({}); // no display needed (over ssh, say)
            p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + QLatin1String(program), {option});
            QVERIFY(p.waitForFinished(10000));
            const QByteArray all = p.readAllStandardOutput() + p.readAllStandardError();
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == code &&
                         all.contains(output),
                     all.constData());
        }
    }

    // Every list of the modes is the table's, row for row: the window's
    // buttons, Modes on the bus and brellixctl modes of a brellixd on a
    // private bus, and --help of both programs (the built-in modes only).
    // The eight built-in modes keep their names (scripts and settings files
    // use them) and captions; own screens follow, loaded after the window
    // is built, and brellixctl chooses one by name.
    void modesAgree()
    {
        const QStringList builtIn{u"clock|Large Characters Clock"_s,
                                  u"time|Time And Date"_s,
                                  u"cpu|CPU Info"_s,
                                  u"network|Network Info"_s,
                                  u"player|WinAmp Plugin"_s,
                                  u"weather|Weather Station"_s,
                                  u"stock|Stock Quote"_s,
                                  u"mail|POP Email"_s};
        LinkHarness h;
        h.writeIni("[Screen Home]\nLine1=x\n");
        TestApp c(h.iniPath(), m_platform);
        const frmMain window(c.scheduler(), c.linkController(), c.lines(), c.messages(),
                             c.lifecycle(), frmMain::DialogParts::of(c));
        c.loadSettings();
        QStringList table, names, captions;
        for (const DisplayScheduler::Mode& mode : c.scheduler().modes()) {
            table << mode.name + u'|' + mode.caption;
            names << mode.name;
            captions << mode.caption;
        }
        QCOMPARE(table, builtIn + QStringList{u"Home|Home"_s});

        QStringList buttons;
        for (int i = 0; const auto* b = window.findChild<QRadioButton*>(u"optDisplay%1"_s.arg(i));
             ++i)
            buttons << b->text();
        QCOMPARE(buttons, captions);

        // "  N  name  caption" under the heading, one a mode.
        for (const char* program : {"brellix", "brellixd"}) {
            QProcess p;
            p.setProcessEnvironment({});
            p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + QLatin1String(program), {"--help"});
            QVERIFY(p.waitForFinished(10000));
            const QString help = QString::fromUtf8(p.readAllStandardOutput());
            QStringList listed;
            const QRegularExpression row(u"^  (\\d+)  (\\S+) +(.+)$"_s);
            for (const QString& line : help.section(u"Display modes"_s, 1).split(u'\n')) {
                const QRegularExpressionMatch m = row.match(line);
                if (m.hasMatch() && m.captured(1).toInt() == listed.size())
                    listed << m.captured(2) + u'|' + m.captured(3);
            }
            QVERIFY2(listed == builtIn, qPrintable(program + u": "_s + help));
        }

        PrivateSessionBus bus;
        if (!bus.start())
            QSKIP(qPrintable(u"No private session bus: "_s + bus.error()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        QProcess brellixd;
        brellixd.setProcessEnvironment(env);
        QByteArray seen;
        launch(brellixd, "brellixd", {"--simulate", "--config", h.iniPath()}, seen);
        const QString name = u"io.github.brellix.Brellix1"_s;
        QDBusMessage get = QDBusMessage::createMethodCall(
            name, u"/io/github/brellix/Brellix1"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        get << name << u"Modes"_s;
        const QDBusMessage reply = bus.connect(u"modes"_s).call(get, QDBus::Block, 5000);
        QCOMPARE(reply.arguments().value(0).value<QDBusVariant>().variant().toStringList(), names);
        QProcess ctl;
        ctl.setProcessEnvironment(env);
        ctl.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixctl"), {"modes"});
        QVERIFY(ctl.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(ctl.readAllStandardOutput()), names.join(u'\n') + u'\n');
        ctl.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixctl"), {"mode", "home"});
        QVERIFY(ctl.waitForFinished(10000) && ctl.exitCode() == 0);
        get.setArguments({name, u"Mode"_s});
        const QDBusMessage mode = bus.connect(u"modes"_s).call(get, QDBus::Block, 5000);
        QCOMPARE(mode.arguments().value(0).value<QDBusVariant>().variant().toUInt(), 8u);
        endWith(brellixd, SIGTERM);
    }

    // brellixd is for machines without a display: it loads no GUI or GL library.
    // Nor Qt Network, which only LCDd's client (a module) uses: not linked,
    // and not mapped by a brellixd whose one output is the serial module.
    void headlessWithoutGui()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {QStringLiteral(BRELLIX_BIN_DIR "/brellixd")});
        QVERIFY(ldd.waitForFinished(10000));
        const QByteArray libraries = ldd.readAllStandardOutput();
        QVERIFY2(libraries.contains("libQt6Core"), libraries.constData());
        for (const char* lib :
             {"libQt6Gui", "libQt6Widgets", "libEGL", "libGLX", "libOpenGL", "libQt6Network"})
            QVERIFY2(!libraries.contains(lib), lib);

        LinkHarness h;
        QProcess brellixd;
        QByteArray seen;
        launch(brellixd, "brellixd", {"--simulate", "--config", h.iniPath()}, seen);
        QFile maps(u"/proc/%1/maps"_s.arg(brellixd.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("libQt6SerialPort"));
        QVERIFY2(!mapped.contains("libQt6Network"),
                 "Qt Network mapped with the serial module alone");
        endWith(brellixd, SIGTERM);
    }

    // SIGINT and SIGHUP end brellixd like closing the window: it saves and
    // exits 0. --port is the module for this run, or kept with --save; its
    // stderr reader gone (SIGPIPE) does not end it; SIGUSR1 reinitialises.
    void signalsAndPort()
    {
        LinkHarness h;
        const QString device = h.addModule()->slavePath();
        const std::tuple<const char*, QStringList, int> runs[] = {
            {"brellixd", {"--port", device}, SIGINT},
            {"brellixd", {"--port", device, "--save"}, SIGHUP},
        };
        for (const auto& [program, args, signalNumber] : runs) {
            h.writeIni("[Settings]\nCommPort=2\nBacklight=42\n[Mode]\nmode=1\n");
            QProcess p;
            QByteArray seen;
            launch(p, program, QStringList{"--config", h.iniPath()} + args, seen);
            if (signalNumber == SIGINT) {
                QVERIFY(send(p, SIGUSR1));
                QTRY_VERIFY2_WITH_TIMEOUT(
                    (seen += p.readAllStandardError()).count("Status: LCD Connected") == 2,
                    seen.constData(), 5000);
                p.closeReadChannel(QProcess::StandardError);
                QVERIFY(send(p, SIGUSR1)); // its status line meets the closed pipe
                QVERIFY(!p.waitForFinished(1000));
            }
            endWith(p, signalNumber);
            const QByteArray ini = h.readIni();
            for (const char* key : {"mode=1", "CommPort=2", "Backlight=42"})
                QVERIFY2(ini.contains(key), ini.constData());
            QCOMPARE(ini.contains("COM2=" + device.toUtf8()), signalNumber == SIGHUP);
        }
    }

    // Where a session bus is, brellixd loads the bus plugin at start and is
    // on the bus by the time it says so.
    void publishedOnSessionBus()
    {
        PrivateSessionBus bus;
        if (!bus.start())
            QSKIP(qPrintable(u"No private session bus: "_s + bus.error()));
        LinkHarness h;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        QProcess p;
        p.setProcessEnvironment(environment);
        QByteArray seen;
        launch(p, "brellixd", {u"--config"_s, h.iniPath(), u"--simulate"_s}, seen);
        QVERIFY2(bus.connect(u"probe"_s)
                     .interface()
                     ->isServiceRegistered(u"io.github.brellix.Brellix1"_s),
                 seen.constData());
        // What it publishes is the interface's XML, member for member.
        const QString name = u"io.github.brellix.Brellix1"_s;
        const QDBusMessage introspection =
            bus.connect(u"probe"_s)
                .call(QDBusMessage::createMethodCall(name, u"/io/github/brellix/Brellix1"_s,
                                                     u"org.freedesktop.DBus.Introspectable"_s,
                                                     u"Introspect"_s),
                      QDBus::Block, 5000);
        QFile contract(QStringLiteral(BRELLIX_BUS_XML));
        QVERIFY(contract.open(QIODevice::ReadOnly));
        const QStringList want = interfaceShape(QString::fromUtf8(contract.readAll()), name);
        QVERIFY(!want.isEmpty());
        QCOMPARE(interfaceShape(introspection.arguments().value(0).toString(), name), want);
        endWith(p, SIGTERM);
    }

    // The autostart Exec line: quoted with a space, escaped inside quotes,
    // then the backslashes once more for the string value.
    void startupCommand()
    {
        const std::pair<QString, QString> rows[] = {
            {"/opt/My Apps/brellix", "\"/opt/My Apps/brellix\" -systray"},
            {"/home/a$b/\"x\"/brellix", R"("/home/a\\$b/\\"x\\"/brellix" -systray)"},
            {"/tmp/a\\b/brellix", R"("/tmp/a\\\\b/brellix" -systray)"},
            {"/tmp/100%/brellix", "/tmp/100%%/brellix -systray"},
        };
        for (const auto& [program, exec] : rows)
            QCOMPARE(RunOnWSU(QString(), program).StartupCommand(), exec);
    }

    // Written, the entry ticks the box and reads as below; only an entry
    // whose Exec is exactly the start-up command ticks it.
    void autostartEntry()
    {
        LinkHarness h;
        const QString path = h.dirPath("autostart/brellixv2.desktop");
        const RunOnWSU run(path, "/opt/My Apps/brellix");
        QVERIFY(run.EnableRunAtStartup());
        QVERIFY(run.SyncRunAtStartup());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[Desktop Entry]\nType=Application\nName=Brellix\n"
                                         "Comment=Keeps the LCD module filled\n"
                                         "Icon=brellix\n"
                                         "Exec=\"/opt/My Apps/brellix\" -systray\n"
                                         "X-GNOME-Autostart-enabled=true\n"));
        f.close();
        const QByteArray head = "[Desktop Entry]\nType=Application\n";
        for (const QByteArray& other :
             {head + "Exec=\"/opt/my apps/brellix\" -systray\n",
              QByteArray("[Desktop Action x]\nExec=\"/opt/My Apps/brellix\" -systray\n"),
              head + "Exec=\"/opt/My Apps/brellix\"\n"}) {
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(other) == other.size());
            f.close();
            QVERIFY2(!run.SyncRunAtStartup(), other.constData());
        }
        QVERIFY(run.DisableRunAtStartup());
        QVERIFY(!QFile::exists(path));
        QVERIFY(!run.SyncRunAtStartup());
        QVERIFY(run.DisableRunAtStartup()); // already gone: quietly done
    }

    // [Display] and [LCDd] reach the outputs and the codec, --lcdd's
    // HOST[:PORT] and --characters over them (the settings' rules:
    // tst_outputs). Each row: the outputs, LCDd's server, the module's ROM,
    // LCDd's characters and the ROM the text is sent in.
    void outputSettings()
    {
        const std::tuple<QByteArray, QStringList, QString> rows[] = {
            {"[Display]\nOutput=LCDd\n[LCDd]\nHost=pi\nPort=1\n",
             {},
             u"lcdd pi:1 ascii ascii ascii"_s},
            {"[LCDd]\nPort=999\n", {u"--lcdd"_s}, u"lcdd 127.0.0.1:999 ascii ascii ascii"_s},
            {{}, {u"--lcdd"_s, u"box:7"_s}, u"lcdd box:7 ascii ascii ascii"_s},
            {"[LCDd]\nHost=pi\n",
             {u"--lcdd"_s, u"--simulate"_s},
             u"serial+lcdd pi:13666 ascii ascii ascii"_s},
            {{}, {u"--lcdd"_s, u"h:0"_s}, u"usage"_s},
            {"[Display]\nCharacters= A02\n[LCDd]\nCharacters=Latin1\n",
             {},
             u"serial 127.0.0.1:13666 a02 latin1 a02"_s},
            {"[Display]\nCharacters=a00\n[LCDd]\nCharacters=latin1\n",
             {u"--lcdd"_s},
             u"lcdd 127.0.0.1:13666 a00 latin1 a02"_s},
            {"[Display]\nCharacters=a00\n[LCDd]\nCharacters=latin1\n",
             {u"--lcdd"_s, u"--simulate"_s},
             u"serial+lcdd 127.0.0.1:13666 a00 latin1 a00"_s},
            {"[Display]\nCharacters=a02\n",
             {u"--characters"_s, u"a00"_s},
             u"serial 127.0.0.1:13666 a00 ascii a00"_s},
            {"[Display]\nCharacters=a01\n[LCDd]\nCharacters=utf8\n",
             {},
             u"serial 127.0.0.1:13666 ascii ascii ascii"_s},
        };
        for (const auto& [ini, options, expected] : rows) {
            CommandLine line;
            QString text, outputs = u"usage"_s;
            LinkHarness h;
            h.writeIni(ini);
            TestApp c(h.iniPath(), m_platform);
            if (CommandLine::parse(QStringList{u"brellixd"_s} + options, {}, &line, &text) ==
                CommandLine::Outcome::Run) {
                if (line.lcdd)
                    QVERIFY(c.useLcddForRun(line.lcddServer, line.simulate));
                if (line.characters)
                    c.useCharactersForRun(*line.characters);
                c.loadSettings();
                const LinkController& link = c.linkController();
                const auto* lcdd = qobject_cast<LcddOutput*>(link.output(u"lcdd"_s));
                outputs = link.outputs().join(u'+') +
                          u" %1:%2 "_s.arg(lcdd->host()).arg(lcdd->port()) +
                          CharacterSets::name(link.characters()) + u' ' +
                          LcddScreen::charsetName(lcdd->charset()) + u' ' +
                          CharacterSets::name(link.codec().characters());
            }
            QVERIFY2(outputs == expected, qPrintable(QString::fromUtf8(ini) + options.join(u' ') +
                                                     u" gives "_s + outputs));
        }
    }

    // One LCDd and one program through the outputs one after another.
    void textDriver()
    {
        if (!QFileInfo::exists(LcddProgram))
            QSKIP("LCDd is not installed (Debian package lcdproc)");
        QTest::failOnWarning(QRegularExpression(u"LCDd refused"_s));
        Lcdd lcdd;
        lcdd.start();
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=1\n[Display]\nOutput=serial,lcdd\n[LCDd]\nPort=" +
                QByteArray::number(lcdd.port) + "\n");
        LinkController& link = p.c->linkController();
        // Both outputs: LCDd shows what the module shows (its own antenna icon).
        const auto moduleRows = [&] {
            QList<QByteArray> rows;
            for (int r = 0; r < 4; ++r)
                rows << p.module->module().line(r).replace('\x06', 'v').replace('\x07', 'x');
            return rows;
        };
        for (const int mode : {1, 2, 3}) {
            p.c->scheduler().selectMode(mode);
            p.ticks(1);
            QTRY_COMPARE(lcdd.frame(), moduleRows());
        }
        QCOMPARE(link.statusText(), u"LCD Connected - LCDd Connected"_s);

        // The menu: LCDd instead of the module, at the end back; both kept.
        link.outputMenuClicked(u"lcdd"_s);
        QTRY_COMPARE(link.statusText(), u"LCDd Connected"_s);
        QVERIFY(!p.c->link().isOpen() && !link.sliderEnabled() &&
                p.h.readIni().contains("Output=lcdd"));

        // 2:05 pm in LCDd's own digits at our columns, the colon blinking.
        p.c->scheduler().selectMode(0);
        p.ticks(1);
        for (const QByteArray c : {".", " "})
            QTRY_COMPARE_WITH_TIMEOUT(
                lcdd.frame(),
                QList<QByteArray>({"      _     _   _   ", "      _| " + c + " | | |_   ",
                                   "     |_  " + c + " |_|  _| p", "                   m"}),
                2000);

        p.c->scheduler().selectMode(1);
        p.ticks(1);
        // Whatever a line holds stays inside its string: the next still arrive.
        p.c->link().SendLcd(modLcdFunc::LcdCursorAt(2, 0) +
                            QByteArray("a\"b\\c\n{d}\"\x0c\x7f\xe9\t\\\"\x1b}"));
        QTRY_COMPARE(lcdd.frame().value(2), QByteArray("a\"b\\c{d}\"??\\\"}      "));
        p.c->link().SendLcd(modLcdFunc::LcdCursorAt(3, 0) + QByteArray("after").leftJustified(20));
        QTRY_COMPARE(lcdd.frame().value(3), QByteArray("after").leftJustified(20, ' '));
        QCOMPARE(lcdd.frame().value(0), QByteArray("     2:05:07 PM     "));

        // Off, the backlight reaches the MtxOrb display (FE 99, its brightness).
        link.backlightOffClicked();
        QTRY_VERIFY(lcdd.bytes().contains(hex("fe9900")));
        link.backlightOnClicked();

        // LCDd gone, then back as 16x2: within 3 s the screen's top-left part.
        lcdd.stop();
        QTRY_COMPARE(link.statusText(), u"LCDd Not Found At 127.0.0.1:%1"_s.arg(lcdd.port));
        QTest::qWait(2500); // a try or two against nobody
        lcdd.start("16x2");
        QElapsedTimer back;
        back.start();
        QTRY_COMPARE_WITH_TIMEOUT(
            lcdd.frame(), QList<QByteArray>({"     2:05:07 PM ", "  5-December-202"}), 5000);
        QVERIFY2(back.elapsed() <= 3000, QByteArray::number(back.elapsed()));
        QCOMPARE(link.statusText(), u"LCDd Connected"_s);
        const auto* output = qobject_cast<LcddOutput*>(link.output(u"lcdd"_s));
        QCOMPARE(output->width(), 16);

        link.comMenuClicked(1);
        QTRY_COMPARE(link.statusText(), LinkController::ConnectedStatus);
        QVERIFY(!output->active() && link.sliderEnabled() &&
                p.h.readIni().contains("Output=serial"));

        // [LCDd] Characters=latin1: Latin-1 letters and the degree sign as
        // Latin-1 bytes, which LCDd's text driver prints as they come.
        ModuleApp latin1(m_platform);
        latin1.start("[Mode]\nmode=1\n[Display]\nOutput=lcdd\n[LCDd]\nCharacters=latin1\nPort=" +
                     QByteArray::number(lcdd.port) + "\n");
        latin1.c->remote().showBulletin(u"test"_s, {{u"München 5°C"_s, u"Łódź"_s}, 60});
        QTRY_COMPARE(lcdd.frame(), QList<QByteArray>({"M\xfcnchen 5\xb0"
                                                      "C     ",
                                                      "?\xf3"
                                                      "dz            "}));
    }

    // Without a tray (a bare window manager), the window ends minimised the
    // ordinary way once the module answers, so it can be given back.
    void minimisedWithoutTray()
    {
        if (const QString tool = missing({"openbox", "xprop"}); !tool.isEmpty())
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        QProcess xvfb, wm;
        const auto end = stopDisplay(xvfb);
        QVERIFY(startDisplay(xvfb));
        // On a loaded machine openbox can take a while to take the root
        // window, or give up at once (started again, once).
        wm.setProcessChannelMode(QProcess::MergedChannels);
        for (int attempt = 0; attempt < 2 && !wmRunning(); ++attempt) {
            if (wm.state() == QProcess::NotRunning)
                wm.start(QStringLiteral("openbox"), {});
            QTest::qWaitFor([&wm] { return wmRunning() || wm.state() == QProcess::NotRunning; },
                            30000);
        }
        QVERIFY2(wmRunning(), wm.readAll().constData());
        LinkHarness h;
        QProcess brellix;
        QByteArray seen;
        launch(brellix, "brellix", {"--simulate", "--config", h.iniPath()}, seen);
        QTRY_VERIFY_WITH_TIMEOUT(wmState() == "Iconic", 10000);
        QTest::qWait(1500); // and it stays so
        QCOMPARE(wmState(), QByteArray("Iconic"));
        endWith(brellix, SIGTERM);
        wm.terminate();
        wm.waitForFinished(3000);
    }

    // On an X display with a tray (Xvfb, trayer, xdotool), the first start
    // goes to the tray unseen, saying so once; a click on the icon brings the
    // window back; the next start is silent. SIGTERM saves, as closing does.
    void toTrayAndBack()
    {
        if (const QString tool = missing({"trayer"}); !tool.isEmpty())
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        QProcess xvfb;
        const auto end = stopDisplay(xvfb);
        QVERIFY(startDisplay(xvfb));
        QProcess tray;
        const auto stopTray = qScopeGuard([&tray] {
            tray.kill();
            tray.waitForFinished(3000);
        });
        tray.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype",
                                              "pixel", "--width", "100", "--height", "32"});
        QTRY_VERIFY_WITH_TIMEOUT(!xdotool({"search", "--class", "trayer"}).isEmpty(), 30000);
        QTest::qWait(500); // its window comes a moment before it takes the tray's selection

        LinkHarness h;
        qputenv("XDG_CONFIG_HOME", h.dirPath(QStringLiteral("config")).toUtf8());
        for (const bool first : {true, false}) {
            QProcess brellix;
            QByteArray seen;
            launch(brellix, "brellix", {"--simulate", "--config", h.iniPath()}, seen);
            QTRY_VERIFY_WITH_TIMEOUT(!shown(false).isEmpty(), 10000);
            if (first) {
                QVERIFY(xdotool({"search", "--name", "BRELLIX Version 2"}).isEmpty());
                QTRY_VERIFY_WITH_TIMEOUT(!shown(true).isEmpty(), 5000);
                QTRY_VERIFY(h.readIni().contains("TrayHintShown=1"));
                const QStringList icon = shown(false);
                QCOMPARE(icon.size(), 1);
                xdotool({"mousemove", "--window", icon.first(), "5", "5", "click", "1"});
                QTRY_VERIFY_WITH_TIMEOUT(
                    !xdotool({"search", "--onlyvisible", "--name", "BRELLIX Version 2"}).isEmpty(),
                    5000);
                QTRY_VERIFY_WITH_TIMEOUT(shown(false).isEmpty(), 5000);
            } else {
                QTest::qWait(1000);
                QVERIFY(shown(true).isEmpty());
            }
            endWith(brellix, SIGTERM);
        }
        QVERIFY(h.readIni().contains("mode=0"));
    }
};

QTEST_MAIN(TestExecutables)
#include "tst_executables.moc"
