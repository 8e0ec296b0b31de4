#include "sim/LcdFont.h"
#include "sim/LcdModule.h"

#include <QtTest>

#include <numeric>

namespace {

using Screen = QList<QByteArray>;
using GlyphRows = std::array<quint8, 8>;
using Glyphs = std::array<GlyphRows, 8>;

// Four rows, each padded with spaces to the full width.
Screen screen(std::initializer_list<QByteArray> rows)
{
    Screen s;
    for (const QByteArray& r : rows)
        s << r.leftJustified(LcdModule::Columns);
    while (s.size() < LcdModule::Rows)
        s << QByteArray(LcdModule::Columns, ' ');
    return s;
}

Screen lines(const LcdModule& m)
{
    Screen s;
    for (int r = 0; r < LcdModule::Rows; ++r)
        s << m.line(r);
    return s;
}

QByteArray fe(std::initializer_list<int> bytes)
{
    QByteArray out(1, char(0xFE));
    for (int b : bytes)
        out += char(b);
    return out;
}

QByteArray upload(const Glyphs& glyphs)
{
    QByteArray out = fe({0x64});
    for (const GlyphRows& g : glyphs)
        for (quint8 row : g)
            out += char(row);
    return out;
}

// Darkest and brightest grey level in a picture.
QPair<int, int> greyRange(const QImage& img)
{
    QPair<int, int> range{255, 0};
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            range.first = std::min(range.first, qGray(img.pixel(x, y)));
            range.second = std::max(range.second, qGray(img.pixel(x, y)));
        }
    }
    return range;
}

} // namespace

