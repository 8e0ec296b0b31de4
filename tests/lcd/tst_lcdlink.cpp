#include "lcd/SerialLineSettings.h"
#include "support/TimeTestSupport.h"

#include <QElapsedTimer>

using P = QSerialPort;

// The serial link over a pseudo-terminal, and the line settings it applies.
class TestLcdLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestLcdLink)
#include "tst_lcdlink.moc"
