#include "lcd/ModuleCodec.h"
#include "lcd/SerialLineSettings.h"

#include <QtTest>

using P = QSerialPort;
using namespace Qt::StringLiterals;

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

    // Outside text never carries a command byte onto the module.
    void codec_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("codes");
        QTest::newRow("accents, no-break space, degree (223)")
            << u"Zürich\u00a0Café 21°C"_s << QByteArray("Zurich Cafe 21\337C");
        QTest::newRow("controls, prefix byte, cjk, emoji")
            << u"a\u0001\r\n\u001bb東😀\u00fe"_s << QByteArray("a????b???");
    }
    void codec()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, codes);
        QCOMPARE(ModuleCodec::fromUnicode(text), codes);
    }
};

QTEST_GUILESS_MAIN(TestSerialLineSettings)
#include "tst_seriallinesettings.moc"