class TestLcdModule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void screenCommands_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<Screen>("expected");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");

        const QByteArray full = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst"
                                "0123456789!#$%&()*+,uvwxyzUVWXYZ<=>?@[]^";
        const QByteArray xs(80, 'x');
        const QByteArray home(1, 0x0B), clear(1, 0x0D);
        QTest::newRow("text at power-on") << QByteArray("Hi") << screen({"Hi"}) << 0 << 2;
        QTest::newRow("clear then text") << "abc" + clear + "xy" << screen({"xy"}) << 0 << 2;
        QTest::newRow("home, 80 bytes fill lines 1-4")
            << "junk" + home + full
            << screen({full.mid(0, 20), full.mid(20, 20), full.mid(40, 20), full.mid(60, 20)}) << 0
            << 0;
        QTest::newRow("home keeps text") << "abc" + home + "X" << screen({"Xbc"}) << 0 << 1;
        QTest::newRow("line select") << fe({0x2D, 2}) + "Hi" << screen({"", "", "Hi"}) << 2 << 2;
        QTest::newRow("column blank")
            << home + xs + fe({0x2E, 5}) << Screen(4, "xxxxx xxxxxxxxxxxxxx") << 0 << 0;
        QTest::newRow("placement then text")
            << fe({0x32, 1, 7}) + "abc" << screen({"", "       abc"}) << 1 << 10;
        QTest::newRow("wrap to next line")
            << fe({0x32, 0, 18}) + "abcdef" << screen({"                  ab", "cdef"}) << 1 << 4;
        QTest::newRow("wrap to top") << fe({0x32, 3, 19}) + "xyz"
                                     << screen({"yz", "", "", "                   x"}) << 0 << 2;
        QTest::newRow("ignored control codes")
            << QByteArray::fromHex("61 09 62 0a 63 0c 64 08 65 0e 66 0f 67 1b 68")
            << screen({"abcdefgh"}) << 0 << 8;
        QTest::newRow("custom, degree and block are characters")
            << QByteArray::fromHex("0007dfff80") << screen({QByteArray::fromHex("0007dfff80")}) << 0
            << 5;
        QTest::newRow("accepted no-op commands")
            << "a" + fe({1}) + fe({2}) + fe({3}) + fe({4}) + fe({5}) + fe({8}) + "b"
            << screen({"ab"}) << 0 << 2;
        QTest::newRow("unknown FE xx skips two bytes")
            << "a" + fe({0x99}) + "b" + fe({0x41}) + "c" + fe({0xFE}) + "d" << screen({"abcd"}) << 0
            << 4;
        QTest::newRow("cursor out of range")
            << "a" + fe({0x2D, 4}) + "b" + fe({0x32, 4, 0}) + "c" + fe({0x32, 1, 20}) + "d"
            << screen({"abcd"}) << 0 << 4;
        QTest::newRow("blank column out of range") << home + xs + fe({0x2E, 20}) + fe({0x2E, 0xFF})
                                                   << Screen(4, QByteArray(20, 'x')) << 0 << 0;
        QTest::newRow("large digit out of range")
            << "a" + fe({0x34, '4', '1'}) + fe({0x34, 3, '1'}) + fe({0x34, '0', ':'}) +
                   fe({0x34, '1', 7}) + "b"
            << screen({"ab"}) << 0 << 2;
    }
    void screenCommands()
    {
        QFETCH(QByteArray, input);
        LcdModule m;
        QCOMPARE(m.feed(input), QByteArray());
        QTEST(lines(m), "expected");
        QTEST(m.cursorRow(), "row");
        QTEST(m.cursorColumn(), "column");
    }

    void state_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("backlight");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("code41");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<char>("cell0");

        const QByteArray none;
        QTest::newRow("power-on") << none << true << 255 << 0 << false << none << ' ';
        QTest::newRow("backlight off") << fe({7}) << false << 255 << 0 << false << none << ' ';
        QTest::newRow("backlight off, on")
            << fe({7}) + fe({6}) << true << 255 << 0 << false << none << ' ';
        // 0xFE as the level must not start a new command: the 'A' is text.
        QTest::newRow("brightness 254 by length")
            << fe({0x28, 0xFE}) + "A" << true << 254 << 0 << false << none << 'A';
        QTest::newRow("brightness 0") << fe({0x28, 0}) << true << 0 << 0 << false << none << ' ';
        QTest::newRow("code41") << fe({0x29, 0x41}) << true << 255 << 0x41 << false << none << ' ';
        QTest::newRow("large digits prepared")
            << fe({9}) << true << 255 << 0 << true << none << ' ';
        QTest::newRow("two detection queries") << fe({0x10}) + "x" + fe({0x10}) << true << 255 << 0
                                               << false << QByteArray("\x65\x65") << 'x';
        // Glyph rows may hold FE 10 or FE 07; inside an upload they are data.
        Glyphs g{};
        g[0] = {0xFE, 0x10, 0xFE, 0x07, 0xFE, 0x28, 0x00, 0x0D};
        QTest::newRow("upload bytes are data")
            << upload(g) + "k" << true << 255 << 0 << false << none << 'k';
    }
    void state()
    {
        QFETCH(QByteArray, input);
        LcdModule m;
        QTEST(m.feed(input), "reply");
        QTEST(m.backlight(), "backlight");
        QTEST(int(m.brightness()), "brightness");
        QTEST(int(m.code41()), "code41");
        QTEST(m.largeDigitsReady(), "ready");
        QTEST(m.line(0).at(0), "cell0");
        m.reset();
        QCOMPARE(m.dump(), LcdModule().dump());
    }

    void customUpload_data()
    {
        QTest::addColumn<QList<int>>("cuts");
        QTest::newRow("one feed") << QList<int>{};
        QTest::newRow("header, then three reads") << QList<int>{2, 20, 45};
        QList<int> every(65);
        std::iota(every.begin(), every.end(), 1);
        QTest::newRow("byte by byte") << every;
    }
    void customUpload()
    {
        QFETCH(QList<int>, cuts);
        Glyphs g{};
        for (int i = 0; i < 64; ++i)
            g[i / 8][i % 8] = quint8(i * 37 + 0xE0); // the high bits must be dropped
        const QByteArray bytes = upload(g) + fe({8}) + char(3);
        LcdModule m;
        int from = 0;
        for (int cut : cuts) {
            m.feed(bytes.mid(from, cut - from));
            from = cut;
        }
        m.feed(bytes.mid(from));
        for (int i = 0; i < 64; ++i)
            QCOMPARE(m.glyph(i / 8)[i % 8], quint8(g[i / 8][i % 8] & 0x1F));
        QCOMPARE(m.line(0).at(0), char(3));
    }

    // A custom character is drawn from its rows: given the rows of 'A' it
    // must look exactly like the built-in 'A', and unlike it otherwise.
    void customGlyphRendered()
    {
        Glyphs g{};
        g[5] = LcdFont::rows('A');
        LcdModule custom, builtin;
        custom.feed(upload(g) + char(5));
        builtin.feed("A");
        QCOMPARE(custom.render(2), builtin.render(2));
        g[5][3] ^= 0x04;
        custom.feed(upload(g));
        QVERIFY(custom.render(2) != builtin.render(2));
    }

    void largeDigit_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("digit");
        for (int p = 0; p < 4; ++p)
            for (int d : {0, 1, 4, 7, 8})
                QTest::addRow("%d at %d", d, p) << p << d;
    }
    void largeDigit()
    {
        QFETCH(int, position);
        QFETCH(int, digit);
        const int left = QList<int>{1, 5, 11, 15}.at(position);
        LcdModule m, reference;
        m.feed(QByteArray(1, 0x0B) + QByteArray(80, '.') + fe({0x34, '0' + position, '0' + digit}));
        reference.feed(fe({0x34, '1', '0' + digit}));
        // The same shape at every position, over its three columns only.
        Screen expected(4, QByteArray(20, '.'));
        for (int r = 0; r < LcdModule::Rows; ++r)
            expected[r].replace(left, 3, reference.line(r).mid(5, 3));
        QCOMPARE(lines(m), expected);
    }

    // Ten shapes that differ, drawn with blocks but never custom characters.
    void largeDigitShapes()
    {
        QSet<QString> shapes;
        for (char d = '0'; d <= '9'; ++d) {
            LcdModule m;
            m.feed(fe({0x34, '2', d}));
            const QByteArray cells = lines(m).join();
            QVERIFY(cells.contains(char(255)));
            QVERIFY(std::all_of(cells.begin(), cells.end(), [](char c) { return quint8(c) >= 8; }));
            shapes.insert(m.dump());
        }
        QCOMPARE(shapes.size(), 10);
    }

    // Readable lines: the degree sign, the block and custom characters by shape.
    void textLines()
    {
        LcdModule m;
        m.feed(
            upload({GlyphRows{31, 31, 31, 31, 31, 31, 31, 31}, GlyphRows{0, 0, 0, 0, 0, 0, 31}}) +
            QByteArray::fromHex("3231df43ff000102"));
        QCOMPARE(m.textLines(),
                 QStringList({QStringLiteral("21°C██▄ ").leftJustified(20),
                              QString(20, QLatin1Char(' ')), QString(20, QLatin1Char(' ')),
                              QString(20, QLatin1Char(' '))}));
    }

    // The program removes position 0 by blanking columns 0-3; positions 1-3
    // and the colon column must survive.
    void blankingRemovesFirstPosition()
    {
        LcdModule m, rest;
        QByteArray digits;
        for (char p = '0'; p <= '3'; ++p)
            digits += fe({0x34, p, '8'});
        m.feed(digits + fe({0x32, 1, 9}) + ":");
        rest.feed(digits.mid(4) + fe({0x32, 1, 9}) + ":");
        for (int c = 0; c < 4; ++c)
            m.feed(fe({0x2E, c}));
        QCOMPARE(lines(m), lines(rest));
    }

    // The serial link may cut a sequence anywhere.
    void splitAnywhere()
    {
        Glyphs g{};
        g[2] = {0xFE, 0x10, 1, 2, 3, 4, 5, 0xFE};
        const QByteArray stream = QByteArray::fromHex("0d6162") + fe({0x28, 0xFE}) +
                                  fe({0x32, 2, 18}) + "wrap" + fe({0x10}) + fe({0x29, 0x41}) +
                                  fe({0x2D, 3}) + QByteArray::fromHex("02df") + upload(g) +
                                  fe({8}) + fe({9}) + fe({0x34, '3', '5'}) + fe({0x2E, 16}) +
                                  fe({0x77}) + fe({7}) + QByteArray::fromHex("0b7a");
        LcdModule whole;
        QCOMPARE(whole.feed(stream), QByteArray("\x65"));
        for (int cut = 1; cut < stream.size(); ++cut) {
            LcdModule m;
            QByteArray reply = m.feed(stream.left(cut));
            reply += m.feed(stream.mid(cut));
            QCOMPARE(m.dump(), whole.dump());
            QCOMPARE(m.glyph(2), whole.glyph(2));
            QCOMPARE(reply, QByteArray("\x65"));
        }
        LcdModule bytewise;
        for (char c : stream)
            bytewise.feed(QByteArray(1, c));
        QCOMPARE(bytewise.dump(), whole.dump());
    }

    void renderColours_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::newRow("full brightness") << QByteArray();
        QTest::newRow("low brightness") << fe({0x28, 10});
        QTest::newRow("backlight off") << fe({7});
    }
    void renderColours()
    {
        QFETCH(QByteArray, setup);
        LcdModule blank, blocks;
        blank.feed(setup);
        blocks.feed(setup + QByteArray(1, 0x0B) + QByteArray(80, char(255)));
        const auto empty = greyRange(blank.render(3)), full = greyRange(blocks.render(3));
        // Lit dots are darker than anything on a blank panel, and a dimmed
        // panel is darker than a fully lit one.
        QVERIFY(full.first + 30 < empty.first);
        if (!setup.isEmpty())
            QVERIFY(empty.second + 20 < greyRange(LcdModule().render(3)).second);
    }
};

QTEST_GUILESS_MAIN(TestLcdModule)
#include "tst_lcdmodule.moc"
