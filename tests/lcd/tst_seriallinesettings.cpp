#include "lcd/ModuleCodec.h"
#include "lcd/SerialLineSettings.h"

#include <QtTest>

class TestSerialLineSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("stop");
        using P = QSerialPort;
        QTest::newRow("default") << "9600,n,8,1" << true << 9600 << int(P::NoParity)
                                 << int(P::Data8) << int(P::OneStop);
        QTest::newRow("spaces, caps") << " 19200 , E , 7 , 2 " << true << 19200
                                      << int(P::EvenParity) << int(P::Data7) << int(P::TwoStop);
        QTest::newRow("odd 1.5") << "2400,o,5,1.5" << true << 2400 << int(P::OddParity)
                                 << int(P::Data5) << int(P::OneAndHalfStop);
        QTest::newRow("mark") << "115200,m,8,1" << true << 115200 << int(P::MarkParity)
                              << int(P::Data8) << int(P::OneStop);
        QTest::newRow("space") << "300,s,6,1" << true << 300 << int(P::SpaceParity)
                               << int(P::Data6) << int(P::OneStop);
        QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
        QTest::newRow("three fields") << "9600,n,8" << false << 0 << 0 << 0 << 0;
        QTest::newRow("five fields") << "9600,n,8,1,x" << false << 0 << 0 << 0 << 0;
        QTest::newRow("baud text") << "fast,n,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("baud zero") << "0,n,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("baud negative") << "-9600,n,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("parity x") << "9600,x,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("data 9") << "9600,n,9,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("data 4") << "9600,n,4,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("stop 3") << "9600,n,8,3" << false << 0 << 0 << 0 << 0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QString why;
        const auto s = SerialLineSettings::parse(text, &why);
        QCOMPARE(s.has_value(), valid);
        if (!valid) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QFETCH(int, baud);
        QFETCH(int, parity);
        QFETCH(int, data);
        QFETCH(int, stop);
        QCOMPARE(s->baudRate, baud);
        QCOMPARE(int(s->parity), parity);
        QCOMPARE(int(s->dataBits), data);
        QCOMPARE(int(s->stopBits), stop);
    }

    // Outside text never carries a command byte onto the module.
    void codec_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("codes");
        QTest::newRow("ascii") << "Hello 42!" << QByteArray("Hello 42!");
        QTest::newRow("accents") << QString::fromUtf8("Zürich Café") << QByteArray("Zurich Cafe");
        QTest::newRow("no-break space") << QString::fromUtf8("p.\u00a0m.") << QByteArray("p. m.");
        QTest::newRow("degree") << QString::fromUtf8("21°C") << QByteArray("21\xdf" "C");
        QTest::newRow("controls") << QString::fromUtf8("a\x01\r\n\x1b" "b")
                                  << QByteArray("a????b");
        QTest::newRow("prefix byte") << QString(QChar(0xFE)) << QByteArray("?");
        QTest::newRow("cjk and emoji") << QString::fromUtf8("東京😀") << QByteArray("???");
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
