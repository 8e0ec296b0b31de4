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
    // once more for the string value. The settings file of --config goes
    // with it, so login starts the same.
    void startupCommand()
    {
        const std::tuple<QString, QString, QString> rows[] = {
            {{}, "/opt/My Apps/brellix", "\"/opt/My Apps/brellix\" -systray"},
            {{}, "/home/a$b/\"x\"/brellix", R"("/home/a\\$b/\\"x\\"/brellix" -systray)"},
            {{}, "/tmp/a\\b/brellix", R"("/tmp/a\\\\b/brellix" -systray)"},
            {{}, "/tmp/100%/brellix", "/tmp/100%%/brellix -systray"},
            {"/home/a/my brellix.ini", "/usr/bin/brellix",
             R"(/usr/bin/brellix --config "/home/a/my brellix.ini" -systray)"},
        };
        for (const auto& [config, program, exec] : rows)
            QCOMPARE(RunOnWSU(QString(), program, config).StartupCommand(), exec);
    }

    // Written, the entry ticks the box and reads as below; only an entry
    // whose Exec is exactly the start-up command ticks it.
    void entry()
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
};

QTEST_GUILESS_MAIN(TestRunOnWSU)
#include "tst_runonwsu.moc"
