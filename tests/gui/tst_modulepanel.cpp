#include "app/views/ModulePanel.h"
#include "sim/LcdModule.h"

#include <QtTest>

namespace {

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

// Reads the dots back off a picture of the panel at its size hint (4 pixels
// of glass, a dot every 3 pixels, a character every 16 across and 25 down):
// 8 rows of 5 bits for each of the 80 cells. A dot is lit when it is well
// darker than the bare glass at the corner, whatever the backlight does.
QByteArray dotsOf(const QImage& image)
{
    const int glass = qGray(image.pixel(0, 0));
    QByteArray dots(80 * 8, 0);
    for (int i = 0; i < dots.size(); ++i) {
        const int cell = i / 8, x = 4 + cell % 20 * 16, y = 4 + cell / 20 * 25 + i % 8 * 3;
        for (int dx = 0; dx < 5; ++dx)
            dots[i] = char(dots[i] | (qGray(image.pixel(x + dx * 3, y)) < glass * 6 / 10 ? 0x10 >> dx : 0));
    }
    return dots;
}

int glassOf(const QByteArray& input)
{
    LcdModule module;
    module.feed(input);
    ModulePanel panel(module);
    panel.resize(panel.sizeHint());
    return qGray(grabPanel(panel).pixel(0, 0));
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
        QTest::addColumn<int>("cell");
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("A at home") << QByteArray("A") << 0 << QByteArray::fromHex("0e1111111f111100");
        QTest::newRow("degree sign in the last cell")
            << fe({0x32, 3, 19}) + char(223) << 79 << QByteArray::fromHex("1c141c0000000000");
        // Glyph 6 is a chequer; the high bits of each uploaded row are not dots.
        QTest::newRow("custom character from its uploaded rows")
            << fe({0x64}) + QByteArray(48, 0) + QByteArray::fromHex("f50a150a150a150a") +
                   QByteArray(8, 0) + fe({8}) + fe({0x32, 2, 7}) + char(6)
            << 47 << QByteArray::fromHex("150a150a150a150a");
    }
    void dots()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, cell);
        QFETCH(QByteArray, rows);
        LcdModule module;
        module.feed(input);
        ModulePanel panel(module);
        QCOMPARE(panel.sizeHint(), QSize(326, 106));
        panel.resize(panel.sizeHint());
        QByteArray expected(80 * 8, 0);
        expected.replace(cell * 8, 8, rows);
        QCOMPARE(dotsOf(grabPanel(panel)).toHex(), expected.toHex());
    }

    // The glass follows backlight and brightness; a dark backlight ignores
    // the brightness level.
    void backlight()
    {
        QVERIFY(glassOf(fe({0x28, 0xFF})) > glassOf(fe({0x28, 0x80})) + 10);
        QVERIFY(glassOf(fe({0x28, 0})) > glassOf(fe({7})) + 10);
        QCOMPARE(glassOf(fe({7}) + fe({0x28, 0xFF})), glassOf(fe({7}) + fe({0x28, 0})));
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
        module.feed(QByteArray(1, 0x0D) + fe({6}));
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
