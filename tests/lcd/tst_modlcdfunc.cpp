#include "lcd/modLcdFunc.h"

#include <QtTest>

using namespace modLcdFunc;

// Expected bytes are written by hand from the module's command tables.
class TestModLcdFunc : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void command_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("bytes"); // hex
        // Codes 11 to 25 in order.
        const char* const hex[] = {"0b",    "0d",    "0c",    "08",    "0e",
                                   "0f",    "fe 01", "fe 02", "fe 03", "fe 06",
                                   "fe 07", "fe 04", "fe 05", "fe 08", "fe 09"};
        for (int code = 11; code <= 25; ++code)
            QTest::addRow("%d", code) << code << QByteArray(hex[code - 11]);
        // Outside 11..25 the buffer keeps what it had.
        QTest::newRow("10") << 10 << QByteArray("aa bb");
        QTest::newRow("26") << 26 << QByteArray("aa bb");
    }
    void command()
    {
        QFETCH(int, code);
        QByteArray out = QByteArray::fromHex("aabb");
        LcdCommand(out, code);
        QTEST(out.toHex(' '), "bytes");
    }

    // Each builder replaces what the buffer held before.
    void parameterised_data()
    {
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray b = "junk that must go";
        LcdBrightness(b, 154);
        QTest::newRow("brightness 154") << b << QByteArray("fe 28 9a");
        LcdCode41(b, 0);
        QTest::newRow("code41 0") << b << QByteArray("fe 29 00");
        LcdCursorAt(b, 2, 19);
        QTest::newRow("cursor 2,19") << b << QByteArray("fe 32 02 13");
        LcdSelectLine(b, 1);
        QTest::newRow("line 1") << b << QByteArray("fe 2d 01");
        LcdClearColumn(b, 9);
        QTest::newRow("clear col 9") << b << QByteArray("fe 2e 09");
        QTest::newRow("detect") << DetectQuery() << QByteArray("fe 10");
        QTest::newRow("glyph header") << CustomCharsHeader() << QByteArray("fe 64");
        QTest::newRow("glyph trailer") << CustomCharsTrailer() << QByteArray("fe 08");
    }
    void parameterised()
    {
        QFETCH(QByteArray, got);
        QTEST(got.toHex(' '), "bytes");
    }

    void bigDigits_data()
    {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("7") << QByteArray("7") << QByteArray("fe 34 33 37");
        QTest::newRow("45") << QByteArray("45") << QByteArray("fe 34 33 35 fe 34 32 34");
        QTest::newRow("930") << QByteArray("930")
                             << QByteArray("fe 34 31 39 fe 34 33 30 fe 34 32 33");
        QTest::newRow("1245") << QByteArray("1245")
                              << QByteArray("fe 34 33 35 fe 34 30 31 fe 34 31 32 fe 34 32 34");
        QTest::newRow("empty unchanged") << QByteArray("") << QByteArray("aa bb");
        QTest::newRow("five unchanged") << QByteArray("12345") << QByteArray("aa bb");
    }
    void bigDigits()
    {
        QFETCH(QByteArray, digits);
        QByteArray out = QByteArray::fromHex("aabb");
        LcdBigDigits(out, digits);
        QTEST(out.toHex(' '), "bytes");
    }
};

QTEST_GUILESS_MAIN(TestModLcdFunc)
#include "tst_modlcdfunc.moc"
