#include "TimeTestSupport.h"

#include "screens/time/modCustomChar.h"

namespace {
// FE 64, the rows of codes 0 to 7, FE 08: nine writes.
const char* const UploadWrites = "FE64080C0E0F0E0C0800 "
                                 "00000E0E0E0E0000 "
                                 "00001B1B1B1B0000 "
                                 "00041C1C1C040000 "
                                 "00051C1D1C050000 "
                                 "080C0E0F0E0C0800 "
                                 "001F11110E040400 "
                                 "000E0E0404040400 "
                                 "FE08";
} // namespace

class TestModCustomChar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void upload_data()
    {
        QTest::addColumn<int>("times");
        QTest::newRow("once") << 1;
        QTest::newRow("twice in a row") << 2;
    }
    void upload()
    {
        QFETCH(int, times);
        const QList<QByteArray> once = hexWrites(QString::fromLatin1(UploadWrites));
        QCOMPARE(joined(once).size(), 68);

        PtyLink pty;
        QVERIFY(pty.open());
        pty.link.LcdOut = "kept";
        QList<QByteArray> expected;
        for (int i = 0; i < times; ++i) {
            QVERIFY(modCustomChar::LoadCustomChars(pty.link));
            expected += once;
        }
        QCOMPARE(pty.takeWrites(), expected);
        QVERIFY(pty.waitFor(68 * times));
        QCOMPARE(pty.module->received().toHex(' '), joined(expected).toHex(' '));
        QCOMPARE(pty.link.LcdOut, QByteArray("kept"));

        // The module now draws the connected symbol from code 6.
        const std::array<quint8, 8> connected{0x00, 0x1F, 0x11, 0x11, 0x0E, 0x04, 0x04, 0x00};
        QCOMPARE(pty.module->module().glyph(6), connected);
    }

    void closedPort()
    {
        PtyLink pty;
        pty.link.LcdOut = "kept";
        QVERIFY(!modCustomChar::LoadCustomChars(pty.link));
        QCOMPARE(pty.spy.count(), 0);
        QTest::qWait(100);
        QVERIFY(pty.module->received().isEmpty());
        QCOMPARE(pty.link.LcdOut, QByteArray("kept"));
    }
};

QTEST_GUILESS_MAIN(TestModCustomChar)
#include "tst_modcustomchar.moc"
