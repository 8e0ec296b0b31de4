#include "support/LinkHarness.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <csignal>

// The real executables: options, signals, and brellixd against a simulated module.
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

private Q_SLOTS:
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        for (const char* p : {"brellixd", "brellix"}) {
            QTest::addRow("%s --help", p)
                << QStringList{p, "--help"} << 0 << QByteArray("--simulate");
            QTest::addRow("%s --version", p)
                << QStringList{p, "--version"} << 0 << QByteArray(p) + " " BRELLIX_VERSION;
        }
        QTest::newRow("unknown") << QStringList{"brellix", "--frobnicate"} << 2
                                 << QByteArray("frobnicate");
        QTest::newRow("brellixd --save alone")
            << QStringList{"brellixd", "--save"} << 2 << QByteArray("--save goes with --port");
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QProcess p;
        if (exitCode == 0) { // help and version need no display (over ssh, say)
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QString::fromLatin1(name));
            p.setProcessEnvironment(env);
        }
        p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + args.takeFirst(), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        const QByteArray all = p.readAllStandardOutput() + p.readAllStandardError();
        QVERIFY2(all.contains(output), all.constData());
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

    // SIGTERM, SIGINT and SIGHUP end either program like closing the window:
    // it saves and exits 0.
    void endsOnSignal_data()
    {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("brellixd SIGINT") << QByteArray("brellixd") << int(SIGINT);
        QTest::newRow("brellixd SIGHUP") << QByteArray("brellixd") << int(SIGHUP);
        QTest::newRow("brellix SIGTERM") << QByteArray("brellix") << int(SIGTERM);
    }
    void endsOnSignal()
    {
        QFETCH(QByteArray, program);
        QFETCH(int, signalNumber);
        LinkHarness h;
        h.writeIni("[Settings]\nCommPort=1\nBacklight=42\n[Mode]\nmode=1\n");
        QProcess p;
        QByteArray seen;
        // The window opens offscreen; QT_QPA_PLATFORM comes from ctest.
        launch(p, program, {"--simulate", "-systray", "--config", h.iniPath()},
               "Start-up finished", seen);
        endWith(p, signalNumber);
        const QByteArray ini = h.readIni();
        for (const char* key : {"mode=1", "CommPort=1", "Backlight=42"})
            QVERIFY2(ini.contains(key), ini.constData());
    }

    // A reader of standard error that went away (SIGPIPE) does not end
    // brellixd; SIGUSR1 initialises the module again and it goes on.
    void survivesSigpipeAndSigusr1()
    {
        LinkHarness h;
        h.writeIni("[Mode]\nmode=1\n");
        QProcess p;
        QByteArray seen;
        launch(p, "brellixd", {"--simulate", "--config", h.iniPath()}, "Start-up finished", seen);
        QVERIFY(p.processId() > 0);
        ::kill(pid_t(p.processId()), SIGUSR1);
        QTRY_VERIFY2_WITH_TIMEOUT(
            (seen += p.readAllStandardError()).count("Status: LCD Connected") == 2,
            seen.constData(), 5000);
        p.closeReadChannel(QProcess::StandardError);
        ::kill(pid_t(p.processId()), SIGUSR1); // its status line meets the closed pipe
        QVERIFY(!p.waitForFinished(1000));
        endWith(p, SIGTERM);
    }

    // --port: the module's device for this run, or kept with --save.
    void portOption_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("this run") << false;
        QTest::newRow("saved") << true;
    }
    void portOption()
    {
        QFETCH(bool, save);
        LinkHarness h;
        h.writeIni("[Settings]\nCommPort=2\n");
        const QString device = h.addModule()->slavePath();
        QStringList args{"--config", h.iniPath(), "--port", device};
        if (save)
            args << "--save";
        QProcess p;
        QByteArray seen;
        launch(p, "brellixd", args, "Status: LCD Connected", seen);
        endWith(p, SIGTERM);
        QCOMPARE(h.readIni().contains("COM2=" + device.toUtf8()), save);
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
                const qsizetype at = all.indexOf("SigCgt:");
                handled = at >= 0 && all.mid(at + 7, all.indexOf('\n', at) - at - 7)
                                             .trimmed()
                                             .toULongLong(nullptr, 16) &
                                         (1ULL << (SIGTERM - 1));
            }
            QVERIFY(handled);
            endWith(p, SIGTERM);
            QVERIFY(h.readIni().contains("mode=3"));
        }
    }
};

QTEST_GUILESS_MAIN(TestExecutables)
#include "tst_executables.moc"
