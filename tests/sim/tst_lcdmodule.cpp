#include "sim/LcdFont.h"
#include "sim/LcdModule.h"
#include "sim/PtyLcdModule.h"
#include "sim/TerminalView.h"

#include <QElapsedTimer>
#include <QtTest>

#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

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

// The simulated module alone, on a pseudo-terminal, drawn on a terminal.
class TestLcdModule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each input is also fed in two parts cut anywhere, as the link may cut it.
    void feed()
    {
        const QByteArray full = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst"
                                "0123456789!#$%&()*+,uvwxyzUVWXYZ<=>?@[]^";
        const QByteArray line = "xxxxx xxxxxxxxxxxxxx";
        // Input, cells (padded to 80), cursor, backlight, brightness, code41, FE 09 seen, reply.
        const std::tuple<QByteArray, QByteArray, const char*, QByteArray> rows[] = {
            {"abc" + clear + "xy" + home + "X", "Xy", "0,1 1 255 0 0", ""}, // clear, home keep text
            {"junk" + home + full, full, "0,0 1 255 0 0", ""},
            // Line select, placement, wrap to the next line and to the top.
            {"ab" + fe({0x2D, 2}) + "Hi" + fe({0x32, 1, 18}) + "abc" + fe({0x32, 3, 19}) + "xyz",
             "yz" + QByteArray(36, ' ') + "abci" + QByteArray(37, ' ') + "x", "0,2 1 255 0 0", ""},
            // Ignored controls, no-op and unknown FE xx; codes 0-7, 128-255 are characters.
            {QByteArray::fromHex("6109620a630c6408650e660f671b68") + fe({1}) + fe({2}) + fe({3}) +
                 fe({4}) + fe({5}) + fe({8}) + fe({0x99}) + "i" + fe({0xFE}) + "j" +
                 QByteArray::fromHex("0007dfff80"),
             QByteArray::fromHex("6162636465666768696a0007dfff80"), "0,15 1 255 0 0", ""},
            // Column blank; out-of-range arguments ignored, over a full screen.
            {home + QByteArray(80, 'x') + fe({0x2E, 5}) + fe({0x2D, 4}) + fe({0x32, 4, 0}) +
                 fe({0x32, 1, 20}) + fe({0x2E, 20}) + fe({0x2E, 0xFF}) + fe({0x34, '4', '1'}) +
                 fe({0x34, 3, '1'}) + fe({0x34, '0', ':'}) + fe({0x34, '1', 7}) + "d",
             "d" + line.mid(1) + line + line + line, "0,1 1 255 0 0", ""},
            {fe({7}) + fe({0x29, 0x41}) + fe({9}), "", "0,0 0 255 65 1", ""},
            // 0xFE as the level must not start a new command: the 'A' is text.
            {fe({7}) + fe({0x28, 0xFE}) + "A" + fe({6}), "A", "0,1 1 254 0 0", ""},
            {fe({0x10}) + "x" + fe({0x10}), "x", "0,1 1 255 0 0", "\x65\x65"},
            // Glyph rows may hold FE 10 or FE 07; inside an upload they are data.
            {fe({0x64}) + QByteArray::fromHex("fe10fe07fe28000d") + QByteArray(56, 0) + "k", "k",
             "0,1 1 255 0 0", ""},
        };
        for (const auto& [input, expected, state, reply] : rows) {
            LcdModule m;
            QCOMPARE(m.feed(input), reply);
            QCOMPARE(cells(m), expected.leftJustified(80));
            QCOMPARE(QString::asprintf("%d,%d %d %d %d %d", m.cursorRow(), m.cursorColumn(),
                                       m.backlight(), m.brightness(), m.code41(),
                                       m.largeDigitsReady()),
                     QString::fromLatin1(state));
            for (int cut = 1; cut < input.size(); ++cut) {
                LcdModule split;
                const QByteArray first = split.feed(input.left(cut));
                QCOMPARE(first + split.feed(input.mid(cut)), reply);
                QCOMPARE(split.dump(), m.dump());
                QCOMPARE(split.glyph(0), m.glyph(0));
            }
        }
    }

    // Custom characters keep five bits per row and show by shape beside the degree sign and the
    // block; codes without a readable form show as the GUI mirror shows them.
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
        custom.feed(QByteArray::fromHex("3231df43ff0001020380"));
        QCOMPARE(custom.textLines().at(0), QStringLiteral("▒21°C██▄▌▐·").leftJustified(20));
    }

    // A digit is one shape of blocks (no custom characters) on columns 1-3, 5-7, 11-13 and 15-17,
    // leaving 9 to the colon and 19 to a letter; the ten shapes differ.
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
            QVERIFY(shape.contains(char(255)) &&
                    std::all_of(shape.begin(), shape.end(), [](char c) { return quint8(c) >= 8; }));
            shapes.insert(shape);
        }
        QCOMPARE(shapes.size(), 10);
    }

    // The ROM's letters have the data sheet's dots and read as themselves; a
    // large digit stays blocks on A02, whose 255 is a letter.
    void romLetters()
    {
        const struct
        {
            const char* name;
            Characters rom;
            quint8 code;
            QByteArray dots; // rows top first, hex
            QChar shown;
        } rows[] = {
            {"A00 E1 a umlaut", Characters::A00, 0xE1, "0a000e010f110f00", u'ä'},
            {"A00 F5 u umlaut", Characters::A00, 0xF5, "0a00111111130d00", u'ü'},
            {"A00 DF degree", Characters::A00, 0xDF, "1c141c0000000000", u'°'},
            {"A00 5C yen", Characters::A00, 0x5C, "110a1f041f040400", u'¥'},
            {"A02 DF sharp s", Characters::A02, 0xDF, "0c12121611111600", u'ß'},
            {"A02 B0 degree", Characters::A02, 0xB0, "0c12120c00000000", u'°'},
            {"ascii E1: no letter", Characters::Ascii, 0xE1, "1f11111111111f00", u'·'},
        };
        for (const auto& row : rows) {
            LcdModule m;
            m.setCharacters(row.rom);
            m.feed(QByteArray(1, char(row.code)));
            const LcdFont::Rows dots = LcdFont::rows(row.code, row.rom);
            const QByteArray got =
                QByteArray(reinterpret_cast<const char*>(dots.data()), 8).toHex();
            const QChar shown = m.textLines().at(0).at(0);
            QVERIFY2(got == QByteArray::fromHex(row.dots).toHex() && shown == row.shown,
                     qPrintable(QString::fromUtf8(row.name) + u": dots "_s + QLatin1String(got) +
                                u", shown "_s + shown));
        }
        LcdModule a02;
        a02.setCharacters(Characters::A02);
        a02.feed(fe({0x34, '0', '8'}));
        QCOMPARE(a02.textLines().at(0).mid(1, 3), u"███"_s);
    }

    // Writes arrive unchanged and read by read; FE 10 gets the set answer, never an echo.
    void onPty()
    {
        PtyLcdModule pty;
        pty.setDetectionReply("\x45");
        QVERIFY(pty.open());
        QSignalSpy changed(&pty, &PtyLcdModule::screenChanged);
        QFile slave(pty.slavePath());
        QVERIFY(slave.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        const QList<QByteArray> writes = {"\xFE", "\x32", QByteArray("\x00\x03X", 3),
                                          QByteArray::fromHex("0a0311137f04"), "\xFE\x10"};
        QByteArray all;
        for (const QByteArray& w : writes) {
            all += w;
            QCOMPARE(slave.write(w), w.size());
            QVERIFY(pty.waitForBytes(int(all.size()), 2000));
        }
        QElapsedTimer waited; // bytes already there end the wait at once
        waited.start();
        QVERIFY(pty.waitForBytes(int(all.size()), 5000) && waited.elapsed() < 2500);
        pollfd p{slave.handle(), POLLIN, 0};
        QByteArray reply(8, 0);
        reply.resize(::poll(&p, 1, 200) > 0 ? ::read(p.fd, reply.data(), 8) : 0);
        QCOMPARE(reply, "\x45");
        pty.waitForBytes(int(all.size()) + 1, 100); // where an echo would show
        QCOMPARE(pty.received(), all);
        QCOMPARE(pty.chunks(), writes);
        QCOMPARE(pty.module().line(0), QByteArray("   X\x03\x7f\x04").leftJustified(20));
        QCOMPARE(changed.count(), 2); // not for FE alone nor for FE 10
    }

    // A drawing climbs back over the last one; a burst costs one now and one later.
    void terminalView()
    {
        LcdModule m;
        QString text;
        QTextStream out(&text);
        TerminalView view(m, out, TerminalView::Mode::Ansi);
        view.setMinimumInterval(50);
        for (int i = 0; i < 20; ++i)
            view.scheduleRedraw();
        QCOMPARE(view.redrawCount(), 1);
        QVERIFY(text.startsWith(QStringLiteral("┌"))); // the first one climbs nowhere
        m.feed(QByteArray("Hi 21") + char(223) + "C");
        QTRY_COMPARE(view.redrawCount(), 2);
        QTest::qWait(120);
        QCOMPARE(view.redrawCount(), 2);
        QVERIFY(text.contains(u"\x1b[7A\r┌"_s) && text.contains(u"│Hi 21°C"_s));
    }
};

QTEST_GUILESS_MAIN(TestLcdModule)
#include "tst_lcdmodule.moc"
