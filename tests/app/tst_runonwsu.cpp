#include "app/RunOnWSU.h"
#include "support/LinkHarness.h"

#include <QtTest>

// The autostart entry: its Exec line, written, removed, and the check after
// a detection.
class TestRunOnWSU : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // An unquoted path with a space does not start: it is quoted, and the
    // characters special inside quotes are escaped, then the backslashes
    // once more for the string value.
    void startupCommand_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("space") << QString() << "/opt/My Apps/brellix"
                               << "\"/opt/My Apps/brellix\" -systray";
        QTest::newRow("dollar and quote") << QString() << "/home/a$b/\"x\"/brellix"
                                          << R"("/home/a\\$b/\\"x\\"/brellix" -systray)";
        QTest::newRow("backslash") << QString() << "/tmp/a\\b/brellix"
                                   << R"("/tmp/a\\\\b/brellix" -systray)";
        QTest::newRow("percent") << QString() << "/tmp/100%/brellix"
                                 << "/tmp/100%%/brellix -systray";
        // The settings file of --config goes with it, so login starts the same.
        QTest::newRow("--config") << "/home/a/my brellix.ini" << "/usr/bin/brellix"
                                  << R"(/usr/bin/brellix --config "/home/a/my brellix.ini" -systray)";
    }
    void startupCommand()
    {
        QFETCH(QString, program);
        QFETCH(QString, config);
        QTEST(RunOnWSU(QString(), program, config).StartupCommand(), "exec");
    }

    // Only an entry whose Exec is exactly the start-up command ticks the box.
    void sync_data()
    {
        QTest::addColumn<QByteArray>("entry"); // null: no entry
        QTest::addColumn<bool>("ticks");
        const QByteArray head = "[Desktop Entry]\nType=Application\n";
        QTest::newRow("written by Brellix") << QByteArray("written") << true;
        QTest::newRow("other letter case") << head + "Exec=\"/opt/my apps/brellix\" -systray\n"
                                           << false;
        QTest::newRow("other group")
            << QByteArray("[Desktop Action x]\nExec=\"/opt/My Apps/brellix\" -systray\n") << false;
        QTest::newRow("without -systray") << head + "Exec=\"/opt/My Apps/brellix\"\n" << false;
        QTest::newRow("missing") << QByteArray() << false;
    }
    void sync()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, ticks);
        LinkHarness h;
        const QString path = h.dirPath("autostart/brellixv2.desktop");
        const RunOnWSU run(path, "/opt/My Apps/brellix");
        if (entry == "written") {
            QVERIFY(run.EnableRunAtStartup());
        } else if (!entry.isNull()) {
            QVERIFY(QDir().mkpath(h.dirPath("autostart")));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(entry) == entry.size());
        }
        QCOMPARE(run.SyncRunAtStartup(), ticks);
    }

    void writeAndRemove()
    {
        LinkHarness h;
        const QString path = h.dirPath("config/autostart/brellixv2.desktop");
        const RunOnWSU run(path, "/usr/bin/brellix");
        QVERIFY(run.EnableRunAtStartup());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[Desktop Entry]\nType=Application\nName=Brellix\n"
                                         "Comment=Keeps the LCD module filled\n"
                                         "Icon=brellix\n"
                                         "Exec=/usr/bin/brellix -systray\n"
                                         "X-GNOME-Autostart-enabled=true\n"));
        QVERIFY(run.DisableRunAtStartup());
        QVERIFY(!QFile::exists(path));
        QVERIFY(run.DisableRunAtStartup()); // already gone: quietly done
    }
};

QTEST_GUILESS_MAIN(TestRunOnWSU)
#include "tst_runonwsu.moc"
