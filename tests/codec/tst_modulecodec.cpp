#include "codec/ModuleCodec.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// A custom function that makes it obvious which code it was asked for.
static QChar customLetter(int code)
{
    return QChar(u'a' + code);
}

class TestModuleCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Outside text never carries a command byte onto the module.
    void fromUnicode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("codes");
        QTest::newRow("accents, no-break space, degree (223)")
            << u"Zürich\u00a0Café 21°C"_s << QByteArray("Zurich Cafe 21\337C");
        QTest::newRow("controls, prefix byte, cjk, emoji")
            << u"a\u0001\r\n\u001bb東😀\u00fe"_s << QByteArray("a????b???");
    }
    void fromUnicode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, codes);
        QCOMPARE(ModuleCodec::fromUnicode(text), codes);
    }

    // One character per code, whatever the code, so a mirror's columns line
    // up with the module's.
    void toDisplay_data()
    {
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<bool>("withCustom");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII edges") << QByteArray(" !09AZaz}~") << false << u" !09AZaz}~"_s;
        QTest::newRow("degree and block") << QByteArray("21\xdf"
                                                        "C \xff\xff")
                                          << false << u"21°C ██"_s;
        QTest::newRow("custom 0-7, fixed symbols")
            << QByteArray::fromHex("0001020304050607") << false << u"▸■‖◁◀▶↓✕"_s;
        QTest::newRow("custom 0-7, given symbols")
            << QByteArray::fromHex("0001020304050607") << true << u"abcdefgh"_s;
        QTest::newRow("given symbols leave other codes alone")
            << QByteArray::fromHex("41df07ff08") << true << u"A°h█·"_s;
        QTest::newRow("control codes")
            << QByteArray::fromHex("08090a0b0c0d1b1f7f") << false << u"·········"_s;
        QTest::newRow("high codes but 223 and 255")
            << QByteArray::fromHex("80a0b0c3dee0e9fcfe") << false << u"·········"_s;
        QTest::newRow("empty") << QByteArray() << true << QString();
    }
    void toDisplay()
    {
        QFETCH(QByteArray, codes);
        QFETCH(bool, withCustom);
        QTEST(withCustom ? ModuleCodec::toDisplay(codes, customLetter)
                         : ModuleCodec::toDisplay(codes),
              "text");
    }
};

QTEST_GUILESS_MAIN(TestModuleCodec)
#include "tst_modulecodec.moc"
