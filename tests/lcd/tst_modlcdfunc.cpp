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
        // Outside 11..25 there is nothing to send.
        QTest::newRow("10") << 10 << QByteArray("");
        QTest::newRow("26") << 26 << QByteArray("");
    }
    void command()
    {
        QFETCH(int, code);
        QTEST(LcdCommand(code).toHex(' '), "bytes");
    }

    void parameterised_data()
    {
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("brightness 154") << LcdBrightness(154) << QByteArray("fe 28 9a");
        QTest::newRow("code41 0") << LcdCode41(0) << QByteArray("fe 29 00");
        QTest::newRow("cursor 2,19") << LcdCursorAt(2, 19) << QByteArray("fe 32 02 13");
        QTest::newRow("line 1") << LcdSelectLine(1) << QByteArray("fe 2d 01");
        QTest::newRow("clear col 9") << LcdClearColumn(9) << QByteArray("fe 2e 09");
        QTest::newRow("detect") << DetectQuery() << QByteArray("fe 10");
        QTest::newRow("glyph header") << CustomCharsHeader() << QByteArray("fe 64");
        QTest::newRow("glyph trailer") << CustomCharsTrailer() << QByteArray("fe 08");
    }
    void parameterised()
    {
        QFETCH(QByteArray, got);
        QTEST(got.toHex(' '), "bytes");
    }
};

QTEST_GUILESS_MAIN(TestModLcdFunc)
#include "tst_modlcdfunc.moc"
