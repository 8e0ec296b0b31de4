#include "support/TimeTestSupport.h"

#include "lcd/SerialLineSettings.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;

// The serial link: its line settings, on a pseudo-terminal, and its waits.
class TestLcdLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Baud:parity, data and stop bits as QSerialPort numbers them; "bad": refused with a reason.
    void parseLineSettings()
    {
        QStringList parsed;
        for (const char* text :
             {"9600,n,8,1", " 19200 , E , 7 , 2 ", "2400,o,5,1.5", "1200,m,8,1", "300,s,6,1",
              "9600,n,8", "fast,n,8,1", "0,n,8,1", "9600,x,8,1", "9600,n,9,1", "9600,n,8,3"}) {
            QString why;
            const auto s = SerialLineSettings::parse(QString::fromLatin1(text), &why);
            parsed << (s ? QString::asprintf("%d:%d%d%d", s->baudRate, s->parity, s->dataBits,
                                             s->stopBits)
                         : (why.isEmpty() ? u"?"_s : u"bad"_s));
        }
        QCOMPARE(parsed.join(u'|'),
                 u"9600:081|19200:272|2400:353|1200:581|300:461|bad|bad|bad|bad|bad|bad"_s);
    }

    // Settings a pty refuses (parity) leave the port closed, sends dropped, no module lost.
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

    // Two waits at once each get their own ticks; the shorter does not cut the longer short.
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

QTEST_GUILESS_MAIN(TestLcdLink)
#include "tst_lcdlink.moc"
