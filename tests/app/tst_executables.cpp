#include "support/LinkHarness.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <csignal>

// The real executables: options, and brellixd against a simulated module.
class TestExecutables : public QObject
{
    Q_OBJECT

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
            QTest::addRow("%s unknown", p)
                << QStringList{p, "--frobnicate"} << 2 << QByteArray("frobnicate");
        }
        QTest::newRow("brellixd --save alone")
            << QStringList{"brellixd", "--save"} << 2 << QByteArray("--save goes with --port");
        QTest::newRow("brellixd --list-ports")
            << QStringList{"brellixd", "--list-ports"} << 0 << QByteArray("/dev/");
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
        for (const char* lib :
             {"libQt6Gui", "libQt6Widgets", "libEGL", "libGLX", "libOpenGL", "libGL.so"})
            QVERIFY2(!libraries.contains(lib), lib);
    }

    // SIGTERM, SIGINT and SIGHUP end either program like closing the window:
    // it saves and exits 0.
    void endsOnSignal_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("signalNumber");
        // Both programs share the handler: each signal once, each program once.
        QTest::newRow("brellixd SIGINT") << "brellixd" << int(SIGINT);
        QTest::newRow("brellixd SIGHUP") << "brellixd" << int(SIGHUP);
        QTest::newRow("brellixd SIGQUIT") << "brellixd" << int(SIGQUIT);
        QTest::newRow("brellix SIGTERM") << "brellix" << int(SIGTERM);
    }
    void endsOnSignal()
    {
        QFETCH(QString, program);
        QFETCH(int, signalNumber);
        LinkHarness h;
        h.writeIni("[Settings]\nCommPort=1\nBacklight=42\n[Mode]\nmode=1\n");
        const QStringList args{"--simulate", "-systray", "--config", h.iniPath()};
        QProcess p;
        // The window opens offscreen; QT_QPA_PLATFORM comes from ctest.
        p.start(QStringLiteral(BRELLIX_BIN_DIR "/") + program, args);
        QVERIFY(p.waitForStarted());
        QByteArray seen;
        QTRY_VERIFY2_WITH_TIMEOUT((seen += p.readAllStandardError()).contains("Start-up finished"),
                                  seen.constData(), 5000);
        if (program == "brellixd")
            QVERIFY2(seen.contains("Status: LCD Connected"), seen.constData());
        ::kill(pid_t(p.processId()), signalNumber);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
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
        p.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixd"),
                {"--simulate", "--config", h.iniPath()});
        QVERIFY(p.waitForStarted());
        QByteArray seen;
        QTRY_VERIFY2_WITH_TIMEOUT((seen += p.readAllStandardError()).contains("Start-up finished"),
                                  seen.constData(), 5000);
        ::kill(pid_t(p.processId()), SIGUSR1);
        QTRY_VERIFY2_WITH_TIMEOUT(
            (seen += p.readAllStandardError()).count("Status: LCD Connected") == 2,
            seen.constData(), 5000);
        p.closeReadChannel(QProcess::StandardError);
        ::kill(pid_t(p.processId()), SIGUSR1); // its status line meets the closed pipe
        QVERIFY(!p.waitForFinished(1000));
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
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
        p.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixd"), args);
        QByteArray seen;
        QTRY_VERIFY2_WITH_TIMEOUT(
            (seen += p.readAllStandardError()).contains("Status: LCD Connected"), seen.constData(),
            10000);
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(h.readIni().contains("COM2=" + device.toUtf8()), save);
    }

    // SIGTERM at the first moment brellixd handles it, long before its
    // start-up: an orderly end, and the settings file as it was.
    void earlySigterm()
    {
        LinkHarness h;
        const QByteArray ini = "[Mode]\nmode=3\n";
        h.writeIni(ini);
        for (int round = 0; round < 5; ++round) {
            QProcess p;
            p.start(QStringLiteral(BRELLIX_BIN_DIR "/brellixd"), {"--config", h.iniPath()});
            QVERIFY(p.waitForStarted());
            const QString status = QStringLiteral("/proc/%1/status").arg(p.processId());
            bool handled = false;
            for (int i = 0; i < 20000 && !handled; ++i) {
                QFile f(status);
                if (!f.open(QIODevice::ReadOnly))
                    break;
                for (const QByteArray& line : f.readAll().split('\n')) {
                    if (line.startsWith("SigCgt:"))
                        handled = line.mid(7).trimmed().toULongLong(nullptr, 16) &
                                  (1ULL << (SIGTERM - 1));
                }
            }
            QVERIFY(handled);
            ::kill(pid_t(p.processId()), SIGTERM);
            QVERIFY(p.waitForFinished(5000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
            QVERIFY(h.readIni() == ini || h.readIni().contains("mode=3"));
        }
    }
};

QTEST_GUILESS_MAIN(TestExecutables)
#include "tst_executables.moc"
