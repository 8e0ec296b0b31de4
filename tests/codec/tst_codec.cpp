#include "codec/ModuleCodec.h"
#include "codec/TextDecoding.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Text to the module's codes and back, and text of no stated charset.
class TestCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Outside text never carries a command byte onto the module. Each code shows as one
    // character, so a mirror's columns line up with the module's.
    void codes()
    {
        QCOMPARE(ModuleCodec::fromUnicode(u"Zürich\u00a0Café 21°C"_s), "Zurich Cafe 21\337C");
        QCOMPARE(ModuleCodec::fromUnicode(u"a\u0001\r\n\u001bb東😀\u00fe"_s), "a????b???");
        QCOMPARE(ModuleCodec::toDisplay(
                     " !09AZaz}~\xdf\xff" +
                     QByteArray::fromHex("0001020304050607 08090a0b0c0d1b1f7f 80a0c3dee0fe")),
                 u" !09AZaz}~°█▸■‖◁◀▶↓✕"_s + QString(15, u'·'));
        // Given symbols replace the custom codes only.
        QCOMPARE(ModuleCodec::toDisplay(QByteArray::fromHex("000741df07ff08"),
                                        [](int code) { return QChar(u'a' + code); }),
                 u"ahA°h█·"_s);
    }

    // Text of no stated charset: UTF-8 when valid, else Windows-1252 as browsers read it.
    void utf8OrWindows1252()
    {
        const std::pair<QByteArray, QString> rows[] = {
            {"\xef\xbb\xbfZ\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x98\x80"_ba,
             u"Zürich € \U0001F600"_s},
            {"Z\xfc \x80\x8a\x9a\x93\x94\x9f\xa0\xff \x81\x8d\x8f\x90\x9d \0\x01"_ba,
             u"Zü €Šš“”Ÿ\u00a0ÿ \u0081\u008d\u008f\u0090\u009d \0\x01"_s},
            {"caf\xc3\xa9 caf\xe9"_ba, u"cafÃ© café"_s},
            {"caf\xc3"_ba, u"cafÃ"_s},
            {"\xc0\xaf"_ba, u"À¯"_s}, // cut and overlong UTF-8
        };
        for (const auto& [bytes, text] : rows)
            QCOMPARE(TextDecoding::utf8OrWindows1252(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
