#include "support/LinkHarness.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

// brellix on a real X display with a tray (Xvfb, trayer) as a user meets
// it: once the module answers, the window goes to the tray; a click on the
// icon brings it back. Driven from outside with xdotool.
class TestDesktop : public QObject
{
    Q_OBJECT

    QProcess m_xvfb;
    QProcess m_tray;
    QString m_display;

    QStringList search(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(5000);
        return QString::fromLatin1(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    bool windowShown()
    {
        return !search({"search", "--onlyvisible", "--name", "BRELLIX Version 2"}).isEmpty();
    }
    // The icon is docked in the tray; what brellix shows at the top level
    // besides its main window is the notification.
    QStringList trayIcon()
    {
        QStringList icons = search({"search", "--onlyvisible", "--class", "brellix"});
        for (const QString& top : search({"search", "--maxdepth", "1", "--class", "brellix"}))
            icons.removeAll(top);
        return icons;
    }
    QStringList notification()
    {
        QStringList shown =
            search({"search", "--onlyvisible", "--maxdepth", "1", "--class", "brellix"});
        for (const QString& main : search({"search", "--name", "BRELLIX Version 2"}))
            shown.removeAll(main);
        return shown;
    }
    void start(QProcess& brellix, LinkHarness& h)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), h.dirPath(QStringLiteral("config")));
        brellix.setProcessEnvironment(env);
        brellix.start(QStringLiteral(BRELLIX_BIN_DIR "/brellix"),
                      {"--simulate", "--config", h.iniPath()});
        QVERIFY(brellix.waitForStarted());
        QTRY_VERIFY2_WITH_TIMEOUT(
            !trayIcon().isEmpty(),
            qPrintable(QString::fromLocal8Bit(brellix.readAllStandardError())), 10000);
    }
    void stop(QProcess& brellix)
    {
        QVERIFY(brellix.processId() > 0); // kill(0) would hit ctest's whole group
        ::kill(pid_t(brellix.processId()), SIGTERM);
        QVERIFY(brellix.waitForFinished(5000));
        QCOMPARE(brellix.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char* tool : {"Xvfb", "trayer", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        }
        // Xvfb picks a free display and tells its number.
        m_xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24"});
        QVERIFY(m_xvfb.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_xvfb.canReadLine(), 10000);
        m_display = u':' + QString::fromLatin1(m_xvfb.readLine()).trimmed();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        m_tray.setProcessEnvironment(env);
        m_tray.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype",
                                                "pixel", "--width", "100", "--height", "32"});
        QVERIFY(m_tray.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!search({"search", "--class", "trayer"}).isEmpty(), 30000);
        // Its window comes a moment before it takes the tray's selection.
        QTest::qWait(500);
    }

    void cleanupTestCase()
    {
        for (QProcess* p : {&m_tray, &m_xvfb}) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }

    // At the first start the window is never drawn: the module answers and
    // Brellix goes to the tray, saying so once; the next start is silent.
    void toTrayAndBack()
    {
        LinkHarness h;
        QProcess brellix;
        start(brellix, h);
        QVERIFY(search({"search", "--name", "BRELLIX Version 2"}).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!notification().isEmpty(), 5000);
        QTRY_VERIFY(h.readIni().contains("TrayHintShown=1"));
        const QStringList icon = trayIcon();
        QCOMPARE(icon.size(), 1);
        search({"mousemove", "--window", icon.first(), "5", "5", "click", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(windowShown(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(trayIcon().isEmpty(), 5000);
        stop(brellix);
        QVERIFY(h.readIni().contains("mode=0"));

        QProcess again;
        start(again, h);
        QTest::qWait(1000);
        QVERIFY(notification().isEmpty());
        stop(again);
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
