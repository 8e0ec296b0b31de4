#include "sim/LcdFont.h"
#include "sim/LcdModule.h"

#include <QtTest>

namespace {

// All 80 cells, row by row.
QByteArray cells(const LcdModule& m)
{
    return m.line(0) + m.line(1) + m.line(2) + m.line(3);
}

QByteArray fe(std::initializer_list<int> bytes)
{
    QByteArray out(1, char(0xFE));
    for (int b : bytes)
        out += char(b);
    return out;
}

const QByteArray home(1, 0x0B), clear(1, 0x0D);

} // namespace

class TestLcdModule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void feed_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected"); // padded with spaces to 80 cells
        QTest::addColumn<QString>("state"); // cursor, backlight, brightness, code41, FE 09 seen
        QTest::addColumn<QByteArray>("reply");
        const auto row = [](const char* name, const QByteArray& input, const QByteArray& expected,
                            const char* state, const QByteArray& reply = {}) {
            QTest::newRow(name) << input << expected.leftJustified(80) << QString::fromLatin1(state)
                                << reply;
        };
        const QByteArray full = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst"
                                "0123456789!#$%&()*+,uvwxyzUVWXYZ<=>?@[]^";
        row("clear, home keeps text", "abc" + clear + "xy" + home + "X", "Xy", "0,1 1 255 0 0");
        row("home, 80 bytes fill lines 1-4", "junk" + home + full, full, "0,0 1 255 0 0");
        row("line select, placement, wrap to next line and to top",
            "ab" + fe({0x2D, 2}) + "Hi" + fe({0x32, 1, 18}) + "abc" + fe({0x32, 3, 19}) + "xyz",
            "yz" + QByteArray(36, ' ') + "abci" + QByteArray(37, ' ') + "x", "0,2 1 255 0 0");
        row("ignored controls, no-op and unknown FE xx; codes 0-7, 128-255 are characters",
            QByteArray::fromHex("6109620a630c6408650e660f671b68") + fe({1}) + fe({2}) + fe({3}) +
                fe({4}) + fe({5}) + fe({8}) + fe({0x99}) + "i" + fe({0xFE}) + "j" +
                QByteArray::fromHex("0007dfff80"),
            QByteArray::fromHex("6162636465666768696a0007dfff80"), "0,15 1 255 0 0");
        // Over a full screen, so that any misplaced cell shows.
        const QByteArray line = "xxxxx xxxxxxxxxxxxxx";
        row("column blank; out-of-range arguments ignored",
            home + QByteArray(80, 'x') + fe({0x2E, 5}) + fe({0x2D, 4}) + fe({0x32, 4, 0}) +
                fe({0x32, 1, 20}) + fe({0x2E, 20}) + fe({0x2E, 0xFF}) + fe({0x34, '4', '1'}) +
                fe({0x34, 3, '1'}) + fe({0x34, '0', ':'}) + fe({0x34, '1', 7}) + "d",
            "d" + line.mid(1) + line + line + line, "0,1 1 255 0 0");
        row("backlight off, code41, FE 09", fe({7}) + fe({0x29, 0x41}) + fe({9}), "",
            "0,0 0 255 65 1");
        // 0xFE as the level must not start a new command: the 'A' is text.
        row("backlight off, on; brightness 254 by length",
            fe({7}) + fe({0x28, 0xFE}) + "A" + fe({6}), "A", "0,1 1 254 0 0");
        row("two detection queries", fe({0x10}) + "x" + fe({0x10}), "x", "0,1 1 255 0 0",
            "\x65\x65");
        // Glyph rows may hold FE 10 or FE 07; inside an upload they are data.
        row("upload bytes are data",
            fe({0x64}) + QByteArray::fromHex("fe10fe07fe28000d") + QByteArray(56, 0) + "k", "k",
            "0,1 1 255 0 0");
    }

    // Each input is also fed in two parts cut at every place, as the serial
    // link may cut a sequence anywhere.
    void feed()
    {
        QFETCH(QByteArray, input);
        LcdModule m;
        QTEST(m.feed(input), "reply");
        QTEST(cells(m), "expected");
        QTEST(QString::asprintf("%d,%d %d %d %d %d", m.cursorRow(), m.cursorColumn(), m.backlight(),
                                m.brightness(), m.code41(), m.largeDigitsReady()),
              "state");
        for (int cut = 1; cut < input.size(); ++cut) {
            LcdModule split;
            QByteArray reply = split.feed(input.left(cut));
            reply += split.feed(input.mid(cut));
            QTEST(reply, "reply");
            QCOMPARE(split.dump(), m.dump());
            QCOMPARE(split.glyph(0), m.glyph(0));
        }
    }

    // Custom characters keep their rows' five low bits. As text they show by
    // shape, beside the degree sign and the block.
    void customCharacters()
    {
        const LcdFont::Rows a = LcdFont::rows('A');
        QByteArray glyphA(reinterpret_cast<const char*>(a.data()), 8);
        glyphA[0] = char(glyphA[0] | 0xE0);
        LcdModule custom;
        QCOMPARE(custom.feed(fe({0x64}) + QByteArray::fromHex("1f1f1f1f1f1f1f1f000000000000001f") +
                             QByteArray::fromHex("10101010101010100101010101010101") +
                             QByteArray(8, 0) + glyphA + QByteArray(16, 0) + fe({8}) + char(5)),
                 QByteArray());
        QCOMPARE(custom.glyph(5), a);
        custom.feed(QByteArray::fromHex("3231df43ff00010203"));
        QCOMPARE(custom.textLines().at(0), QStringLiteral("▒21°C██▄▌▐").leftJustified(20));
        // Codes without a readable form show as the GUI mirror shows them.
        custom.feed(QByteArray::fromHex("80"));
        QCOMPARE(custom.textLines().at(0).at(10), QChar(0x00B7));
    }

    // A digit is one shape of blocks (never custom characters), the same at
    // each position and only on its three columns: 1-3, 5-7, 11-13 and 15-17,
    // which leaves 9 to the colon and 19 to a letter. The ten shapes differ.
    void largeDigits()
    {
        QSet<QByteArray> shapes;
        for (char d = '0'; d <= '9'; ++d) {
            LcdModule m;
            m.feed(home + QByteArray(80, '.') + fe({0x34, '0', d}) + fe({0x34, '1', d}) +
                   fe({0x34, '2', d}) + fe({0x34, '3', d}));
            QByteArray shape, expected;
            for (int r = 0; r < LcdModule::Rows; ++r) {
                const QByteArray s = m.line(r).mid(1, 3);
                shape += s;
                expected += "." + s + "." + s + "..." + s + "." + s + "..";
            }
            QCOMPARE(cells(m), expected);
            QVERIFY(shape.contains(char(255)));
            QVERIFY(std::all_of(shape.begin(), shape.end(), [](char c) { return quint8(c) >= 8; }));
            shapes.insert(shape);
        }
        QCOMPARE(shapes.size(), 10);
    }
};

QTEST_GUILESS_MAIN(TestLcdModule)
#include "tst_lcdmodule.moc"
