#include "app/views/ModulePanel.h"
#include "sim/LcdModule.h"

#include <QtTest>

namespace {

// The panel at two pixels a dot: a dot every 3 pixels, a character every 16
// across and 25 down, 4 pixels of glass around, 326x106 in all.
constexpr int Margin = 4, DotPitch = 3, CellPitchX = 16, CellPitchY = 25;

QByteArray fe(std::initializer_list<int> bytes)
{
    QByteArray out(1, char(0xFE));
    for (int b : bytes)
        out += char(b);
    return out;
}

QImage grabPanel(ModulePanel& panel)
{
    return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Reads the dots back off a picture of the panel: 8 rows of 5 bits for each
// of the 80 cells, row by row. A dot counts as lit when it is well darker than
// the bare glass at the corner, whatever the backlight does to both.
QByteArray dotsOf(const QImage& image)
{
    const int glass = qGray(image.pixel(0, 0));
    QByteArray dots;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 20; ++c) {
            for (int dy = 0; dy < 8; ++dy) {
                quint8 bits = 0;
                for (int dx = 0; dx < 5; ++dx) {
                    const QRgb px = image.pixel(Margin + c * CellPitchX + dx * DotPitch,
                                                Margin + r * CellPitchY + dy * DotPitch);
                    if (qGray(px) < glass * 6 / 10)
                        bits |= 0x10 >> dx;
                }
                dots += char(bits);
            }
        }
    }
    return dots;
}

} // namespace

class TestModulePanel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One character on an otherwise blank screen: its dots, and no others.
    void dots_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QByteArray>("rows");
        const QByteArray letterA = QByteArray::fromHex("0e1111111f111100");
        QTest::newRow("A at home") << QByteArray("A") << 0 << 0 << letterA;
        QTest::newRow("degree sign in the last cell")
            << fe({0x32, 3, 19}) + char(223) << 3 << 19 << QByteArray::fromHex("1c141c0000000000");
        // Glyph 6 is a chequer; the high bits of each uploaded row are not dots.
        QTest::newRow("custom character from its uploaded rows")
            << fe({0x64}) + QByteArray(48, 0) + QByteArray::fromHex("f50a150a150a150a") +
                   QByteArray(8, 0) + fe({8}) + fe({0x32, 2, 7}) + char(6)
            << 2 << 7 << QByteArray::fromHex("150a150a150a150a");
    }
    void dots()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QByteArray, rows);
        LcdModule module;
        module.feed(input);
        ModulePanel panel(module);
        QCOMPARE(panel.sizeHint(), QSize(326, 106));
        panel.resize(panel.sizeHint());

        QByteArray expected(80 * 8, 0);
        expected.replace((row * 20 + column) * 8, 8, rows);
        QCOMPARE(dotsOf(grabPanel(panel)).toHex(), expected.toHex());
    }

    // The glass follows backlight and brightness; a dark backlight ignores
    // the brightness level.
    void backlight_data()
    {
        QTest::addColumn<QByteArray>("brighter");
        QTest::addColumn<QByteArray>("darker"); // empty: both look the same
        QTest::addColumn<QByteArray>("same");
        QTest::newRow("full brightness over half")
            << fe({0x28, 0xFF}) << fe({0x28, 0x80}) << QByteArray();
        QTest::newRow("lit at brightness 0 over backlight off")
            << fe({0x28, 0}) << fe({7}) << QByteArray();
        QTest::newRow("off whatever the brightness")
            << fe({7}) + fe({0x28, 0xFF}) << QByteArray() << fe({7}) + fe({0x28, 0});
    }
    void backlight()
    {
        QFETCH(QByteArray, brighter);
        QFETCH(QByteArray, darker);
        QFETCH(QByteArray, same);
        const auto glass = [](const QByteArray& input) {
            LcdModule module;
            module.feed(input);
            ModulePanel panel(module);
            panel.resize(panel.sizeHint());
            return qGray(grabPanel(panel).pixel(0, 0));
        };
        if (darker.isNull())
            QCOMPARE(glass(brighter), glass(same));
        else
            QVERIFY2(
                glass(brighter) > glass(darker) + 10,
                qPrintable(QStringLiteral("%1 vs %2").arg(glass(brighter)).arg(glass(darker))));
    }

    // A picture kept between paints must not outlive a change of the module.
    void followsModule()
    {
        LcdModule module;
        ModulePanel panel(module);
        panel.resize(panel.sizeHint());
        const QImage blank = grabPanel(panel);
        QCOMPARE(dotsOf(blank), QByteArray(80 * 8, 0));

        module.feed("A");
        panel.moduleChanged();
        QCOMPARE(dotsOf(grabPanel(panel)).left(8).toHex(), QByteArray("0e1111111f111100"));
        module.feed(fe({7}));
        panel.moduleChanged();
        QVERIFY(qGray(grabPanel(panel).pixel(0, 0)) < qGray(blank.pixel(0, 0)));
        module.feed(QByteArray(1, 0x0D));
        module.feed(fe({6}));
        panel.moduleChanged();
        QCOMPARE(grabPanel(panel), blank);
        // A window twice as large shows dots twice as large, still square.
        panel.resize(panel.sizeHint() * 2);
        QCOMPARE(grabPanel(panel).size(), panel.sizeHint() * 2);
        QCOMPARE(panel.heightForWidth(652), 184); // dots of 4 pixels, the largest that fit
    }
};

QTEST_MAIN(TestModulePanel)
#include "tst_modulepanel.moc"
