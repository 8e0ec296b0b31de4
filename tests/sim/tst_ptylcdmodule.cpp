#include "sim/PtyLcdModule.h"

#include <QtTest>

#include <poll.h>
#include <unistd.h>

class TestPtyLcdModule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Writes on the slave arrive unchanged (no newline translation, no
    // flow-control bytes eaten), read by read as written, also after the port
    // was closed and reopened. FE 10 gets the set answer, never echoed back.
    void receives_data()
    {
        QTest::addColumn<QList<QByteArray>>("writes");
        QTest::addColumn<QByteArray>("answer"); // null: the default, 0x65
        QTest::addColumn<QByteArray>("line0");
        QTest::newRow("cursor split over three writes")
            << QList<QByteArray>{"\xFE", "\x32", QByteArray("\x00\x03X", 3), "\xFE\x10"}
            << QByteArray() << QByteArray("ab X").leftJustified(20);
        QTest::newRow("bytes a tty might cook, silent module")
            << QList<QByteArray>{QByteArray::fromHex("610a620311137f046300fe10")} << QByteArray("")
            << QByteArray::fromHex("6162 6162037f046300").leftJustified(20);
        QTest::newRow("wrong answer") << QList<QByteArray>{"\xFE\x10"} << QByteArray("\x45")
                                      << QByteArray("ab").leftJustified(20);
    }
    void receives()
    {
        QFETCH(QList<QByteArray>, writes);
        QFETCH(QByteArray, answer);
        PtyLcdModule pty;
        if (!answer.isNull())
            pty.setDetectionReply(answer);
        QVERIFY(pty.open());
        QFile first(pty.slavePath());
        QVERIFY(first.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && first.write("ab") == 2);
        QVERIFY(pty.waitForBytes(2, 2000));
        first.close();
        QTest::qWait(50); // give a hang-up, if any, time to show
        pty.clearRecord();

        QSignalSpy changed(&pty, &PtyLcdModule::screenChanged);
        QFile slave(pty.slavePath());
        QVERIFY(slave.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        QByteArray all;
        for (const QByteArray& w : writes) {
            all += w;
            QCOMPARE(slave.write(w), w.size());
            QVERIFY(pty.waitForBytes(int(all.size()), 2000));
        }
        pollfd p{slave.handle(), POLLIN, 0};
        QByteArray reply(8, 0);
        reply.resize(::poll(&p, 1, 200) > 0 ? ::read(p.fd, reply.data(), 8) : 0);
        QCOMPARE(reply, answer.isNull() ? QByteArray("\x65") : answer);
        pty.waitForBytes(int(all.size()) + 1, 100); // where an echo would show
        QCOMPARE(pty.received(), all);
        QCOMPARE(pty.chunks(), writes);
        QTEST(pty.module().line(0), "line0");
        QCOMPARE(changed.isEmpty(), pty.module().line(0) == QByteArray("ab").leftJustified(20));
    }
};

QTEST_GUILESS_MAIN(TestPtyLcdModule)
#include "tst_ptylcdmodule.moc"
