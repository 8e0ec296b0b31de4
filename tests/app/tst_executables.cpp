#include "support/LinkHarness.h"

#include <QProcess>
#include <QtTest>
#include <csignal>

// The real executables: options, the headless runner against the simulated
// module, and SIGTERM as the window closing.
class TestExecutables : public QObject
{
    Q_OBJECT

    static QString bin(const char* name) { return QStringLiteral(BRELLIX_BIN_DIR "/") + name; }

    static bool waitForText(QProcess& p, QByteArray& seen, const QByteArray& text, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (!seen.contains(text) && t.elapsed() < ms) {
            p.waitForReadyRead(50);
            seen += p.readAllStandardError();
        }
        return seen.contains(text);
    }

private Q_SLOTS:
    void options_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("display");
        for (const char* p : {"brellixd", "brellix"}) {
            const QString prog = QString::fromLatin1(p);
            QTest::addRow("%s --help", p) << prog << QStringList{"--help"} << 0
                                          << QByteArray("--simulate") << true;
            QTest::addRow("%s --version", p) << prog << QStringList{"--version"} << 0
                                             << QByteArray(p) + " " BRELLIX_VERSION << true;
            QTest::addRow("%s unknown", p) << prog << QStringList{"--frobnicate"} << 2
                                           << QByteArray("frobnicate") << true;
            QTest::addRow("%s positional", p) << prog << QStringList{"extra"} << 2
                                              << QByteArray("extra") << true;
        }
        // Asking the GUI program for help needs no display (e.g. over ssh).
        QTest::addRow("brellix --help, no display") << "brellix" << QStringList{"--help"} << 0
                                                    << QByteArray("Usage: ") << false;
        QTest::addRow("brellix --version, no display")
            << "brellix" << QStringList{"-version"} << 0 << QByteArray("brellix " BRELLIX_VERSION)
            << false;
    }
    void options()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(bool, display);
        QProcess p;
        if (!display) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QString::fromLatin1(name));
            p.setProcessEnvironment(env);
        }
        p.start(bin(program.toLatin1().constData()), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        const QByteArray all = p.readAllStandardOutput() + p.readAllStandardError();
        QVERIFY2(all.contains(output), all.constData());
    }

    void headlessSimulateAndTerminate_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void headlessSimulateAndTerminate()
    {
        QFETCH(int, signalNumber);
        LinkHarness h;
        h.writeIni("[Settings]\nCommPort=1\nBacklight=42\n[Mode]\nmode=1\n");
        QProcess p;
        p.start(bin("brellixd"), {"--simulate", "-systray", "--config", h.iniPath()});
        QVERIFY(p.waitForStarted());
        QByteArray seen;
        QVERIFY2(waitForText(p, seen, "Status: LCD Connected", 5000), seen.constData());
        ::kill(pid_t(p.processId()), signalNumber);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QByteArray ini = h.readIni();
        QVERIFY2(ini.contains("mode=1"), ini.constData());
        QVERIFY2(ini.contains("CommPort=1"), ini.constData());
        QVERIFY2(ini.contains("Backlight=42"), ini.constData());
    }

    void headlessWithoutModule()
    {
        LinkHarness h;
        PtyLcdModule* silent = h.addModule(QByteArray());
        h.writeIni("[Settings]\nCommPort=1\n[Ports]\nCOM1=" + silent->slavePath().toUtf8() + "\n");
        QProcess p;
        p.start(bin("brellixd"), {"--config", h.iniPath()});
        QVERIFY(p.waitForStarted());
        QByteArray seen;
        QVERIFY2(waitForText(p, seen, "Status: LCD Not Found On Com 1", 5000), seen.constData());
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExecutables)
#include "tst_executables.moc"
