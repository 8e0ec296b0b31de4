#include "codec/ModuleCodec.h"
#include "lcd/DisplayModel.h"
#include "lcd/LcddScreen.h"
#include "support/LinkHarness.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString code(quint8 c)
{
    return c >= 0x20 && c < 0x7F ? u"'%1'"_s.arg(QLatin1Char(char(c))) : u"0x%1"_s.arg(c, 2, 16);
}

// The model as facts in a fixed order, so a failure names the one that differs.
QStringList facts(const DisplayModel& m)
{
    QStringList out;
    for (int r = 0; r < DisplayModel::Rows; ++r)
        for (int c = 0; c < DisplayModel::Columns; ++c)
            out << u"cell %1,%2: "_s.arg(r).arg(c) + (m.cellDigit(r, c) >= 0
                                                          ? u"digit %1"_s.arg(m.cellDigit(r, c))
                                                          : code(m.cell(r, c)));
    QString digits;
    for (int p = 0; p < DisplayModel::DigitPositions; ++p)
        digits += m.digit(p) < 0 ? u'-' : QChar(u'0' + m.digit(p));
    out << u"digits: "_s + digits << u"light: %1 %2"_s.arg(m.backlight()).arg(m.brightness());
    for (int g = 0; g < 8; ++g)
        out << u"glyph %1: "_s.arg(g) +
                   QByteArray(reinterpret_cast<const char*>(m.glyph(g).data()), 8).toHex();
    return out;
}

void compareFacts(const QString& name, const QStringList& got, const QStringList& want)
{
    for (qsizetype i = 0; i < want.size(); ++i)
        QVERIFY2(got.value(i) == want[i],
                 qPrintable(name + u": got "_s + got.value(i) + u", want "_s + want[i]));
}

// 80 cells of '.' but the large digit's at position.
QByteArray digitAt(int position, char digit)
{
    QByteArray cells(80, '.');
    for (int r = 0; r < 4; ++r)
        cells.replace(r * 20 + CommandSet::largeDigitColumn(position), 3, QByteArray(3, digit));
    return cells;
}

} // namespace

// The display model from the bytes sent, and the screen LCDd is asked for from it.
class TestDisplayModel : public QObject
{
    Q_OBJECT

    // Fed whole and in two parts cut anywhere, as the link may cut it; the cells as text
    // (blank after it) and large digits drawn over them ('.' none; empty: none at all).
    static DisplayModel fed(const QString& name, const QByteArray& input, const QByteArray& text,
                            const QByteArray& digitCells = {}, const char* digits = "----")
    {
        DisplayModel m;
        m.feed(input);
        QStringList want;
        const QByteArray cells = text.leftJustified(80);
        for (int i = 0; i < 80; ++i) {
            const char d = digitCells.isEmpty() ? '.' : digitCells[i];
            want << u"cell %1,%2: "_s.arg(i / 20).arg(i % 20) +
                        (d != '.' ? u"digit "_s + QLatin1Char(d) : code(quint8(cells[i])));
        }
        want << u"digits: "_s + QLatin1String(digits);
        compareFacts(name, facts(m), want);
        for (int cut = 1; cut < input.size(); ++cut) {
            DisplayModel split;
            split.feed(input.left(cut));
            split.feed(input.mid(cut));
            compareFacts(name + u" cut at %1"_s.arg(cut), facts(split), facts(m));
            [&] {
                QVERIFY2(split == m,
                         qPrintable(name + u" cut at %1: the cursor or a command"_s.arg(cut)));
            }();
        }
        return m;
    }

private Q_SLOTS:
    void cellsAndDigits()
    {
        const QByteArray dots = "\x0b" + QByteArray(80, '.');
        QByteArray remnant = digitAt(0, '8'), column12 = digitAt(2, '9'), column5(80, '.');
        remnant[22] = '.';
        for (int r = 0; r < 4; ++r) {
            column12[r * 20 + 12] = '.';
            column5[r * 20 + 5] = ' ';
        }
        const struct
        {
            const char* name;
            QByteArray input;
            QByteArray text;
            QByteArray digitCells = {};
            const char* digits = "----";
        } rows[] = {
            {"text wraps to the next line, after the last to the first",
             "\x0b" + QByteArray("ABCD").repeated(20) + "E",
             "E" + QByteArray("ABCD").repeated(20).mid(1)},
            {"0B homes, the text stays", "abc\x0bX", "Xbc"},
            {"0D blanks every cell and homes", "abc\x0dX", "X"},
            {"other controls do nothing; 0-7 and 128-255 are characters",
             hex("61 08 09 0a 0c 0e 0f 1b 62 00 07 df ff 80"), hex("61 62 00 07 df ff 80")},
            {"FE 2D starts a line; beyond the last it is ignored",
             "ab" + hex("fe2d02") + "Hi" + hex("fe2d04") + "!", "ab" + QByteArray(38, ' ') + "Hi!"},
            {"FE 32 places the cursor; outside the screen it is ignored",
             hex("fe320312") + "xyz" + hex("fe320014") + "!" + hex("fe320400") + "?",
             "z!?" + QByteArray(75, ' ') + "xy"},
            {"FE 2E blanks a column on every line; beyond the last it is ignored",
             dots + hex("fe2e05 fe2e14"), column5},
            {"FE 34 draws a large digit over its 3x4 cells", dots + hex("fe34 31 37"),
             digitAt(1, ' '), digitAt(1, '7'), "-7--"},
            {"FE 34 with a position or digit out of range draws nothing",
             hex("fe34 34 31 fe34 30 3a fe34 03 31") + "d", "d"},
            {"text over a large digit's cell ends the digit; the rest of it stands",
             hex("fe34 30 38 fe320102") + "x", QByteArray(22, ' ') + "x", remnant},
            {"FE 2E through a large digit ends it", hex("fe34 32 39 fe2e0c"), "", column12},
            {"0D ends the large digits", hex("fe34 33 32 0d"), ""},
            {"an unknown FE xx is dropped, the next byte is text",
             hex("fe99") + "i" + hex("fefe") + "j", "ij"},
            {"FE 01-05, 08, 09, 10 and 29 show nothing",
             hex("fe01 fe02 fe03 fe04 fe05 fe08 fe09 fe10 fe2941") + "z", "z"},
        };
        for (const auto& row : rows)
            fed(QString::fromUtf8(row.name), row.input, row.text, row.digitCells, row.digits);
    }

