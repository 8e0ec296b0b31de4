#include "support/TimeTestSupport.h"

#include "lcd/SerialLineSettings.h"
#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/base/SecondTimer.h"
#include "screens/base/modCustomChar.h"

#include <QElapsedTimer>

using P = QSerialPort;

// The serial link over a pseudo-terminal, and the screen pieces that write on it.
class TestScreenBase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // 0B, then each line's text (at most 20 characters) as one write and a
    // write per pad space.
    void writeLines()
    {
        PtyLink pty;
        QVERIFY(pty.open());
        ScreenLines screen;
        const QByteArray a = "ABCDEFGHIJKLMNOPQRST";
        screen.setLine(1, a);
        screen.setLine(2, a + "UVWXY");
        screen.setLine(3, "Hello");
        LineWriter(screen, pty.link).WriteLines();
        const QList<QByteArray> spaces(20, " "), texts = {a, a, "Hello"};
        QCOMPARE(pty.takeWrites(), QList<QByteArray>(1, "\x0B") + spaces + texts + spaces.mid(5));
    }

    // FE 64 with glyph 0, glyphs 1 to 7, FE 08: nine writes straight to the
    // port, not through the output buffer; nothing on a closed port.
    void loadCustomChars()
    {
        for (const bool open : {true, false}) {
            PtyLink pty;
            QVERIFY(!open || pty.open());
            pty.link.SendLcd("kept");
            pty.takeWrites();
            QCOMPARE(modCustomChar::LoadCustomChars(pty.link), open);
            QCOMPARE(pty.takeWrites(),
                     hexWrites(open ? "FE64080C0E0F0E0C0800 00000E0E0E0E0000 00001B1B1B1B0000 "
                                      "00041C1C1C040000 00051C1D1C050000 080C0E0F0E0C0800 "
                                      "001F11110E040400 000E0E0404040400 FE08"
                                    : ""));
            QCOMPARE(pty.link.lcdOut(), QByteArray("kept"));
        }
    }

    // The tick that follows the wall-clock second.
    void msUntilNextSecond()
    {
        QCOMPARE(SecondTimer::msUntilNextSecond(1'700'000'000'000), 1005);
        QCOMPARE(SecondTimer::msUntilNextSecond(1'700'000'000'999), 6);
        QCOMPARE(SecondTimer::msUntilNextSecond(-250), 255);
    }

    void parseLineSettings()
    {
        const std::tuple<const char*, int, P::Parity, P::DataBits, P::StopBits> rows[] = {
            {"9600,n,8,1", 9600, P::NoParity, P::Data8, P::OneStop},
            {" 19200 , E , 7 , 2 ", 19200, P::EvenParity, P::Data7, P::TwoStop},
            {"2400,o,5,1.5", 2400, P::OddParity, P::Data5, P::OneAndHalfStop},
            {"1200,m,8,1", 1200, P::MarkParity, P::Data8, P::OneStop},
            {"300,s,6,1", 300, P::SpaceParity, P::Data6, P::OneStop},
        };
        for (const auto& [text, baud, parity, data, stop] : rows) {
            const auto s = SerialLineSettings::parse(QString::fromLatin1(text));
            QVERIFY2(s, text);
            QCOMPARE(std::tuple(s->baudRate, s->parity, s->dataBits, s->stopBits),
                     std::tuple(baud, parity, data, stop));
        }
        for (const char* bad :
             {"9600,n,8", "fast,n,8,1", "0,n,8,1", "9600,x,8,1", "9600,n,9,1", "9600,n,8,3"}) {
            QString why;
            QVERIFY2(!SerialLineSettings::parse(QString::fromLatin1(bad), &why) && !why.isEmpty(),
                     bad);
        }
    }

    // Settings the device refuses (a pseudo-terminal takes no parity) leave
    // the port closed, logged, sends dropped: it is no lost module.
    void applyLineSettings()
    {
        const std::pair<const char*, const char*> rows[] = {
            {"19200,n,8,2", nullptr},
            {"19200,e,8,2", "Cannot apply"},
        };
        for (const auto& [settings, warning] : rows) {
            PtyLink pty;
            pty.link.setSettings(QString::fromLatin1(settings));
            QSignalSpy lost(&pty.link, &LcdLink::portLost);
            if (warning)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
            QCOMPARE(pty.open(), !warning);
            QCOMPARE(pty.link.isOpen(), !warning);
            pty.link.SendLcd("x");
            QCOMPARE(pty.module->waitForBytes(1, warning ? 100 : 2000), !warning);
            QCOMPARE(lost.count(), 0);
        }
    }

    // Two waits at once each get their own ticks: the shorter one ends
    // first and does not cut the longer one short.
    void twoWaitsAtOnce()
    {
        LcdLink link;
        QElapsedTimer clock;
        clock.start();
        QList<int> ended; // negative: ended too early
        for (const int ticks : {20, 5}) {
            link.WaitTicks(ticks, [&, ticks] {
                ended.append(clock.elapsed() >= ticks * LcdLink::TickMs ? ticks : -ticks);
            });
        }
        QTRY_COMPARE(ended, (QList<int>{5, 20}));
    }
};

QTEST_GUILESS_MAIN(TestScreenBase)
#include "tst_screenbase.moc"
