#include "app/CommandLine.h"
#include "lcd/LcddClient.h"
#include "lcd/OutputSettings.h"
#include "lcd/modLcdFunc.h"
#include "support/TestApp.h"
#include "support/TestPlatform.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString LcddProgram = u"/usr/sbin/LCDd"_s;

// A real LCDd on a free loopback port with a throw-away LCDd.conf: the text
// driver prints each frame on its standard output; the MtxOrb driver writes
// its bytes to a pseudo-terminal the test reads.
class Lcdd
{
public:
    explicit Lcdd(const QByteArray& driver, const QByteArray& size = "20x4")
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        m_width = size.split('x').at(0).toInt();
        QByteArray section = "[text]\nSize=" + size + "\n";
        if (driver == "MtxOrb") {
            QVERIFY(::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) == 0);
            ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
            section = "[MtxOrb]\nDevice=" + QByteArray(::ttyname(m_slave)) + "\nSize=" + size +
                      "\nType=lcd\nSpeed=19200\n";
        }
        QFile conf(m_dir.filePath(u"LCDd.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[server]\nDriverPath=/usr/lib/x86_64-linux-gnu/lcdproc/\nDriver=" + driver +
                   "\nBind=127.0.0.1\nPort=" + QByteArray::number(port) +
                   "\nReportToSyslog=no\nReportLevel=1\nWaitTime=5\nServerScreen=no\n"
                   "FrameInterval=50000\n" +
                   section);
    }
    ~Lcdd()
    {
        stop();
        if (m_master >= 0) {
            ::close(m_master);
            ::close(m_slave);
        }
    }
    void start()
    {
        m_out.clear();
        // Line-buffered, so each frame reaches the pipe as it is drawn.
        m_process.start(u"stdbuf"_s,
                        {u"-oL"_s, LcddProgram, u"-f"_s, u"-c"_s, m_dir.filePath(u"LCDd.conf"_s)});
        QVERIFY(m_process.waitForStarted());
        QDeadlineTimer deadline(3000);
        while (!listening() && !deadline.hasExpired())
            QTest::qWait(50);
        QVERIFY2(!deadline.hasExpired(), "LCDd does not listen");
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool listening()
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        return s.waitForConnected(500);
    }
    // The last whole frame of the text driver, row by row.
    QList<QByteArray> frame()
    {
        m_out += m_process.readAllStandardOutput();
        const QByteArray border = '+' + QByteArray(m_width, '-') + '+';
        const QList<QByteArray> lines = m_out.split('\n');
        QList<QByteArray> rows, last;
        for (const QByteArray& l : lines) {
            if (l == border) {
                if (!rows.isEmpty())
                    last = rows;
                rows.clear();
            } else if (l.startsWith('|') && l.endsWith('|')) {
                rows << l.mid(1, l.size() - 2);
            }
        }
        return last;
    }
    // What the MtxOrb driver wrote since the last call.
    QByteArray bytes()
    {
        char buffer[4096];
        QByteArray all;
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
            all.append(buffer, n);
        return all;
    }

    quint16 port = 0;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_out;
    int m_width = 20;
    int m_master = -1, m_slave = -1;
};

// A module line as LCDd's text driver shows it: the antenna's icon by the
// driver's stand-in, the lost connection as its plain character.
QByteArray asLcdd(const QByteArray& moduleLine, int width = 20)
{
    QByteArray out;
    for (const char c : moduleLine.left(width)) {
        switch (quint8(c)) {
        case 6:
            out += 'v';
            break;
        case 7:
            out += 'x';
            break;
        default:
            out += c;
        }
    }
    return out;
}

QList<QByteArray> moduleRows(PtyLcdModule& module, int rows = 4, int width = 20)
{
    QList<QByteArray> out;
    for (int r = 0; r < rows; ++r)
        out << asLcdd(module.module().line(r), width);
    return out;
}
} // namespace