    // Backlight, brightness and the custom characters' rows, each fact by itself.
    void lightAndGlyphs()
    {
        const struct
        {
            const char* name;
            QByteArray input;
            const char* text;
            const char* light; // backlight and brightness
            QByteArray glyphs = QByteArray(64, 0);
        } rows[] = {
            {"FE 07 switches the backlight off", hex("fe07"), "", "0 255"},
            {"FE 28 sets the brightness; FE as the level is one, what follows is text",
             hex("fe07 fe28fe") + "A" + hex("fe06"), "A", "1 254"},
            {"FE 64: eight glyphs of 8 rows, 5 bits a row; FE and controls in them are data",
             hex("fe64 fe10fe07fe280d0b") + QByteArray(55, '\xff') + "\x01k", "k", "1 255",
             hex("1e101e071e080d0b") + QByteArray(55, '\x1f') + "\x01"},
        };
        for (const auto& row : rows) {
            const QString name = QString::fromUtf8(row.name);
            const DisplayModel m = fed(name, row.input, row.text);
            QStringList want{u"light: "_s + QLatin1String(row.light)};
            for (int g = 0; g < 8; ++g)
                want << u"glyph %1: "_s.arg(g) + row.glyphs.mid(g * 8, 8).toHex();
            compareFacts(name, facts(m).mid(81), want);
        }
    }

    // The mirrors' text: uploaded bar cells as blocks of their width, the
    // program's own glyphs (and anything else) as their fixed symbols.
    void readableGlyphs()
    {
        const QByteArray bars = QByteArray(8, 0) + QByteArray(8, '\x10') + QByteArray(8, '\x18') +
                                QByteArray(8, '\x1c') + QByteArray(8, '\x1e') +
                                QByteArray(8, '\x1f') + QByteArray::fromHex("0000000000001f1f") +
                                QByteArray(8, '\x0e');
        const struct
        {
            const char* name;
            QByteArray glyphs; // FE 64's 64 rows
            const char16_t* want;
        } rows[] = {
            {"bar cells of 1 to 5 columns", bars,
             u"\u25B8\u258F\u258E\u258C\u258A\u2588\u2193\u2715"},
            {"nothing uploaded: the fixed symbols", QByteArray(),
             u"\u25B8\u25A0\u2016\u25C1\u25C0\u25B6\u2193\u2715"},
        };
        for (const auto& row : rows) {
            DisplayModel m;
            if (!row.glyphs.isEmpty())
                m.feed(hex("fe64") + row.glyphs);
            const QString got = m.readable(hex("0001020304050607"), AsciiCodec);
            QVERIFY2(got == QString::fromUtf16(row.want),
                     qPrintable(QString::fromUtf8(row.name) + u": got "_s + got));
        }
    }

