#include "codec/ModuleCodec.h"
#include "codec/TextDecoding.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Text to the module's codes and back, and text of no stated charset.
class TestCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Text to each ROM's codes: its own letters, the rest without accents or
    // '?'. No control code and no FE ever comes out, so outside text cannot
    // act as a command.
    void codes()
    {
        const struct
        {
            const char* name;
            Characters rom;
            QString text;
            QByteArray codes;
        } rows[] = {
            {"ascii: accents dropped, degree DF", Characters::Ascii, u"Zürich\u00a0Café 21°C \\~"_s,
             "Zurich Cafe 21\xdf"
             "C \\~"},
            {"ascii: controls, CJK, surrogate pair, thorn", Characters::Ascii,
             u"a\u0001\r\n\u001bb東😀\u00fe"_s, "a????b???"},
            {"a00: its letters", Characters::A00, u"äöüß µ°ñ¢£÷ πΣΩ√∞ αβεσρθ →←¥"_s,
             "\xe1\xef\xf5\xe2 \xe4\xdf\xee\xec\xed\xfd \xf7\xf6\xf4\xe8\xf3 "
             "\xe0\xe2\xe3\xe5\xe6\xf2 \x7e\x7f\x5c"},
            {"a00: no capitals with dots, backslash and tilde stand in", Characters::A00,
             u"Über München \\~ é\u00a0"_s, "Uber M\xf5nchen /- e "},
            {"a00: controls, surrogate pair, thorn", Characters::A00,
             u"\u0001\u001b😀\u00fe\u007f"_s,
             "????"
             "?"},
            {"a02: Latin-1 as itself, thorn and C1 controls ?", Characters::A02,
             u"München 5°C ß\u00a0ÿ þ\u0085 \\~"_s,
             "M\xfcnchen 5\xb0"
             "C \xdf\xa0\xff ?? \\~"},
            {"a02: beyond Latin-1 as in ascii", Characters::A02, u"Łódź πΩ 😀\u0001"_s,
             "?\xf3"
             "dz ?? ??"},
        };
        for (const auto& row : rows) {
            const QByteArray got = ModuleCodec(row.rom).fromUnicode(row.text);
            QVERIFY2(got == row.codes, qPrintable(QString::fromUtf8(row.name) + u": got "_s +
                                                  QString::fromLatin1(got.toHex(' '))));
        }
        // The degree sign and the colon's dot of each ROM.
        const std::tuple<Characters, int, int> signs[] = {{Characters::Ascii, 0xdf, 0xdf},
                                                          {Characters::A00, 0xdf, 0xdf},
                                                          {Characters::A02, 0xb0, 0xb7}};
        for (const auto& [rom, degree, dot] : signs) {
            const ModuleCodec codec(rom);
            QVERIFY2(codec.degreeCode() == degree && codec.colonDot() == dot,
                     qPrintable(CharacterSets::name(rom) +
                                u": degree %1, dot %2"_s.arg(codec.degreeCode(), 0, 16)
                                    .arg(codec.colonDot(), 0, 16)));
        }
    }

    // Codes back to text for the window's boxes, one character per code.
    void display()
    {
        QCOMPARE(AsciiCodec.toDisplay(
                     " !09AZaz}~\xdf\xff" +
                     QByteArray::fromHex("0001020304050607 08090a0b0c0d1b1f7f 80a0c3dee0fe")),
                 u" !09AZaz}~°█▸■‖◁◀▶↓✕"_s + QString(15, u'·'));
        // Given symbols replace the custom codes only.
        QCOMPARE(AsciiCodec.toDisplay(QByteArray::fromHex("000741df07ff08"),
                                      [](int code) { return QChar(u'a' + code); }),
                 u"ahA°h█·"_s);
        QCOMPARE(ModuleCodec(Characters::A00).toDisplay("\\~\x7f\xe1\xe2\xf5\xdf\xa0"),
                 u"¥→←äβü°·"_s);
        QCOMPARE(ModuleCodec(Characters::A02).toDisplay("\\\x90\xb0\xb7\xdf\xfc\xff"),
                 u"\\·°·ßüÿ"_s);
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
