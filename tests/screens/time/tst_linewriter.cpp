#include "TimeTestSupport.h"

#include "screens/time/LineWriter.h"
#include "screens/time/ScreenLines.h"

class TestLineWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writeLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("writes");

        const QByteArray full1 = "ABCDEFGHIJKLMNOPQRST";
        const QByteArray full2 = "abcdefghijklmnopqrst";
        const QByteArray full3 = "01234567890123456789";
        const QByteArray full4 = "KLMNOPQRSTUVWXYZ0123";
        const QByteArray spaces20 = "                    ";

        // 0B, then 80 spaces: one command, four empty lines (no write), 80 pads.
        QTest::newRow("four empty lines")
            << QList<QByteArray>{"", "", "", ""}
            << QByteArray("\x0B") + spaces20 + spaces20 + spaces20 + spaces20 << 81;
        QTest::newRow("four full lines") << QList<QByteArray>{full1, full2, full3, full4}
                                         << QByteArray("\x0B") + full1 + full2 + full3 + full4 << 5;
        // The line keeps its first 20: no pad after it.
        QTest::newRow("25 characters assigned")
            << QList<QByteArray>{"ABCDEFGHIJKLMNOPQRSTUVWXY", full2, full3, full4}
            << QByteArray("\x0B") + full1 + full2 + full3 + full4 << 5;
        QTest::newRow("short line 3")
            << QList<QByteArray>{full1, full2, "Hello", full4}
            << QByteArray("\x0B") + full1 + full2 + "Hello               " + full4 << 20;
        // Custom characters and the degree sign go out as the codes they are.
        QTest::newRow("module codes") << QList<QByteArray>{QByteArray("\x06 Up", 4),
                                                           "21\xDF"
                                                           "C",
                                                           full3, full4}
                                      << QByteArray("\x0B\x06 Up                21\xDF"
                                                    "C                ",
                                                    41) +
                                             full3 + full4
                                      << 1 + 1 + 16 + 1 + 16 + 2;
    }
    void writeLines()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QByteArray, wire);
        QFETCH(int, writes);
        QCOMPARE(wire.size(), 81);

        PtyLink pty;
        QVERIFY(pty.open());
        ScreenLines screen;
        for (int i = 0; i < 4; ++i)
            screen.setLine(i, lines.at(i));
        LineWriter writer(screen, pty.link);
        writer.WriteLines();

        QVERIFY(pty.waitFor(wire.size()));
        QCOMPARE(pty.module->received().toHex(' '), wire.toHex(' '));
        const QList<QByteArray> sent = pty.takeWrites();
        QCOMPARE(sent.size(), writes);
        QCOMPARE(sent.first(), QByteArray("\x0B"));
        for (const QByteArray& w : sent)
            QVERIFY(!w.isEmpty());
        // The last piece stays in the buffer.
        QCOMPARE(pty.link.LcdOut, sent.last());
        // And the module shows the four lines.
        for (int row = 0; row < 4; ++row)
            QCOMPARE(pty.module->module().line(row), wire.mid(1 + 20 * row, 20));
    }

    void sendSpaces_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("writes");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("negative") << -3 << 0;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("twenty") << 20 << 20;
    }
    void sendSpaces()
    {
        QFETCH(int, count);
        QFETCH(int, writes);
        PtyLink pty;
        QVERIFY(pty.open());
        ScreenLines screen;
        LineWriter writer(screen, pty.link);
        writer.SendSpaces(count);
        const QList<QByteArray> sent = pty.takeWrites();
        QCOMPARE(sent.size(), writes);
        for (const QByteArray& w : sent)
            QCOMPARE(w, QByteArray(" "));
        if (writes > 0) {
            QVERIFY(pty.waitFor(writes));
            QCOMPARE(pty.module->received(), QByteArray(writes, ' '));
        }
    }

    // Closed port: the lines keep their text, the wire stays silent.
    void closedPort()
    {
        PtyLink pty;
        ScreenLines screen;
        screen.setLine(0, "Hello");
        LineWriter writer(screen, pty.link);
        writer.WriteLines();
        QCOMPARE(pty.spy.count(), 0);
        QTest::qWait(100);
        QVERIFY(pty.module->received().isEmpty());
        QCOMPARE(screen.line(0), QByteArray("Hello"));
    }
};

QTEST_GUILESS_MAIN(TestLineWriter)
#include "tst_linewriter.moc"