    // LCDd's screen from the model: LCDd's characters only, cut to its size;
    // large digits and the colon as its own, custom characters as icons.
    void lcddScreen()
    {
        const QByteArray wide = hex("0b") + QByteArray("0123456789abcdefghij").repeated(4);
        const struct
        {
            const char* name;
            QByteArray input;
            QSize size;
            const char* rows;    // the four, joined by '|'
            const char* widgets; // digits, colon, icons (row,column:code), a dark backlight
            Characters rom = Characters::Ascii; // the model's codes are of this ROM
            LcddScreen::Charset charset = LcddScreen::Charset::Ascii;
        } rows[] = {
            {"ASCII stays, 223 is o, other codes ?, trailing blanks dropped",
             hex("0b 3231 df 43 7f 80 7e 20 20"),
             {20, 4},
             "21oC??~|||",
             "----"},
            {"custom characters: an icon where LCDd has one, else a plain character",
             hex("0b 00 01 02 03 04 05 06 07"),
             {20, 4},
             "   x<  x|||",
             "---- 0,0:0 0,1:1 0,2:2 0,5:5 0,6:6"},
            {"16x2: the top-left part",
             wide + hex("fe320011 06"),
             {16, 2},
             "0123456789abcdef|0123456789abcdef||",
             "----"},
            {"40x8: no more than 20x4",
             wide,
             {40, 8},
             "0123456789abcdefghij|0123456789abcdefghij|0123456789abcdefghij|0123456789abcdefghij",
             "----"},
            {"large digits and the colon's dots: LCDd's digits and colon",
             hex("fe34 30 31 fe34 31 32 fe320109 df fe320309 df fe320213") + "p",
             {20, 4},
             "||                   p|",
             "12-- colon"},
            {"the two dots without a large digit stay characters",
             hex("fe320109 df fe320309 df fe07"),
             {20, 4},
             "|         o||         o",
             "---- dark"},
            {"A00's letters in Latin-1: those Latin-1 has as such, the rest as in ASCII",
             hex("0b 4d f5 6e e1 df e2 5c 7e 7f ff"),
             {20, 4},
             "M\xfcn\xe4\xb0?\xa5???|||",
             "----",
             Characters::A00,
             LcddScreen::Charset::Latin1},
            {"A00's letters in ASCII: accents dropped, the degree sign o",
             hex("0b 4d f5 6e e1 df e2 5c 7e 7f ff"),
             {20, 4},
             "Munao?????|||",
             "----",
             Characters::A00},
            {"A02: Latin-1 as it is, the colon's dots B7",
             hex("fe34 30 31 fe320109 b7 fe320309 b7 fe320005 fc b0 fe32020a b7"),
             {20, 4},
             "     \xfc\xb0||          \xb7|",
             "1--- colon",
             Characters::A02,
             LcddScreen::Charset::Latin1},
        };
        for (const auto& row : rows) {
            DisplayModel m;
            m.feed(row.input);
            const LcddScreen s = LcddScreen::from(m, ModuleCodec(row.rom), row.charset,
                                                  row.size.width(), row.size.height());
            QString widgets;
            for (const int d : s.digits)
                widgets += d < 0 ? u'-' : QChar(u'0' + d);
            if (s.colon)
                widgets += u" colon"_s;
            for (const LcddScreen::Icon& i : s.icons)
                widgets += u" %1,%2:%3"_s.arg(i.row).arg(i.column).arg(i.code);
            if (!s.backlight)
                widgets += u" dark"_s;
            const QByteArrayList lines(s.rows.begin(), s.rows.end());
            compareFacts(QString::fromUtf8(row.name),
                         {u"rows: "_s + QString::fromLatin1(lines.join('|')), widgets},
                         {u"rows: "_s + QLatin1String(row.rows), QLatin1String(row.widgets)});
        }
        // LCDd's num widgets count from 1 and go only where three columns fit.
        const int x[][3] = {{0, 20, 2}, {3, 20, 16}, {3, 18, 16}, {3, 17, 0}, {4, 20, 0}};
        for (const auto& [position, width, expected] : x)
            QVERIFY2(LcddScreen::digitX(position, width) == expected,
                     qPrintable(u"position %1 on %2 columns: x %3"_s.arg(position).arg(width).arg(
                         LcddScreen::digitX(position, width))));
    }
};

QTEST_GUILESS_MAIN(TestDisplayModel)
#include "tst_displaymodel.moc"
