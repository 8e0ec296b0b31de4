#include "support/TimeTestSupport.h"

#include "screens/base/LineWriter.h"
#include "screens/base/ScreenLines.h"
#include "screens/base/SecondTimer.h"
#include "screens/base/modCustomChar.h"

using namespace Qt::StringLiterals;

// The pieces every screen is built of, writing on the link.
class TestScreenBase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // 0B, then each line's text (cut at 20) as one write and a write per pad space.
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

    // FE 64, the glyphs, FE 08: nine writes straight to the port; nothing on a closed port.
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
};

QTEST_GUILESS_MAIN(TestScreenBase)
#include "tst_screenbase.moc"
