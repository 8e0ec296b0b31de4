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

// A real LCDd on a free loopback port with a throw-away LCDd.conf and two
// drivers: the text driver prints each frame on its standard output; the
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
        stop();
        ::close(m_master);
        ::close(m_slave);
    }
    void start(const QByteArray& size = "20x4")
    {
        m_width = size.split('x').at(0).toInt();
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
        const auto listening = [this] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port);
            return s.waitForConnected(500);
        };
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
    // The last whole frame of the text driver, row by row.
    QList<QByteArray> frame()
    {
        bytes(); // a full pseudo-terminal would hold LCDd up
        m_out += m_process.readAllStandardOutput();
        const QByteArray border = '+' + QByteArray(m_width, '-') + '+';
        QList<QByteArray> rows, last;
        for (const QByteArray& l : m_out.split('\n')) {
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
    int m_width = 20;
    int m_master = -1, m_slave = -1;
};

// The module's screen as LCDd's text driver shows it: the antenna's icon by
// the driver's stand-in, the lost connection as its plain character.
QList<QByteArray> moduleRows(PtyLcdModule& module)
{
    QList<QByteArray> out;
    for (int r = 0; r < 4; ++r) {
        out << module.module().line(r);
        out.last().replace('\x06', 'v').replace('\x07', 'x');
    }
    return out;
}
} // namespace

// LCDd as an output: a real LCDd (Debian's lcdproc), Brellix as its client.
class TestLcdd : public QObject
{
    Q_OBJECT
    TestPlatform m_platform;

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo::exists(LcddProgram))
            QSKIP("LCDd is not installed (Debian package lcdproc)");
    }
    void init() { QTest::failOnWarning(QRegularExpression(u"LCDd refused"_s)); }

    // [Display] Output, [LCDd] Host and Port, and --lcdd's HOST[:PORT] over them.
    void outputSettings()
    {
        const std::tuple<QByteArray, QStringList, QString> rows[] = {
            {{}, {}, u"serial 127.0.0.1:13666"_s},
            {"[Display]\nOutput=LCDd\n[LCDd]\nHost=pi\nPort=1\n", {}, u"lcdd pi:1"_s},
            {"[Display]\nOutput=serial, lcdd\n", {}, u"serial,lcdd 127.0.0.1:13666"_s},
            {"[Display]\nOutput=lcd\n[LCDd]\nPort=70000\n", {}, u"serial 127.0.0.1:13666"_s},
            {"[LCDd]\nPort=999\n", {u"--lcdd"_s}, u"lcdd 127.0.0.1:999"_s},
            {{}, {u"--lcdd"_s, u"box:7"_s}, u"lcdd box:7"_s},
            {{}, {u"--lcdd=[::1]:7"_s}, u"lcdd ::1:7"_s},
            {"[LCDd]\nHost=pi\n", {u"--lcdd"_s, u"--simulate"_s}, u"serial,lcdd pi:13666"_s},
            {{}, {u"--lcdd"_s, u"h:0"_s}, u"usage"_s},
            {{}, {u"--lcdd"_s, u"a b:7"_s}, u"usage"_s},
        };
        for (const auto& [ini, options, expected] : rows) {
            CommandLine line;
            QString text;
            QString outputs = u"usage"_s;
            LinkHarness h;
            h.writeIni(ini);
            TestApp c(h.iniPath(), m_platform);
            if (CommandLine::parse(QStringList{u"brellixd"_s} + options, {}, &line, &text) ==
                CommandLine::Outcome::Run) {
                if (line.lcdd)
                    QVERIFY(c.useLcddForRun(line.lcddServer, line.simulate));
                c.loadSettings();
                const LinkController& link = c.linkController();
                outputs = link.serialOutput() && link.lcddOutput() ? u"serial,lcdd"_s
                          : link.lcddOutput()                      ? u"lcdd"_s
                                                                   : u"serial"_s;
                outputs += u" %1:%2"_s.arg(c.lcdd().host()).arg(c.lcdd().port());
            }
            QCOMPARE(outputs, expected);
        }
    }

    // One LCDd and one program through the outputs one after another.
    void textDriver()
    {
        Lcdd lcdd;
        lcdd.start();
        ModuleApp p(m_platform);
        p.start("[Mode]\nmode=1\n[Display]\nOutput=serial,lcdd\n[LCDd]\nPort=" +
                QByteArray::number(lcdd.port) + "\n");
        LinkController& link = p.c->linkController();
        // Both outputs: LCDd shows what the module shows.
        for (const int mode : {1, 2, 3}) { // the network mode with its antenna icon
            p.c->scheduler().selectMode(mode);
            p.ticks(1);
            QTRY_COMPARE(lcdd.frame(), moduleRows(*p.module));
        }
        QCOMPARE(link.statusText(), u"LCD Connected - LCDd Connected"_s);

        // The Communication menu: LCDd instead of the module, and at the end
        // back; each choice is kept in the settings file.
        link.lcddMenuClicked();
        QVERIFY(!p.c->link().isOpen());
        QTRY_COMPARE(link.statusText(), u"LCDd Connected"_s);
        QVERIFY(!link.sliderEnabled());
        QVERIFY(p.h.readIni().contains("Output=lcdd"));

        p.c->scheduler().selectMode(1);
        p.ticks(1);
        // Whatever a line holds stays inside its string: nothing ends the
        // command early or starts another, and the next lines still arrive.
        p.c->link().SendLcd(modLcdFunc::LcdCursorAt(2, 0) +
                            QByteArray("a\"b\\c\n{d}\"\x0c\x7f\xe9\t\\\"\x1b}"));
        QTRY_COMPARE(lcdd.frame().value(2), QByteArray("a\"b\\c{d}\"??\\\"}      "));
        p.c->link().SendLcd(modLcdFunc::LcdCursorAt(3, 0) + QByteArray("after").leftJustified(20));
        QTRY_COMPARE(lcdd.frame().value(3), QByteArray("after").leftJustified(20, ' '));
        QCOMPARE(lcdd.frame().value(0), QByteArray("     2:05:07 PM     "));

        // Off, the backlight reaches the MtxOrb display as its brightness
        // command (FE 99).
        link.backlightOffClicked();
        QTRY_VERIFY(lcdd.bytes().contains(hex("fe9900")));
        link.backlightOnClicked();

        // 2:05 pm in LCDd's own digits at our columns, the colon blinking.
        p.c->scheduler().selectMode(0);
        p.ticks(1);
        for (const char colon : {'.', ' '}) {
            const QByteArray c(1, colon);
            QTRY_COMPARE_WITH_TIMEOUT(
                lcdd.frame(),
                QList<QByteArray>({"      _     _   _   ", "      _| " + c + " | | |_   ",
                                   "     |_  " + c + " |_|  _| p", "                   m"}),
                2000);
        }

        // LCDd gone: the status says so; back, now 16x2: within 3 s it shows
        // the screen's top-left part.
        p.c->scheduler().selectMode(1);
        p.ticks(1);
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
        QCOMPARE(p.c->lcdd().width(), 16);

        link.comMenuClicked(1);
        QTRY_COMPARE(link.statusText(), LinkController::ConnectedStatus);
        QVERIFY(!p.c->lcdd().active());
        QVERIFY(link.sliderEnabled());
        QVERIFY(p.h.readIni().contains("Output=serial"));
    }
};

QTEST_GUILESS_MAIN(TestLcdd)
#include "tst_lcdd.moc"
