#include "support/LinkHarness.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

// The real programs from outside: options, signals, brellixd on a module,
// and brellix as a user meets it on an X display with a tray.
class TestExecutables : public QObject
{
    Q_OBJECT

    // Starts a program and waits until its standard error shows `until`;
    // what it showed is left in seen.
    static void launch(QProcess& p, const char* program, const QStringList& args,
                       const QByteArray& until, QByteArray& seen)
    {
        p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + QLatin1String(program), args);
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY2_WITH_TIMEOUT((seen += p.readAllStandardError()).contains(until),
                                  seen.constData(), 10000);
    }
    // Sends the signal and expects an orderly end.
    static void endWith(QProcess& p, int signalNumber)
    {
        QVERIFY(p.processId() > 0); // kill(0) would hit ctest's whole group
        ::kill(pid_t(p.processId()), signalNumber);
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

private Q_SLOTS:
    void options()
    {
        const std::tuple<const char*, const char*, int, QByteArray> rows[] = {
            {"brellixd", "--help", 0, "--simulate"},
            {"brellix", "--help", 0, "--simulate"},
            {"brellixd", "--version", 0, "brellixd " BRELLIX_VERSION},
            {"brellix", "--version", 0, "brellix " BRELLIX_VERSION},
            {"brellix", "--frobnicate", 2, "frobnicate"},
            {"brellixd", "--save", 2, "--save goes with --port"},
        };
        // Help and version need no display (over ssh, say).
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        for (const auto& [program, option, code, output] : rows) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + QLatin1String(program), {option});
            QVERIFY(p.waitForFinished(10000));
            const QByteArray all = p.readAllStandardOutput() + p.readAllStandardError();
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == code &&
                         all.contains(output),
                     all.constData());
        }
    }

    // The headless runner maps no part of Qt Gui or OpenGL.
    void headlessWithoutGui()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {QStringLiteral(BRELLIX_BIN_DIR "/brellixd")});
        QVERIFY(ldd.waitForFinished(10000));
        const QByteArray libraries = ldd.readAllStandardOutput();
        QVERIFY2(libraries.contains("libQt6Core"), libraries.constData());
        for (const char* lib : {"libQt6Gui", "libQt6Widgets", "libEGL", "libGLX", "libOpenGL"})
            QVERIFY2(!libraries.contains(lib), lib);
    }

    // SIGINT, SIGHUP and SIGTERM end either program like closing the window:
    // it saves and exits 0. brellixd's --port is the module for this run, or
    // kept with --save; a reader of its standard error gone (SIGPIPE) does
    // not end it, and SIGUSR1 initialises the module again.
    void signalsAndPort()
    {
        LinkHarness h;
        const QString device = h.addModule()->slavePath();
        const std::tuple<const char*, QStringList, int> runs[] = {
            {"brellixd", {"--port", device}, SIGINT},
            {"brellixd", {"--port", device, "--save"}, SIGHUP},
            // The window opens offscreen; QT_QPA_PLATFORM comes from ctest.
            {"brellix", {"--simulate", "-systray"}, SIGTERM},
        };
        for (const auto& [program, args, signalNumber] : runs) {
            h.writeIni("[Settings]\nCommPort=2\nBacklight=42\n[Mode]\nmode=1\n");
            QProcess p;
            QByteArray seen;
            launch(p, program, QStringList{"--config", h.iniPath()} + args, "Start-up finished",
                   seen);
            if (signalNumber == SIGINT) {
                ::kill(pid_t(p.processId()), SIGUSR1);
                QTRY_VERIFY2_WITH_TIMEOUT(
                    (seen += p.readAllStandardError()).count("Status: LCD Connected") == 2,
                    seen.constData(), 5000);
                p.closeReadChannel(QProcess::StandardError);
                ::kill(pid_t(p.processId()), SIGUSR1); // its status line meets the closed pipe
                QVERIFY(!p.waitForFinished(1000));
            }
            endWith(p, signalNumber);
            const QByteArray ini = h.readIni();
            for (const char* key : {"mode=1", "CommPort=2", "Backlight=42"})
                QVERIFY2(ini.contains(key), ini.constData());
            QCOMPARE(ini.contains("COM2=" + device.toUtf8()), signalNumber == SIGHUP);
        }
    }

    // SIGTERM at the first moment brellixd handles it, long before its
    // start-up: an orderly end, and the settings file as it was.
    void earlySigterm()
    {
        LinkHarness h;
        h.writeIni("[Mode]\nmode=3\n");
        for (int round = 0; round < 3; ++round) {
            QProcess p;
            p.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixd"), {"--config", h.iniPath()});
            QVERIFY(p.waitForStarted());
            const QString status = QStringLiteral("/proc/%1/status").arg(p.processId());
            bool handled = false;
            for (int i = 0; i < 20000 && !handled; ++i) {
                QFile f(status);
                if (!f.open(QIODevice::ReadOnly))
                    break;
                const QByteArray all = f.readAll();
                const qsizetype at = all.indexOf("SigCgt:") + 7;
                const QByteArray mask = all.mid(at, all.indexOf('\n', at) - at).trimmed();
                handled = mask.toULongLong(nullptr, 16) & (1ULL << (SIGTERM - 1));
            }
            QVERIFY(handled);
            endWith(p, SIGTERM);
            QVERIFY(h.readIni().contains("mode=3"));
        }
    }

    // brellix on a real X display with a tray (Xvfb, trayer), driven with
    // xdotool. At the first start the window is never drawn: the module
    // answers and Brellix goes to the tray, saying so once; a click on the
    // icon brings the window back. The next start is silent.
    void toTrayAndBack()
    {
        for (const char* tool : {"Xvfb", "trayer", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        }
        // Xvfb picks a free display and tells its number.
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24"});
        QTRY_VERIFY_WITH_TIMEOUT(xvfb.canReadLine(), 10000);
        // The programs started from here on go to it (this check is the last).
        qputenv("DISPLAY", ':' + xvfb.readLine().trimmed());
        qputenv("QT_QPA_PLATFORM", "xcb");
        QProcess tray;
        tray.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype",
                                              "pixel", "--width", "100", "--height", "32"});
        QTRY_VERIFY_WITH_TIMEOUT(!xdotool({"search", "--class", "trayer"}).isEmpty(), 30000);
        QTest::qWait(500); // its window comes a moment before it takes the tray's selection
        const auto end = qScopeGuard([&] {
            for (QProcess* p : {&tray, &xvfb}) {
                p->terminate();
                p->waitForFinished(3000);
            }
        });

        LinkHarness h;
        qputenv("XDG_CONFIG_HOME", h.dirPath(QStringLiteral("config")).toUtf8());
        for (const bool first : {true, false}) {
            QProcess brellix;
            QByteArray seen;
            launch(brellix, "brellix", {"--simulate", "--config", h.iniPath()}, "Start-up finished",
                   seen);
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

QTEST_GUILESS_MAIN(TestExecutables)
#include "tst_executables.moc"