// LCDd as an output: a real LCDd (Debian's lcdproc), Brellix as its client.
class TestLcdd : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

    QByteArray settings(int mode, const char* output, quint16 port)
    {
        return "[Mode]\nmode=" + QByteArray::number(mode) + "\n[Display]\nOutput=" + output +
               "\n[LCDd]\nPort=" + QByteArray::number(port) + "\n";
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo::exists(LcddProgram))
            QSKIP("LCDd is not installed (Debian package lcdproc)");
    }
    void init() { QTest::failOnWarning(QRegularExpression(u"LCDd refused"_s)); }

    // [Display] Output, [LCDd] Host and Port, and --lcdd's HOST[:PORT] over them.
    void outputSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expected"); // outputs host:port, or "usage"
        QTest::addRow("defaults") << QByteArray() << QStringList() << u"serial 127.0.0.1:13666"_s;
        QTest::addRow("lcdd") << QByteArray("[Display]\nOutput=LCDd\n[LCDd]\nHost=pi\nPort=1\n")
                              << QStringList() << u"lcdd pi:1"_s;
        QTest::addRow("both") << QByteArray("[Display]\nOutput=serial, lcdd\n") << QStringList()
                              << u"serial,lcdd 127.0.0.1:13666"_s;
        QTest::addRow("bad values") << QByteArray("[Display]\nOutput=lcd\n[LCDd]\nPort=70000\n")
                                    << QStringList() << u"serial 127.0.0.1:13666"_s;
        QTest::addRow("--lcdd") << QByteArray("[LCDd]\nPort=999\n") << QStringList{u"--lcdd"_s}
                                << u"lcdd 127.0.0.1:999"_s;
        QTest::addRow("--lcdd host:port")
            << QByteArray() << QStringList{u"--lcdd"_s, u"box:7"_s} << u"lcdd box:7"_s;
        QTest::addRow("--lcdd [v6]:port")
            << QByteArray() << QStringList{u"--lcdd=[::1]:7"_s} << u"lcdd ::1:7"_s;
        QTest::addRow("--lcdd then option")
            << QByteArray("[LCDd]\nHost=pi\n") << QStringList{u"--lcdd"_s, u"--simulate"_s}
            << u"serial,lcdd pi:13666"_s;
        QTest::addRow("--lcdd bad port")
            << QByteArray() << QStringList{u"--lcdd"_s, u"h:0"_s} << u"usage"_s;
        QTest::addRow("--lcdd bad host")
            << QByteArray() << QStringList{u"--lcdd"_s, u"a b:7"_s} << u"usage"_s;
    }
    void outputSettings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, options);
        QFETCH(QString, expected);
        CommandLine line;
        QString text;
        if (CommandLine::parse(QStringList{u"brellixd"_s} + options, {}, &line, &text) !=
            CommandLine::Outcome::Run) {
            QCOMPARE(u"usage"_s, expected);
            return;
        }
        LinkHarness h;
        h.writeIni(ini);
        TestApp c(h.iniPath(), m_platform);
        if (line.lcdd)
            QVERIFY(c.useLcddForRun(line.lcddServer, line.simulate));
        c.loadSettings();
        const LinkController& link = c.linkController();
        const QString outputs = link.serialOutput() && link.lcddOutput() ? u"serial,lcdd"_s
                                : link.lcddOutput()                      ? u"lcdd"_s
                                                                         : u"serial"_s;
        QCOMPARE(u"%1 %2:%3"_s.arg(outputs, c.lcdd().host()).arg(c.lcdd().port()), expected);
    }

    // Both outputs at once: LCDd shows what the module shows.
    void modes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addRow("time and date") << 1;
        QTest::addRow("cpu") << 2;
        QTest::addRow("network, with its antenna icon") << 3;
    }
    void modes()
    {
        QFETCH(int, mode);
        Lcdd lcdd("text");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(mode, "serial,lcdd", lcdd.port));
        p.ticks(1);
        QTRY_COMPARE(lcdd.frame(), moduleRows(*p.module));
        QCOMPARE(p.c->linkController().statusText(), u"LCD Connected - LCDd Connected"_s);
    }

    // 2:05 pm in LCDd's own digits at our columns, the colon blinking.
    void largeClock()
    {
        Lcdd lcdd("text");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(0, "lcdd", lcdd.port));
        p.ticks(1);
        const auto clock = [](char colon) {
            return QList<QByteArray>{
                "      _     _   _   ", "      _| " + QByteArray(1, colon) + " | | |_   ",
                "     |_  " + QByteArray(1, colon) + " |_|  _| p", "                   m"};
        };
        QTRY_COMPARE_WITH_TIMEOUT(lcdd.frame(), clock('.'), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(lcdd.frame(), clock(' '), 2000);
        QCOMPARE(p.c->linkController().statusText(), u"LCDd Connected"_s);
        QVERIFY(!p.c->linkController().sliderEnabled());
    }

    // Whatever a line holds stays inside its string: nothing ends the
    // command early or starts another, and the next lines still arrive.
    void hostileText()
    {
        Lcdd lcdd("text");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(1, "lcdd", lcdd.port));
        p.ticks(1);
        QTRY_COMPARE(lcdd.frame().value(0), QByteArray("     2:05:07 PM     "));
        p.c->link().SendLcd(modLcdFunc::LcdCursorAt(2, 0) +
                            QByteArray("a\"b\\c\n{d}\"\x0c\x7f\xe9\t\\\"\x1b}"));
        QTRY_COMPARE(lcdd.frame().value(2), QByteArray("a\"b\\c{d}\"??\\\"}      "));
        p.c->link().SendLcd(modLcdFunc::LcdCursorAt(3, 0) + QByteArray("after").leftJustified(20));
        QTRY_COMPARE(lcdd.frame().value(3), QByteArray("after").leftJustified(20, ' '));
        QCOMPARE(lcdd.frame().value(0), QByteArray("     2:05:07 PM     "));
    }

    // LCDd gone: the status says so; back: the screen is back within 3 s.
    void restart()
    {
        Lcdd lcdd("text");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(1, "lcdd", lcdd.port));
        p.ticks(1);
        QTRY_COMPARE(lcdd.frame().value(1), QByteArray("  5-December-2026   "));
        lcdd.stop();
        QTRY_COMPARE(p.c->linkController().statusText(),
                     u"LCDd Not Found At 127.0.0.1:%1"_s.arg(lcdd.port));
        QTest::qWait(2500); // a try or two against nobody
        lcdd.start();
        QElapsedTimer back;
        back.start();
        QTRY_COMPARE_WITH_TIMEOUT(lcdd.frame().value(1), QByteArray("  5-December-2026   "), 5000);
        QVERIFY2(back.elapsed() <= 3000, QByteArray::number(back.elapsed()));
        QCOMPARE(p.c->linkController().statusText(), u"LCDd Connected"_s);
    }

    // The Communication menu: LCDd instead of the module, then back; each
    // choice is kept in the settings file.
    void menuChoice()
    {
        Lcdd lcdd("text");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(1, "serial", lcdd.port));
        p.ticks(1);
        LinkController& link = p.c->linkController();
        QVERIFY(link.sliderEnabled());
        link.lcddMenuClicked();
        QVERIFY(!p.c->link().isOpen());
        QTRY_COMPARE(lcdd.frame(), moduleRows(*p.module));
        QCOMPARE(link.statusText(), u"LCDd Connected"_s);
        QVERIFY(!link.sliderEnabled());
        QVERIFY(p.h.readIni().contains("Output=lcdd"));
        link.comMenuClicked(1);
        QTRY_COMPARE(link.statusText(), LinkController::ConnectedStatus);
        QVERIFY(!p.c->lcdd().active());
        QVERIFY(p.h.readIni().contains("Output=serial"));
    }

    // A 16x2 display shows the top-left part of the screen.
    void smallDisplay()
    {
        Lcdd lcdd("text", "16x2");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(1, "serial,lcdd", lcdd.port));
        p.ticks(1);
        QTRY_COMPARE(lcdd.frame(), moduleRows(*p.module, 2, 16));
        QCOMPARE(p.c->lcdd().width(), 16);
    }

    // What reaches a display LCDd drives over its MtxOrb driver: LCDd's big
    // digits and icons are custom characters (FE 4E n + 8 rows), the
    // backlight its brightness command (FE 99).
    void mtxOrbBytes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("backlightOff");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("big digits") << 0 << false << hex("fe4e05 000000001b1b1b1b");
        QTest::addRow("antenna icon") << 3 << false << hex("04040404150e0400");
        QTest::addRow("backlight off") << 1 << true << hex("fe9900");
    }
    void mtxOrbBytes()
    {
        QFETCH(int, mode);
        QFETCH(bool, backlightOff);
        QFETCH(QByteArray, expected);
        Lcdd lcdd("MtxOrb");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(mode, "lcdd", lcdd.port));
        if (backlightOff)
            p.c->linkController().backlightOffClicked();
        p.ticks(1);
        QByteArray written;
        QTRY_VERIFY2_WITH_TIMEOUT((written += lcdd.bytes()).contains(expected),
                                  written.right(300).toHex(' ').constData(), 3000);
    }
};

QTEST_GUILESS_MAIN(TestLcdd)
#include "tst_lcdd.moc"
