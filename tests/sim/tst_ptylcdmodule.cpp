#include "sim/PtyLcdModule.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// The program's side of the line: a plain fd on the slave path.
class SlaveFd
{
public:
    explicit SlaveFd(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY))
    {
    }
    ~SlaveFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SlaveFd(const SlaveFd&) = delete;
    SlaveFd& operator=(const SlaveFd&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray& bytes) const
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Whatever arrives within ms milliseconds of silence.
    QByteArray read(int ms) const
    {
        QByteArray got;
        pollfd p{m_fd, POLLIN, 0};
        while (::poll(&p, 1, ms) > 0) {
            char buf[64];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, int(n));
        }
        return got;
    }

private:
    int m_fd;
};

} // namespace

class TestPtyLcdModule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Writes from the program arrive unchanged (no newline translation, no
    // flow-control bytes eaten) and read by read as they were written.
    void receives_data()
    {
        QTest::addColumn<QList<QByteArray>>("writes");
        QTest::addColumn<QByteArray>("line0");
        QTest::newRow("one write")
            << QList<QByteArray>{"\x0B Hello"} << QByteArray(" Hello").leftJustified(20);
        QTest::newRow("cursor split over three writes")
            << QList<QByteArray>{"\xFE", "\x32", QByteArray("\x00\x03X", 3)}
            << QByteArray("   X").leftJustified(20);
        QTest::newRow("bytes a tty might cook")
            << QList<QByteArray>{QByteArray::fromHex("610a620311137f046300")}
            << QByteArray::fromHex("6162037f046300").leftJustified(20);
    }
    void receives()
    {
        QFETCH(QList<QByteArray>, writes);
        PtyLcdModule pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        QVERIFY(pty.slavePath().startsWith(QLatin1String("/dev/pts/")));
        QSignalSpy received(&pty, &PtyLcdModule::bytesReceived);
        QSignalSpy changed(&pty, &PtyLcdModule::screenChanged);
        SlaveFd fd(pty.slavePath());
        QVERIFY(fd.isOpen());
        QByteArray all;
        for (const QByteArray& w : writes) {
            all += w;
            QVERIFY(fd.write(w));
            QVERIFY(pty.waitForBytes(int(all.size()), 2000));
        }
        QCOMPARE(pty.received(), all);
        QCOMPARE(pty.chunks(), writes);
        QCOMPARE(received.size(), writes.size());
        QVERIFY(!changed.isEmpty());
        QTEST(pty.module().line(0), "line0");
    }

    void detection_data()
    {
        QTest::addColumn<bool>("configure");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("default") << false << QByteArray("\x65");
        QTest::newRow("silent") << true << QByteArray();
        QTest::newRow("wrong answer") << true << QByteArray("\x45");
    }
    void detection()
    {
        QFETCH(bool, configure);
        QFETCH(QByteArray, reply);
        PtyLcdModule pty;
        if (configure)
            pty.setDetectionReply(reply);
        QVERIFY(pty.open());
        QSignalSpy changed(&pty, &PtyLcdModule::screenChanged);
        SlaveFd fd(pty.slavePath());
        QVERIFY(fd.write("\xFE\x10"));
        QVERIFY(pty.waitForBytes(2, 2000));
        QCOMPARE(fd.read(200), reply);
        // The answer must not come back to the module as an echo.
        pty.waitForBytes(3, 100);
        QCOMPARE(pty.received(), QByteArray("\xFE\x10"));
        QVERIFY(changed.isEmpty());
    }

    // The program closes and reopens its port; the module must keep reading.
    void survivesReopen()
    {
        PtyLcdModule pty;
        QVERIFY(pty.open());
        {
            SlaveFd fd(pty.slavePath());
            QVERIFY(fd.write("ab"));
            QVERIFY(pty.waitForBytes(2, 2000));
        }
        QTest::qWait(50); // give a hang-up, if any, time to show
        pty.clearRecord();
        QVERIFY(pty.chunks().isEmpty());
        SlaveFd again(pty.slavePath());
        QVERIFY(again.write("cd\xFE\x10"));
        QVERIFY(pty.waitForBytes(4, 2000));
        QCOMPARE(pty.received(), QByteArray("cd\xFE\x10"));
        QCOMPARE(again.read(200), QByteArray("\x65"));
        QCOMPARE(pty.module().line(0).left(4), QByteArray("abcd"));
    }
};

QTEST_GUILESS_MAIN(TestPtyLcdModule)
#include "tst_ptylcdmodule.moc"
