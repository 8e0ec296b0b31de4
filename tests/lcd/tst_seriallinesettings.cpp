#include "lcd/SerialLineSettings.h"

#include <QtTest>

using P = QSerialPort;

class TestSerialLineSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baud"); // 0: refused
        QTest::addColumn<P::Parity>("parity");
        QTest::addColumn<P::DataBits>("data");
        QTest::addColumn<P::StopBits>("stop");
        QTest::newRow("default") << "9600,n,8,1" << 9600 << P::NoParity << P::Data8 << P::OneStop;
        QTest::newRow("spaces, caps")
            << " 19200 , E , 7 , 2 " << 19200 << P::EvenParity << P::Data7 << P::TwoStop;
        QTest::newRow("odd 1.5") << "2400,o,5,1.5" << 2400 << P::OddParity << P::Data5
                                 << P::OneAndHalfStop;
        QTest::newRow("mark") << "1200,m,8,1" << 1200 << P::MarkParity << P::Data8 << P::OneStop;
        QTest::newRow("space") << "300,s,6,1" << 300 << P::SpaceParity << P::Data6 << P::OneStop;
        for (const char* bad : {"", "9600,n,8", "9600,n,8,1,x", "fast,n,8,1", "0,n,8,1",
                                "9600,x,8,1", "9600,n,9,1", "9600,n,8,3"})
            QTest::addRow("bad \"%s\"", bad) << bad << 0 << P::NoParity << P::Data8 << P::OneStop;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(int, baud);
        QString why;
        const auto s = SerialLineSettings::parse(text, &why);
        QCOMPARE(s.has_value(), baud != 0);
        QCOMPARE(why.isEmpty(), baud != 0); // a refusal always says why
        if (!s)
            return;
        QCOMPARE(s->baudRate, baud);
        QTEST(s->parity, "parity");
        QTEST(s->dataBits, "data");
        QTEST(s->stopBits, "stop");
    }
};

QTEST_GUILESS_MAIN(TestSerialLineSettings)
#include "tst_seriallinesettings.moc"
