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
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("11 home") << 11 << QByteArray::fromHex("0b");
        QTest::newRow("12 clear") << 12 << QByteArray::fromHex("0d");
        QTest::newRow("13") << 13 << QByteArray::fromHex("0c");
        QTest::newRow("14") << 14 << QByteArray::fromHex("08");
        QTest::newRow("15") << 15 << QByteArray::fromHex("0e");
        QTest::newRow("16") << 16 << QByteArray::fromHex("0f");
        QTest::newRow("17") << 17 << QByteArray::fromHex("fe01");
        QTest::newRow("18") << 18 << QByteArray::fromHex("fe02");
        QTest::newRow("19") << 19 << QByteArray::fromHex("fe03");
        QTest::newRow("20 backlight on") << 20 << QByteArray::fromHex("fe06");
        QTest::newRow("21 backlight off") << 21 << QByteArray::fromHex("fe07");
        QTest::newRow("22") << 22 << QByteArray::fromHex("fe04");
        QTest::newRow("23") << 23 << QByteArray::fromHex("fe05");
        QTest::newRow("24") << 24 << QByteArray::fromHex("fe08");
        QTest::newRow("25 large digits") << 25 << QByteArray::fromHex("fe09");
        // Outside 11..25 the buffer keeps what it had.
        QTest::newRow("10") << 10 << QByteArray::fromHex("aabb");
        QTest::newRow("26") << 26 << QByteArray::fromHex("aabb");
        QTest::newRow("-1") << -1 << QByteArray::fromHex("aabb");
        QTest::newRow("0") << 0 << QByteArray::fromHex("aabb");
    }
    void command()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, bytes);
        QByteArray out = QByteArray::fromHex("aabb");
        LcdCommand(out, code);
        QCOMPARE(out.toHex(' '), bytes.toHex(' '));
    }

    void parameterised_data()
    {
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<QByteArray>("bytes");
        QByteArray b = "junk that must go";
        LcdBrightness(b, 254);
        QTest::newRow("brightness 254") << b << QByteArray::fromHex("fe28fe");
        LcdBrightness(b, 154);
        QTest::newRow("brightness 154") << b << QByteArray::fromHex("fe289a");
        LcdBrightness(b, 0);
        QTest::newRow("brightness 0") << b << QByteArray::fromHex("fe2800");
        LcdCode41(b, 0);
        QTest::newRow("code41 0") << b << QByteArray::fromHex("fe2900");
        LcdCursorAt(b, 2, 19);
        QTest::newRow("cursor 2,19") << b << QByteArray::fromHex("fe320213");
        LcdCursorAt(b, 0, 0);
        QTest::newRow("cursor 0,0") << b << QByteArray::fromHex("fe320000");
        LcdSelectLine(b, 1);
        QTest::newRow("line 1") << b << QByteArray::fromHex("fe2d01");
        LcdClearColumn(b, 9);
        QTest::newRow("clear col 9") << b << QByteArray::fromHex("fe2e09");
        QTest::newRow("detect") << DetectQuery() << QByteArray::fromHex("fe10");
        QTest::newRow("glyph header") << CustomCharsHeader() << QByteArray::fromHex("fe64");
        QTest::newRow("glyph trailer") << CustomCharsTrailer() << QByteArray::fromHex("fe08");
    }
    void parameterised()
    {
        QFETCH(QByteArray, got);
        QFETCH(QByteArray, bytes);
        QCOMPARE(got.toHex(' '), bytes.toHex(' '));
    }

    void bigDigits_data()
    {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("7") << QByteArray("7") << QByteArray::fromHex("fe343337");
        QTest::newRow("45") << QByteArray("45") << QByteArray::fromHex("fe343335fe343234");
        QTest::newRow("930") << QByteArray("930")
                             << QByteArray::fromHex("fe343139fe343330fe343233");
        QTest::newRow("1245") << QByteArray("1245")
                              << QByteArray::fromHex("fe343335fe343031fe343132fe343234");
        QTest::newRow("empty unchanged") << QByteArray("") << QByteArray::fromHex("aabb");
        QTest::newRow("five unchanged") << QByteArray("12345") << QByteArray::fromHex("aabb");
    }
    void bigDigits()
    {
        QFETCH(QByteArray, digits);
        QFETCH(QByteArray, bytes);
        QByteArray out = QByteArray::fromHex("aabb");
        LcdBigDigits(out, digits);
        QCOMPARE(out.toHex(' '), bytes.toHex(' '));
    }
};

QTEST_GUILESS_MAIN(TestModLcdFunc)
#include "tst_modlcdfunc.moc"
