#include "support/TimeTestSupport.h"

#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"

class TestLineWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // 0B, then each line's text as one write and a write per pad space.
    void writeLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("writes");
        const QByteArray a = "ABCDEFGHIJKLMNOPQRST", b = "abcdefghijklmnopqrst";
        const QByteArray c = "01234567890123456789", d = "KLMNOPQRSTUVWXYZ0123";
        QTest::newRow("empty") << QList<QByteArray>{"", "", "", ""}
                               << QByteArray("\x0B") + QByteArray(80, ' ') << 81;
        QTest::newRow("full") << QList<QByteArray>{a, b, c, d} << QByteArray("\x0B") + a + b + c + d
                              << 5;
        QTest::newRow("25 characters kept as 20")
            << QList<QByteArray>{"ABCDEFGHIJKLMNOPQRSTUVWXY", b, c, d}
            << QByteArray("\x0B") + a + b + c + d << 5;
        QTest::newRow("short") << QList<QByteArray>{a, b, "Hello", d}
                               << QByteArray("\x0B") + a + b + "Hello               " + d << 20;
    }
    void writeLines()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QByteArray, wire);
        QFETCH(int, writes);
        PtyLink pty;
        QVERIFY(pty.open());
        ScreenLines screen;
        for (int i = 0; i < 4; ++i)
            screen.setLine(i, lines.at(i));
        LineWriter(screen, pty.link).WriteLines();
        QVERIFY(pty.waitFor(81));
        QCOMPARE(pty.module->received().toHex(' '), wire.toHex(' '));
        QCOMPARE(pty.takeWrites().size(), writes);
    }
};

QTEST_GUILESS_MAIN(TestLineWriter)
#include "tst_linewriter.moc"
